// Planes, circles, cylinders and spheres.
#include <cmath>

#include "opennurbs_plane.h"

namespace {

ON_3dVector Cross(const ON_3dVector& a, const ON_3dVector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double Dot(const ON_3dVector& a, const ON_3dVector& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

}  // namespace

const ON_Plane ON_Plane::World_xy;

ON_Plane::ON_Plane(const ON_3dPoint& origin_, const ON_3dVector& x_dir, const ON_3dVector& y_dir) {
  if (!CreateFromFrame(origin_, x_dir, y_dir)) origin = origin_;
}

bool ON_Plane::CreateFromFrame(const ON_3dPoint& origin_, const ON_3dVector& x_dir,
                               const ON_3dVector& y_dir) {
  ON_3dVector x = x_dir;
  if (!x.Unitize()) return false;
  // Only the part of y_dir across x counts, so a slanted y still gives a right-angled frame.
  ON_3dVector y = y_dir - x * Dot(y_dir, x);
  if (!y.Unitize()) return false;
  ON_3dVector z = Cross(x, y);
  if (!z.Unitize()) return false;
  origin = origin_;
  xaxis = x;
  yaxis = y;
  zaxis = z;
  return true;
}

ON_3dPoint ON_Plane::PointAt(double s, double t) const {
  return origin + xaxis * s + yaxis * t;
}

ON_3dPoint ON_Plane::PointAt(double s, double t, double c) const {
  return origin + xaxis * s + yaxis * t + zaxis * c;
}

ON_Sphere::ON_Sphere(const ON_3dPoint& center, double radius_) : radius(radius_) {
  plane.origin = center;
}
