// The vertex and index arrays of one glTF primitive: the points one material slot's triangles
// use, in glTF space, with their smooth normals, and texture coordinates when the slot's material
// has a projection.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "common/SceneMeshes.h"
#include "common/TextureProjection.h"
#include "common/VertexNormals.h"

namespace QzOrv::scene {

struct PrimitiveArrays {
  /// x, y, z per vertex, in metres with Y up.
  std::vector<float> positions;
  /// x, y, z per vertex: its unit normal in glTF axes.
  std::vector<float> normals;
  /// u, v per vertex; empty when there is no projection.
  std::vector<float> textureCoordinates;
  /// Three vertex indices per triangle.
  std::vector<std::uint32_t> indices;
  /// Smallest and largest position component of all vertices (glTF wants them for positions).
  std::array<float, 3> min{}, max{};

  std::size_t vertexCount() const { return positions.size() / 3; }
};

/// Builds the primitives of one object definition. Each primitive holds only the smooth vertices
/// (VertexNormals) its triangles use, once each, numbered in order of first use; with a box
/// projection a smooth vertex gets one vertex per face orientation it is used with, since its
/// texture coordinates differ.
class PrimitiveBuilder {
 public:
  /// `definition` and `normals` (made from all the definition's triangles) must outlive the
  /// builder.
  PrimitiveBuilder(const ObjectDefinition& definition, const VertexNormals& normals);

  /// The arrays of `triangles` (corners index the definition's points), the smooth vertex of
  /// each corner in `vertexOfCorner` (its VertexNormals entry), with texture coordinates from
  /// `projection` when it is not null.
  PrimitiveArrays build(const SlotTriangles& triangles,
                        std::span<const std::uint32_t> vertexOfCorner,
                        const TextureProjection* projection);

 private:
  const ObjectDefinition& definition_;
  const VertexNormals& normals_;
  /// Vertex number of each (smooth vertex, face key), or kUnused; reset after every primitive.
  std::vector<std::uint32_t> vertexOf_;
};

}  // namespace QzOrv::scene
