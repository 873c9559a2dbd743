// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "export/SceneExporter.h"

void SceneExporter::exportObjects(int /*mode*/) {
  // The document's lights and objects are exported here by the geometry code.
}
