// B-spline basis functions over knot vectors in the library's convention (no end knot beyond the
// clamp), shared by the NURBS curve and surface evaluators.
#pragma once

#include <cassert>

#include "opennurbs_array.h"
#include "opennurbs_point.h"

namespace on_detail {

/// Highest order evaluated (degree 15); documents allow degree 11 at most.
constexpr int kMaxOrder = 16;

/// The span of parameter t among the order + cv_count - 2 knots: the index s, from order - 1 to
/// cv_count - 1, of the basis functions s - order + 1 ... s that are not zero at t. Parameters
/// before the domain take the first span, after it the last; the domain's end takes the last
/// non-empty span.
int FindSpan(int order, int cv_count, const double* knots, double t);

/// The order basis functions of span s at t in N[0 .. order - 1], and their first derivatives in
/// dN when it is not null.
void BasisFunctions(int order, const double* knots, int span, double t, double* N, double* dN);

/// Writes the distinct knots of the domain, from its start to its end, into out (room for the
/// span count + 1 of them); returns how many there are.
int DistinctKnots(int order, int cv_count, const double* knots, double* out);

/// Moves control points by xform; each weight scales by the transform's w row at its point,
/// which is 1 (no change) for every affine transform.
void TransformControlPoints(const ON_Xform& xform, ON_SimpleArray<ON_3dPoint>& points,
                            ON_SimpleArray<double>& weights);

}  // namespace on_detail
