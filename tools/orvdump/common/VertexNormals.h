// Smooth vertex normals of an object definition's triangles: one normal per point and smooth
// region around it, shared across edges where faces meet at less than a crease angle.
#pragma once

#include <cstdint>
#include <vector>

#include "common/SceneMeshes.h"
#include "common/SceneSpace.h"

namespace QzOrv::scene {

/// The crease angle used unless one is asked for, in degrees.
inline constexpr double kDefaultCreaseDegrees = 30;

/// The normals of `triangles` (all slots of one definition together). Around each point, two
/// triangles that share an edge through it belong to one smooth region when their faces meet at
/// less than `creaseDegrees` (0 to 180; faces in one plane are always smooth); regions grow across
/// such edges. Faces of different slots share normals too, so a smooth surface stays smooth across
/// a change of material. Only points the welded mesh shares are shared: separate points never are.
struct VertexNormals {
  VertexNormals(const ObjectDefinition& definition, const DefinitionTriangles& triangles,
                double creaseDegrees);

  /// One entry per corner of each slot's triangles (parallel to `triangles.slots[s].corners`):
  /// the number of the smooth vertex it belongs to, below normals.size().
  std::vector<std::vector<std::uint32_t>> vertexOfCorner;
  /// The unit normal of each smooth vertex in scene axes: the mean of its region's face normals,
  /// each weighted by its face's angle at the point; scene up (0, 0, 1) for a region without
  /// area.
  std::vector<Vec3> normals;
};

}  // namespace QzOrv::scene
