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

/// The triangles of one material slot: three point indices per triangle.
struct SlotTriangles {
  /// Index into the definition's materials, or kNoSlot for polygons that name no slot or a slot
  /// the definition does not have.
  int slot = 0;
  std::vector<std::uint32_t> corners;

  std::size_t triangleCount() const { return corners.size() / 3; }
};

inline constexpr int kNoSlot = -1;

struct DefinitionTriangles {
  /// Only slots with at least one triangle, in slot order, kNoSlot last.
  std::vector<SlotTriangles> slots;
  /// Polygons left out because they have fewer than three corners, a corner that names no point,
  /// or a corner at a point that is not finite.
  std::size_t skippedPolygons = 0;

  std::size_t triangleCount() const;
};

/// Splits every polygon of `definition` into triangles: a triangle stays as it is, a quad
/// (a, b, c, d) becomes (a, b, c) and (a, c, d), split along the fixed diagonal a-c, and a polygon
/// with more corners becomes the fan around its first corner. Triangles with a repeated corner
/// have no area and are dropped (quads whose last two corners weld become one triangle).
DefinitionTriangles triangulate(const ObjectDefinition& definition);

/// The warning that `count` polygons of the definition `label` names were left out.
std::string skippedPolygonsWarning(const std::string& label, std::size_t count);

}  // namespace QzOrv::scene
