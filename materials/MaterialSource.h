// MaterialSource: which material index an object's attributes take from their material source.
// Owns the one rule that the material passes, block expansion and material export all follow.
#pragma once

#include "plugin/stdafx.h"

class SceneWriter;

/// The material index `attributes` take from their material source: from the object, their own
/// material index; from the layer, `layerMaterial(layer index)`, the render material index of
/// their layer as the caller looks it up; from the parent, `*parent`, the index of the block
/// instance holding the object, and outside any block instance (`parent` null) the layer's, as
/// the layer is then the parent. A source the attributes cannot name counts as from the object.
template <class LayerMaterial>
int materialIndexFromSource(const ON_3dmObjectAttributes& attributes, const int* parent,
                            const LayerMaterial& layerMaterial) {
  switch (attributes.MaterialSource()) {
    case ON_3dmObjectAttributes::material_from_parent:
      if (parent != nullptr) return *parent;
      [[fallthrough]];
    case ON_3dmObjectAttributes::material_from_layer:
      return layerMaterial(attributes.m_layer_index);
    default:
      return attributes.m_material_index;
  }
}

/// The material index `attributes` take from their source inside the block instances that the
/// writer is expanding: the parent is the instance on top of materialStack (outside any, the
/// layer); a layer's render material comes from the writer's layer registry, which makes the
/// layer's scene layer on first use.
int materialIndexUnderBlocks(SceneWriter& writer, const ON_3dmObjectAttributes& attributes);
