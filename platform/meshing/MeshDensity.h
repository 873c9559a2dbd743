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

/// The number of grid cells in u and v for meshing the whole surface with mp: each span cut by
/// its curvature (or into degree cells without a refine angle), at least the minimum count, cells
/// within the aspect ratio, and at most MostCells(mp) cells.
void GridSize(const ON_Surface& surface, const ON_MeshParameters& mp, int& nu, int& nv);

/// The surface sampled on an (nu + 1) × (nv + 1) grid over its whole domain, one quad per cell;
/// the caller owns the mesh.
ON_Mesh* GridMesh(const ON_Surface& surface, int nu, int nv);

/// A count from a measure: x rounded up, kept within [least, most]; least when x is not a number.
int CountWithin(double x, int least, int most);

/// Parameter steps per span when measuring how far a span of a surface or curve bends and how
/// long it is.
constexpr int kProbes = 8;

/// An edge curve measured for dividing it: along each span, the probes' parameters and running
/// lengths, and the pieces its bending asks for (by mp's refine angle; degree pieces without one).
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

EdgeMeasure MeasureEdge(const ON_Curve& curve, const ON_MeshParameters& mp);

/// Increasing parameters along the measured curve from its start to its end, both included: every
/// span boundary, and more points in each span where it bends or is longer than target_length
/// (ignored when not greater than 0), spaced evenly along its length. Empty for a measure without
/// spans.
std::vector<double> EdgeParameters(const EdgeMeasure& measure, double target_length);

}  // namespace on_detail
