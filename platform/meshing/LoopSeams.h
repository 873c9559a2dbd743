// Loops on surfaces that meet themselves: points pulled back onto a seam settled on the side that
// keeps the loop continuous in the parameters, and points at a pole given the places where the
// loop arrives at it and leaves it.
#pragma once

#include <vector>

#include "SurfacePullback.h"

namespace on_detail {

/// One point of a loop: where it is in space and in the face's parameters.
struct LoopPoint {
  ON_3dPoint p;
  Uv uv;
};

/// A parameter this fraction of the domain from its end lies on that end.
constexpr double kOnSide = 1e-7;

/// The parameter of direction dir (0: u, 1: v).
inline double& Coordinate(Uv& uv, int dir) {
  return dir == 0 ? uv.u : uv.v;
}
inline double Coordinate(const Uv& uv, int dir) {
  return dir == 0 ? uv.u : uv.v;
}

/// Moves the points of the loop on or near the seam of direction dir (whose domain is `domain`)
/// to the side that keeps each near the point before it; points where `at_pole` is set are no
/// guide. Work and memory linear in the loop's points.
void ResolveSeam(std::vector<LoopPoint>& loop, const std::vector<bool>& at_pole, int dir,
                 const ON_Interval& domain);

/// Replaces each run of loop points at the pole of `side` (numbered as ON_Surface::IsSingular
/// numbers them) by two points on that side, where the loop arrives and where it leaves; linear
/// in the loop's points.
void ResolvePole(std::vector<LoopPoint>& loop, int side, const ON_Interval domain[2]);

}  // namespace on_detail
