// Geometry-library earth anchor point: ON_EarthAnchorPoint, where the model lies on the earth
// (latitude and longitude in degrees), which way its north points, and the place's name.
#pragma once

#include "opennurbs_point.h"
#include "opennurbs_string.h"

/// A plain value. A document whose anchor point was never placed keeps latitude and longitude at
/// ON_UNSET_VALUE; the model's north is +y unless set.
class ON_CLASS ON_EarthAnchorPoint {
 public:
  double m_earth_basepoint_latitude = ON_UNSET_VALUE;   // degrees, north positive
  double m_earth_basepoint_longitude = ON_UNSET_VALUE;  // degrees, east positive
  /// The direction of north in model coordinates; only x and y count.
  ON_3dVector m_model_north{0.0, 1.0, 0.0};
  ON_wString m_name;
};
