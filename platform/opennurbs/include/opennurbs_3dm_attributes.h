// Geometry-library object attributes: ON_3dmObjectAttributes (name, layer, material and its
// source, visibility mode, rendering attributes with texture-mapping references).
#pragma once

#include "opennurbs_array.h"
#include "opennurbs_string.h"
#include "opennurbs_uuid.h"

/// One texture-mapping channel: the channel number and the id of a document texture mapping.
struct ON_CLASS ON_MappingChannel {
  int m_mapping_channel_id = 1;
  ON_UUID m_mapping_id = ON_nil_uuid;
  /// Where the mapping sat in the document's texture-mapping table when the channel was read
  /// (-1: unknown). A value of the running session, never stored in files; it goes stale when
  /// the table changes, so the id is what identifies the mapping.
  int m_mapping_index = -1;
};

/// The texture-mapping channels an object uses with one render plug-in.
class ON_CLASS ON_MappingRef {
 public:
  ON_UUID m_plugin_id = ON_nil_uuid;
  ON_SimpleArray<ON_MappingChannel> m_mapping_channels;
};

class ON_CLASS ON_ObjectRenderingAttributes {
 public:
  ON_ClassArray<ON_MappingRef> m_mappings;
};

class ON_CLASS ON_3dmObjectAttributes {
 public:
  enum material_source : int {
    material_from_layer = 0,
    material_from_object = 1,
    material_from_parent = 3,
  };
  enum object_mode : int { normal_object = 0, hidden_object = 1, locked_object = 2 };

  virtual ~ON_3dmObjectAttributes() = default;

  material_source MaterialSource() const { return m_material_source; }
  void SetMaterialSource(material_source source) { m_material_source = source; }
  object_mode Mode() const { return m_mode; }
  void SetMode(object_mode mode) { m_mode = mode; }

  ON_UUID m_uuid = ON_nil_uuid;
  ON_wString m_name;
  int m_layer_index = 0;
  int m_material_index = -1;
  ON_ObjectRenderingAttributes m_rendering_attributes;

 private:
  material_source m_material_source = material_from_layer;
  object_mode m_mode = normal_object;
};
