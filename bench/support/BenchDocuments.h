// Host documents built in memory for the benchmarks: quad-grid meshes in the document's object
// table with materials and layers, without any file to read.
#pragma once

#include <memory>

#include "plugin/stdafx.h"

namespace bench {

/// What a generated document holds.
struct DocumentShape {
  /// Mesh objects, each a wavy grid of quads with shared vertices.
  int objects = 100;
  /// Triangles in all (two per quad), spread evenly over the objects; at least one quad each.
  long triangles = 1000000;
  /// Materials in the table; object i takes material i % materials.
  int materials = 10;
  /// Layers in the table; object i lies on layer i % layers.
  int layers = 5;
};

/// A document in centimetres of `shape`: material i named "Material <i>" with its own diffuse
/// colour, layer i named "Layer <i>", object i named "Object <i>", each grid placed apart from
/// the others. Built once and read many times; owned by the caller.
std::unique_ptr<CRhinoDoc> makeDocument(const DocumentShape& shape);

/// Triangles of every render mesh of the document's objects (a quad counts two).
long triangleCount(const CRhinoDoc& doc);

}  // namespace bench
