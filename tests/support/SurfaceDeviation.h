// How far a render mesh strays from the surface it stands for: each vertex pulled back to the
// surface's parameters, and each triangle's interior samples measured against the exact surface.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <utility>
#include <vector>

#include "opennurbs.h"

namespace surface_deviation {

/// A point of a surface's parameter space.
struct Uv {
  double u = 0.0, v = 0.0;
};

inline double Dot(const ON_3dVector& a, const ON_3dVector& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

/// The point (a + b + c) / 3 with c omitted when `third` is false (then the midpoint of a and b).
inline ON_3dPoint Mean(const ON_3dPoint& a, const ON_3dPoint& b, const ON_3dPoint& c, bool third) {
  const double n = third ? 3.0 : 2.0, w = third ? 1.0 : 0.0;
  return {(a.x + b.x + w * c.x) / n, (a.y + b.y + w * c.y) / n, (a.z + b.z + w * c.z) / n};
}

/// Closest points on one surface by Gauss-Newton steps, started from seeds or from a sample grid.
class Projector {
 public:
  explicit Projector(const ON_Surface& surface) : m_surface(surface) {
    for (int dir = 0; dir < 2; ++dir) {
      m_domain[dir] = surface.Domain(dir);
      m_closed[dir] = surface.IsClosed(dir);
    }
    for (int i = 0; i <= kSamples; ++i)
      for (int j = 0; j <= kSamples; ++j) {
        const Uv uv{m_domain[0].ParameterAt(double(i) / kSamples),
                    m_domain[1].ParameterAt(double(j) / kSamples)};
        m_samples.push_back({uv, surface.PointAt(uv.u, uv.v)});
      }
  }

  /// The parameters of the surface point nearest p, searched from `seed` and, when that lands
  /// farther than `accept`, from the nearest sample too.
  Uv Pull(const ON_3dPoint& p, const Uv* seed, double accept) const {
    Uv best;
    double best_distance = std::numeric_limits<double>::infinity();
    auto consider = [&](Uv start) {
      const Uv uv = Descend(p, start);
      const double d = p.DistanceTo(m_surface.PointAt(uv.u, uv.v));
      if (d < best_distance) best_distance = d, best = uv;
    };
    if (seed) consider(*seed);
    if (!(best_distance <= accept)) {
      const Sample* nearest = &m_samples[0];
      for (const Sample& s : m_samples)
        if (s.p.DistanceTo(p) < nearest->p.DistanceTo(p)) nearest = &s;
      consider(nearest->uv);
    }
    return best;
  }

  double DistanceAt(const ON_3dPoint& p, const Uv& uv) const {
    return p.DistanceTo(m_surface.PointAt(uv.u, uv.v));
  }

 private:
  static constexpr int kSamples = 96;
  struct Sample {
    Uv uv;
    ON_3dPoint p;
  };

  Uv Descend(const ON_3dPoint& p, Uv uv) const {
    for (int step = 0; step < 40; ++step) {
      ON_3dPoint s;
      ON_3dVector du, dv;
      if (!m_surface.Ev1Der(uv.u, uv.v, s, du, dv)) break;
      const ON_3dVector r = p - s;
      const double a = Dot(du, du), b = Dot(du, dv), c = Dot(dv, dv), ru = Dot(du, r),
                   rv = Dot(dv, r);
      const double det = a * c - b * b;
      if (!(std::fabs(det) > 1e-300)) break;
      double step_u = (c * ru - b * rv) / det, step_v = (a * rv - b * ru) / det;
      // Half steps near poles and folds keep the descent from leaping across the domain.
      const double most[2] = {0.25 * m_domain[0].Length(), 0.25 * m_domain[1].Length()};
      const double scale = std::min({1.0, most[0] / std::max(1e-300, std::fabs(step_u)),
                                     most[1] / std::max(1e-300, std::fabs(step_v))});
      step_u *= scale, step_v *= scale;
      uv = {Settle(uv.u + step_u, 0), Settle(uv.v + step_v, 1)};
      if (std::fabs(step_u) <= 1e-15 * m_domain[0].Length() &&
          std::fabs(step_v) <= 1e-15 * m_domain[1].Length())
        break;
    }
    return uv;
  }

  double Settle(double t, int dir) const {
    const ON_Interval& d = m_domain[dir];
    if (m_closed[dir]) {
      while (t < d[0]) t += d.Length();
      while (t > d[1]) t -= d.Length();
      return t;
    }
    return std::clamp(t, d[0], d[1]);
  }

  const ON_Surface& m_surface;
  ON_Interval m_domain[2];
  bool m_closed[2] = {false, false};
  std::vector<Sample> m_samples;
};

/// The triangles of a mesh (quads split along their first diagonal).
inline std::vector<std::array<int, 3>> Triangles(const ON_Mesh& mesh) {
  std::vector<std::array<int, 3>> out;
  for (int f = 0; f < mesh.FaceCount(); ++f) {
    const int* v = mesh.m_F[f].vi;
    out.push_back({v[0], v[1], v[2]});
    if (mesh.m_F[f].IsQuad()) out.push_back({v[0], v[2], v[3]});
  }
  return out;
}

/// Undirected edges of the triangles of `count` meshes, their points welded by exact position (as
/// the export welds them), and how many triangles use each: 2 everywhere for a closed surface.
inline std::map<std::pair<int, int>, int> WeldedEdgeUses(const ON_Mesh* const* meshes, int count) {
  std::map<std::array<double, 3>, int> index;
  std::map<std::pair<int, int>, int> uses;
  for (int m = 0; m < count; ++m) {
    const ON_Mesh& mesh = *meshes[m];
    std::vector<int> id(mesh.VertexCount());
    for (int i = 0; i < mesh.VertexCount(); ++i) {
      const ON_3dPoint p = mesh.Vertex(i);
      id[i] = index.try_emplace({p.x, p.y, p.z}, int(index.size())).first->second;
    }
    for (const auto& t : Triangles(mesh))
      for (int k = 0; k < 3; ++k) {
        const int a = id[t[k]], b = id[t[(k + 1) % 3]];
        if (a != b) ++uses[{std::min(a, b), std::max(a, b)}];
      }
  }
  return uses;
}

/// The farthest any triangle's interior sample (its centroid and its sides' midpoints) lies from
/// the surface, measured at the sample's nearest surface point, searched from where the triangle's
/// corners pull back to. 0 for a mesh without faces.
inline double FarthestInteriorSample(const ON_Surface& surface, const ON_Mesh& mesh) {
  const Projector projector(surface);
  ON_BoundingBox box;
  mesh.GetTightBoundingBox(box);
  // Single-precision vertices lie this close to the surface.
  const double accept = 1e-6 * box.m_min.DistanceTo(box.m_max);
  std::vector<Uv> uv(mesh.VertexCount());
  for (int i = 0; i < mesh.VertexCount(); ++i)
    uv[i] = projector.Pull(mesh.Vertex(i), i > 0 ? &uv[i - 1] : nullptr, accept);
  double farthest = 0.0;
  for (const std::array<int, 3>& t : Triangles(mesh)) {
    const ON_3dPoint a = mesh.Vertex(t[0]), b = mesh.Vertex(t[1]), c = mesh.Vertex(t[2]);
    const ON_3dPoint samples[4] = {Mean(a, b, c, true), Mean(a, b, c, false), Mean(b, c, a, false),
                                   Mean(c, a, b, false)};
    for (const ON_3dPoint& p : samples) {
      // The descents from the three corners, without the sample scan: a sample off the surface
      // lies near the triangle's own corners.
      const double anywhere = std::numeric_limits<double>::infinity();
      double nearest = anywhere;
      for (int k = 0; k < 3; ++k)
        nearest =
            std::min(nearest, projector.DistanceAt(p, projector.Pull(p, &uv[t[k]], anywhere)));
      farthest = std::max(farthest, nearest);
    }
  }
  return farthest;
}

}  // namespace surface_deviation
