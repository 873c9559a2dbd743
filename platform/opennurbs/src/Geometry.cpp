// Points, vectors, transforms and bounding boxes.
#include <cmath>

#include "opennurbs_point.h"

const ON_3dPoint ON_3dPoint::Origin(0.0, 0.0, 0.0);
const ON_Xform ON_Xform::IdentityTransformation(1);
const ON_3dVector ON_3dVector::XAxis(1.0, 0.0, 0.0);
const ON_3dVector ON_3dVector::YAxis(0.0, 1.0, 0.0);
const ON_3dVector ON_3dVector::ZAxis(0.0, 0.0, 1.0);

double ON_3dVector::Length() const {
  return std::sqrt(x * x + y * y + z * z);
}

bool ON_3dVector::Unitize() {
  const double length = Length();
  if (!(length > 0.0) || !std::isfinite(length)) return false;
  x /= length;
  y /= length;
  z /= length;
  return true;
}

void ON_3dVector::Transform(const ON_Xform& xform) {
  const auto& m = xform.m_xform;
  ON_3dVector v = *this;
  x = m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z;
  y = m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z;
  z = m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z;
}

int ON_3dVector::IsParallelTo(const ON_3dVector& other, double angle_tolerance) const {
  ON_3dVector a = *this, b = other;
  if (!a.Unitize() || !b.Unitize()) return 0;
  const double cosine = ON_DotProduct(a, b), limit = std::cos(angle_tolerance);
  if (cosine >= limit) return 1;
  if (cosine <= -limit) return -1;
  return 0;
}

double ON_3dPoint::DistanceTo(const ON_3dPoint& p) const {
  return (p - *this).Length();
}

void ON_3dPoint::Transform(const ON_Xform& xform) {
  *this = xform * *this;
}

ON_Xform::ON_Xform() : ON_Xform(0.0) {}
ON_Xform::ON_Xform(int d) : ON_Xform(static_cast<double>(d)) {}

ON_Xform::ON_Xform(double d) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) m_xform[i][j] = 0.0;
  m_xform[0][0] = m_xform[1][1] = m_xform[2][2] = d;
  m_xform[3][3] = 1.0;
}

void ON_Xform::Identity() {
  *this = ON_Xform(1.0);
}

void ON_Xform::Scale(double x_scale, double y_scale, double z_scale) {
  Identity();
  m_xform[0][0] = x_scale;
  m_xform[1][1] = y_scale;
  m_xform[2][2] = z_scale;
}

void ON_Xform::Translation(double dx, double dy, double dz) {
  Identity();
  m_xform[0][3] = dx;
  m_xform[1][3] = dy;
  m_xform[2][3] = dz;
}

void ON_Xform::Rotation(double angle_radians, const ON_3dVector& axis, const ON_3dPoint& center) {
  Identity();
  ON_3dVector u = axis;
  if (!u.Unitize()) return;
  // Rodrigues' formula for the 3x3 part, then a translation that keeps the center fixed.
  const double c = std::cos(angle_radians), s = std::sin(angle_radians), t = 1.0 - c;
  const double r[3][3] = {{t * u.x * u.x + c, t * u.x * u.y - s * u.z, t * u.x * u.z + s * u.y},
                          {t * u.x * u.y + s * u.z, t * u.y * u.y + c, t * u.y * u.z - s * u.x},
                          {t * u.x * u.z - s * u.y, t * u.y * u.z + s * u.x, t * u.z * u.z + c}};
  const double p[3] = {center.x, center.y, center.z};
  for (int i = 0; i < 3; ++i) {
    double moved = 0.0;
    for (int j = 0; j < 3; ++j) {
      m_xform[i][j] = r[i][j];
      moved += r[i][j] * p[j];
    }
    m_xform[i][3] = p[i] - moved;
  }
}

bool ON_Xform::IsIdentity(double zero_tolerance) const {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      // Written so that a NaN entry fails the test.
      if (!(std::fabs(m_xform[i][j] - (i == j ? 1.0 : 0.0)) <= zero_tolerance)) return false;
    }
  return true;
}

ON_Xform ON_Xform::operator*(const ON_Xform& rhs) const {
  ON_Xform product;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += m_xform[i][k] * rhs.m_xform[k][j];
      product.m_xform[i][j] = sum;
    }
  return product;
}

ON_3dPoint ON_Xform::operator*(const ON_3dPoint& p) const {
  const auto& m = m_xform;
  double x = m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3];
  double y = m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3];
  double z = m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3];
  double w = m[3][0] * p.x + m[3][1] * p.y + m[3][2] * p.z + m[3][3];
  if (w != 0.0 && w != 1.0) {
    x /= w;
    y /= w;
    z /= w;
  }
  return {x, y, z};
}

bool ON_Xform::operator==(const ON_Xform& rhs) const {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (m_xform[i][j] != rhs.m_xform[i][j]) return false;
  return true;
}

ON_3dPoint ON_BoundingBox::Center() const {
  return {0.5 * (m_min.x + m_max.x), 0.5 * (m_min.y + m_max.y), 0.5 * (m_min.z + m_max.z)};
}

bool ON_BoundingBox::Union(const ON_BoundingBox& other) {
  if (!other.IsValid()) return IsValid();
  if (!IsValid()) {
    *this = other;
    return true;
  }
  Set(other.m_min, true);
  Set(other.m_max, true);
  return true;
}

bool ON_BoundingBox::Transform(const ON_Xform& xform) {
  if (!IsValid()) return false;
  const ON_3dPoint lo = m_min, hi = m_max;
  for (int corner = 0; corner < 8; ++corner) {
    ON_3dPoint p(corner & 1 ? hi.x : lo.x, corner & 2 ? hi.y : lo.y, corner & 4 ? hi.z : lo.z);
    Set(xform * p, corner > 0);
  }
  return IsValid();
}
