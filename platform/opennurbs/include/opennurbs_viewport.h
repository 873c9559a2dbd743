// Geometry-library viewports: ON_Viewport, a camera (location, direction, up) with its viewing
// frustum, parallel or perspective, in document units; and the far rectangle the frustum ends in.
#pragma once

#include "opennurbs_point.h"
#include "opennurbs_uuid.h"

/// A camera and its frustum. The camera frame: z points back along the viewing direction, y is
/// the up vector made perpendicular to it, x = y × z. The frustum is given in that frame at the
/// near plane (left < right, bottom < top) with the distances of the near and far planes
/// (0 < near < far) along the viewing direction. A new viewport is a parallel view looking down
/// -z from (0, 0, 100) with y up and a frustum of 20 by 20, near 1, far 1000.
class ON_CLASS ON_Viewport {
 public:
  ON::view_projection Projection() const { return m_projection; }
  /// False, and unchanged, for unknown_view.
  bool SetProjection(ON::view_projection projection);
  bool IsParallelProjection() const { return m_projection == ON::parallel_view; }
  bool IsPerspectiveProjection() const { return m_projection == ON::perspective_view; }

  ON_3dPoint CameraLocation() const { return m_location; }
  /// The viewing direction as it was set (not normalised).
  ON_3dVector CameraDirection() const { return m_direction; }
  ON_3dVector CameraUp() const { return m_up; }
  /// False, and unchanged, for a point that is not finite.
  bool SetCameraLocation(const ON_3dPoint& location);
  /// False, and unchanged, for a vector without a direction (zero length or not finite). The up
  /// vector may be set parallel to the direction; the camera frame is then undefined until one
  /// of them changes (GetFarRect says so).
  bool SetCameraDirection(const ON_3dVector& direction);
  bool SetCameraUp(const ON_3dVector& up);

  /// False, and unchanged, unless every value is finite, left < right, bottom < top and
  /// 0 < near_dist < far_dist.
  bool SetFrustum(double left, double right, double bottom, double top, double near_dist,
                  double far_dist);
  /// Any pointer may be null.
  void GetFrustum(double* left, double* right, double* bottom, double* top, double* near_dist,
                  double* far_dist) const;
  /// right - left and top - bottom, at the near plane.
  double FrustumWidth() const { return m_right - m_left; }
  double FrustumHeight() const { return m_top - m_bottom; }

  /// The corners of the rectangle where the frustum meets the far plane, in world coordinates:
  /// the near rectangle pushed out to the far plane, and for a perspective view also widened by
  /// far / near. False, with the corners unchanged, when the up vector is parallel to the
  /// direction (no camera frame).
  bool GetFarRect(ON_3dPoint& left_bottom, ON_3dPoint& right_bottom, ON_3dPoint& left_top,
                  ON_3dPoint& right_top) const;

  /// Identifies the viewport among the document's views; nil until the host gives one.
  ON_UUID ViewportId() const { return m_viewport_id; }
  void SetViewportId(const ON_UUID& id) { m_viewport_id = id; }

 private:
  ON::view_projection m_projection = ON::parallel_view;
  ON_3dPoint m_location{0.0, 0.0, 100.0};
  ON_3dVector m_direction{0.0, 0.0, -1.0};
  ON_3dVector m_up{0.0, 1.0, 0.0};
  double m_left = -10.0, m_right = 10.0, m_bottom = -10.0, m_top = 10.0;
  double m_near = 1.0, m_far = 1000.0;
  ON_UUID m_viewport_id = ON_nil_uuid;
};
