// Triangulating a trimmed face's domain in parameter space: a constrained Delaunay triangulation
// of its loops and inner points, keeping the triangles inside the outer loop and outside the holes.
// The only place that uses the triangulation library, so that it is compiled once.
#pragma once

#include <array>
#include <vector>

#include "SurfacePullback.h"

namespace on_detail {

/// How a triangulation ended.
enum class DomainOutcome {
  triangulated,  // possibly into no triangles, when the points lie on one line
  crossings,     // the segments cross one another more often than there are points
  failed,        // the triangulation library gave up
};

/// Triangulates the first `count` points, whose closed polygons `loops` (each a list of indices
/// into points, the last joined back to the first) and single segments `borders` bound the domain
/// by the even-odd rule: inside the outer loop, outside the holes and outside any region the
/// borders close off. Every point is a vertex unless another has the same coordinates; points
/// outside the domain end up in no triangle. Where segments cross, the crossing takes the place of
/// the nearest point next to it, so that the given points stay the only vertices along the loops
/// (neighbouring faces share them); triangles that collapse so are left out. Appends the
/// triangles, counter-clockwise in (u, v), to `triangles`. Every crossing adds a point, so their
/// number is bounded by `count` to keep the work within the points'. When not triangulated,
/// `points` and `triangles` are as they were.
DomainOutcome TriangulateDomain(std::vector<Uv>& points, std::size_t count,
                                const std::vector<std::vector<int>>& loops,
                                const std::vector<std::array<int, 2>>& borders,
                                std::vector<std::array<int, 3>>& triangles);

}  // namespace on_detail
