// The NURBS curve: control points, knots, weights and evaluation.
#include <algorithm>
#include <cassert>

#include "NurbsBasis.h"
#include "PointBox.h"
#include "opennurbs_nurbscurve.h"

bool ON_Curve::GetSpanVector(double* span_vector) const {
  const int spans = SpanCount();
  if (spans < 1) return false;
  const ON_Interval domain = Domain();
  for (int k = 0; k <= spans; ++k) span_vector[k] = domain.ParameterAt(double(k) / spans);
  return true;
}

ON_NurbsCurve::ON_NurbsCurve(int dim, bool is_rat, int order, int cv_count) {
  Create(dim, is_rat, order, cv_count);
}

bool ON_NurbsCurve::Create(int dim, bool is_rat, int order, int cv_count) {
  *this = ON_NurbsCurve();
  if (dim != 3 || order < 2 || order > on_detail::kMaxOrder || cv_count < order) return false;
  m_is_rat = is_rat;
  m_order = order;
  m_cv_count = cv_count;
  m_knot.SetCount(order + cv_count - 2);
  m_points.SetCount(cv_count);
  m_weights.SetCount(cv_count);
  for (int k = 0; k < cv_count; ++k) m_weights[k] = 1.0;
  return true;
}

bool ON_NurbsCurve::Transform(const ON_Xform& xform) {
  on_detail::TransformControlPoints(xform, m_points, m_weights);
  return true;
}

bool ON_NurbsCurve::GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox,
                                        const ON_Xform* xform) const {
  return on_detail::BoxOfPoints(
      m_points.Count(), [this](int k) { return m_points[k]; }, box, bGrowBox, xform);
}

ON_Interval ON_NurbsCurve::Domain() const {
  if (m_knot.Count() == 0) return {};
  return {m_knot[m_order - 2], m_knot[m_cv_count - 1]};
}

int ON_NurbsCurve::SpanCount() const {
  int spans = 0;
  for (int k = m_order - 2; k < m_cv_count - 1; ++k)
    if (m_knot[k] < m_knot[k + 1]) ++spans;
  return spans;
}

bool ON_NurbsCurve::GetSpanVector(double* span_vector) const {
  if (SpanCount() < 1) return false;
  return on_detail::DistinctKnots(m_order, m_cv_count, m_knot.Array(), span_vector) > 0;
}

ON_3dPoint ON_NurbsCurve::PointAt(double t) const {
  ON_3dPoint point;
  ON_3dVector unused;
  Ev1Der(t, point, unused);
  return point;
}

bool ON_NurbsCurve::Ev1Der(double t, ON_3dPoint& point, ON_3dVector& derivative) const {
  if (m_points.Count() == 0) return false;
  const int span = on_detail::FindSpan(m_order, m_cv_count, m_knot.Array(), t);
  double N[on_detail::kMaxOrder], dN[on_detail::kMaxOrder];
  on_detail::BasisFunctions(m_order, m_knot.Array(), span, t, N, dN);
  // Homogeneous sums: a = sum N w P, w = sum N w, and their derivatives.
  double a[3] = {0, 0, 0}, da[3] = {0, 0, 0}, w = 0.0, dw = 0.0;
  for (int k = 0; k < m_order; ++k) {
    const int i = span - m_order + 1 + k;
    const ON_3dPoint& p = m_points[i];
    const double weight = m_weights[i];
    const double xyz[3] = {p.x * weight, p.y * weight, p.z * weight};
    for (int c = 0; c < 3; ++c) {
      a[c] += N[k] * xyz[c];
      da[c] += dN[k] * xyz[c];
    }
    w += N[k] * weight;
    dw += dN[k] * weight;
  }
  point = {a[0] / w, a[1] / w, a[2] / w};
  // The quotient rule: (a / w)' = (a' - w' (a / w)) / w.
  derivative = {(da[0] - dw * point.x) / w, (da[1] - dw * point.y) / w, (da[2] - dw * point.z) / w};
  return true;
}

bool ON_NurbsCurve::IsValid() const {
  if (m_points.Count() == 0) return false;
  for (int k = 1; k < KnotCount(); ++k)
    if (!(m_knot[k - 1] <= m_knot[k])) return false;
  if (!Domain().IsIncreasing()) return false;
  for (int k = 0; k < m_weights.Count(); ++k)
    if (!(m_weights[k] > 0.0)) return false;
  return true;
}

bool ON_NurbsCurve::SetKnot(int knot_index, double knot_value) {
  if (knot_index < 0 || knot_index >= KnotCount()) return false;
  m_knot[knot_index] = knot_value;
  return true;
}

bool ON_NurbsCurve::MakeClampedUniformKnotVector(double delta) {
  if (KnotCount() == 0 || !(delta > 0.0)) return false;
  for (int k = 0; k < KnotCount(); ++k)
    m_knot[k] = std::clamp(k - (m_order - 2), 0, m_cv_count - m_order + 1) * delta;
  return true;
}

bool ON_NurbsCurve::SetCV(int i, const ON_3dPoint& point) {
  if (i < 0 || i >= m_cv_count) return false;
  m_points[i] = point;
  return true;
}

bool ON_NurbsCurve::GetCV(int i, ON_3dPoint& point) const {
  if (i < 0 || i >= m_cv_count) return false;
  point = m_points[i];
  return true;
}

bool ON_NurbsCurve::SetWeight(int i, double weight) {
  if (i < 0 || i >= m_cv_count || !(weight > 0.0) || (!m_is_rat && weight != 1.0)) return false;
  m_weights[i] = weight;
  return true;
}

double ON_NurbsCurve::Weight(int i) const {
  return i < 0 || i >= m_cv_count ? 0.0 : m_weights[i];
}
