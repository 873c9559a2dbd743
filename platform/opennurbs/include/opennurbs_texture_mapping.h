// Geometry-library texture mappings: ON_TextureMapping, how texture coordinates are projected
// onto an object (plane, box, cylinder, sphere). Plain values held by the document's table.
#pragma once

#include "opennurbs_plane.h"
#include "opennurbs_string.h"
#include "opennurbs_uuid.h"

/// One texture mapping: an id that objects' mapping channels refer to, a name, a type and the
/// shape of that type, in document units.
class ON_CLASS ON_TextureMapping {
 public:
  enum TYPE : unsigned int {
    no_mapping = 0,
    srfp_mapping = 1,  // the surface's own parameters
    plane_mapping = 2,
    cylinder_mapping = 3,
    sphere_mapping = 4,
    box_mapping = 5,
    mesh_mapping_primitive = 6,
    srf_mapping_primitive = 7,
    brep_mapping_primitive = 8,
  };

  virtual ~ON_TextureMapping() = default;

  /// Makes this a plane mapping: the plane and the extents along its x, y and z axes. False
  /// (nothing changed) when an extent is empty or not finite.
  bool SetPlaneMapping(const ON_Plane& plane, const ON_Interval& dx, const ON_Interval& dy,
                       const ON_Interval& dz);
  /// Makes this a box mapping: the box spanned by the extents along the plane's axes; with
  /// bCapped its top and bottom are mapped too. False (nothing changed) as SetPlaneMapping.
  bool SetBoxMapping(const ON_Plane& plane, const ON_Interval& dx, const ON_Interval& dy,
                     const ON_Interval& dz, bool bCapped);
  /// Makes this a cylinder mapping (bCapped: the ends are mapped too). False (nothing changed)
  /// for a radius or height that is 0 or not finite.
  bool SetCylinderMapping(const ON_Cylinder& cylinder, bool bCapped);
  /// Makes this a sphere mapping. False (nothing changed) for a radius that is not greater than
  /// 0 or not finite.
  bool SetSphereMapping(const ON_Sphere& sphere);

  /// The shape of a mapping of the matching type (GetMappingPlane: plane mappings, GetMappingBox:
  /// box mappings). False, with the outputs unchanged, for a mapping of another type.
  bool GetMappingPlane(ON_Plane& plane, ON_Interval& dx, ON_Interval& dy, ON_Interval& dz) const;
  bool GetMappingBox(ON_Plane& plane, ON_Interval& dx, ON_Interval& dy, ON_Interval& dz) const;
  bool GetMappingCylinder(ON_Cylinder& cylinder) const;
  bool GetMappingSphere(ON_Sphere& sphere) const;

  ON_UUID m_mapping_id = ON_nil_uuid;
  ON_wString m_mapping_name;
  TYPE m_type = no_mapping;
  /// Box and cylinder mappings: whether the caps are mapped.
  bool m_bCapped = false;

 private:
  ON_Plane m_plane;
  ON_Interval m_dx{0, 1}, m_dy{0, 1}, m_dz{0, 1};
  ON_Cylinder m_cylinder;
  ON_Sphere m_sphere;
};
