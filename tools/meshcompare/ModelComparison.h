// The objects of a .3dm model meshed both ways: the host's saved render meshes against the
// meshes the exporter makes for the same objects, one row of measures per object.
#pragma once

#include <string>
#include <vector>

#include "MeshMeasures.h"

struct ComparisonRow {
  std::string file;    // the model's file name, without its folder
  std::string object;  // "#14" (index in the object table), the object's name, or "block B #2"
  /// Faces measured: the brep's faces with a saved mesh.
  int faces = 0;
  MeshMeasures measures;
  /// Both meshes, each triangle's part its face.
  TriangleSet host, ours;
  /// Why our mesher left faces out, one line per face ("face 3: ..."); empty when none.
  std::vector<std::string> failures;
};

/// One row for every brep of `model` (top level or in a block definition) whose faces carry saved
/// render meshes: those meshes against the mesher's meshes of the same faces, made with the
/// export's settings (ON_MeshParameters::QualityRenderMesh). Only the faces with a saved mesh
/// are measured. Throws DocumentError when the model cannot be read.
std::vector<ComparisonRow> CompareModel(const std::string& model);

/// The rows as a Markdown table: file, object, faces, host triangles, our triangles, area ratio,
/// max distance and p99 (% of the diagonal), flipped, host closed, ours closed.
std::string MarkdownTable(const std::vector<ComparisonRow>& rows);

/// Per face of the row: triangles of both meshes and the largest distance, as Markdown lines.
std::string FaceLines(const ComparisonRow& row);
