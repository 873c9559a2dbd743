// Geometry-library surfaces: ON_Surface (a parametric patch), ON_PlaneSurface (a plane rectangle)
// and ON_NurbsSurface. Breps, which trim surfaces into faces, are in opennurbs_brep.h.
#pragma once

#include "opennurbs_mesh.h"

/// A parametric surface in document units: (u, v) in Domain(0) × Domain(1) maps to a point.
class ON_CLASS ON_Surface : public ON_Geometry {
 public:
  /// The parameter interval of direction dir (0: u, 1: v).
  virtual ON_Interval Domain(int dir) const = 0;
  /// Polynomial degree in direction dir; 1 where the surface is straight.
  virtual int Degree(int dir) const = 0;
  /// Number of non-empty parameter spans in direction dir (at least 1 for a valid surface).
  virtual int SpanCount(int dir) const = 0;
  /// The SpanCount(dir) + 1 parameters where the spans of direction dir start and end, into
  /// span_vector (room for that many). This base splits the domain evenly.
  virtual bool GetSpanVector(int dir, double* span_vector) const;
  /// The point at (u, v); parameters outside the domain extrapolate the end spans.
  virtual ON_3dPoint PointAt(double u, double v) const = 0;
  /// The point and the first partial derivatives along u and v at (u, v); false when the surface
  /// cannot be evaluated. This base estimates the derivatives by central differences; the
  /// library's own surfaces compute them exactly.
  virtual bool Ev1Der(double u, double v, ON_3dPoint& point, ON_3dVector& du,
                      ON_3dVector& dv) const;
  /// True when the two sides at the ends of Domain(dir) coincide, as at a cylinder's seam
  /// (checked at a few points, to a tolerance relative to the surface's size).
  virtual bool IsClosed(int dir) const;
  /// True when a side collapses to one point, as at a sphere's pole. Sides: 0 south (v at its
  /// start), 1 east (u at its end), 2 north (v at its end), 3 west (u at its start).
  virtual bool IsSingular(int side) const;
  /// Approximate width (along u) and height (along v): the longest of a few iso curves in each
  /// direction, measured as fine polylines. Either pointer may be null. False when both sizes are
  /// 0, which they then are.
  virtual bool GetSurfaceSize(double* width, double* height) const;
};

/// The rectangle origin + s·x_axis + t·y_axis for s in the x extent and t in the y extent; the
/// parameters are s and t. The axes are kept as given (a transform may stretch or shear them).
class ON_CLASS ON_PlaneSurface : public ON_Surface {
 public:
  ON_PlaneSurface() = default;
  ON_PlaneSurface(const ON_3dPoint& origin, const ON_3dVector& x_axis, const ON_3dVector& y_axis,
                  const ON_Interval& x_extent, const ON_Interval& y_extent);

  ON_Object* Duplicate() const override { return new ON_PlaneSurface(*this); }
  /// Moves the origin as a point and the axes as vectors (an affine transform keeps it exact).
  bool Transform(const ON_Xform& xform) override;
  /// The box of the four corners.
  bool GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox = false,
                           const ON_Xform* xform = nullptr) const override;
  ON_Interval Domain(int dir) const override { return m_extents[dir ? 1 : 0]; }
  int Degree(int) const override { return 1; }
  int SpanCount(int) const override { return 1; }
  ON_3dPoint PointAt(double u, double v) const override;
  bool Ev1Der(double u, double v, ON_3dPoint& point, ON_3dVector& du,
              ON_3dVector& dv) const override;
  /// Exact: the axis lengths times the extents' lengths.
  bool GetSurfaceSize(double* width, double* height) const override;

  ON_3dPoint m_origin;
  ON_3dVector m_x_axis{1, 0, 0};
  ON_3dVector m_y_axis{0, 1, 0};
  ON_Interval m_extents[2] = {{0, 1}, {0, 1}};
};

/// A tensor-product NURBS surface of any degree, rational or not. Knots follow the library's
/// convention: KnotCount(dir) = Order(dir) + CVCount(dir) - 2 (no end knot beyond the clamp), and
/// the domain is [Knot(dir, Order(dir) - 2), Knot(dir, CVCount(dir) - 1)]. Control points are kept
/// as Euclidean points with a weight each (1 for a non-rational surface).
class ON_CLASS ON_NurbsSurface : public ON_Surface {
 public:
  ON_NurbsSurface() = default;
  /// As Create.
  ON_NurbsSurface(int dim, bool is_rat, int order0, int order1, int cv_count0, int cv_count1);

  /// Makes a surface with the given orders (degree + 1, from 2 to 16) and control point counts
  /// (at least the order): points at the origin, weights 1, knots 0. Only dimension 3 exists.
  /// False, leaving an empty surface, for anything else.
  bool Create(int dim, bool is_rat, int order0, int order1, int cv_count0, int cv_count1);

  ON_Object* Duplicate() const override { return new ON_NurbsSurface(*this); }
  /// Moves every control point (homogeneously, so a projective transform changes the weights).
  bool Transform(const ON_Xform& xform) override;
  /// The box of the control points, which holds the whole surface (not the tightest box).
  bool GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox = false,
                           const ON_Xform* xform = nullptr) const override;
  ON_Interval Domain(int dir) const override;
  int Degree(int dir) const override { return m_order[dir ? 1 : 0] - 1; }
  int SpanCount(int dir) const override;
  /// The distinct knots of the domain.
  bool GetSpanVector(int dir, double* span_vector) const override;
  /// Evaluated from the order(0) × order(1) control points whose basis functions are not zero
  /// at (u, v), so the cost does not grow with the number of control points.
  ON_3dPoint PointAt(double u, double v) const override;
  bool Ev1Der(double u, double v, ON_3dPoint& point, ON_3dVector& du,
              ON_3dVector& dv) const override;

  /// Orders, counts and knots as Create made them; knots non-decreasing with a non-empty domain;
  /// every weight greater than 0.
  bool IsValid() const;
  bool IsRational() const { return m_is_rat; }
  int Order(int dir) const { return m_order[dir ? 1 : 0]; }
  int CVCount(int dir) const { return m_cv_count[dir ? 1 : 0]; }
  int KnotCount(int dir) const { return m_knot[dir ? 1 : 0].Count(); }
  double Knot(int dir, int knot_index) const { return m_knot[dir ? 1 : 0][knot_index]; }
  /// False for a bad index.
  bool SetKnot(int dir, int knot_index, double knot_value);
  /// Clamped knots with spans of length delta: order - 1 equal knots at each end.
  bool MakeClampedUniformKnotVector(int dir, double delta = 1.0);

  /// Control point (i, j), i along u and j along v; false for a bad index.
  bool SetCV(int i, int j, const ON_3dPoint& point);
  bool GetCV(int i, int j, ON_3dPoint& point) const;
  /// Weight of control point (i, j). Only a rational surface takes weights other than 1; false
  /// for a bad index or a weight that is not greater than 0.
  bool SetWeight(int i, int j, double weight);
  double Weight(int i, int j) const;

 private:
  int CVIndex(int i, int j) const;
  /// The point, and the derivatives when both pointers are given.
  bool Evaluate(double u, double v, ON_3dPoint& point, ON_3dVector* du, ON_3dVector* dv) const;

  bool m_is_rat = false;
  int m_order[2] = {0, 0};
  int m_cv_count[2] = {0, 0};
  ON_SimpleArray<double> m_knot[2];
  ON_SimpleArray<ON_3dPoint> m_points;  // i * CVCount(1) + j
  ON_SimpleArray<double> m_weights;     // same layout
};
