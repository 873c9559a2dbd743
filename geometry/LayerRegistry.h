// LayerRegistry: which document layer became which scene layer during one export. Owns the
// scene layers' creation (one per document layer used, or the root alone) and their lookups.
#pragma once

#include <unordered_map>

#include "export/TOrvComPtr.h"
#include "orv/ORV6.h"
#include "plugin/stdafx.h"

/// Four parallel arrays, one entry per scene layer made, in order of creation. The root layer
/// has index -1, visible true and render material 0. Empty at construction; filled lazily by
/// the layer lookups. One lives in each SceneWriter (its layerRegistry).
struct LayerRegistry {
  /// `document` (not owned) gives the layer table; `sceneManager` is the writer's own manager
  /// member, read when a scene layer is made. Both outlive the registry.
  LayerRegistry(CRhinoDoc* document, TOrvComPtr<QzOrv::IOrvMgr>* sceneManager)
      : doc(document), manager(sceneManager) {}

  /// The scene layer id for document layer `layerIndex`; an index below 0 asks for the root
  /// layer "Scene objects". With `create`, a missing scene layer is made first: one per document
  /// layer (named with its full path), or only the root while singleLayerOutput is set, when
  /// every document layer gets the nil id. The nil id when there is no entry: for an index
  /// beyond the layer table, when the scene library gives no layer, or without `create`.
  ON_UUID findLayerId(int layerIndex, bool create);
  /// The render material index recorded for document layer `layerIndex` (the root's is 0),
  /// made on demand as findLayerId does; -1 when there is no entry or the layer has no render
  /// material. Indices below -1 count as -1. While singleLayerOutput is set, a document layer's
  /// render material is read from the layer table (-1 beyond it) and only the root is made.
  int findLayerMaterial(int layerIndex, bool create);

  ON_SimpleArray<int> layerIndices;     // document layer index, -1 for the root
  ON_SimpleArray<ON_UUID> layerIds;     // id the scene library gave the scene layer
  ON_SimpleArray<bool> visible;         // the document layer's visibility when it was recorded
  ON_SimpleArray<int> renderMaterials;  // the layer's render material index then (-1: none)
  /// The first entry of each layer index, for the entries up to `indexedEntries`; the lookups
  /// bring it up to date with the entries appended since.
  std::unordered_map<int, int> entryOfLayer;
  int indexedEntries = 0;
  CRhinoDoc* doc;
  TOrvComPtr<QzOrv::IOrvMgr>* manager;
};
