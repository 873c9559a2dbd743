// The platform headers every plug-in source includes first: MFC, the host SDK, its geometry
// library and the Windows calls.
#pragma once

#include "../platform/mfc/include/afxwin.h"
#include "../platform/opennurbs/include/opennurbs.h"
#include "../platform/rhino/include/rhinoSdk.h"
#include "../platform/win32/include/shlwapi.h"
#include "../platform/win32/include/wincrt.h"
#include "../platform/win32/include/windows.h"

/// Marks the plain C entry points the host reads from the library's export table.
#define ORV_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
