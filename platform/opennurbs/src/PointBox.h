// Bounding boxes of point sets, shared by the geometry classes whose box is that of their points
// (mesh vertices, control points, polyline points).
#pragma once

#include "opennurbs_point.h"

namespace on_detail {

/// Sets box (or grows it, with grow and a valid box) to the box of count points, each taken by
/// point(i) and moved by xform when one is given. False, with box unchanged, when count is 0.
template <class PointAt>
bool BoxOfPoints(int count, PointAt point, ON_BoundingBox& box, bool grow, const ON_Xform* xform) {
  if (count <= 0) return false;
  bool started = grow && box.IsValid();
  for (int i = 0; i < count; ++i) {
    ON_3dPoint p = point(i);
    if (xform) p = *xform * p;
    box.Set(p, started);
    started = true;
  }
  return true;
}

}  // namespace on_detail
