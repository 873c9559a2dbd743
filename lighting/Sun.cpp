// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "export/SceneWriter.h"

void SceneWriter::exportSun() {
  // The document sun becomes the scene heliodon here, by the lighting code.
}
