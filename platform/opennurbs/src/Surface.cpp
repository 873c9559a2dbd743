// Surfaces: the plane rectangle and the NURBS surface, evaluated from their basis functions.
#include <algorithm>
#include <cassert>
#include <cmath>

#include "NurbsBasis.h"
#include "PointBox.h"
#include "opennurbs_surface.h"

namespace {

/// A tolerance for comparing points of a surface: a tiny fraction of its box.
double PointTolerance(const ON_Surface& surface) {
  ON_BoundingBox box;
  if (!surface.GetTightBoundingBox(box)) return 0.0;
  return 1e-9 * std::max(1.0, box.m_min.DistanceTo(box.m_max));
}

}  // namespace

// ---- ON_Surface

bool ON_Surface::GetSpanVector(int dir, double* span_vector) const {
  const int spans = SpanCount(dir);
  if (spans < 1) return false;
  const ON_Interval domain = Domain(dir);
  for (int k = 0; k <= spans; ++k) span_vector[k] = domain.ParameterAt(double(k) / spans);
  return true;
}

bool ON_Surface::Ev1Der(double u, double v, ON_3dPoint& point, ON_3dVector& du,
                        ON_3dVector& dv) const {
  const ON_Interval domain[2] = {Domain(0), Domain(1)};
  const double h[2] = {1e-6 * domain[0].Length(), 1e-6 * domain[1].Length()};
  if (!(h[0] > 0.0) || !(h[1] > 0.0)) return false;
  point = PointAt(u, v);
  du = (PointAt(u + h[0], v) - PointAt(u - h[0], v)) * (0.5 / h[0]);
  dv = (PointAt(u, v + h[1]) - PointAt(u, v - h[1])) * (0.5 / h[1]);
  return true;
}

bool ON_Surface::IsClosed(int dir) const {
  dir = dir ? 1 : 0;
  const ON_Interval along = Domain(dir), across = Domain(1 - dir);
  const double tolerance = PointTolerance(*this);
  for (double x : {0.0, 0.25, 0.5, 0.75, 1.0}) {
    const double t = across.ParameterAt(x);
    const ON_3dPoint a = dir == 0 ? PointAt(along[0], t) : PointAt(t, along[0]);
    const ON_3dPoint b = dir == 0 ? PointAt(along[1], t) : PointAt(t, along[1]);
    if (!(a.DistanceTo(b) <= tolerance)) return false;
  }
  return true;
}

bool ON_Surface::IsSingular(int side) const {
  if (side < 0 || side > 3) return false;
  // South and north run along u at a fixed v; east and west along v at a fixed u.
  const int along = side % 2 == 0 ? 0 : 1;
  const ON_Interval fixed = Domain(1 - along), running = Domain(along);
  const double at = side == 0 || side == 3 ? fixed[0] : fixed[1];
  auto point = [&](double x) {
    const double t = running.ParameterAt(x);
    return along == 0 ? PointAt(t, at) : PointAt(at, t);
  };
  const double tolerance = PointTolerance(*this);
  const ON_3dPoint first = point(0.0);
  for (double x : {0.25, 0.5, 0.75, 1.0})
    if (!(first.DistanceTo(point(x)) <= tolerance)) return false;
  return true;
}

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

bool ON_PlaneSurface::Ev1Der(double u, double v, ON_3dPoint& point, ON_3dVector& du,
                             ON_3dVector& dv) const {
  point = PointAt(u, v);
  du = m_x_axis;
  dv = m_y_axis;
  return true;
}

// ---- ON_NurbsSurface

ON_NurbsSurface::ON_NurbsSurface(int dim, bool is_rat, int order0, int order1, int cv_count0,
                                 int cv_count1) {
  Create(dim, is_rat, order0, order1, cv_count0, cv_count1);
}

