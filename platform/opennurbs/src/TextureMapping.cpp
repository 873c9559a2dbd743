// Texture mappings: setting and reading back the shape of each mapping type.
#include <cmath>

#include "opennurbs_texture_mapping.h"

namespace {

bool IsExtent(const ON_Interval& interval) {
  return std::isfinite(interval[0]) && std::isfinite(interval[1]) && interval[0] != interval[1];
}

bool IsSize(double size) {
  return std::isfinite(size) && size != 0.0;
}

}  // namespace

bool ON_TextureMapping::SetPlaneMapping(const ON_Plane& plane, const ON_Interval& dx,
                                        const ON_Interval& dy, const ON_Interval& dz) {
  if (!IsExtent(dx) || !IsExtent(dy) || !IsExtent(dz)) return false;
  m_type = plane_mapping;
  m_plane = plane;
  m_dx = dx;
  m_dy = dy;
  m_dz = dz;
  return true;
}

bool ON_TextureMapping::SetBoxMapping(const ON_Plane& plane, const ON_Interval& dx,
                                      const ON_Interval& dy, const ON_Interval& dz, bool bCapped) {
  if (!SetPlaneMapping(plane, dx, dy, dz)) return false;
  m_type = box_mapping;
  m_bCapped = bCapped;
  return true;
}

bool ON_TextureMapping::SetCylinderMapping(const ON_Cylinder& cylinder, bool bCapped) {
  if (!IsSize(cylinder.circle.radius) || !IsSize(cylinder.Height())) return false;
  m_type = cylinder_mapping;
  m_cylinder = cylinder;
  m_bCapped = bCapped;
  return true;
}

bool ON_TextureMapping::SetSphereMapping(const ON_Sphere& sphere) {
  if (!(sphere.radius > 0.0) || !std::isfinite(sphere.radius)) return false;
  m_type = sphere_mapping;
  m_sphere = sphere;
  return true;
}

bool ON_TextureMapping::GetMappingPlane(ON_Plane& plane, ON_Interval& dx, ON_Interval& dy,
                                        ON_Interval& dz) const {
  if (m_type != plane_mapping) return false;
  plane = m_plane;
  dx = m_dx;
  dy = m_dy;
  dz = m_dz;
  return true;
}

bool ON_TextureMapping::GetMappingBox(ON_Plane& plane, ON_Interval& dx, ON_Interval& dy,
                                      ON_Interval& dz) const {
  if (m_type != box_mapping) return false;
  plane = m_plane;
  dx = m_dx;
  dy = m_dy;
  dz = m_dz;
  return true;
}

bool ON_TextureMapping::GetMappingCylinder(ON_Cylinder& cylinder) const {
  if (m_type != cylinder_mapping) return false;
  cylinder = m_cylinder;
  return true;
}

bool ON_TextureMapping::GetMappingSphere(ON_Sphere& sphere) const {
  if (m_type != sphere_mapping) return false;
  sphere = m_sphere;
  return true;
}
