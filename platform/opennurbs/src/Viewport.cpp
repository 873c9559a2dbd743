// Viewports: projection, camera, frustum and its far rectangle.
#include <cmath>
#include <initializer_list>

#include "opennurbs_viewport.h"

namespace {

bool IsFinite(double x) {
  return std::isfinite(x);
}

bool HasDirection(ON_3dVector v) {
  return v.Unitize();
}

}  // namespace

bool ON_Viewport::SetProjection(ON::view_projection projection) {
  if (projection != ON::parallel_view && projection != ON::perspective_view) return false;
  m_projection = projection;
  return true;
}

bool ON_Viewport::SetCameraLocation(const ON_3dPoint& location) {
  if (!IsFinite(location.x) || !IsFinite(location.y) || !IsFinite(location.z)) return false;
  m_location = location;
  return true;
}

bool ON_Viewport::SetCameraDirection(const ON_3dVector& direction) {
  if (!HasDirection(direction)) return false;
  m_direction = direction;
  return true;
}

bool ON_Viewport::SetCameraUp(const ON_3dVector& up) {
  if (!HasDirection(up)) return false;
  m_up = up;
  return true;
}

bool ON_Viewport::SetFrustum(double left, double right, double bottom, double top, double near_dist,
                             double far_dist) {
  for (double x : {left, right, bottom, top, near_dist, far_dist})
    if (!IsFinite(x)) return false;
  if (!(left < right) || !(bottom < top) || !(0.0 < near_dist) || !(near_dist < far_dist))
    return false;
  m_left = left;
  m_right = right;
  m_bottom = bottom;
  m_top = top;
  m_near = near_dist;
  m_far = far_dist;
  return true;
}

void ON_Viewport::GetFrustum(double* left, double* right, double* bottom, double* top,
                             double* near_dist, double* far_dist) const {
  if (left) *left = m_left;
  if (right) *right = m_right;
  if (bottom) *bottom = m_bottom;
  if (top) *top = m_top;
  if (near_dist) *near_dist = m_near;
  if (far_dist) *far_dist = m_far;
}

bool ON_Viewport::GetFarRect(ON_3dPoint& left_bottom, ON_3dPoint& right_bottom,
                             ON_3dPoint& left_top, ON_3dPoint& right_top) const {
  ON_3dVector z = m_direction * -1.0;
  if (!z.Unitize()) return false;
  ON_3dVector y = m_up - z * ON_DotProduct(m_up, z);
  if (!y.Unitize()) return false;
  const ON_3dVector x = ON_CrossProduct(y, z);
  // A perspective frustum widens with distance; a parallel one keeps its size.
  const double widening = m_projection == ON::perspective_view ? m_far / m_near : 1.0;
  const ON_3dPoint centre = m_location - z * m_far;
  auto corner = [&](double u, double v) {
    return centre + x * (u * widening) + y * (v * widening);
  };
  left_bottom = corner(m_left, m_bottom);
  right_bottom = corner(m_right, m_bottom);
  left_top = corner(m_left, m_top);
  right_top = corner(m_right, m_top);
  return true;
}
