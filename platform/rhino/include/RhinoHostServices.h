// What the host program (and tests) use to drive the host stand-in: the plug-ins and commands
// that registered themselves, and where the command line prints. Plug-in code never uses this.
#pragma once

#include <functional>
#include <string>

#include "rhinoSdk.h"

namespace RhinoHost {

/// Plug-in objects currently constructed, in construction order.
PLATFORM_API const ON_SimpleArray<CRhinoPlugIn*>& PlugIns();
/// Command objects currently constructed, in construction order.
PLATFORM_API const ON_SimpleArray<CRhinoCommand*>& Commands();
/// The command whose English or local name equals `name` ignoring case, or null.
PLATFORM_API CRhinoCommand* FindCommand(const wchar_t* name);

/// Receives each piece of command-line text (UTF-8) printed through RhinoApp().Print. An empty
/// function restores the default, which writes to standard output.
PLATFORM_API void SetCommandLineSink(std::function<void(const std::string& utf8)> sink);
/// The sink set last; empty while the default is in use.
PLATFORM_API std::function<void(const std::string& utf8)> CurrentCommandLineSink();

}  // namespace RhinoHost
