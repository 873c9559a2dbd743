// The host application object: RhinoApp(), its command line (Print) and its active view. Output
// goes to the command-line sink that the host program installs (standard output by default).
#pragma once

#include "../../opennurbs/include/opennurbs.h"

class CRhinoView;

class RHINO_SDK_CLASS CRhinoApp {
 public:
  /// The view the user works in, or null when there is none. The view belongs to its document;
  /// destroying it (with its document) leaves the application without an active view.
  CRhinoView* ActiveView() const { return m_active_view; }
  /// Makes `view` (a view of the open document, or null) the active view.
  void SetActiveView(CRhinoView* view) { m_active_view = view; }

  /// Prints printf-style text on the command line, of any length. The narrow form takes UTF-8
  /// text and arguments; the wide form follows vswprintf (%ls for a wide string argument, %s for
  /// a UTF-8 one) and is sent as UTF-8. Text that cannot be formatted (an argument that is not
  /// valid text) prints nothing.
  void Print(const char* format, ...) const __attribute__((format(printf, 2, 3)));
  void Print(const wchar_t* format, ...) const;

 private:
  CRhinoView* m_active_view = nullptr;
};

/// The one application object of the process.
RHINO_SDK_FUNCTION CRhinoApp& RhinoApp();
