// The vertex and index arrays of one glTF primitive: the points one material slot's triangles
// use, in glTF space, with texture coordinates when the slot's material has a projection.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "SceneMeshes.h"
#include "TextureProjection.h"

namespace QzOrv::scene {

struct PrimitiveArrays {
  /// x, y, z per vertex, in metres with Y up.
  std::vector<float> positions;
  /// u, v per vertex; empty when there is no projection.
  std::vector<float> textureCoordinates;
  /// Three vertex indices per triangle.
  std::vector<std::uint32_t> indices;
  /// Smallest and largest position component of all vertices (glTF wants them for positions).
  std::array<float, 3> min{}, max{};

  std::size_t vertexCount() const { return positions.size() / 3; }
};

/// Builds the primitives of one object definition. Each primitive holds only the points its
/// triangles use, once each, numbered in order of first use; with a box projection a point gets
/// one vertex per face orientation it is used with, since its texture coordinates differ.
class PrimitiveBuilder {
 public:
  /// `definition` must outlive the builder.
  explicit PrimitiveBuilder(const ObjectDefinition& definition);

  /// The arrays of `triangles` (corners index the definition's points), with texture
  /// coordinates from `projection` when it is not null.
  PrimitiveArrays build(const SlotTriangles& triangles, const TextureProjection* projection);

 private:
  const ObjectDefinition& definition_;
  /// Vertex number of each (point, face key), or kUnused; reset after every primitive.
  std::vector<std::uint32_t> vertexOf_;
};

}  // namespace QzOrv::scene
