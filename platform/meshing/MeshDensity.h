// How finely surfaces and edges are cut for render meshes: grid sizes from the mesh parameters and
// the surface's size and curvature, parameters along edge curves, and the plain quad grid.
#pragma once

#include <vector>

#include "opennurbs_brep.h"

namespace on_detail {

inline double Dot(const ON_3dVector& a, const ON_3dVector& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline ON_3dVector Cross(const ON_3dVector& a, const ON_3dVector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

/// The most grid cells one face may get: mp.m_grid_max_count, or 2^20 when that is 0.
int MostCells(const ON_MeshParameters& mp);

/// Shrinks nu and nv by the same factor (keeping at least one each) until nu · nv <= most.
void LimitCells(int& nu, int& nv, int most);

/// One direction of a surface's grid: its knot spans (by their ends) and the cells each gets.
struct SpanGrid {
  std::vector<double> bounds;  // the spans' ends, increasing; at least two
  std::vector<int> needs;      // the cells each span needs by its bending, at least one each
  std::vector<int> cells;      // the cells each span gets (Spread); empty while the grid is even
  int count = 0;               // the cells in all (Spread)
  /// Whether `count` cells spaced evenly over the whole range give every span its need: then
  /// the lines are those of the even grid.
  bool even = false;

  /// The sum of the needs.
  double Needed() const;
  /// Gives out `count` cells (at least 1): evenly over the range when that gives every span its
  /// need; otherwise each span at least its need and the rest by length when count allows; with
  /// fewer, in proportion to the needs, every span keeping one cell while count reaches the
  /// number of spans. Work linear in the spans.
  void Spread(int total);
  /// The count + 1 increasing grid lines from the first bound to the last, after Spread: even, or
  /// each span cut evenly into its cells (spans without a cell join the next one).
  std::vector<double> Lines() const;
  /// The grid within [lo, hi] of this spread grid, before its own Spread: an even grid becomes
  /// one span needing its cells' share of [lo, hi]; otherwise each span cut there keeps its share
  /// of its cells (at least one).
  SpanGrid Within(double lo, double hi) const;
};

/// The grid for meshing the whole surface with mp: each span cut by its curvature (or into
/// degree cells without a refine angle) and, when `tolerance` (model units) is greater than 0,
/// finely enough that chords across its cells stay about that close to it; at least the minimum
/// count, cells within the aspect ratio, and at most MostCells(mp) cells; spread over the spans
/// in both directions.
void GridOf(const ON_Surface& surface, const ON_MeshParameters& mp, double tolerance,
            SpanGrid grid[2]);

/// The surface sampled at the crossings of the grid lines u and v, one quad per cell; the
/// caller owns the mesh.
ON_Mesh* GridMesh(const ON_Surface& surface, const std::vector<double>& u,
                  const std::vector<double>& v);

/// A count from a measure: x rounded up, kept within [least, most]; least when x is not a number.
int CountWithin(double x, int least, int most);

/// Parameter steps per span when measuring how far a span of a surface or curve bends and how
/// long it is.
constexpr int kProbes = 8;

/// An edge curve measured for dividing it: along each span, the probes' parameters and running
/// lengths, and the pieces its bending asks for (by mp's refine angle, degree pieces without one,
/// and by the tolerance).
struct EdgeMeasure {
  struct Span {
    double t[kProbes + 1];  // from the span's start to (about) its end
    double length[kProbes + 1];
    double end;  // exactly
    int pieces;
  };
  std::vector<Span> spans;  // empty when the curve cannot be measured (a point not finite)

  double Length() const;
  /// With `Length() / target_length` added, a bound on the points EdgeParameters gives for any
  /// target length: 1 + the sum over the spans of (pieces + 1).
  double FixedPoints() const;
};

/// The measure of an edge curve whose pieces, when `tolerance` (model units) is greater than 0,
/// are also short enough that their chords stay about that close to the curve.
EdgeMeasure MeasureEdge(const ON_Curve& curve, const ON_MeshParameters& mp, double tolerance);

/// Increasing parameters along the measured curve from its start to its end, both included: every
/// span boundary, and more points in each span where it bends or is longer than target_length
/// (ignored when not greater than 0), spaced evenly along its length. Empty for a measure without
/// spans.
std::vector<double> EdgeParameters(const EdgeMeasure& measure, double target_length);

}  // namespace on_detail
