// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "geometry/ObjectTraversal.h"

#include <cassert>

#include "export/SceneExporter.h"
#include "geometry/BlockInstances.h"
#include "geometry/DocumentWalk.h"
#include "geometry/MeshExport.h"
#include "geometry/OwnedArray.h"
#include "geometry/PassIndex.h"
#include "lighting/Lights.h"
#include "materials/MaterialEquivalence.h"
#include "materials/MaterialSource.h"
#include "plugin/ExportOptions.h"

int commonLayerOf(const ON_SimpleArray<CRhinoObject*>& group) {
  int layer = -1;
  bool first = true;
  for (int i = 0; i < group.Count(); ++i) {
    if (group[i] == nullptr) continue;
    const int own = group[i]->Attributes().m_layer_index;
    if (first) {
      layer = own;
      first = false;
    } else if (own != layer) {
      return -1;
    }
  }
  return layer;
}

ON_Material passMaterial(const CRhinoDoc& doc, int j) {
  if (j >= 0) return doc.m_material_table[j];
  ON_Material material = CRhinoMaterial::DefaultMaterial();
  material.SetMaterialIndex(-1);
  return material;
}

void SceneExporter::exportObjects(int mode) {
  assert(doc != nullptr);
  if (mode == ByObject) {
    CRhinoObjectIterator it = documentWalk(*doc, true);
    for (CRhinoObject* object = it.First(); object != nullptr; object = it.Next()) {
      if (isEligible(*object, selectedOnly)) writer.exportObject(object);
    }
    return;
  }
  if (mode != SingleObject && mode != ByMaterial && mode != ByLayer) return;
  // The passes find their objects in one walk made by the first of them, dropped at the end.
  passIndex.reset();
  struct DropIndex {
    std::unique_ptr<PassIndex>& index;
    ~DropIndex() { index.reset(); }
  } dropIndex{passIndex};

  // Visible lights reach the scene whatever the selection says.
  ON_SimpleArray<const CRhinoLight*> lights;
  collectVisibleLights(*doc, lights);
  for (int i = 0; i < lights.Count(); ++i) writer.exportLight(lights[i]);

  OwnedArray<CRhinoObject> group;
  if (mode == ByLayer) {
    for (int j = 0; j < doc->m_layer_table.LayerCount(); ++j) {
      const CRhinoLayer& layer = doc->m_layer_table[j];
      collectByLayer(layer.LayerIndex(), group);
      writer.exportGroup(group, layer.LayerMaterial().MaterialIndex(), layer.LayerIndex(),
                         layer.LayerName(), nullptr, true);
      group.DeleteAll();
    }
    return;
  }

  QzOrv::IOrvObjectDefinition* single = nullptr;
  for (int j = -1; j < doc->m_material_table.MaterialCount(); ++j) {
    const ON_Material material = passMaterial(*doc, j);
    if (IsMaterialExported(material)) continue;  // an equal material had its pass already
    collectByMaterial(material, group);
    if (group.Count() == 0) continue;
    exportedMaterials.Append(new ON_Material(material));
    const int layer = commonLayerOf(group);
    if (mode == ByMaterial) {
      writer.exportGroup(group, material.MaterialIndex(), layer, nullptr, nullptr, true);
    } else if (QzOrv::IOrvObjectDefinition* extended = writer.exportGroup(
                   group, material.MaterialIndex(), layer, nullptr, single, false)) {
      single = extended;
    }
    group.DeleteAll();
  }
  if (mode == SingleObject && single != nullptr) {
    CRhinoObjectAttributes attributes;
    attributes.SetMaterialSource(ON_3dmObjectAttributes::material_from_object);
    attributes.m_layer_index = -1;
    attributes.m_material_index = -1;
    exportInstance(writer, single, attributes);
  }
}

int SceneExporter::materialIndexOf(const CRhinoObject* object, const int* parentIndex) const {
  assert(object != nullptr);
  // The passes read the layer table itself: they gather objects, and make no scene layer.
  const CRhinoLayerTable& layers = doc->m_layer_table;
  return materialIndexFromSource(object->Attributes(), parentIndex, [&](int layer) {
    return layer >= 0 && layer < layers.LayerCount() ? layers[layer].RenderMaterialIndex() : -1;
  });
}

void SceneExporter::collectByMaterial(const ON_Material& material,
                                      ON_SimpleArray<CRhinoObject*>& group) {
  if (!passIndex) passIndex = std::make_unique<PassIndex>(*this);
  passIndex->collectByMaterial(material, group);
}

void SceneExporter::collectByLayer(int layerIndex, ON_SimpleArray<CRhinoObject*>& group) {
  if (!passIndex) passIndex = std::make_unique<PassIndex>(*this);
  passIndex->collectByLayer(layerIndex, group);
}

QzOrv::IOrvObjectDefinition* SceneWriter::exportGroup(const ON_SimpleArray<CRhinoObject*>& group,
                                                      int materialIndex, int layerIndex,
                                                      const wchar_t* name,
                                                      QzOrv::IOrvObjectDefinition* definition,
                                                      bool place) {
  if (group.Count() == 0) return nullptr;
  OwnedArray<ON_Mesh> meshes;
  for (int i = 0; i < group.Count(); ++i) collectRenderMeshes(group[i], meshes);
  if (meshes.Count() == 0) return nullptr;

  bool pushed = false;
  if (name != nullptr) {
    pushed = pushName(*this, name);
  } else {
    const CRhinoMaterialTable& table = doc->m_material_table;
    const bool named = materialIndex >= 0 && materialIndex < table.MaterialCount() &&
                       table[materialIndex].MaterialName()[0] != L'\0';
    pushed =
        pushName(*this, named ? table[materialIndex].MaterialName() : L"Default material name");
  }

  // A group of one keeps its object's attributes (its name, its texture mappings), but its slot
  // always shows the material the group was gathered by, never one the object's own material
  // source would look up again.
  CRhinoObjectAttributes attributes;
  if (group.Count() == 1 && group[0] != nullptr) attributes = group[0]->Attributes();
  attributes.SetMaterialSource(ON_3dmObjectAttributes::material_from_object);
  attributes.m_layer_index = layerIndex;
  attributes.m_material_index = materialIndex;

  QzOrv::IOrvObjectDefinition* result = exportMeshGroup(*this, meshes, attributes, definition);
  if (result != nullptr && place) exportInstance(*this, result, attributes);
  meshes.DeleteAll();
  if (pushed) popName(*this);
  return result;
}

bool SceneWriter::exportObject(const CRhinoObject* object) {
  assert(object != nullptr);
  if (const CRhinoLight* light = CRhinoLight::Cast(object)) return exportLight(light);
  if (const CRhinoInstanceObject* instance = CRhinoInstanceObject::Cast(object))
    return exportBlockInstance(*this, instance);
  QzOrv::IOrvObjectDefinition* definition = exportObjectMeshes(*this, object);
  if (definition == nullptr) return false;
  exportInstance(*this, definition, object->Attributes());
  return true;
}
