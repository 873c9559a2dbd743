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

/// Receives the number of faces of each object the host has just meshed because a plug-in asked
/// for its render meshes (CreateMeshes on a brep: its faces; on a SubD: its control net's faces).
/// An empty function (the default) stops the calls. Called on the thread that meshes.
PLATFORM_API void SetMeshingObserver(std::function<void(int faces)> observer);
/// Receives the path (UTF-8) of every file CreateFileW makes new to write (the scene's temporary
/// file of a save, texture copies). An empty function (the default) stops the calls.
PLATFORM_API void SetNewFileObserver(std::function<void(const std::string& utf8Path)> observer);

}  // namespace RhinoHost
