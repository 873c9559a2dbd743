// The grid of a trimmed face in parameter space: cells wholly inside the trims become quads as on
// an untrimmed face; grid nodes near the trims join the loops in the triangulation.
#pragma once

#include <array>
#include <vector>

#include "SurfacePullback.h"

namespace on_detail {

/// A grid over a box of parameters: its lines in u and in v, increasing.
struct GridBox {
  std::vector<double> lines[2];
  int Cells(int dir) const { return int(lines[dir].size()) - 1; }
};

/// How far the loops may run across the grid, in cells (steps from a cell to the next) for each
/// node of the grid: a loop that goes round a face a few times takes a few steps for each node
/// along its sides only.
constexpr int kMostCutSteps = 64;

/// What cutting the grid by the loops gives.
struct TrimmedGrid {
  /// The loops run across more cells than kMostCutSteps per cell: nothing else is filled in.
  bool overrun = false;
  /// Cells inside the domain that no loop touches, counter-clockwise in (u, v), as indices into
  /// the points.
  std::vector<std::array<int, 4>> quads;
  /// The sides of those quads that face the rest of the domain: the triangulation must keep
  /// them, and they separate the quads from it.
  std::vector<std::array<int, 2>> borders;
  /// How many of the points (the loops' points first, then grid nodes) the triangulation takes;
  /// the rest are used by quads only.
  std::size_t triangulated = 0;
};

/// Cuts the grid by the closed polygons `loops` (indices into points, inside by the even-odd
/// rule); the work grows with the cells and the cells the loops cross, which are checked against
/// kMostCutSteps before any is walked. A grid without cells or whose lines do not increase leaves
/// every point to the triangulation. Appends the grid nodes inside the domain and clear of the
/// loops to points: first those the triangulation takes, then those only quads use.
TrimmedGrid CutGrid(const GridBox& box, const std::vector<std::vector<int>>& loops,
                    std::vector<Uv>& points);

}  // namespace on_detail
