// The readers of the document file's sections, each turning a part of the JSON into host tables and
// objects; shared between the section files and the top level that calls them in file order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DocumentNode.h"

namespace document {

// ---- tables (DocumentTables.cpp)

ON_UnitSystem ReadUnits(const Node& units);

/// The path the document was saved under; a relative one is taken from the document file's folder.
std::string SavedPath(const Node& path, const std::string& fileName);

/// A colour [red, green, blue] or [red, green, blue, alpha], channels 0 to 255.
ON_Color ReadColour(const Node& colour);

/// Adds the materials to the document's material table, in file order.
NameTable ReadMaterials(const Node& materials, CRhinoDoc& doc);

/// Adds the layers to the document's layer table; the result names them "layer" for what refers
/// to them after the table.
NameTable ReadLayers(const Node& layers, CRhinoDoc& doc, const NameTable& materials);

// ---- geometry (DocumentGeometry.cpp); every result is owned by the caller

ON_3dPoint ReadPoint(const Node& point);
ON_3dVector ReadVector(const Node& vector);

/// A 4x4 matrix, or scale, then rotation, then translation.
ON_Xform ReadTransform(const Node& transform);

std::unique_ptr<ON_Mesh> ReadMesh(const Node& mesh);

/// One surface, or several (a polysurface) as an array.
std::unique_ptr<ON_Brep> ReadSurface(const Node& surface);

std::unique_ptr<ON_PolylineCurve> ReadCurve(const Node& curve);

/// A light; `objectName` is its name unless the light gives its own.
std::unique_ptr<ON_Light> ReadLight(const Node& light, const ON_wString& objectName);

// ---- objects and blocks (DocumentObjects.cpp)

/// What objects refer to: materials and layers by name or index, blocks by name or index.
struct References {
  NameTable materials;
  NameTable layers;
  NameTable blocks{"block", {}, {}};
};

/// How deep blocks may nest: a block that places no other block has depth 1, one that places
/// blocks one more than the deepest of them.
inline constexpr int kMaxBlockNesting = 100;

/// Block definitions: all are made first, so that instances may place blocks defined later; then
/// their objects are read, and cycles and nesting deeper than kMaxBlockNesting refused. Adds the
/// blocks' names to `references`.
void ReadBlocks(const Node& blocks, References& references, CRhinoDoc& doc);

/// Adds the top-level objects to the document, in file order.
void ReadObjects(const Node& objects, const References& references, CRhinoDoc& doc);

}  // namespace document
