// Surfaces: the plane rectangle and the NURBS surface, with de Boor evaluation.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <vector>

#include "PointBox.h"
#include "opennurbs_surface.h"

namespace {

/// A control point in homogeneous form (x·w, y·w, z·w, w).
struct Homogeneous {
  double x = 0, y = 0, z = 0, w = 0;
  Homogeneous operator*(double s) const { return {x * s, y * s, z * s, w * s}; }
  Homogeneous operator+(const Homogeneous& h) const { return {x + h.x, y + h.y, z + h.z, w + h.w}; }
  ON_3dPoint Euclidean() const { return {x / w, y / w, z / w}; }
};

/// The curve of `order` and `cv_count` control points cvs[0], cvs[stride], ... with the knots
/// (library convention, order + cv_count - 2 of them) at parameter t, by de Boor's algorithm.
Homogeneous DeBoor(int order, int cv_count, const double* knots, const Homogeneous* cvs, int stride,
                   double t) {
  const int degree = order - 1;
  // In the full knot vector U (one more knot at each end) U[m] = knots[m - 1]; the span index s,
  // from degree to cv_count - 1, is the one with U[s] <= t < U[s + 1], the last non-empty span at
  // the domain's end and the end spans outside the domain.
  auto U = [knots](int m) { return knots[m - 1]; };
  int s = degree;
  while (s < cv_count - 1 && U(s + 1) <= t) ++s;
  std::vector<Homogeneous> d(order);
  for (int j = 0; j <= degree; ++j) d[j] = cvs[(j + s - degree) * stride];
  for (int r = 1; r <= degree; ++r)
    for (int j = degree; j >= r; --j) {
      const double lo = U(j + s - degree), hi = U(j + 1 + s - r);
      const double alpha = hi > lo ? (t - lo) / (hi - lo) : 0.0;
      d[j] = d[j - 1] * (1.0 - alpha) + d[j] * alpha;
    }
  return d[degree];
}

}  // namespace

// ---- ON_PlaneSurface

ON_PlaneSurface::ON_PlaneSurface(const ON_3dPoint& origin, const ON_3dVector& x_axis,
                                 const ON_3dVector& y_axis, const ON_Interval& x_extent,
                                 const ON_Interval& y_extent)
    : m_origin(origin), m_x_axis(x_axis), m_y_axis(y_axis), m_extents{x_extent, y_extent} {}

bool ON_PlaneSurface::Transform(const ON_Xform& xform) {
  m_origin.Transform(xform);
  m_x_axis.Transform(xform);
  m_y_axis.Transform(xform);
  return true;
}

bool ON_PlaneSurface::GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox,
                                          const ON_Xform* xform) const {
  auto corner = [this](int i) { return PointAt(m_extents[0][i & 1], m_extents[1][(i >> 1) & 1]); };
  return on_detail::BoxOfPoints(4, corner, box, bGrowBox, xform);
}

ON_3dPoint ON_PlaneSurface::PointAt(double u, double v) const {
  return m_origin + m_x_axis * u + m_y_axis * v;
}

// ---- ON_NurbsSurface

ON_NurbsSurface::ON_NurbsSurface(int dim, bool is_rat, int order0, int order1, int cv_count0,
                                 int cv_count1) {
  Create(dim, is_rat, order0, order1, cv_count0, cv_count1);
}

bool ON_NurbsSurface::Create(int dim, bool is_rat, int order0, int order1, int cv_count0,
                             int cv_count1) {
  *this = ON_NurbsSurface();
  if (dim != 3 || order0 < 2 || order1 < 2 || cv_count0 < order0 || cv_count1 < order1)
    return false;
  m_is_rat = is_rat;
  m_order[0] = order0;
  m_order[1] = order1;
  m_cv_count[0] = cv_count0;
  m_cv_count[1] = cv_count1;
  for (int dir = 0; dir < 2; ++dir) m_knot[dir].SetCount(m_order[dir] + m_cv_count[dir] - 2);
  m_points.SetCount(cv_count0 * cv_count1);
  m_weights.SetCount(cv_count0 * cv_count1);
  for (int k = 0; k < m_weights.Count(); ++k) m_weights[k] = 1.0;
  return true;
}

bool ON_NurbsSurface::Transform(const ON_Xform& xform) {
  const auto& m = xform.m_xform;
  for (int k = 0; k < m_points.Count(); ++k) {
    // The weight scales by the transform's w row, which is 1 for every affine transform.
    const ON_3dPoint& p = m_points[k];
    const double w = m[3][0] * p.x + m[3][1] * p.y + m[3][2] * p.z + m[3][3];
    m_points[k] = xform * p;
    if (w != 0.0 && w != 1.0) m_weights[k] *= w;
  }
  return true;
}

