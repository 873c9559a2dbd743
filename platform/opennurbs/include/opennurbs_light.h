// Geometry-library lights: ON_Light, a light's kind, colour, location, direction, spot angle and
// intensities, in document units.
#pragma once

#include "opennurbs_material.h"
#include "opennurbs_object.h"

class ON_CLASS ON_Light : public ON_Geometry {
 public:
  enum light_style : int {
    unknown_light_style = 0,
    world_directional_light = 6,
    world_point_light = 7,
    world_spot_light = 8,
    world_linear_light = 10,
    world_rectangular_light = 11,
  };

  ON_Object* Duplicate() const override { return new ON_Light(*this); }
  /// Moves the location as a point and the direction as a vector.
  bool Transform(const ON_Xform& xform) override;
  /// The box of the location.
  bool GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox = false,
                           const ON_Xform* xform = nullptr) const override;

  light_style Style() const { return m_style; }
  bool IsPointLight() const { return m_style == world_point_light; }
  bool IsDirectionalLight() const { return m_style == world_directional_light; }
  bool IsSpotLight() const { return m_style == world_spot_light; }
  bool IsLinearLight() const { return m_style == world_linear_light; }
  bool IsRectangularLight() const { return m_style == world_rectangular_light; }

  ON_Color Diffuse() const { return m_diffuse; }
  ON_3dPoint Location() const { return m_location; }
  ON_3dVector Direction() const { return m_direction; }
  double SpotAngleRadians() const { return m_spot_angle_radians; }
  double Intensity() const { return m_intensity; }
  double ShadowIntensity() const { return m_shadow_intensity; }

  light_style m_style = world_point_light;
  ON_Color m_diffuse{255, 255, 255};
  ON_3dPoint m_location;
  ON_3dVector m_direction{0, 0, -1};
  double m_spot_angle_radians = 0.7853981633974483;  // 45 degrees
  double m_intensity = 1.0;
  double m_shadow_intensity = 1.0;
  ON_wString m_light_name;
};
