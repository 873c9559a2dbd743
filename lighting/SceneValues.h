// SceneValues: host points and numbers on their way into the scene's lights, heliodon, views and
// cameras. Owns the rule that the scene never receives a value that is not finite.
#pragma once

#include <cmath>

#include "orv/ORV6.h"
#include "plugin/stdafx.h"

/// `x`, or `fallback` when `x` is not finite (not a number, or infinite after an overflow).
inline double finiteOr(double x, double fallback) {
  return std::isfinite(x) ? x : fallback;
}

/// `point`, or `fallback` when one of its coordinates is not finite: a target that cannot be
/// computed falls back to its eye, an eye to the origin.
inline ON_3dPoint finiteOr(const ON_3dPoint& point, const ON_3dPoint& fallback) {
  return std::isfinite(point.x) && std::isfinite(point.y) && std::isfinite(point.z) ? point
                                                                                    : fallback;
}

/// The scene form of a point (already in centimetres).
inline QzOrv::OrvPoint toOrvPoint(const ON_3dPoint& point) {
  return {point.x, point.y, point.z};
}

/// Document space to the scene: `block` (the placement of the enclosing block instances, null
/// outside them), then `unitTransform`.
inline ON_Xform sceneFromDocument(const ON_Xform& unitTransform, const ON_Xform* block) {
  return block != nullptr ? unitTransform * *block : unitTransform;
}
