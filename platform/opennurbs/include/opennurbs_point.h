// Geometry-library points, vectors, intervals, transforms and boxes: ON_3dPoint, ON_3dVector,
// ON_Interval, ON_Xform, ON_BoundingBox. Plain values in double precision.
#pragma once

#include <cmath>

#include "opennurbs_defines.h"

class ON_Xform;

class ON_CLASS ON_3dVector {
 public:
  double x = 0, y = 0, z = 0;
  ON_3dVector() = default;
  ON_3dVector(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
  static const ON_3dVector XAxis, YAxis, ZAxis;
  double Length() const;
  /// Scales to length 1; false (and unchanged) for the zero vector or a non-finite one.
  bool Unitize();
  ON_3dVector operator+(const ON_3dVector& v) const { return {x + v.x, y + v.y, z + v.z}; }
  ON_3dVector operator-(const ON_3dVector& v) const { return {x - v.x, y - v.y, z - v.z}; }
  ON_3dVector operator*(double s) const { return {x * s, y * s, z * s}; }
  /// Transforms as a vector: the translation part is ignored.
  void Transform(const ON_Xform& xform);
  /// 1 when the two vectors point the same way within angle_tolerance radians, -1 when they
  /// point opposite ways within it, 0 otherwise and whenever either vector has no direction (zero
  /// or not finite).
  int IsParallelTo(const ON_3dVector& other, double angle_tolerance) const;
};

inline double ON_DotProduct(const ON_3dVector& a, const ON_3dVector& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline ON_3dVector ON_CrossProduct(const ON_3dVector& a, const ON_3dVector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

class ON_CLASS ON_3dPoint {
 public:
  double x = 0, y = 0, z = 0;
  ON_3dPoint() = default;
  ON_3dPoint(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
  static const ON_3dPoint Origin;
  ON_3dPoint operator+(const ON_3dVector& v) const { return {x + v.x, y + v.y, z + v.z}; }
  ON_3dPoint operator-(const ON_3dVector& v) const { return {x - v.x, y - v.y, z - v.z}; }
  ON_3dVector operator-(const ON_3dPoint& p) const { return {x - p.x, y - p.y, z - p.z}; }
  bool operator==(const ON_3dPoint& p) const { return x == p.x && y == p.y && z == p.z; }
  double DistanceTo(const ON_3dPoint& p) const;
  /// Transforms as a point (homogeneous, divided by w when w is not 0 or 1).
  void Transform(const ON_Xform& xform);
};

/// A parameter interval [m_t[0], m_t[1]]; increasing when m_t[0] < m_t[1].
class ON_CLASS ON_Interval {
 public:
  double m_t[2] = {0.0, 0.0};
  ON_Interval() = default;
  ON_Interval(double t0, double t1) : m_t{t0, t1} {}
  double operator[](int i) const { return m_t[i]; }
  double Min() const { return m_t[0] < m_t[1] ? m_t[0] : m_t[1]; }
  double Max() const { return m_t[0] < m_t[1] ? m_t[1] : m_t[0]; }
  double Length() const { return m_t[1] - m_t[0]; }
  bool IsIncreasing() const { return m_t[0] < m_t[1]; }
  /// The parameter a fraction x of the way from m_t[0] to m_t[1] (x = 0 and 1 give the ends).
  double ParameterAt(double x) const { return x == 1.0 ? m_t[1] : m_t[0] + x * (m_t[1] - m_t[0]); }
};

/// 4x4 transformation, row-major: m_xform[row][column]; points are column vectors (x' = M p).
class ON_CLASS ON_Xform {
 public:
  double m_xform[4][4];

  /// The zero matrix.
  ON_Xform();
  /// Diagonal (d, d, d, 1); ON_Xform(1) is the identity.
  explicit ON_Xform(int d);
  explicit ON_Xform(double d);

  static const ON_Xform IdentityTransformation;

  /// Makes this the identity.
  void Identity();
  /// Makes this a scale about the origin by the three factors.
  void Scale(double x_scale, double y_scale, double z_scale);
  /// Makes this a translation.
  void Translation(double dx, double dy, double dz);
  /// Makes this a right-handed rotation by angle_radians about the axis (any non-zero length)
  /// through center; the identity for a zero axis.
  void Rotation(double angle_radians, const ON_3dVector& axis, const ON_3dPoint& center);
  /// True when every entry is within zero_tolerance of the identity's (0: exactly).
  bool IsIdentity(double zero_tolerance = 0.0) const;
  /// Matrix product: (A * B) p = A (B p).
  ON_Xform operator*(const ON_Xform& rhs) const;
  ON_3dPoint operator*(const ON_3dPoint& p) const;
  bool operator==(const ON_Xform& rhs) const;
  double* operator[](int row) { return m_xform[row]; }
  const double* operator[](int row) const { return m_xform[row]; }
};

// Inline where a box is grown point by point: Set and IsValid run once for every point.
class ON_CLASS ON_BoundingBox {
 public:
  ON_3dPoint m_min{1, 1, 1}, m_max{-1, -1, -1};  // not valid until set
  ON_BoundingBox() = default;
  ON_BoundingBox(const ON_3dPoint& min, const ON_3dPoint& max) : m_min(min), m_max(max) {}
  /// Finite corners, m_min no greater than m_max in each coordinate.
  bool IsValid() const {
    return std::isfinite(m_min.x) && std::isfinite(m_min.y) && std::isfinite(m_min.z) &&
           std::isfinite(m_max.x) && std::isfinite(m_max.y) && std::isfinite(m_max.z) &&
           m_min.x <= m_max.x && m_min.y <= m_max.y && m_min.z <= m_max.z;
  }
  ON_3dPoint Min() const { return m_min; }
  ON_3dPoint Max() const { return m_max; }
  ON_3dPoint Center() const;
  /// Grows the box to hold p when `grow` is set and the box is valid; otherwise makes it p.
  void Set(const ON_3dPoint& p, bool grow) {
    if (!grow || !IsValid()) {
      m_min = m_max = p;
      return;
    }
    m_min = {std::fmin(m_min.x, p.x), std::fmin(m_min.y, p.y), std::fmin(m_min.z, p.z)};
    m_max = {std::fmax(m_max.x, p.x), std::fmax(m_max.y, p.y), std::fmax(m_max.z, p.z)};
  }
  /// Grows this box to hold the other; an invalid box takes the other's extent.
  bool Union(const ON_BoundingBox& other);
  /// Transforms the eight corners and takes their box.
  bool Transform(const ON_Xform& xform);
};
