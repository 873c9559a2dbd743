// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "materials/MaterialSource.h"

#include "export/SceneWriter.h"

int materialIndexUnderBlocks(SceneWriter& writer, const ON_3dmObjectAttributes& attributes) {
  return materialIndexFromSource(attributes, writer.materialStack.Last(), [&](int layerIndex) {
    return writer.layerRegistry.findLayerMaterial(layerIndex, true);
  });
}
