// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "materials/TextureMapping.h"

namespace {

QzOrv::OrvPoint orvPoint(const ON_3dPoint& p) {
  return {p.x, p.y, p.z};
}

QzOrv::OrvPoint orvPoint(const ON_3dVector& v) {
  return {v.x, v.y, v.z};
}

constexpr QzOrv::OrvPoint kOrigin{0, 0, 0};
constexpr QzOrv::OrvPoint kUp{0, 0, 1};

void sendResetOrigin(QzOrv::IOrvMaterial& material) {
  material.setMappingOrigin(&kOrigin, &kUp, &kUp);
}

void sendFrame(QzOrv::IOrvMaterial& material, const QzOrv::OrvPoint& point,
               const QzOrv::OrvPoint& xAxis, const QzOrv::OrvPoint& yAxis) {
  material.setMappingFrame(&point, &xAxis, &yAxis);
}

// The surface's size in centimetres, when the object is one surface that can tell it.
bool surfaceSize(const CRhinoObject* object, double scale, double& width, double& height) {
  if (object == nullptr) return false;
  const CRhinoObjRef reference(object);
  const ON_Surface* surface = reference.Surface();
  if (surface == nullptr || !surface->GetSurfaceSize(&width, &height)) return false;
  width *= scale;
  height *= scale;
  return true;
}

// One mapping's projection. The shape queries' results are not needed: a failed one leaves the
// host's default shape, whose values are then sent.
void project(QzOrv::IOrvMaterial& material, const ON_TextureMapping& mapping) {
  switch (mapping.m_type) {
    case ON_TextureMapping::no_mapping:
      material.setMappingKind(-1);
      break;
    case ON_TextureMapping::plane_mapping: {
      ON_Plane plane;
      ON_Interval dx, dy, dz;
      mapping.GetMappingPlane(plane, dx, dy, dz);
      sendFrame(material, kOrigin, orvPoint(plane.Xaxis()), orvPoint(plane.Yaxis()));
      break;
    }
    case ON_TextureMapping::cylinder_mapping: {
      ON_Cylinder cylinder;
      mapping.GetMappingCylinder(cylinder);
      material.setMappingKind(5);
      const ON_Plane& base = cylinder.circle.plane;
      sendFrame(material, orvPoint(cylinder.Center()),
                orvPoint(base.Xaxis() * cylinder.circle.Radius()),
                orvPoint(base.Zaxis() * cylinder.Height()));
      break;
    }
    case ON_TextureMapping::sphere_mapping: {
      ON_Sphere sphere;
      mapping.GetMappingSphere(sphere);
      material.setMappingKind(3);
      const double r = sphere.Radius();
      sendFrame(material, orvPoint(sphere.Center()), {r, 0, 0}, {0, r, 0});
      break;
    }
    case ON_TextureMapping::box_mapping: {
      ON_Plane plane;
      ON_Interval dx, dy, dz;
      mapping.GetMappingBox(plane, dx, dy, dz);
      const ON_3dVector u = plane.PointAt(dx.Max(), 0, 0) - plane.Origin();
      const ON_3dVector v = plane.PointAt(0, dy.Max(), 0) - plane.Origin();
      material.setMappingKind(0);
      sendFrame(material, kOrigin, orvPoint(u), orvPoint(v));
      break;
    }
    default:
      break;  // not a projection the scene knows
  }
}

}  // namespace

void placeImageTexture(QzOrv::IOrvMaterial& material, const ON_BoundingBox& box,
                       const CRhinoObject* object, const ON_Xform& unitTransform) {
  const ON_3dPoint min = box.Min(), max = box.Max();
  double width = 0.0, height = 0.0;
  bool sized = false;
  if (surfaceSize(object, unitTransform[0][0], width, height)) {
    material.setTextureSize(height, width);
    sized = width > 0.0 && height > 0.0;
  }
  if (!sized) {
    // The box is in scene units already.
    const double boxHeight = ON_3dPoint(0, min.y, min.z).DistanceTo(ON_3dPoint(0, max.y, max.z));
    const double boxWidth = ON_3dPoint(min.x, 0, min.z).DistanceTo(ON_3dPoint(max.x, 0, max.z));
    material.setTextureSize(boxHeight, boxWidth);
  }
  sendResetOrigin(material);
  sendFrame(material, orvPoint(box.Center()), kUp, kUp);
}

void projectMappingChannels(QzOrv::IOrvMaterial& material, const ON_3dmObjectAttributes& attributes,
                            const CRhinoDoc* doc) {
  const ON_ClassArray<ON_MappingRef>& references = attributes.m_rendering_attributes.m_mappings;
  const ON_MappingRef* first = references.Count() > 0 ? &references[0] : nullptr;
  if (doc == nullptr || first == nullptr) return;
  material.setMappingKind(0);
  const CRhinoTextureMappingTable& table = doc->m_texture_mapping_table;
  for (int i = 0; i < first->m_mapping_channels.Count(); ++i) {
    const ON_MappingChannel& channel = first->m_mapping_channels[i];
    ON_TextureMapping mapping;
    const bool found = table.GetTextureMapping(channel, mapping) ||
                       table.GetTextureMapping(channel.m_mapping_id, mapping);
    sendResetOrigin(material);
    if (found) project(material, mapping);
  }
}
