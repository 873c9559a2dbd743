// Grid sizes and edge divisions for the render-mesh makers.
#include "MeshDensity.h"

#include <algorithm>
#include <cmath>

namespace on_detail {

namespace {

// A sliver with a strict aspect ratio could otherwise ask for any number of cells.
constexpr int kMostCells = 1 << 20;
// Points on one edge, at most.
constexpr int kMostEdgePoints = 1 << 16;

/// The angle between two directions; 0 when either is the zero vector.
double Angle(const ON_3dVector& a, const ON_3dVector& b) {
  const double la = a.Length(), lb = b.Length();
  if (!(la > 0.0) || !(lb > 0.0)) return 0.0;
  return std::atan2(Cross(a, b).Length(), Dot(a, b));
}

/// How far the surface bends over the span [a, b] of direction dir: along three iso curves
/// across the domain, the larger of the turn of the iso curve's tangent and of the surface normal.
double SpanTurn(const ON_Surface& surface, int dir, double a, double b) {
  const ON_Interval across = surface.Domain(1 - dir);
  double most = 0.0;
  for (double x : {0.0, 0.5, 1.0}) {
    const double at = across.ParameterAt(x);
    double tangent_turn = 0.0, normal_turn = 0.0;
    ON_3dVector last_tangent, last_normal;
    for (int k = 0; k <= kProbes; ++k) {
      const double t = a + (b - a) * k / kProbes;
      ON_3dPoint p;
      ON_3dVector du, dv;
      if (!(dir == 0 ? surface.Ev1Der(t, at, p, du, dv) : surface.Ev1Der(at, t, p, du, dv)))
        return 0.0;
      const ON_3dVector tangent = dir == 0 ? du : dv, normal = Cross(du, dv);
      if (k > 0) {
        tangent_turn += Angle(last_tangent, tangent);
        normal_turn += Angle(last_normal, normal);
      }
      last_tangent = tangent;
      last_normal = normal;
    }
    most = std::max({most, tangent_turn, normal_turn});
  }
  return most;
}

/// Cells of one direction before the size rules.
int SpanCells(const ON_Surface& surface, int dir, const ON_MeshParameters& mp) {
  const int spans = std::max(1, surface.SpanCount(dir));
  const int degree = std::max(1, surface.Degree(dir));
  if (!(mp.m_refine_angle > 0.0)) return spans * degree;
  // A plane does not bend.
  if (dynamic_cast<const ON_PlaneSurface*>(&surface)) return spans;
  std::vector<double> bounds(spans + 1);
  if (!surface.GetSpanVector(dir, bounds.data())) return spans * degree;
  double cells = 0.0;
  for (int s = 0; s < spans; ++s)
    cells += std::max(
        1.0, std::ceil(SpanTurn(surface, dir, bounds[s], bounds[s + 1]) / mp.m_refine_angle));
  return CountWithin(cells, 1, kMostCells);
}

/// Raises `count` until a cell's side along it (size / count) is no more than `ratio` times the
/// other side (other_size / other_count).
int NotTooLong(int count, double size, double other_size, int other_count, double ratio) {
  if (!(ratio > 0.0) || !(other_size > 0.0)) return count;
  return CountWithin(size * other_count / (other_size * ratio), count, std::max(count, kMostCells));
}

}  // namespace

int MostCells(const ON_MeshParameters& mp) {
  return mp.m_grid_max_count > 0 ? std::min(mp.m_grid_max_count, kMostCells) : kMostCells;
}

void LimitCells(int& nu, int& nv, int most) {
  if (static_cast<double>(nu) * nv <= most) return;
  const double shrink = std::sqrt(most / (double(nu) * nv));
  nu = std::max(1, static_cast<int>(nu * shrink));
  nv = std::max(1, static_cast<int>(nv * shrink));
  // A side kept at one cell leaves the whole budget to the other; neither side drops below one.
  nu = std::max(1, std::min(nu, most / nv));
  nv = std::max(1, std::min(nv, most / nu));
}

void GridSize(const ON_Surface& surface, const ON_MeshParameters& mp, int& nu, int& nv) {
  const int least = static_cast<int>(std::ceil(std::sqrt(std::max(1, mp.m_grid_min_count))));
  nu = std::max(least, SpanCells(surface, 0, mp));
  nv = std::max(least, SpanCells(surface, 1, mp));
  double width = 0.0, height = 0.0;
  if (surface.GetSurfaceSize(&width, &height)) {
    nu = NotTooLong(nu, width, height, nv, mp.m_grid_aspect_ratio);
    nv = NotTooLong(nv, height, width, nu, mp.m_grid_aspect_ratio);
  }
  LimitCells(nu, nv, MostCells(mp));
}

ON_Mesh* GridMesh(const ON_Surface& surface, int nu, int nv) {
  auto* mesh = new ON_Mesh();
  const ON_Interval u = surface.Domain(0), v = surface.Domain(1);
  mesh->m_V.Reserve((nu + 1) * (nv + 1));
  mesh->m_F.Reserve(nu * nv);
  for (int i = 0; i <= nu; ++i)
    for (int j = 0; j <= nv; ++j)
      mesh->AppendVertex(
          surface.PointAt(u.ParameterAt(double(i) / nu), v.ParameterAt(double(j) / nv)));
  auto at = [nv](int i, int j) { return i * (nv + 1) + j; };
  for (int i = 0; i < nu; ++i)
    for (int j = 0; j < nv; ++j)
      mesh->SetQuad(mesh->FaceCount(), at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
  return mesh;
}

int CountWithin(double x, int least, int most) {
  if (!(x > least)) return least;
  return x >= most ? most : std::max(least, static_cast<int>(std::ceil(x)));
}

EdgeMeasure MeasureEdge(const ON_Curve& curve, const ON_MeshParameters& mp) {
  const int spans = std::max(1, curve.SpanCount());
  std::vector<double> bounds(spans + 1);
  EdgeMeasure measure;
  if (!curve.GetSpanVector(bounds.data())) {
    // Only the ends, as one span that is never cut.
    EdgeMeasure::Span& span = measure.spans.emplace_back();
    for (int k = 0; k <= kProbes; ++k) {
      span.t[k] = k < kProbes ? curve.Domain()[0] : curve.Domain()[1];
      span.length[k] = 0.0;
    }
    span.end = curve.Domain()[1];
    span.pieces = 1;
    return measure;
  }
  const int degree = std::max(1, curve.Degree());
  measure.spans.resize(spans);
  for (int s = 0; s < spans; ++s) {
    // Probe the span: the running length at each probe, and how far the tangent turns.
    EdgeMeasure::Span& span = measure.spans[s];
    double turn = 0.0;
    ON_3dPoint last_point;
    ON_3dVector last_tangent;
    for (int k = 0; k <= kProbes; ++k) {
      span.t[k] = bounds[s] + (bounds[s + 1] - bounds[s]) * k / kProbes;
      ON_3dPoint p;
      ON_3dVector tangent;
      curve.Ev1Der(span.t[k], p, tangent);
      if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return {};
      span.length[k] = k == 0 ? 0.0 : span.length[k - 1] + p.DistanceTo(last_point);
      if (k > 0) turn += Angle(last_tangent, tangent);
      last_point = p;
      last_tangent = tangent;
    }
    span.end = bounds[s + 1];
    span.pieces = degree > 1 ? degree : 1;
    if (mp.m_refine_angle > 0.0)
      span.pieces = CountWithin(turn / mp.m_refine_angle, 1, kMostEdgePoints);
  }
  return measure;
}

double EdgeMeasure::Length() const {
  double length = 0.0;
  for (const Span& span : spans) length += span.length[kProbes];
  return length;
}

double EdgeMeasure::FixedPoints() const {
  double points = 1.0;
  for (const Span& span : spans) points += span.pieces + 1.0;
  return points;
}

std::vector<double> EdgeParameters(const EdgeMeasure& measure, double target_length) {
  if (measure.spans.empty()) return {};
  std::vector<double> out{measure.spans.front().t[0]};
  for (std::size_t s = 0; s < measure.spans.size() && int(out.size()) < kMostEdgePoints; ++s) {
    const EdgeMeasure::Span& span = measure.spans[s];
    const double* length = span.length;
    int n = span.pieces;
    if (target_length > 0.0) n = CountWithin(length[kProbes] / target_length, n, kMostEdgePoints);
    // Points evenly spaced along the probed polyline, mapped back to parameters linearly.
    int k = 0;
    for (int i = 1; i < n; ++i) {
      const double wanted = length[kProbes] * i / n;
      while (k < kProbes - 1 && length[k + 1] < wanted) ++k;
      const double piece = length[k + 1] - length[k];
      const double x = piece > 0.0 ? (wanted - length[k]) / piece : 0.0;
      out.push_back(span.t[k] + x * (span.t[k + 1] - span.t[k]));
    }
    out.push_back(span.end);
  }
  const double end = measure.spans.back().end;
  if (out.back() != end) out.push_back(end);
  return out;
}

}  // namespace on_detail
