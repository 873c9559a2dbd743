#include "SceneMeshes.h"

#include <algorithm>
#include <cmath>

namespace QzOrv::scene {

std::size_t pointCount(const ObjectDefinition& definition) {
  return definition.vertices.size();
}

const OrvPoint& pointAt(const ObjectDefinition& definition, std::size_t index) {
  return definition.vertices[index];
}

std::size_t polygonCount(const ObjectDefinition& definition) {
  return definition.polygons.size();
}

std::span<const int> polygonCorners(const ObjectDefinition& definition, std::size_t index) {
  return definition.polygons[index].vertexIndices;
}

std::optional<int> polygonSlot(const ObjectDefinition& definition, std::size_t index) {
  return definition.polygons[index].materialIndex;
}

std::size_t DefinitionTriangles::triangleCount() const {
  std::size_t count = 0;
  for (const SlotTriangles& slot : slots) count += slot.triangleCount();
  return count;
}

namespace {

bool cornersValid(const ObjectDefinition& definition, std::span<const int> corners) {
  if (corners.size() < 3) return false;
  const std::size_t points = pointCount(definition);
  return std::all_of(corners.begin(), corners.end(), [&](int corner) {
    if (corner < 0 || static_cast<std::size_t>(corner) >= points) return false;
    const OrvPoint& p = pointAt(definition, static_cast<std::size_t>(corner));
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
  });
}

/// Where a polygon's triangles go: its slot, or the last bucket for no usable slot.
std::size_t bucketOf(const ObjectDefinition& definition, std::size_t polygon) {
  const std::size_t slots = definition.materials.size();
  const std::optional<int> slot = polygonSlot(definition, polygon);
  if (slot && *slot >= 0 && static_cast<std::size_t>(*slot) < slots) {
    return static_cast<std::size_t>(*slot);
  }
  return slots;
}

}  // namespace

DefinitionTriangles triangulate(const ObjectDefinition& definition) {
  const std::size_t polygons = polygonCount(definition);
  const std::size_t buckets = definition.materials.size() + 1;

  // First pass: how many corners each bucket gets, so each vector is allocated once.
  DefinitionTriangles result;
  std::vector<std::size_t> sizes(buckets, 0);
  for (std::size_t p = 0; p < polygons; ++p) {
    const std::span<const int> corners = polygonCorners(definition, p);
    if (!cornersValid(definition, corners)) {
      ++result.skippedPolygons;
      continue;
    }
    sizes[bucketOf(definition, p)] += 3 * (corners.size() - 2);
  }

  std::vector<std::vector<std::uint32_t>> lists(buckets);
  for (std::size_t b = 0; b < buckets; ++b) lists[b].reserve(sizes[b]);
  for (std::size_t p = 0; p < polygons; ++p) {
    const std::span<const int> corners = polygonCorners(definition, p);
    if (!cornersValid(definition, corners)) continue;
    std::vector<std::uint32_t>& list = lists[bucketOf(definition, p)];
    const auto a = static_cast<std::uint32_t>(corners[0]);
    for (std::size_t i = 1; i + 1 < corners.size(); ++i) {
      const auto b = static_cast<std::uint32_t>(corners[i]);
      const auto c = static_cast<std::uint32_t>(corners[i + 1]);
      if (a == b || b == c || a == c) continue;
      list.insert(list.end(), {a, b, c});
    }
  }

  for (std::size_t b = 0; b < buckets; ++b) {
    if (lists[b].empty()) continue;
    const int slot = b + 1 == buckets ? kNoSlot : static_cast<int>(b);
    result.slots.push_back({slot, std::move(lists[b])});
  }
  return result;
}

std::string skippedPolygonsWarning(const std::string& label, std::size_t count) {
  return label + ": " + std::to_string(count) + (count == 1 ? " polygon" : " polygons") +
         " left out (fewer than three corners, or a corner naming no point or a point that is "
         "not finite)";
}

}  // namespace QzOrv::scene
