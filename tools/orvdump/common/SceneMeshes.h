// The triangles of an object definition, grouped by material slot: the one place where orvdump's
// glTF export and preview read the scene model's points and polygons.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "orv/SceneModel.h"

namespace QzOrv::scene {

// Access to a definition's geometry. Everything else in the glTF export and the preview goes
// through these, so a change in how the model stores points and polygons touches only them.

/// Number of points of `definition`.
std::size_t pointCount(const ObjectDefinition& definition);
/// Point `index` (below pointCount) in scene units: centimetres, Z up.
const OrvPoint& pointAt(const ObjectDefinition& definition, std::size_t index);
/// Number of polygons of `definition`.
std::size_t polygonCount(const ObjectDefinition& definition);
/// The corners of polygon `index` (below polygonCount) as indices into the points, in order; the
/// span stays valid as long as the definition is unchanged.
std::span<const int> polygonCorners(const ObjectDefinition& definition, std::size_t index);
/// The material slot polygon `index` names, when it names one.
std::optional<int> polygonSlot(const ObjectDefinition& definition, std::size_t index);

/// The slot of polygons that name no material slot, or a slot the definition does not have.
inline constexpr int kNoSlot = -1;

/// True when polygon `index` can be drawn: it has at least three corners and each names a point
/// whose coordinates are finite.
bool polygonUsable(const ObjectDefinition& definition, std::size_t index);

/// The material slot polygon `index` is drawn with: the slot it names when the definition has
/// it, else kNoSlot.
int drawnSlot(const ObjectDefinition& definition, std::size_t index);

/// Calls `visit(a, b, c)` with the point indices of each triangle of a usable polygon's corners:
/// a triangle as it is, a quad (a, b, c, d) as (a, b, c) and (a, c, d), split along the fixed
/// diagonal a-c, a polygon with more corners as the fan around its first corner. Triangles with
/// a repeated corner have no area and are left out (a quad whose last two corners weld gives one
/// triangle).
template <class Visit>
void forEachTriangle(std::span<const int> corners, Visit&& visit) {
  const auto a = static_cast<std::uint32_t>(corners[0]);
  for (std::size_t i = 1; i + 1 < corners.size(); ++i) {
    const auto b = static_cast<std::uint32_t>(corners[i]);
    const auto c = static_cast<std::uint32_t>(corners[i + 1]);
    if (a != b && b != c && a != c) visit(a, b, c);
  }
}

/// The triangles of one material slot: three point indices per triangle.
struct SlotTriangles {
  /// Index into the definition's materials, or kNoSlot.
  int slot = 0;
  std::vector<std::uint32_t> corners;

  std::size_t triangleCount() const { return corners.size() / 3; }
};

struct DefinitionTriangles {
  /// Only slots with at least one triangle, in slot order, kNoSlot last.
  std::vector<SlotTriangles> slots;
  /// Polygons left out because they are not usable (polygonUsable).
  std::size_t skippedPolygons = 0;

  std::size_t triangleCount() const;
};

/// The triangles of every usable polygon of `definition` (forEachTriangle), grouped by the slot
/// each is drawn with (drawnSlot).
DefinitionTriangles triangulate(const ObjectDefinition& definition);

/// The warning that `count` polygons of the definition `label` names were left out.
std::string skippedPolygonsWarning(const std::string& label, std::size_t count);

}  // namespace QzOrv::scene
