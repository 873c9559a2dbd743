// Geometry-library planes and the round shapes placed on them: ON_Plane, ON_Circle, ON_Cylinder,
// ON_Sphere. Plain values in document units, owned by whoever holds them.
#pragma once

#include "opennurbs_point.h"

/// An oriented plane: an origin and three unit axes, x and y in the plane and z = x × y.
class ON_CLASS ON_Plane {
 public:
  /// The world xy plane: origin (0, 0, 0), axes (1, 0, 0), (0, 1, 0), (0, 0, 1).
  ON_Plane() = default;
  /// As CreateFromFrame; the world xy plane moved to `origin` when the directions make no frame.
  ON_Plane(const ON_3dPoint& origin, const ON_3dVector& x_dir, const ON_3dVector& y_dir);

  /// The plane through `origin` whose x axis is x_dir made unit and whose y axis is the part of
  /// y_dir perpendicular to x_dir, made unit. False, with the world axes kept, when x_dir is zero
  /// or y_dir is zero or parallel to it.
  bool CreateFromFrame(const ON_3dPoint& origin, const ON_3dVector& x_dir,
                       const ON_3dVector& y_dir);

  const ON_3dPoint& Origin() const { return origin; }
  const ON_3dVector& Xaxis() const { return xaxis; }
  const ON_3dVector& Yaxis() const { return yaxis; }
  const ON_3dVector& Zaxis() const { return zaxis; }
  /// origin + s·xaxis + t·yaxis.
  ON_3dPoint PointAt(double s, double t) const;
  /// origin + s·xaxis + t·yaxis + c·zaxis.
  ON_3dPoint PointAt(double s, double t, double c) const;

  static const ON_Plane World_xy;

  ON_3dPoint origin{0, 0, 0};
  ON_3dVector xaxis{1, 0, 0};
  ON_3dVector yaxis{0, 1, 0};
  ON_3dVector zaxis{0, 0, 1};
};

/// A circle: its plane (the centre is the plane's origin) and its radius.
class ON_CLASS ON_Circle {
 public:
  /// The unit circle in the world xy plane.
  ON_Circle() = default;
  ON_Circle(const ON_Plane& plane_, double radius_) : plane(plane_), radius(radius_) {}
  const ON_3dPoint& Center() const { return plane.origin; }
  double Radius() const { return radius; }

  ON_Plane plane;
  double radius = 1.0;
};

/// A finite cylinder: a base circle swept along its plane's z axis from height[0] to height[1].
class ON_CLASS ON_Cylinder {
 public:
  /// The unit circle with both heights 0 (no extent along the axis).
  ON_Cylinder() = default;
  /// Runs from the circle (height 0) to `height` along the circle plane's z axis.
  ON_Cylinder(const ON_Circle& circle_, double height_) : circle(circle_), height{0.0, height_} {}
  /// The centre of the circle, at height 0: one end of a cylinder whose heights start at 0, not
  /// the middle of its axis.
  const ON_3dPoint& Center() const { return circle.plane.origin; }
  const ON_3dVector& Axis() const { return circle.plane.zaxis; }
  /// height[1] - height[0]; negative when the cylinder runs against its axis.
  double Height() const { return height[1] - height[0]; }

  ON_Circle circle;
  double height[2] = {0.0, 0.0};
};

/// A sphere: its plane (the centre is the plane's origin; the axes orient its parameters) and its
/// radius.
class ON_CLASS ON_Sphere {
 public:
  /// Radius 0 at the world origin.
  ON_Sphere() = default;
  /// The sphere about `center`, oriented like the world axes.
  ON_Sphere(const ON_3dPoint& center, double radius_);
  const ON_3dPoint& Center() const { return plane.origin; }
  double Radius() const { return radius; }

  ON_Plane plane;
  double radius = 0.0;
};
