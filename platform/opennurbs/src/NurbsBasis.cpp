// B-spline basis functions and their derivatives by the Cox-de Boor recursion, on one span.
#include "NurbsBasis.h"

#include <algorithm>

namespace on_detail {

int FindSpan(int order, int cv_count, const double* knots, double t) {
  const int degree = order - 1;
  // In the full knot vector U (one more knot at each end) U(m) = knots[m - 1]; span s covers
  // [U(s), U(s + 1)). Counting the knots U(degree + 1) ... U(cv_count - 1) that are <= t finds it.
  const double* first = knots + degree;
  const double* last = knots + cv_count - 1;
  int s = degree + static_cast<int>(std::upper_bound(first, last, t) - first);
  while (s > degree && !(knots[s - 1] < knots[s])) --s;  // empty spans at the domain's end
  return s;
}

void BasisFunctions(int order, const double* knots, int span, double t, double* N, double* dN) {
  assert(order >= 2 && order <= kMaxOrder);
  const int degree = order - 1;
  auto U = [knots](int m) { return knots[m - 1]; };
  double left[kMaxOrder], right[kMaxOrder];
  N[0] = 1.0;
  for (int j = 1; j <= degree; ++j) {
    if (j == degree && dN) {
      // N holds the degree - 1 functions of the span here; each degree function's derivative is
      // a difference of two of them.
      for (int k = 0; k <= degree; ++k) {
        const int i = span - degree + k;
        double d = 0.0;
        if (k >= 1 && U(i + degree) > U(i)) d += N[k - 1] / (U(i + degree) - U(i));
        if (k < degree && U(i + degree + 1) > U(i + 1)) d -= N[k] / (U(i + degree + 1) - U(i + 1));
        dN[k] = degree * d;
      }
    }
    left[j] = t - U(span + 1 - j);
    right[j] = U(span + j) - t;
    double saved = 0.0;
    for (int r = 0; r < j; ++r) {
      const double denominator = right[r + 1] + left[j - r];
      const double temp = denominator != 0.0 ? N[r] / denominator : 0.0;
      N[r] = saved + right[r + 1] * temp;
      saved = left[j - r] * temp;
    }
    N[j] = saved;
  }
  if (degree == 0 && dN) dN[0] = 0.0;
}

int DistinctKnots(int order, int cv_count, const double* knots, double* out) {
  int count = 0;
  for (int k = order - 2; k < cv_count; ++k)
    if (count == 0 || knots[k] > out[count - 1]) out[count++] = knots[k];
  return count;
}

void TransformControlPoints(const ON_Xform& xform, ON_SimpleArray<ON_3dPoint>& points,
                            ON_SimpleArray<double>& weights) {
  const auto& m = xform.m_xform;
  for (int k = 0; k < points.Count(); ++k) {
    const ON_3dPoint& p = points[k];
    const double w = m[3][0] * p.x + m[3][1] * p.y + m[3][2] * p.z + m[3][3];
    points[k] = xform * p;
    if (w != 0.0 && w != 1.0) weights[k] *= w;
  }
}

}  // namespace on_detail
