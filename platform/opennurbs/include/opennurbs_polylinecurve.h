// Geometry-library polyline curves: ON_PolylineCurve, straight segments through a list of points
// (the geometry of curve objects; curves have no render mesh).
#pragma once

#include "opennurbs_array.h"
#include "opennurbs_object.h"

class ON_CLASS ON_PolylineCurve : public ON_Geometry {
 public:
  ON_Object* Duplicate() const override { return new ON_PolylineCurve(*this); }
  bool Transform(const ON_Xform& xform) override;
  /// The box of the points; false for a curve without points.
  bool GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox = false,
                           const ON_Xform* xform = nullptr) const override;
  int PointCount() const { return m_pline.Count(); }

  ON_SimpleArray<ON_3dPoint> m_pline;
};
