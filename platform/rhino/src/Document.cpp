// The document and its material and layer tables.
#include <cassert>
#include <unordered_set>
#include <vector>

#include "rhinoSdkDoc.h"

const CRhinoMaterial& CRhinoMaterial::DefaultMaterial() {
  static const CRhinoMaterial material = [] {
    CRhinoMaterial m;
    m.SetMaterialIndex(-1);
    return m;
  }();
  return material;
}

int CRhinoMaterialTable::MaterialCount() const {
  return m_materials.Count();
}

const CRhinoMaterial& CRhinoMaterialTable::operator[](int i) const {
  assert(i >= 0 && i < MaterialCount());
  return m_materials[i];
}

int CRhinoMaterialTable::AddMaterial(const ON_Material& material) {
  CRhinoMaterial& row = m_materials.AppendNew();
  static_cast<ON_Material&>(row) = material;
  row.SetMaterialIndex(m_materials.Count() - 1);
  return row.MaterialIndex();
}

int CRhinoLayerTable::LayerCount() const {
  return m_layers.Count();
}

const CRhinoLayer& CRhinoLayerTable::operator[](int i) const {
  assert(i >= 0 && i < LayerCount());
  return m_layers[i];
}

int CRhinoLayerTable::AddLayer(const ON_Layer& layer) {
  CRhinoLayer& row = m_layers.AppendNew();
  static_cast<ON_Layer&>(row) = layer;
  row.SetLayerIndex(m_layers.Count() - 1);
  row.m_material_table = m_material_table;
  if (ON_UuidIsNil(row.m_layer_id)) ON_CreateUuid(row.m_layer_id);
  m_index_of_id.emplace(row.m_layer_id, row.LayerIndex());
  return row.LayerIndex();
}

int CRhinoLayerTable::FindLayerFromId(const ON_UUID& layer_id) const {
  const auto found = m_index_of_id.find(layer_id);
  return found != m_index_of_id.end() ? found->second : -1;
}

bool CRhinoLayerTable::GetLayerPathName(int layer_index, ON_wString& layer_path_name) const {
  layer_path_name.Empty();
  if (layer_index < 0 || layer_index >= LayerCount()) return false;
  // Walk up through the parents; a missing parent ends the path, and so does a layer seen
  // before (a cycle), so damaged tables still give a finite name.
  // The layers seen are kept as a set of the chain alone: a path costs time in its depth, not in
  // the table's size.
  std::vector<int> chain{layer_index};
  std::unordered_set<int> seen{layer_index};
  for (;;) {
    const ON_UUID& parent_id = m_layers[chain.back()].m_parent_layer_id;
    if (ON_UuidIsNil(parent_id)) break;
    const int parent = FindLayerFromId(parent_id);
    if (parent < 0 || !seen.insert(parent).second) break;
    chain.push_back(parent);
  }
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (it != chain.rbegin()) layer_path_name += L"::";
    layer_path_name += m_layers[*it].LayerName();
  }
  return true;
}

int CRhinoLayerTable::DefaultLayerIndex() {
  if (LayerCount() == 0) {
    ON_Layer layer;
    layer.SetLayerName(L"Default");
    AddLayer(layer);
  }
  return 0;
}

void CRhinoLayerTable::PlaceOnExistingLayer(CRhinoObject& object) {
  const int index = object.Attributes().m_layer_index;
  if (index >= 0 && index < LayerCount()) return;
  CRhinoObjectAttributes attributes = object.Attributes();
  attributes.m_layer_index = DefaultLayerIndex();
  object.SetAttributes(attributes);
}

CRhinoDoc::CRhinoDoc() {
  m_layer_table.m_material_table = &m_material_table;
  m_instance_definition_table.m_doc = this;
  m_instance_definition_table.m_layer_table = &m_layer_table;
}
CRhinoDoc::~CRhinoDoc() = default;
