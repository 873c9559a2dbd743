// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "export/SceneWriter.h"

void SceneWriter::exportViews() {
  // The document's model views become scene views and cameras here, by the lighting code.
}
