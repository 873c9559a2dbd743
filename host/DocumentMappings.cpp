#include <cassert>
#include <climits>
#include <set>

#include "DocumentReading.h"

namespace document {

namespace {

// ---- the texture-mapping table

struct MappingType {
  const char* name;
  ON_TextureMapping::TYPE type;
};

constexpr MappingType kMappingTypes[] = {
    {"none", ON_TextureMapping::no_mapping},
    {"surface_parameters", ON_TextureMapping::srfp_mapping},
    {"plane", ON_TextureMapping::plane_mapping},
    {"box", ON_TextureMapping::box_mapping},
    {"cylinder", ON_TextureMapping::cylinder_mapping},
    {"sphere", ON_TextureMapping::sphere_mapping},
};

ON_TextureMapping::TYPE MappingTypeOf(const Node& type) {
  const std::string name = type.text();
  for (const MappingType& known : kMappingTypes)
    if (name == known.name) return known.type;
  type.expected("a mapping type (none, surface_parameters, plane, box, cylinder, sphere)");
}

ON_3dVector Direction(const Node& vector) {
  const ON_3dVector v = ReadVector(vector);
  if (!(v.Length() > 0.0)) vector.expected("a vector that is not zero");
  return v;
}

/// The plane of `origin`, `x_axis` and `y_axis` (world xy by default); y_axis may lean on x_axis,
/// only its part across x_axis counts.
ON_Plane ReadFrame(const Node& mapping) {
  ON_3dPoint origin;
  ON_3dVector x_axis(1, 0, 0), y_axis(0, 1, 0);
  if (auto node = mapping.member("origin")) origin = ReadPoint(*node);
  if (auto node = mapping.member("x_axis")) x_axis = Direction(*node);
  const std::optional<Node> y_node = mapping.member("y_axis");
  if (y_node) y_axis = Direction(*y_node);
  ON_Plane plane;
  if (!plane.CreateFromFrame(origin, x_axis, y_axis)) {
    if (y_node) y_node->expected("a vector that is not parallel to x_axis");
    mapping.fail("x_axis is parallel to the default y_axis [0, 1, 0]: give a y_axis");
  }
  return plane;
}

/// An extent [from, to] along one axis of a plane or box mapping, from < to; [0, 1] by default.
ON_Interval ReadExtent(const Node& mapping, const std::string& key) {
  const std::optional<Node> extent = mapping.member(key);
  if (!extent) return ON_Interval(0, 1);
  if (!extent->isArray() || extent->size() != 2) extent->expected("an extent [from, to]");
  const std::vector<Node> ends = extent->elements();
  const double from = ends[0].finite(), to = ends[1].finite();
  if (!(from < to)) extent->expected("an extent [from, to] with from less than to");
  return ON_Interval(from, to);
}

bool Capped(const Node& mapping) {
  const std::optional<Node> capped = mapping.member("capped");
  return capped && capped->flag();
}

bool ReadPlaneMapping(const Node& mapping, ON_TextureMapping& result) {
  mapping.checkKeys({"name", "type", "origin", "x_axis", "y_axis", "dx", "dy", "dz"});
  return result.SetPlaneMapping(ReadFrame(mapping), ReadExtent(mapping, "dx"),
                                ReadExtent(mapping, "dy"), ReadExtent(mapping, "dz"));
}

bool ReadBoxMapping(const Node& mapping, ON_TextureMapping& result) {
  mapping.checkKeys({"name", "type", "origin", "x_axis", "y_axis", "dx", "dy", "dz", "capped"});
  return result.SetBoxMapping(ReadFrame(mapping), ReadExtent(mapping, "dx"),
                              ReadExtent(mapping, "dy"), ReadExtent(mapping, "dz"),
                              Capped(mapping));
}

bool ReadCylinderMapping(const Node& mapping, ON_TextureMapping& result) {
  mapping.checkKeys({"name", "type", "origin", "x_axis", "y_axis", "radius", "height", "capped"});
  const ON_Plane plane = ReadFrame(mapping);
  const double radius = mapping.required("radius", "the cylinder's radius").positive();
  const Node heightNode = mapping.required("height", "the cylinder's height along its axis");
  const double height = heightNode.finite();
  if (height == 0.0) heightNode.expected("a height that is not 0");
  return result.SetCylinderMapping(ON_Cylinder(ON_Circle(plane, radius), height), Capped(mapping));
}

bool ReadSphereMapping(const Node& mapping, ON_TextureMapping& result) {
  mapping.checkKeys({"name", "type", "center", "radius"});
  ON_3dPoint center;
  if (auto node = mapping.member("center")) center = ReadPoint(*node);
  return result.SetSphereMapping(
      ON_Sphere(center, mapping.required("radius", "the sphere's radius").positive()));
}

ON_TextureMapping ReadTextureMapping(const Node& mapping) {
  if (!mapping.isObject()) mapping.expected("a texture mapping {...}");
  ON_TextureMapping result;
  const ON_TextureMapping::TYPE type = MappingTypeOf(mapping.required("type", "the mapping type"));
  bool made = true;
  switch (type) {
    case ON_TextureMapping::plane_mapping:
      made = ReadPlaneMapping(mapping, result);
      break;
    case ON_TextureMapping::box_mapping:
      made = ReadBoxMapping(mapping, result);
      break;
    case ON_TextureMapping::cylinder_mapping:
      made = ReadCylinderMapping(mapping, result);
      break;
    case ON_TextureMapping::sphere_mapping:
      made = ReadSphereMapping(mapping, result);
      break;
    default:  // a type without a shape
      mapping.checkKeys({"name", "type"});
      result.m_type = type;
  }
  assert(made && "every value was checked before it reached the mapping");
  (void)made;
  if (auto name = mapping.member("name")) result.m_mapping_name = Wide(name->text());
  return result;
}

}  // namespace

NameTable ReadTextureMappings(const Node& mappings, CRhinoDoc& doc) {
  NameTable names{"texture mapping", {}, {}};
  for (const Node& mapping : mappings.elements()) {
    const ON_TextureMapping result = ReadTextureMapping(mapping);
    doc.m_texture_mapping_table.AddTextureMapping(result);
    names.names.emplace_back(ON_String(result.m_mapping_name).Array());
  }
  return names;
}

// ---- an object's mapping channels

void ReadMappingChannels(const Node& channels, const NameTable& mappings, const CRhinoDoc& doc,
                         ON_3dmObjectAttributes& attributes) {
  const std::vector<Node> entries = channels.elements();
  if (entries.empty()) return;
  ON_MappingRef& reference = attributes.m_rendering_attributes.m_mappings.AppendNew();
  std::set<int> used;
  for (const Node& entry : entries) {
    entry.checkKeys({"channel", "mapping"});
    ON_MappingChannel& channel = reference.m_mapping_channels.AppendNew();
    if (auto number = entry.member("channel")) {
      channel.m_mapping_channel_id = number->integer(1, INT_MAX);
      if (!used.insert(channel.m_mapping_channel_id).second)
        number->fail("channel " + std::to_string(channel.m_mapping_channel_id) + " is given twice");
    } else if (!used.insert(channel.m_mapping_channel_id).second) {
      entry.fail("channel 1 (the default) is given twice");
    }
    const int index = Resolve(entry.required("mapping", "the texture mapping, by name or index"),
                              mappings, "channel's texture mapping");
    channel.m_mapping_id = doc.m_texture_mapping_table[index].m_mapping_id;
    channel.m_mapping_index = index;
  }
}

}  // namespace document
