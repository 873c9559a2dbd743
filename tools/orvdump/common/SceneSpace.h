// Vectors of scene space (centimetres, Z up) and the conversions orvdump's glTF export and
// preview share: to glTF space (metres, Y up), to camera frames, and of colour bytes to linear.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>

#include "orv/ORV6.h"

namespace QzOrv::scene {

struct Vec3 {
  double x = 0, y = 0, z = 0;

  Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  Vec3 operator*(double s) const { return {x * s, y * s, z * s}; }
  Vec3 operator-() const { return {-x, -y, -z}; }
};

inline Vec3 toVec3(const OrvPoint& p) {
  return {p.x, p.y, p.z};
}
inline double dot(const Vec3& a, const Vec3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(const Vec3& v) {
  return std::sqrt(dot(v, v));
}
inline bool isFinite(const Vec3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}
/// `v` scaled to length 1, or nothing when it has no usable direction (zero, tiny or not finite).
std::optional<Vec3> normalized(const Vec3& v);

/// An axis-aligned box in scene units; empty until a point is added.
struct Bounds {
  Vec3 min{HUGE_VAL, HUGE_VAL, HUGE_VAL};
  Vec3 max{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};

  bool empty() const { return min.x > max.x; }
  void add(const Vec3& p);
  Vec3 centre() const { return (min + max) * 0.5; }
  /// Half the diagonal: the radius of a sphere about centre() holding the box.
  double radius() const { return length(max - min) * 0.5; }
  /// Corner `index` (0 to 7): bit 0 picks max.x over min.x, bit 1 max.y, bit 2 max.z.
  Vec3 corner(int index) const {
    return {index & 1 ? max.x : min.x, index & 2 ? max.y : min.y, index & 4 ? max.z : min.z};
  }
};

/// The orientation of an eye looking from `eye` at `target` with the scene's Z up (or Y up when
/// it looks straight up or down), turned by `rollDegrees` about the line of sight: the camera's
/// right, up and back axes (it looks along -back). Nothing when eye and target coincide or are
/// not finite.
struct CameraFrame {
  Vec3 right, up, back;
};
std::optional<CameraFrame> lookAt(const Vec3& eye, const Vec3& target, double rollDegrees = 0);

/// A camera's frame is the host's 36 × 24 mm film frame: its lens's focal length sets the
/// vertical angle of view across the 24 mm height, as the host's own perspective views do
/// (a 50 mm lens sees 2 atan(12 / 50) = 27.0° vertically); the width follows the picture.
/// The frame's width over its height, the aspect a glTF camera is given.
constexpr double kCameraFrameAspect = 36.0 / 24.0;
/// The tangent of half the vertical angle of view of a camera whose lens has `focal`
/// millimetres (50 mm when unset, not finite or not above 0) on the 24 mm high frame.
double halfViewTangent(const std::optional<double>& focal);

// glTF space: metres, Y up, right-handed. Scene X stays X, scene Z (up) becomes Y and scene Y
// becomes -Z: a quarter turn about X, with centimetres divided by 100.

/// A scene direction turned into glTF axes, length unchanged.
inline Vec3 gltfDirection(const Vec3& v) {
  return {v.x, v.z, -v.y};
}
/// A scene point in glTF space (metres).
inline Vec3 gltfPoint(const Vec3& p) {
  return gltfDirection(p) * 0.01;
}
/// The unit quaternion (x, y, z, w) that turns glTF's camera and light axes (right +X, up +Y,
/// back +Z) onto `frame`, given in scene axes.
std::array<double, 4> gltfRotation(const CameraFrame& frame);

/// A colour byte as sRGB-encoded, turned into linear intensity from 0 to 1.
double linearFromSrgb(std::uint8_t value);

}  // namespace QzOrv::scene
