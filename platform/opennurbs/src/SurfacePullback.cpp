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

}  // namespace

SurfacePullback::SurfacePullback(const ON_Surface& surface) : m_surface(surface) {
  for (int dir = 0; dir < 2; ++dir) {
    m_domain[dir] = surface.Domain(dir);
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
        m_samples.push_back(m_surface.PointAt(m_domain[0].ParameterAt(double(i) / m_cells[0]),
                                              m_domain[1].ParameterAt(double(j) / m_cells[1])));
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
  return {m_domain[0].ParameterAt(double(i) / m_cells[0]),
          m_domain[1].ParameterAt(double(j) / m_cells[1])};
}

Uv SurfacePullback::Descend(const ON_3dPoint& p, Uv uv) const {
  const double lo[2] = {m_domain[0].Min(), m_domain[1].Min()};
  const double hi[2] = {m_domain[0].Max(), m_domain[1].Max()};
  ON_3dPoint s;
  ON_3dVector su, sv;
  if (!m_surface.Ev1Der(uv.u, uv.v, s, su, sv)) return uv;
  double distance = s.DistanceTo(p);
  for (int step = 0; step < kMostSteps; ++step) {
    // Gauss-Newton: solve [su sv]^T [su sv] d = -[su sv]^T (s - p).
    const ON_3dVector r = s - p;
    const double a = Dot(su, su), b = Dot(su, sv), c = Dot(sv, sv);
    const double ru = Dot(r, su), rv = Dot(r, sv);
    const double det = a * c - b * b;
    if (!(std::fabs(det) > 1e-300)) break;  // a pole or a flat spot of the parametrisation
    const Uv next{std::clamp(uv.u + (-ru * c + rv * b) / det, lo[0], hi[0]),
                  std::clamp(uv.v + (-rv * a + ru * b) / det, lo[1], hi[1])};
    const bool settled = std::fabs(next.u - uv.u) <= 1e-15 * (hi[0] - lo[0]) &&
                         std::fabs(next.v - uv.v) <= 1e-15 * (hi[1] - lo[1]);
    ON_3dPoint next_s;
    ON_3dVector next_su, next_sv;
    if (!m_surface.Ev1Der(next.u, next.v, next_s, next_su, next_sv)) break;
    // A step that does not bring the point closer ends the descent.
    const double next_distance = next_s.DistanceTo(p);
    if (next_distance > distance) break;
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
    best = Descend(p, *seed);
    best_distance = DistanceAt(p, best);
    if (best_distance <= accept) return best;
  }
  const Uv other = Descend(p, NearestSample(p));
  const double other_distance = DistanceAt(p, other);
  if (best_distance < 0.0 || other_distance < best_distance) return other;
  return best;
}

}  // namespace on_detail
