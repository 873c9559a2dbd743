// Geometry-library point objects: ON_Point, a single location as geometry (the geometry of point
// and annotation objects).
#pragma once

#include "opennurbs_object.h"

class ON_CLASS ON_Point : public ON_Geometry {
 public:
  ON_Point() = default;
  explicit ON_Point(const ON_3dPoint& p) : point(p) {}
  ON_Object* Duplicate() const override { return new ON_Point(*this); }
  bool Transform(const ON_Xform& xform) override;
  /// The box of the one point.
  bool GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox = false,
                           const ON_Xform* xform = nullptr) const override;

  ON_3dPoint point;
};
