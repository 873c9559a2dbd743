// Geometry-library ids: ON_UUID (the 16-byte GUID layout), new ids, parsing and formatting.
#pragma once

#include "opennurbs_defines.h"

struct ON_UUID {
  unsigned int Data1;
  unsigned short Data2;
  unsigned short Data3;
  unsigned char Data4[8];
};
typedef ON_UUID _GUID;
typedef ON_UUID GUID;
typedef ON_UUID UUID;

extern PLATFORM_API const ON_UUID ON_nil_uuid;

/// Parses "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" (braces optional, either case); nil on error.
PLATFORM_API ON_UUID ON_UuidFromString(const wchar_t* s);
PLATFORM_API ON_UUID ON_UuidFromString(const char* s);
/// Formats as 36 upper-case hexadecimal characters with hyphens into s (room for 37).
PLATFORM_API wchar_t* ON_UuidToString(const ON_UUID& id, wchar_t* s);
PLATFORM_API bool ON_UuidIsNil(const ON_UUID& id);
/// Sets `uuid` to a new random (version 4) id, never nil; returns true.
PLATFORM_API bool ON_CreateUuid(ON_UUID& uuid);
PLATFORM_API int ON_UuidCompare(const ON_UUID& a, const ON_UUID& b);
inline bool operator==(const ON_UUID& a, const ON_UUID& b) {
  return ON_UuidCompare(a, b) == 0;
}
inline bool operator!=(const ON_UUID& a, const ON_UUID& b) {
  return ON_UuidCompare(a, b) != 0;
}
