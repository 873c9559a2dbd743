// Geometry-library curves: ON_Curve (a parametric curve in space) and ON_NurbsCurve, the
// non-uniform rational B-spline curve that brep edges are made of.
#pragma once

#include "opennurbs_array.h"
#include "opennurbs_object.h"

/// A parametric curve in document units: t in Domain() maps to a point.
class ON_CLASS ON_Curve : public ON_Geometry {
 public:
  virtual ON_Interval Domain() const = 0;
  virtual int Degree() const = 0;
  /// Number of non-empty parameter spans (at least 1 for a valid curve).
  virtual int SpanCount() const = 0;
  /// The SpanCount() + 1 parameters where the spans start and end, into span_vector (room for
  /// that many). This base splits the domain evenly.
  virtual bool GetSpanVector(double* span_vector) const;
  /// The point at t; parameters outside the domain extrapolate the end spans.
  virtual ON_3dPoint PointAt(double t) const = 0;
  /// The point and the first derivative at t. False when the curve cannot be evaluated.
  virtual bool Ev1Der(double t, ON_3dPoint& point, ON_3dVector& derivative) const = 0;
  /// Start and end points.
  ON_3dPoint PointAtStart() const { return PointAt(Domain()[0]); }
  ON_3dPoint PointAtEnd() const { return PointAt(Domain()[1]); }
};

/// A NURBS curve of any degree, rational or not. Knots follow the library's convention:
/// KnotCount() = Order() + CVCount() - 2, and the domain is [Knot(Order() - 2), Knot(CVCount() -
/// 1)]. Control points are kept as Euclidean points with a weight each (1 when not rational).
class ON_CLASS ON_NurbsCurve : public ON_Curve {
 public:
  ON_NurbsCurve() = default;
  /// As Create.
  ON_NurbsCurve(int dim, bool is_rat, int order, int cv_count);

  /// Makes a curve with the given order (degree + 1, at least 2) and control point count (at least
  /// the order): points at the origin, weights 1, knots 0. Only dimension 3 exists. False, leaving
  /// an empty curve, for anything else.
  bool Create(int dim, bool is_rat, int order, int cv_count);

  ON_Object* Duplicate() const override { return new ON_NurbsCurve(*this); }
  /// Moves every control point (homogeneously, so a projective transform changes the weights).
  bool Transform(const ON_Xform& xform) override;
  /// The box of the control points, which holds the whole curve.
  bool GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox = false,
                           const ON_Xform* xform = nullptr) const override;
  ON_Interval Domain() const override;
  int Degree() const override { return m_order - 1; }
  int SpanCount() const override;
  /// The distinct knots of the domain.
  bool GetSpanVector(double* span_vector) const override;
  /// Evaluated from the order basis functions that are not zero at t.
  ON_3dPoint PointAt(double t) const override;
  bool Ev1Der(double t, ON_3dPoint& point, ON_3dVector& derivative) const override;

  /// Order, count and knots as Create made them; knots non-decreasing with a non-empty domain;
  /// every weight greater than 0.
  bool IsValid() const;
  bool IsRational() const { return m_is_rat; }
  int Order() const { return m_order; }
  int CVCount() const { return m_cv_count; }
  int KnotCount() const { return m_knot.Count(); }
  double Knot(int knot_index) const { return m_knot[knot_index]; }
  /// False for a bad index.
  bool SetKnot(int knot_index, double knot_value);
  /// Clamped knots with spans of length delta: order - 1 equal knots at each end.
  bool MakeClampedUniformKnotVector(double delta = 1.0);

  /// False for a bad index.
  bool SetCV(int i, const ON_3dPoint& point);
  bool GetCV(int i, ON_3dPoint& point) const;
  /// Only a rational curve takes weights other than 1; false for a bad index or a weight that is
  /// not greater than 0.
  bool SetWeight(int i, double weight);
  double Weight(int i) const;

 private:
  bool m_is_rat = false;
  int m_order = 0;
  int m_cv_count = 0;
  ON_SimpleArray<double> m_knot;
  ON_SimpleArray<ON_3dPoint> m_points;
  ON_SimpleArray<double> m_weights;
};
