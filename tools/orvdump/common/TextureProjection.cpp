#include "common/TextureProjection.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace QzOrv::scene {
namespace {

constexpr double kDefaultRepeat = 100;  // centimetres

double positiveOr(double value, double fallback) {
  return std::isfinite(value) && value > 0 ? value : fallback;
}

std::optional<TextureProjection> planarOrBox(const Material& material) {
  TextureProjection projection;
  if (material.textureSize) {
    projection.width = positiveOr(material.textureSize->width, kDefaultRepeat);
    projection.height = positiveOr(material.textureSize->height, kDefaultRepeat);
  } else {
    projection.width = projection.height = kDefaultRepeat;
  }
  if (material.mappingFrame) {
    const Frame& frame = *material.mappingFrame;
    projection.origin = toVec3(frame.point);
    const std::optional<Vec3> x = normalized(toVec3(frame.xAxis));
    const std::optional<Vec3> y = normalized(toVec3(frame.yAxis));
    if (x && y && normalized(cross(*x, *y))) {
      // The frame gives only the plane's directions: one repeat is the texture size, as for
      // the box.
      projection.kind = TextureProjection::Kind::planar;
      projection.u = *x * (1 / projection.width);
      projection.v = *y * (1 / projection.height);
      return projection;
    }
  }
  projection.kind = TextureProjection::Kind::box;
  if (!isFinite(projection.origin)) projection.origin = {};
  return projection;
}

std::optional<TextureProjection> spherical(const Frame& frame) {
  const std::optional<Vec3> x = normalized(toVec3(frame.xAxis));
  const std::optional<Vec3> pole = normalized(cross(toVec3(frame.xAxis), toVec3(frame.yAxis)));
  if (!x || !pole || !isFinite(toVec3(frame.point))) return std::nullopt;
  // The left edge runs at right angles to the pole.
  const std::optional<Vec3> edge = normalized(*x - *pole * dot(*x, *pole));
  if (!edge) return std::nullopt;
  return TextureProjection{TextureProjection::Kind::spherical, toVec3(frame.point), *edge, *pole};
}

std::optional<TextureProjection> cylindrical(const Frame& frame) {
  const Vec3 axis = toVec3(frame.yAxis);
  const std::optional<Vec3> direction = normalized(axis);
  if (!direction || !isFinite(toVec3(frame.point))) return std::nullopt;
  const Vec3 radial = toVec3(frame.xAxis);
  const std::optional<Vec3> edge = normalized(radial - *direction * dot(radial, *direction));
  if (!edge) return std::nullopt;
  return TextureProjection{TextureProjection::Kind::cylindrical, toVec3(frame.point), *edge,
                           axis * (1 / dot(axis, axis))};
}

/// Turn about `axis` from `edge` to `d`, counter-clockwise seen from the axis's tip, as a
/// fraction of a full turn from 0 up to 1.
double turn(const Vec3& d, const Vec3& edge, const Vec3& axis) {
  const Vec3 side = cross(axis, edge);
  const double fraction = std::atan2(dot(d, side), dot(d, edge)) / (2 * std::numbers::pi);
  return fraction < 0 ? fraction + 1 : fraction;
}

}  // namespace

std::optional<TextureProjection> projectionOf(const Material& material) {
  if (!material.mappingKind) return std::nullopt;
  switch (*material.mappingKind) {
    case 0:
      return planarOrBox(material);
    case 3:
      if (material.mappingFrame) return spherical(*material.mappingFrame);
      return std::nullopt;
    case 5:
      if (material.mappingFrame) return cylindrical(*material.mappingFrame);
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

int faceKey(const TextureProjection& projection, const Vec3& normal) {
  if (projection.kind != TextureProjection::Kind::box) return 0;
  const double x = std::abs(normal.x), y = std::abs(normal.y), z = std::abs(normal.z);
  if (z >= x && z >= y) return 2;
  return x >= y ? 0 : 1;
}

int triangleKey(const TextureProjection& projection, const std::array<Vec3, 3>& corners) {
  if (projection.kind == TextureProjection::Kind::box)
    return faceKey(projection, cross(corners[1] - corners[0], corners[2] - corners[0]));
  if (projection.kind == TextureProjection::Kind::planar) return 0;
  double low = 1, high = 0;
  for (const Vec3& corner : corners) {
    const double u = textureCoordinates(projection, corner, 0)[0];
    low = std::min(low, u);
    high = std::max(high, u);
  }
  return high - low > 0.5 ? 1 : 0;
}

std::array<float, 2> textureCoordinates(const TextureProjection& projection, const Vec3& p,
                                        int key) {
  const Vec3 d = p - projection.origin;
  double s = 0, t = 0;
  switch (projection.kind) {
    case TextureProjection::Kind::box: {
      const double across = key == 0 ? d.y : d.x;
      const double up = key == 2 ? d.y : d.z;
      s = across / projection.width;
      t = -up / projection.height;
      break;
    }
    case TextureProjection::Kind::planar:
      s = dot(d, projection.u);
      t = -dot(d, projection.v);
      break;
    case TextureProjection::Kind::spherical: {
      s = turn(d, projection.u, projection.v);
      const double size = length(d);
      t = size > 0
              ? std::acos(std::clamp(dot(d, projection.v) / size, -1.0, 1.0)) / std::numbers::pi
              : 0.5;
      break;
    }
    case TextureProjection::Kind::cylindrical:
      s = turn(d, projection.u, *normalized(projection.v));
      t = -dot(d, projection.v);
      break;
  }
  const bool round = projection.kind == TextureProjection::Kind::spherical ||
                     projection.kind == TextureProjection::Kind::cylindrical;
  if (round && key == 1 && s < 0.5) s += 1;
  return {static_cast<float>(s), static_cast<float>(t)};
}

}  // namespace QzOrv::scene
