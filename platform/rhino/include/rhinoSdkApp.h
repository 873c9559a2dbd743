// The host application object: RhinoApp() and its command line (Print). Output goes to the
// command-line sink that the host program installs (standard output by default).
#pragma once

#include "../../opennurbs/include/opennurbs.h"

class RHINO_SDK_CLASS CRhinoApp {
 public:
  /// Prints printf-style text on the command line, of any length. The narrow form takes UTF-8
  /// text and arguments; the wide form follows vswprintf (%ls for a wide string argument, %s for
  /// a UTF-8 one) and is sent as UTF-8. Text that cannot be formatted (an argument that is not
  /// valid text) prints nothing.
  void Print(const char* format, ...) const __attribute__((format(printf, 2, 3)));
  void Print(const wchar_t* format, ...) const;
};

/// The one application object of the process.
RHINO_SDK_FUNCTION CRhinoApp& RhinoApp();
