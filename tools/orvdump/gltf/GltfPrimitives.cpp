#include "gltf/GltfPrimitives.h"

#include <algorithm>
#include <limits>

namespace QzOrv::scene {
namespace {

constexpr std::uint32_t kUnused = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t kFaceKeys = 3;

}  // namespace

PrimitiveBuilder::PrimitiveBuilder(const ObjectDefinition& definition, const VertexNormals& normals)
    : definition_(definition),
      normals_(normals),
      vertexOf_(normals.normals.size() * kFaceKeys, kUnused) {}

PrimitiveArrays PrimitiveBuilder::build(const SlotTriangles& triangles,
                                        std::span<const std::uint32_t> vertexOfCorner,
                                        const TextureProjection* projection) {
  PrimitiveArrays arrays;
  arrays.indices.reserve(triangles.corners.size());
  // At most one vertex per corner, and (without a box projection) one per smooth vertex.
  const std::size_t most = projection != nullptr
                               ? triangles.corners.size()
                               : std::min(triangles.corners.size(), normals_.normals.size());
  arrays.positions.reserve(3 * most);
  arrays.normals.reserve(3 * most);
  if (projection != nullptr) arrays.textureCoordinates.reserve(2 * most);
  std::vector<std::size_t> used;  // entries of vertexOf_ to reset afterwards
  const std::vector<std::uint32_t>& corners = triangles.corners;

  for (std::size_t t = 0; t + 2 < corners.size(); t += 3) {
    int key = 0;
    if (projection != nullptr) {
      key = triangleKey(*projection, {toVec3(pointAt(definition_, corners[t])),
                                      toVec3(pointAt(definition_, corners[t + 1])),
                                      toVec3(pointAt(definition_, corners[t + 2]))});
    }
    for (std::size_t k = 0; k < 3; ++k) {
      const std::uint32_t point = corners[t + k];
      const std::size_t entry = vertexOfCorner[t + k] * kFaceKeys + static_cast<std::size_t>(key);
      std::uint32_t& vertex = vertexOf_[entry];
      if (vertex == kUnused) {
        vertex = static_cast<std::uint32_t>(arrays.vertexCount());
        used.push_back(entry);
        const Vec3 scenePoint = toVec3(pointAt(definition_, point));
        const Vec3 p = gltfPoint(scenePoint);
        arrays.positions.push_back(static_cast<float>(p.x));
        arrays.positions.push_back(static_cast<float>(p.y));
        arrays.positions.push_back(static_cast<float>(p.z));
        const Vec3 n = gltfDirection(normals_.normals[vertexOfCorner[t + k]]);
        arrays.normals.push_back(static_cast<float>(n.x));
        arrays.normals.push_back(static_cast<float>(n.y));
        arrays.normals.push_back(static_cast<float>(n.z));
        if (projection != nullptr) {
          const std::array<float, 2> uv = textureCoordinates(*projection, scenePoint, key);
          arrays.textureCoordinates.push_back(uv[0]);
          arrays.textureCoordinates.push_back(uv[1]);
        }
      }
      arrays.indices.push_back(vertex);
    }
  }
  for (const std::size_t entry : used) vertexOf_[entry] = kUnused;

  if (!arrays.positions.empty()) {
    arrays.min = arrays.max = {arrays.positions[0], arrays.positions[1], arrays.positions[2]};
    for (std::size_t i = 0; i < arrays.positions.size(); ++i) {
      arrays.min[i % 3] = std::min(arrays.min[i % 3], arrays.positions[i]);
      arrays.max[i % 3] = std::max(arrays.max[i % 3], arrays.positions[i]);
    }
  }
  return arrays;
}

}  // namespace QzOrv::scene
