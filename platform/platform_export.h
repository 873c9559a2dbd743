// Symbol visibility for the platform stand-ins: the host SDK, its geometry library and render kit,
// MFC and the Windows calls live in one shared library that both the host program and the plug-in
// module link.
#pragma once

#define PLATFORM_API __attribute__((visibility("default")))
#define ON_CLASS PLATFORM_API
#define RHINO_SDK_CLASS PLATFORM_API
#define RHINO_SDK_FUNCTION PLATFORM_API
#define AFX_CLASS PLATFORM_API
#define RDK_SDK_CLASS PLATFORM_API
