// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "materials/MaterialExport.h"

#include <cassert>

#include "export/Utf8Converter.h"

namespace {

int materialIndexFor(SceneWriter& writer, const ON_3dmObjectAttributes& attributes) {
  const int* inherited = writer.materialStack.Last();
  if (inherited != nullptr && *inherited >= 0) return *inherited;
  switch (attributes.MaterialSource()) {
    case ON_3dmObjectAttributes::material_from_parent:
      if (inherited != nullptr) return *inherited;
      [[fallthrough]];  // outside any block instance the layer is the parent
    case ON_3dmObjectAttributes::material_from_layer:
      return writer.layerRegistry.findLayerMaterial(attributes.m_layer_index, true);
    default:
      return attributes.m_material_index;
  }
}

}  // namespace

HostMaterialChoice chooseHostMaterial(SceneWriter& writer,
                                      const ON_3dmObjectAttributes& attributes) {
  const int index = materialIndexFor(writer, attributes);
  if (index >= 0 && index < writer.documentMaterials.Count() &&
      writer.documentMaterials[index] != nullptr)
    return {writer.documentMaterials[index], false};
  return {&CRhinoMaterial::DefaultMaterial(), true};
}

void SceneWriter::FillSceneMaterial(const ON_3dmObjectAttributes& attributes,
                                    QzOrv::IOrvMaterial* material, const ON_BoundingBox* /*box*/,
                                    const CRhinoObject* /*object*/) {
  assert(material != nullptr);
  // Colours, transparency, textures and projections are added by the materials work.
  const HostMaterialChoice chosen = chooseHostMaterial(*this, attributes);
  const wchar_t* name = chosen.material->MaterialName();
  if (name[0] == L'\0') name = chosen.isDefault ? L"Default material" : L"Unnamed material";
  material->identity()->setName(toUtf8(name));
}
