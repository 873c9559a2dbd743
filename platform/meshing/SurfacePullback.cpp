// Closest points on a surface by Gauss-Newton descent from a seed or from the nearest sample.
#include "SurfacePullback.h"

#include <algorithm>
#include <cmath>

#include "MeshDensity.h"

namespace on_detail {

namespace {

constexpr int kMostSampleCells = 64;
constexpr int kSamplesPerSpan = 4;
constexpr int kMostSteps = 24;
// Times one step may be halved before the descent ends.
constexpr int kMostHalvings = 6;
// How far (in sample cells) samples on a pole's side move inside.
constexpr double kOffPole = 0.25;

}  // namespace

SurfaceShape SurfaceShape::Of(const ON_Surface& surface) {
  SurfaceShape shape;
  for (int dir = 0; dir < 2; ++dir) shape.closed[dir] = surface.IsClosed(dir);
  for (int side = 0; side < 4; ++side) shape.singular[side] = surface.IsSingular(side);
  return shape;
}

SurfacePullback::SurfacePullback(const ON_Surface& surface, const SurfaceShape& shape)
    : m_surface(surface) {
  for (int dir = 0; dir < 2; ++dir) {
    m_domain[dir] = surface.Domain(dir);
    m_closed[dir] = shape.closed[dir];
    // West and south are sides 3 and 0, at the start of u and v; east and north 1 and 2.
    m_pole_at_start[dir] = shape.singular[dir == 0 ? 3 : 0];
    m_pole_at_end[dir] = shape.singular[dir == 0 ? 1 : 2];
    const int spans = std::max(1, surface.SpanCount(dir));
    const int per_span = surface.Degree(dir) > 1 ? kSamplesPerSpan : 1;
    m_cells[dir] = std::clamp(spans * per_span, 2, kMostSampleCells);
  }
}

double SurfacePullback::DistanceAt(const ON_3dPoint& p, const Uv& uv) const {
  return m_surface.PointAt(uv.u, uv.v).DistanceTo(p);
}

Uv SurfacePullback::NearestSample(const ON_3dPoint& p) const {
  if (m_samples.empty()) {
    m_samples.reserve((m_cells[0] + 1) * (m_cells[1] + 1));
    for (int i = 0; i <= m_cells[0]; ++i)
      for (int j = 0; j <= m_cells[1]; ++j)
        m_samples.push_back(m_surface.PointAt(SampleAt(0, i), SampleAt(1, j)));
  }
  std::size_t best = 0;
  double best_distance = -1.0;
  for (std::size_t k = 0; k < m_samples.size(); ++k) {
    const ON_3dVector d = m_samples[k] - p;
    const double distance = Dot(d, d);
    if (best_distance < 0.0 || distance < best_distance) {
      best_distance = distance;
      best = k;
    }
  }
  const int i = static_cast<int>(best) / (m_cells[1] + 1),
            j = static_cast<int>(best) % (m_cells[1] + 1);
  return {SampleAt(0, i), SampleAt(1, j)};
}

double SurfacePullback::SampleAt(int dir, int i) const {
  // A search cannot leave a pole (the surface does not move along it there), so samples on a
  // pole's side sit a little inside instead.
  double x = i;
  if (i == 0 && m_pole_at_start[dir]) x = kOffPole;
  if (i == m_cells[dir] && m_pole_at_end[dir]) x = i - kOffPole;
  return m_domain[dir].ParameterAt(x / m_cells[dir]);
}

double SurfacePullback::Settle(double t, int dir) const {
  const double lo = m_domain[dir].Min(), hi = m_domain[dir].Max();
  // A step past the seam of a closed direction goes on from the other side.
  if (m_closed[dir] && (t < lo || t > hi)) {
    const double period = hi - lo;
    t = lo + std::fmod(t - lo, period);
    if (t < lo) t += period;
  }
  return std::clamp(t, lo, hi);
}

Uv SurfacePullback::Descend(const ON_3dPoint& p, Uv uv, double& distance) const {
  const double lo[2] = {m_domain[0].Min(), m_domain[1].Min()};
  const double hi[2] = {m_domain[0].Max(), m_domain[1].Max()};
  ON_3dPoint s;
  ON_3dVector su, sv;
  if (!m_surface.Ev1Der(uv.u, uv.v, s, su, sv)) {
    distance = DistanceAt(p, uv);
    return uv;
  }
  distance = s.DistanceTo(p);
  for (int step = 0; step < kMostSteps; ++step) {
    // Gauss-Newton: solve [su sv]^T [su sv] d = -[su sv]^T (s - p).
    const ON_3dVector r = s - p;
    const double a = Dot(su, su), b = Dot(su, sv), c = Dot(sv, sv);
    const double ru = Dot(r, su), rv = Dot(r, sv);
    const double det = a * c - b * b;
    if (!(std::fabs(det) > 1e-300)) break;  // a pole or a flat spot of the parametrisation
    const double du = (-ru * c + rv * b) / det, dv = (-rv * a + ru * b) / det;
    // A step that does not bring the point closer is halved: across a knot where the
    // parametrisation's speed jumps, the full step overshoots.
    Uv next;
    ON_3dPoint next_s;
    ON_3dVector next_su, next_sv;
    double next_distance = distance, scale = 1.0;
    for (int half = 0; half <= kMostHalvings; ++half, scale *= 0.5) {
      next = {Settle(uv.u + scale * du, 0), Settle(uv.v + scale * dv, 1)};
      if (!m_surface.Ev1Der(next.u, next.v, next_s, next_su, next_sv)) return uv;
      next_distance = next_s.DistanceTo(p);
      if (next_distance <= distance) break;
    }
    if (next_distance > distance) break;
    const bool settled = std::fabs(next.u - uv.u) <= 1e-15 * (hi[0] - lo[0]) &&
                         std::fabs(next.v - uv.v) <= 1e-15 * (hi[1] - lo[1]);
    uv = next;
    s = next_s, su = next_su, sv = next_sv;
    distance = next_distance;
    if (settled) break;
  }
  return uv;
}

Uv SurfacePullback::Pull(const ON_3dPoint& p, const Uv* seed, double accept) const {
  Uv best;
  double best_distance = -1.0;
  if (seed) {
    best = Descend(p, *seed, best_distance);
    if (best_distance <= accept) return best;
  }
  double other_distance = 0.0;
  const Uv other = Descend(p, NearestSample(p), other_distance);
  if (best_distance < 0.0 || other_distance < best_distance) return other;
  return best;
}

}  // namespace on_detail
