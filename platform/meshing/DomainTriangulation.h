// Triangulating a trimmed face's domain in parameter space: a constrained Delaunay triangulation
// of its loops and inner points, keeping the triangles inside the outer loop and outside the holes.
// The only place that uses the triangulation library, so that it is compiled once.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <vector>

#include "SurfacePullback.h"

namespace on_detail {

/// How a triangulation ended.
enum class DomainOutcome {
  triangulated,  // possibly into no triangles, when the points lie on one line
  crossings,     // the segments cross one another more often than there are points
  failed,        // the triangulation library gave up
};

/// How far the surface strays, at the parameters `at`, from the flat triangle of the points
/// `corners` (indices into the points) at the weights `weights` of its corners, beyond what no
/// point inserted inside the triangle mends (such as its corners' own distances from the surface).
using Deviation =
    std::function<double(const std::array<int, 3>& corners, const Uv& at, const double weights[3])>;

/// Refining the triangles inside the domain until each stays within `tolerance` at its centroid
/// and at the midpoints of its sides that no loop or border runs along: each round adds, for
/// every triangle beyond it, its sample farthest off as a point, at most `most_points` points
/// and `most_rounds` rounds in all.
struct Refinement {
  Deviation deviation;
  double tolerance = 0.0;
  std::size_t most_points = 0;
  int most_rounds = 24;
};

/// Triangulates the first `count` points, whose closed polygons `loops` (each a list of indices
/// into points, the last joined back to the first) and single segments `borders` bound the domain
/// by the even-odd rule: inside the outer loop, outside the holes and outside any region the
/// borders close off. Every point is a vertex unless another has the same coordinates; points
/// outside the domain end up in no triangle. Where segments cross, the crossing takes the place of
/// the nearest point next to it, so that the given points stay the only vertices along the loops
/// (neighbouring faces share them); triangles that collapse so are left out. Appends the
/// triangles, counter-clockwise in (u, v), to `triangles`. Every crossing adds a point, so their
/// number is bounded by `count` to keep the work within the points'. With `refinement`, the
/// points it adds are appended to `points` (never on a loop or a border, so neighbouring faces
/// and quads still meet the triangles). When not triangulated, `points` and `triangles` are as
/// they were.
DomainOutcome TriangulateDomain(std::vector<Uv>& points, std::size_t count,
                                const std::vector<std::vector<int>>& loops,
                                const std::vector<std::array<int, 2>>& borders,
                                std::vector<std::array<int, 3>>& triangles,
                                const Refinement* refinement = nullptr);

}  // namespace on_detail
