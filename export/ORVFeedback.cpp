// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "export/ORVFeedback.h"

void ORVFeedback::message(int /*kind*/, const char* text) {
  RhinoApp().Print("** %s **\n", text != nullptr ? text : "");
}
