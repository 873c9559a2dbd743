// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "geometry/LayerRegistry.h"

#include "export/SceneIds.h"
#include "export/Utf8Converter.h"
#include "plugin/ExportOptions.h"

namespace {

constexpr int kRootLayer = -1;

// Position of the first entry for `layerIndex`, or -1: through the index, so that an export of
// many layers costs no time in their number squared.
int entryOf(LayerRegistry& registry, int layerIndex) {
  for (; registry.indexedEntries < registry.layerIndices.Count(); ++registry.indexedEntries)
    registry.entryOfLayer.emplace(registry.layerIndices[registry.indexedEntries],
                                  registry.indexedEntries);
  const auto found = registry.entryOfLayer.find(layerIndex);
  return found != registry.entryOfLayer.end() ? found->second : -1;
}

// Appends a new scene layer named `name` (UTF-8 through the layer tree's own converter) and
// gives its id; false when the library gives no layer.
bool newSceneLayer(LayerRegistry& registry, const wchar_t* name, ON_UUID& id) {
  QzOrv::IOrvList<QzOrv::IOrvLayer>* sceneLayers = (*registry.manager)->layers();
  QzOrv::IOrvLayer* layer = sceneLayers != nullptr ? sceneLayers->insert(-1) : nullptr;
  if (layer == nullptr) return false;
  layer->identity()->setName(layerNameToUtf8(name));
  id = toUuid(layer->identity()->id());
  return true;
}

void record(LayerRegistry& registry, int layerIndex, const ON_UUID& id, bool visible,
            int renderMaterial) {
  registry.layerIndices.Append(layerIndex);
  registry.layerIds.Append(id);
  registry.visible.Append(visible);
  registry.renderMaterials.Append(renderMaterial);
}

// Makes the root layer "Scene objects" unless it exists already.
void createRoot(LayerRegistry& registry) {
  if (entryOf(registry, kRootLayer) >= 0) return;
  ON_UUID id = ON_nil_uuid;
  if (!newSceneLayer(registry, L"Scene objects", id)) return;  // a later lookup tries again
  record(registry, kRootLayer, id, true, 0);
}

// The layer's full path ("Building::Walls"), or its own name when the path is unknown.
ON_wString sceneLayerName(const CRhinoLayerTable& layers, int layerIndex) {
  ON_wString name;
  if (!layers.GetLayerPathName(layerIndex, name) || name.IsEmpty())
    name = layers[layerIndex].LayerName();
  return name;
}

void createDocumentLayer(LayerRegistry& registry, int layerIndex) {
  const CRhinoLayerTable& layers = registry.doc->m_layer_table;
  if (layerIndex >= layers.LayerCount()) return;
  ON_UUID id = ON_nil_uuid;
  if (!newSceneLayer(registry, sceneLayerName(layers, layerIndex), id)) return;
  const CRhinoLayer& layer = layers[layerIndex];
  record(registry, layerIndex, id, layer.IsVisible(), layer.RenderMaterialIndex());
}

// The entry for `layerIndex`, made first when `create` allows; -1 when there is none. Indices
// below 0 and, in single-layer output, every index lead to the root, which only -1 itself
// finds.
int lookUp(LayerRegistry& registry, int layerIndex, bool create) {
  const int found = entryOf(registry, layerIndex);
  if (found >= 0 || !create) return found;
  if (layerIndex < 0 || singleLayerOutput)
    createRoot(registry);
  else
    createDocumentLayer(registry, layerIndex);
  return entryOf(registry, layerIndex);
}

}  // namespace

ON_UUID LayerRegistry::findLayerId(int layerIndex, bool create) {
  const int entry = lookUp(*this, layerIndex, create);
  return entry >= 0 ? layerIds[entry] : ON_nil_uuid;
}

int LayerRegistry::findLayerMaterial(int layerIndex, bool create) {
  if (layerIndex < kRootLayer) layerIndex = kRootLayer;
  if (singleLayerOutput && layerIndex != kRootLayer) {
    // The single layer is about where instances go, not about what they look like: the
    // document layer keeps its render material, though it gets no scene layer of its own.
    lookUp(*this, layerIndex, create);
    const CRhinoLayerTable& layers = doc->m_layer_table;
    return layerIndex < layers.LayerCount() ? layers[layerIndex].RenderMaterialIndex() : -1;
  }
  const int entry = lookUp(*this, layerIndex, create);
  return entry >= 0 ? renderMaterials[entry] : -1;
}