bool ON_NurbsSurface::GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox,
                                          const ON_Xform* xform) const {
  return on_detail::BoxOfPoints(
      m_points.Count(), [this](int k) { return m_points[k]; }, box, bGrowBox, xform);
}

ON_Interval ON_NurbsSurface::Domain(int dir) const {
  dir = dir ? 1 : 0;
  if (m_knot[dir].Count() == 0) return {};
  return {m_knot[dir][m_order[dir] - 2], m_knot[dir][m_cv_count[dir] - 1]};
}

int ON_NurbsSurface::SpanCount(int dir) const {
  dir = dir ? 1 : 0;
  int spans = 0;
  for (int k = m_order[dir] - 2; k < m_cv_count[dir] - 1; ++k)
    if (m_knot[dir][k] < m_knot[dir][k + 1]) ++spans;
  return spans;
}

ON_3dPoint ON_NurbsSurface::PointAt(double u, double v) const {
  assert(m_points.Count() > 0);
  const int n0 = m_cv_count[0], n1 = m_cv_count[1];
  std::vector<Homogeneous> grid(n0 * n1);
  for (int k = 0; k < n0 * n1; ++k) {
    const ON_3dPoint& p = m_points[k];
    const double w = m_weights[k];
    grid[k] = {p.x * w, p.y * w, p.z * w, w};
  }
  // Each row of constant i is a curve in v; their points at v are the control points of the
  // curve in u.
  std::vector<Homogeneous> column(n0);
  for (int i = 0; i < n0; ++i)
    column[i] = DeBoor(m_order[1], n1, m_knot[1].Array(), &grid[i * n1], 1, v);
  return DeBoor(m_order[0], n0, m_knot[0].Array(), column.data(), 1, u).Euclidean();
}

bool ON_NurbsSurface::IsValid() const {
  if (m_points.Count() == 0) return false;
  for (int dir = 0; dir < 2; ++dir) {
    for (int k = 1; k < KnotCount(dir); ++k)
      if (!(m_knot[dir][k - 1] <= m_knot[dir][k])) return false;
    if (!Domain(dir).IsIncreasing()) return false;
  }
  for (int k = 0; k < m_weights.Count(); ++k)
    if (!(m_weights[k] > 0.0)) return false;
  return true;
}

bool ON_NurbsSurface::SetKnot(int dir, int knot_index, double knot_value) {
  dir = dir ? 1 : 0;
  if (knot_index < 0 || knot_index >= KnotCount(dir)) return false;
  m_knot[dir][knot_index] = knot_value;
  return true;
}

bool ON_NurbsSurface::MakeClampedUniformKnotVector(int dir, double delta) {
  dir = dir ? 1 : 0;
  if (KnotCount(dir) == 0 || !(delta > 0.0)) return false;
  // order - 1 knots at 0, then one step per span, then order - 1 knots at the end.
  const int order = m_order[dir];
  for (int k = 0; k < KnotCount(dir); ++k) {
    const int step = std::clamp(k - (order - 2), 0, m_cv_count[dir] - order + 1);
    m_knot[dir][k] = step * delta;
  }
  return true;
}

int ON_NurbsSurface::CVIndex(int i, int j) const {
  if (i < 0 || i >= m_cv_count[0] || j < 0 || j >= m_cv_count[1]) return -1;
  return i * m_cv_count[1] + j;
}

bool ON_NurbsSurface::SetCV(int i, int j, const ON_3dPoint& point) {
  const int k = CVIndex(i, j);
  if (k < 0) return false;
  m_points[k] = point;
  return true;
}

bool ON_NurbsSurface::GetCV(int i, int j, ON_3dPoint& point) const {
  const int k = CVIndex(i, j);
  if (k < 0) return false;
  point = m_points[k];
  return true;
}

bool ON_NurbsSurface::SetWeight(int i, int j, double weight) {
  const int k = CVIndex(i, j);
  if (k < 0 || !(weight > 0.0) || (!m_is_rat && weight != 1.0)) return false;
  m_weights[k] = weight;
  return true;
}

double ON_NurbsSurface::Weight(int i, int j) const {
  const int k = CVIndex(i, j);
  return k < 0 ? 0.0 : m_weights[k];
}
