// Geometry whose box is that of a few points: point objects, polylines and lights.
#include "PointBox.h"
#include "opennurbs_light.h"
#include "opennurbs_pointgeometry.h"
#include "opennurbs_polylinecurve.h"

bool ON_Point::Transform(const ON_Xform& xform) {
  point.Transform(xform);
  return true;
}

bool ON_Point::GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox,
                                   const ON_Xform* xform) const {
  return on_detail::BoxOfPoints(
      1, [this](int) { return point; }, box, bGrowBox, xform);
}

bool ON_PolylineCurve::Transform(const ON_Xform& xform) {
  for (int i = 0; i < PointCount(); ++i) m_pline[i].Transform(xform);
  return true;
}

bool ON_PolylineCurve::GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox,
                                           const ON_Xform* xform) const {
  return on_detail::BoxOfPoints(
      PointCount(), [this](int i) { return m_pline[i]; }, box, bGrowBox, xform);
}

bool ON_Light::Transform(const ON_Xform& xform) {
  m_location.Transform(xform);
  m_direction.Transform(xform);
  return true;
}

bool ON_Light::GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox,
                                   const ON_Xform* xform) const {
  return on_detail::BoxOfPoints(
      1, [this](int) { return m_location; }, box, bGrowBox, xform);
}
