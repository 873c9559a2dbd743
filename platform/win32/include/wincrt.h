// The Windows C runtime's wide path and file calls: _wsplitpath, _wfopen, _wunlink, _unlink, and
// the bridges between C streams, descriptors and file handles.
// Wide paths reach the file system as UTF-8 names.
#pragma once

#include <climits>
#include <cstdint>
#include <cstdio>

#include "windows.h"

// The path-part limits are this platform's own: a folder, name or extension may be as long as a
// whole path (PATH_MAX, 4096), not the 256 characters of the Windows runtime. A drive is a letter
// and a colon.
#define _MAX_PATH PATH_MAX
#define _MAX_DRIVE 3
#define _MAX_DIR PATH_MAX
#define _MAX_FNAME PATH_MAX
#define _MAX_EXT PATH_MAX

extern "C" {
/// Splits a path into drive (a letter and a colon, "X:"), folder (up to and including the last
/// '\\' or '/'), file name and extension (from the last dot of the name, with the dot; empty when
/// the name has no dot). Any output may be null. Each part is truncated to fit its buffer
/// (_MAX_DRIVE, _MAX_DIR, _MAX_FNAME, _MAX_EXT characters including the terminator).
PLATFORM_API void _wsplitpath(const wchar_t* path, wchar_t* drive, wchar_t* dir, wchar_t* fname,
                              wchar_t* ext);
/// Like _wsplitpath with explicit buffer sizes; returns 0, or ERANGE (all outputs emptied) when a
/// part does not fit, or EINVAL for a null path.
PLATFORM_API int _wsplitpath_s(const wchar_t* path, wchar_t* drive, size_t driveSize, wchar_t* dir,
                               size_t dirSize, wchar_t* fname, size_t fnameSize, wchar_t* ext,
                               size_t extSize);
/// Opens a file as fopen does; `mode` is wide text ("wb", "rb", ...), where 't' and a ",ccs=..."
/// suffix are accepted and ignored. Null when the file cannot be opened.
PLATFORM_API FILE* _wfopen(const wchar_t* filename, const wchar_t* mode);
/// Removes a file: 0 on success, -1 on failure.
PLATFORM_API int _wunlink(const wchar_t* filename);
/// Removes a file named in UTF-8: 0 on success, -1 on failure.
PLATFORM_API int _unlink(const char* filename);

#define _O_RDONLY 0x0000
#define _O_WRONLY 0x0001
/// A descriptor that owns the file handle `osfhandle` from CreateFileW (close it with _close or
/// through the stream _fdopen makes of it, not with CloseHandle); -1 for an invalid handle.
PLATFORM_API int _open_osfhandle(intptr_t osfhandle, int flags);
/// The file handle a descriptor owns, for the handle calls (ReadFile, WriteFile,
/// FlushFileBuffers); still owned by the descriptor. -1 for a descriptor not open.
PLATFORM_API intptr_t _get_osfhandle(int fd);
/// A C stream on the descriptor `fd` ("wb", "rb", ...), owning it; null when it cannot be made.
PLATFORM_API FILE* _fdopen(int fd, const char* mode);
/// The descriptor under a C stream.
PLATFORM_API int _fileno(FILE* stream);
/// Closes a descriptor: 0, or -1 on failure.
PLATFORM_API int _close(int fd);
}