bool ON_NurbsSurface::Create(int dim, bool is_rat, int order0, int order1, int cv_count0,
                             int cv_count1) {
  *this = ON_NurbsSurface();
  if (dim != 3 || order0 < 2 || order1 < 2 || order0 > on_detail::kMaxOrder ||
      order1 > on_detail::kMaxOrder || cv_count0 < order0 || cv_count1 < order1)
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
  on_detail::TransformControlPoints(xform, m_points, m_weights);
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

bool ON_NurbsSurface::GetSpanVector(int dir, double* span_vector) const {
  dir = dir ? 1 : 0;
  if (SpanCount(dir) < 1) return false;
  return on_detail::DistinctKnots(m_order[dir], m_cv_count[dir], m_knot[dir].Array(), span_vector) >
         0;
}

ON_3dPoint ON_NurbsSurface::PointAt(double u, double v) const {
  ON_3dPoint point;
  Evaluate(u, v, point, nullptr, nullptr);
  return point;
}

bool ON_NurbsSurface::Ev1Der(double u, double v, ON_3dPoint& point, ON_3dVector& du,
                             ON_3dVector& dv) const {
  return Evaluate(u, v, point, &du, &dv);
}

bool ON_NurbsSurface::Evaluate(double u, double v, ON_3dPoint& point, ON_3dVector* du,
                               ON_3dVector* dv) const {
  if (m_points.Count() == 0) return false;
  using on_detail::kMaxOrder;
  const bool derivatives = du && dv;
  const int span_u = on_detail::FindSpan(m_order[0], m_cv_count[0], m_knot[0].Array(), u);
  const int span_v = on_detail::FindSpan(m_order[1], m_cv_count[1], m_knot[1].Array(), v);
  double Nu[kMaxOrder], dNu[kMaxOrder], Nv[kMaxOrder], dNv[kMaxOrder];
  on_detail::BasisFunctions(m_order[0], m_knot[0].Array(), span_u, u, Nu,
                            derivatives ? dNu : nullptr);
  on_detail::BasisFunctions(m_order[1], m_knot[1].Array(), span_v, v, Nv,
                            derivatives ? dNv : nullptr);
  // Homogeneous sums (x w, y w, z w, w) of the point and of its two partial derivatives.
  double s[4] = {0, 0, 0, 0}, su[4] = {0, 0, 0, 0}, sv[4] = {0, 0, 0, 0};
  for (int k = 0; k < m_order[0]; ++k) {
    const int first = (span_u - m_order[0] + 1 + k) * m_cv_count[1] + span_v - m_order[1] + 1;
    const ON_3dPoint* p = m_points.Array() + first;
    const double* w = m_weights.Array() + first;
    // The row's sums along v first, then weighted by the u basis.
    double row[4] = {0, 0, 0, 0}, row_v[4] = {0, 0, 0, 0};
    for (int l = 0; l < m_order[1]; ++l) {
      const double h[4] = {p[l].x * w[l], p[l].y * w[l], p[l].z * w[l], w[l]};
      for (int c = 0; c < 4; ++c) row[c] += Nv[l] * h[c];
      if (derivatives)
        for (int c = 0; c < 4; ++c) row_v[c] += dNv[l] * h[c];
    }
    for (int c = 0; c < 4; ++c) s[c] += Nu[k] * row[c];
    if (derivatives)
      for (int c = 0; c < 4; ++c) {
        su[c] += dNu[k] * row[c];
        sv[c] += Nu[k] * row_v[c];
      }
  }
  const double w = s[3];
  point = {s[0] / w, s[1] / w, s[2] / w};
  if (derivatives) {
    // The quotient rule: (a / w)' = (a' - w' (a / w)) / w.
    *du = {(su[0] - su[3] * point.x) / w, (su[1] - su[3] * point.y) / w,
           (su[2] - su[3] * point.z) / w};
    *dv = {(sv[0] - sv[3] * point.x) / w, (sv[1] - sv[3] * point.y) / w,
           (sv[2] - sv[3] * point.z) / w};
  }
  return true;
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
