// Geometry-library base classes: ON_Object (anything that can be copied and deleted through its
// base) and ON_Geometry (anything with a bounding box that a transform can move).
#pragma once

#include "opennurbs_point.h"

class ON_CLASS ON_Object {
 public:
  ON_Object() = default;
  ON_Object(const ON_Object&) = default;
  ON_Object& operator=(const ON_Object&) = default;
  virtual ~ON_Object() = default;
  /// A heap copy of the same dynamic type; the caller owns it and deletes it.
  virtual ON_Object* Duplicate() const = 0;
};

class ON_CLASS ON_Geometry : public ON_Object {
 public:
  /// Moves the geometry in place; false when it cannot be transformed.
  virtual bool Transform(const ON_Xform& xform) = 0;
  /// Sets (or, with bGrowBox, grows) box to the exact extent, optionally after xform.
  virtual bool GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox = false,
                                   const ON_Xform* xform = nullptr) const = 0;
};
