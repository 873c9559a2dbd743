// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "geometry/PassIndex.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "export/SceneExporter.h"
#include "geometry/DocumentWalk.h"
#include "materials/MaterialEquivalence.h"

namespace {

// Moves a duplicate's geometry from block definition space into model space; false when it has
// no geometry to move.
bool moveIntoPlace(CRhinoObject& duplicate, const ON_Xform& xform) {
  const ON_Geometry* geometry = duplicate.Geometry();
  if (geometry == nullptr) return false;
  // The duplicate is ours, so its geometry may be moved in place.
  const_cast<ON_Geometry*>(geometry)->Transform(xform);
  return true;
}

}  // namespace

// Adds the objects of a block instance with their placements; each takes its parent's material
// from the instance holding it, which takes its own from its parent in turn.
struct PassIndex::BlockEntries {
  PassIndex& index;
  std::vector<int> instanceMaterials;  // of the instances being walked, outermost first

  const int* parentMaterial() const {
    return instanceMaterials.empty() ? nullptr : &instanceMaterials.back();
  }
  void enterBlock(const CRhinoInstanceObject& instance, const CRhinoInstanceDefinition&,
                  const ON_Xform&) {
    instanceMaterials.push_back(index.m_exporter.materialIndexOf(&instance, parentMaterial()));
  }
  void placed(const CRhinoObject& object, const ON_Xform& placement) {
    index.add(object, &placement, index.m_exporter.materialIndexOf(&object, parentMaterial()));
  }
  void leaveBlock() { instanceMaterials.pop_back(); }
};

PassIndex::PassIndex(const SceneExporter& exporter) : m_exporter(exporter) {
  CRhinoObjectIterator it = documentWalk(*exporter.doc, false);
  BlockEntries blocks{*this, {}};
  for (const CRhinoObject* object = it.First(); object != nullptr; object = it.Next()) {
    if (!isEligible(*object, exporter.selectedOnly)) continue;
    if (const CRhinoInstanceObject* instance = CRhinoInstanceObject::Cast(object))
      walkBlockInstance(*instance, nullptr, blocks);
    else
      add(*object, nullptr, exporter.materialIndexOf(object, nullptr));
  }
}

void PassIndex::add(const CRhinoObject& object, const ON_Xform* placement, int material) {
  int placementIndex = -1;
  if (placement != nullptr) {
    // The objects of one block instance follow each other and share its placement.
    if (m_placements.empty() ||
        std::memcmp(&m_placements.back(), placement, sizeof(ON_Xform)) != 0) {
      m_placements.push_back(*placement);
    }
    placementIndex = static_cast<int>(m_placements.size()) - 1;
  }
  const int position = static_cast<int>(m_entries.size());
  m_entries.push_back(Entry{&object, placementIndex, material});

  std::vector<int>& sameMaterial = m_byMaterial[material];
  if (sameMaterial.empty()) {
    const CRhinoMaterialTable& table = m_exporter.doc->m_material_table;
    if (material >= 0 && material < table.MaterialCount())
      m_tableIndicesByName[table[material].MaterialName()].push_back(material);
    else
      m_indicesOutsideTable.push_back(material);
  }
  sameMaterial.push_back(position);
  m_byLayer[object.Attributes().m_layer_index].push_back(position);
}

std::vector<int> PassIndex::positionsMatching(const ON_Material& material) const {
  // The same test a walk makes per object, made once per material index in use. Materials that
  // match share their name (the full comparison includes it and the looser one requires it), so
  // only the table rows of this name can match.
  const CRhinoMaterialTable& table = m_exporter.doc->m_material_table;
  std::vector<int> matching;
  const auto sameName = m_tableIndicesByName.find(material.MaterialName());
  if (sameName != m_tableIndicesByName.end()) {
    for (int index : sameName->second)
      if (MaterialsMatch(material, table[index])) matching.push_back(index);
  }
  // A missing material (negative, or beyond the table) counts as the host default material.
  std::optional<bool> matchesDefault;
  for (int index : m_indicesOutsideTable) {
    if (index < 0 && index == material.MaterialIndex()) {
      matching.push_back(index);
      continue;
    }
    if (!matchesDefault)
      matchesDefault = MaterialsMatch(material, CRhinoMaterial::DefaultMaterial());
    if (*matchesDefault) matching.push_back(index);
  }

  std::vector<int> positions;
  for (int index : matching) {
    const std::vector<int>& ofIndex = m_byMaterial.at(index);
    positions.insert(positions.end(), ofIndex.begin(), ofIndex.end());
  }
  if (matching.size() > 1) std::sort(positions.begin(), positions.end());
  return positions;
}

CRhinoObject* PassIndex::duplicateOf(const Entry& entry, bool keepWithoutGeometry) const {
  CRhinoObject* duplicate = entry.object->Duplicate();
  if (entry.placement < 0) return duplicate;
  if (moveIntoPlace(*duplicate, m_placements[static_cast<std::size_t>(entry.placement)]) ||
      keepWithoutGeometry) {
    return duplicate;
  }
  delete duplicate;  // nothing to export
  return nullptr;
}

void PassIndex::collectByMaterial(const ON_Material& material,
                                  ON_SimpleArray<CRhinoObject*>& group) const {
  for (int position : positionsMatching(material)) {
    if (CRhinoObject* duplicate = duplicateOf(m_entries[static_cast<std::size_t>(position)], false))
      group.Append(duplicate);
  }
}

void PassIndex::collectByLayer(int layerIndex, ON_SimpleArray<CRhinoObject*>& group) const {
  const auto onLayer = m_byLayer.find(layerIndex);
  if (onLayer == m_byLayer.end()) return;
  // Unlike the material passes, a duplicate without geometry still joins its layer's group.
  for (int position : onLayer->second)
    group.Append(duplicateOf(m_entries[static_cast<std::size_t>(position)], true));
}
