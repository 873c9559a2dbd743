#include "common/SceneMeshes.h"

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

bool polygonUsable(const ObjectDefinition& definition, std::size_t index) {
  const std::span<const int> corners = polygonCorners(definition, index);
  if (corners.size() < 3) return false;
  const std::size_t points = pointCount(definition);
  return std::all_of(corners.begin(), corners.end(), [&](int corner) {
    if (corner < 0 || static_cast<std::size_t>(corner) >= points) return false;
    const OrvPoint& p = pointAt(definition, static_cast<std::size_t>(corner));
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
  });
}

int drawnSlot(const ObjectDefinition& definition, std::size_t index) {
  const std::optional<int> slot = polygonSlot(definition, index);
  if (slot && *slot >= 0 && static_cast<std::size_t>(*slot) < definition.materials.size()) {
    return *slot;
  }
  return kNoSlot;
}

DefinitionTriangles triangulate(const ObjectDefinition& definition) {
  const std::size_t polygons = polygonCount(definition);
  // One bucket per slot, then one for kNoSlot.
  const std::size_t buckets = definition.materials.size() + 1;
  auto bucketOf = [&](std::size_t polygon) {
    const int slot = drawnSlot(definition, polygon);
    return slot == kNoSlot ? buckets - 1 : static_cast<std::size_t>(slot);
  };

  // First pass: how many corners each bucket gets at most, so each vector is allocated once.
  DefinitionTriangles result;
  std::vector<std::size_t> sizes(buckets, 0);
  std::vector<bool> usable(polygons);
  for (std::size_t p = 0; p < polygons; ++p) {
    usable[p] = polygonUsable(definition, p);
    if (!usable[p]) {
      ++result.skippedPolygons;
      continue;
    }
    sizes[bucketOf(p)] += 3 * (polygonCorners(definition, p).size() - 2);
  }

  std::vector<std::vector<std::uint32_t>> lists(buckets);
  for (std::size_t b = 0; b < buckets; ++b) lists[b].reserve(sizes[b]);
  for (std::size_t p = 0; p < polygons; ++p) {
    if (!usable[p]) continue;
    std::vector<std::uint32_t>& list = lists[bucketOf(p)];
    forEachTriangle(polygonCorners(definition, p),
                    [&list](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
                      list.push_back(a);
                      list.push_back(b);
                      list.push_back(c);
                    });
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
