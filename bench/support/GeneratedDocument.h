// Generated documents for the benchmarks: 100 quad-grid meshes on 5 layers with 10 materials, of
// a chosen number of triangles, written as JSON, or as JSON whose mesh arrays lie in a sidecar.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace benchdoc {

/// The shape of a generated document: `meshes` grids of side × side quads (two triangles each).
struct DocumentShape {
  int meshes = 100;
  int materials = 10;
  int layers = 5;
  int side = 1;

  std::size_t quads() const { return std::size_t(meshes) * side * side; }
  std::size_t triangles() const { return 2 * quads(); }
  std::size_t vertices() const { return std::size_t(meshes) * (side + 1) * (side + 1); }
};

/// The shape of 100 meshes whose triangle count is nearest to `triangles` (at least one quad
/// each): 1e6 gives 100 grids of 71 × 71 quads, 1 008 200 triangles.
DocumentShape ShapeForTriangles(std::size_t triangles);

/// The files of one generated document.
struct GeneratedFiles {
  std::filesystem::path json;
  std::filesystem::path sidecar;  // empty when the arrays are in the JSON
  std::uintmax_t bytes = 0;       // of both files together
};

/// Writes the document of `shape` into `folder` as STEM.json and, when `withSidecar`, its mesh
/// vertices ("f32", as the host keeps them) and faces ("i32", quads) into STEM.bin beside it.
/// Both forms describe the same meshes: their vertices are single-precision values, written in
/// JSON as the shortest text that reads back as the same float. The layers, materials and
/// objects are the same in both. Throws std::runtime_error when a file cannot be written.
GeneratedFiles WriteGeneratedDocument(const std::filesystem::path& folder, const std::string& stem,
                                      const DocumentShape& shape, bool withSidecar);

/// The document of ShapeForTriangles(triangles), generated on first use into a temporary folder
/// that is removed when the program ends. Not thread-safe.
const GeneratedFiles& BenchDocument(std::size_t triangles, bool withSidecar);

}  // namespace benchdoc
