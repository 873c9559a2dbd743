#include "common/SceneSpace.h"

#include <algorithm>
#include <numbers>

namespace QzOrv::scene {

std::optional<Vec3> normalized(const Vec3& v) {
  const double size = length(v);
  if (!std::isfinite(size) || size < 1e-12) return std::nullopt;
  return v * (1.0 / size);
}

void Bounds::add(const Vec3& p) {
  min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
  max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
}

std::optional<CameraFrame> lookAt(const Vec3& eye, const Vec3& target, double rollDegrees) {
  if (!isFinite(eye) || !isFinite(target)) return std::nullopt;
  const std::optional<Vec3> back = normalized(eye - target);
  if (!back) return std::nullopt;
  // Looking (nearly) straight up or down, Z cannot be "up": the picture's top is then +Y.
  const Vec3 worldUp = std::abs(back->z) > 0.9999 ? Vec3{0, 1, 0} : Vec3{0, 0, 1};
  const Vec3 right = *normalized(cross(worldUp, *back));
  const Vec3 up = cross(*back, right);
  const double roll = std::isfinite(rollDegrees) ? rollDegrees * std::numbers::pi / 180 : 0;
  const double c = std::cos(roll), s = std::sin(roll);
  return CameraFrame{right * c + up * s, up * c - right * s, *back};
}

double halfViewTangent(const std::optional<double>& focal) {
  constexpr double kDefaultFocal = 50, kFrameHeight = 24;  // millimetres
  const double f = focal && std::isfinite(*focal) && *focal > 0 ? *focal : kDefaultFocal;
  return kFrameHeight / 2 / f;
}

std::array<double, 4> gltfRotation(const CameraFrame& frame) {
  // The rotation matrix has the glTF axes of right, up and back as its columns.
  const Vec3 c0 = gltfDirection(frame.right), c1 = gltfDirection(frame.up),
             c2 = gltfDirection(frame.back);
  const double m00 = c0.x, m10 = c0.y, m20 = c0.z;
  const double m01 = c1.x, m11 = c1.y, m21 = c1.z;
  const double m02 = c2.x, m12 = c2.y, m22 = c2.z;
  double x, y, z, w;
  const double trace = m00 + m11 + m22;
  if (trace > 0) {
    const double s = 2 * std::sqrt(trace + 1);
    w = s / 4;
    x = (m21 - m12) / s;
    y = (m02 - m20) / s;
    z = (m10 - m01) / s;
  } else if (m00 > m11 && m00 > m22) {
    const double s = 2 * std::sqrt(1 + m00 - m11 - m22);
    w = (m21 - m12) / s;
    x = s / 4;
    y = (m01 + m10) / s;
    z = (m02 + m20) / s;
  } else if (m11 > m22) {
    const double s = 2 * std::sqrt(1 + m11 - m00 - m22);
    w = (m02 - m20) / s;
    x = (m01 + m10) / s;
    y = s / 4;
    z = (m12 + m21) / s;
  } else {
    const double s = 2 * std::sqrt(1 + m22 - m00 - m11);
    w = (m10 - m01) / s;
    x = (m02 + m20) / s;
    y = (m12 + m21) / s;
    z = s / 4;
  }
  const double size = std::sqrt(x * x + y * y + z * z + w * w);
  return {x / size, y / size, z / size, w / size};
}

double linearFromSrgb(std::uint8_t value) {
  const double c = value / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

}  // namespace QzOrv::scene
