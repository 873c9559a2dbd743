// Pulling points in space back into a surface's parameters: the parameters of the closest surface
// point, found by Gauss-Newton steps from a nearby start or from a coarse grid of samples.
#pragma once

#include <vector>

#include "opennurbs_surface.h"

namespace on_detail {

/// A point of a surface's parameter space.
struct Uv {
  double u = 0.0, v = 0.0;
};

/// Where a surface meets itself: its closed directions (u, v) and its singular sides (numbered as
/// ON_Surface::IsSingular numbers them: south, east, north, west).
struct SurfaceShape {
  bool closed[2] = {false, false};
  bool singular[4] = {false, false, false, false};
  static SurfaceShape Of(const ON_Surface& surface);
};

/// Finds closest points on one surface, which must outlive it. Searches on a closed surface pass
/// across its seams; searches that start at a pole fall back to the samples, which avoid poles. The
/// first search without a seed samples the surface on a coarse grid (a few points per span, at most
/// 64 × 64 cells), kept for the later ones.
class SurfacePullback {
 public:
  /// `shape` is the surface's own, as SurfaceShape::Of gives it.
  SurfacePullback(const ON_Surface& surface, const SurfaceShape& shape);

  /// The parameters (inside the domain) of the surface point closest to p, searched from seed.
  /// With a seed whose search lands farther from p than `accept`, and without a seed, the search
  /// also starts from the nearest grid sample and the closer answer wins.
  Uv Pull(const ON_3dPoint& p, const Uv* seed, double accept) const;

  /// Distance from p to the surface point at uv.
  double DistanceAt(const ON_3dPoint& p, const Uv& uv) const;

 private:
  /// Gauss-Newton steps from uv; sets `distance` to how far p lies from the point it returns.
  Uv Descend(const ON_3dPoint& p, Uv uv, double& distance) const;
  /// t brought into the domain of direction dir: across the seam of a closed direction, else to
  /// the nearer end.
  double Settle(double t, int dir) const;
  /// The parameter of sample i along direction dir.
  double SampleAt(int dir, int i) const;
  Uv NearestSample(const ON_3dPoint& p) const;

  const ON_Surface& m_surface;
  ON_Interval m_domain[2];
  bool m_closed[2] = {false, false};
  bool m_pole_at_start[2] = {false, false}, m_pole_at_end[2] = {false, false};
  int m_cells[2] = {1, 1};
  mutable std::vector<ON_3dPoint> m_samples;  // (m_cells[0] + 1) × (m_cells[1] + 1), i-major
};

}  // namespace on_detail
