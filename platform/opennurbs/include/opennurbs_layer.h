// Geometry-library layers: ON_Layer, one row of a document's layer table (name, parent,
// visibility, render material).
#pragma once

#include "opennurbs_material.h"

class ON_CLASS ON_Layer {
 public:
  ON_Layer() = default;
  virtual ~ON_Layer() = default;
  int LayerIndex() const { return m_layer_index; }
  void SetLayerIndex(int index) { m_layer_index = index; }
  const wchar_t* LayerName() const { return m_name; }  // never null
  void SetLayerName(const wchar_t* name) { m_name = name; }
  /// -1 when the layer has no render material.
  int RenderMaterialIndex() const { return m_material_index; }
  void SetRenderMaterialIndex(int index) { m_material_index = index; }
  bool IsVisible() const { return m_bVisible; }
  void SetVisible(bool visible) { m_bVisible = visible; }
  bool IsLocked() const { return m_bLocked; }
  void SetLocked(bool locked) { m_bLocked = locked; }
  ON_UUID m_layer_id = ON_nil_uuid;
  ON_UUID m_parent_layer_id = ON_nil_uuid;  // nil for a top-level layer

 private:
  int m_layer_index = -1;
  ON_wString m_name;
  int m_material_index = -1;
  bool m_bVisible = true;
  bool m_bLocked = false;
};
