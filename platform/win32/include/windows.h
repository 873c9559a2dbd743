// Windows calls used by the plug-in: basic types, text conversions between UTF-8 and wide
// strings, file copy and folder creation, file handles. Wide paths are converted to UTF-8
// file-system names.
#pragma once

#include <cstdint>

#include "../../platform_export.h"

typedef int BOOL;
typedef unsigned int UINT;
typedef std::uint32_t DWORD;
typedef wchar_t WCHAR;
typedef const wchar_t* LPCWSTR;
typedef wchar_t* LPWSTR;
typedef const wchar_t* LPCWCH;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef const char* LPCCH;
typedef BOOL* LPBOOL;
typedef void* LPSECURITY_ATTRIBUTES;
typedef void* HANDLE;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif
#define MAX_PATH 260
#define CP_ACP 0
#define CP_UTF8 65001
// Conversion flags: fail (result 0) on invalid input instead of substituting U+FFFD.
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_ERR_INVALID_CHARS 0x00000080

extern "C" {
/// Wide to multibyte. Only CP_UTF8 (and CP_ACP, treated as UTF-8) are supported. `cchWideChar`
/// -1 converts up to and including the terminator; an explicit count converts exactly that many
/// units and adds no terminator. With `cbMultiByte` 0 returns the bytes needed; otherwise the
/// bytes written, or 0 when the whole result does not fit (nothing is written past
/// `cbMultiByte`). UTF-16 surrogate pairs are joined; unpaired surrogates become U+FFFD, or make
/// the call fail with WC_ERR_INVALID_CHARS. 0 also for a null input, a count of 0 or below -1, and
/// other code pages. `lpDefaultChar` is ignored; `*lpUsedDefaultChar`, if given, is set FALSE.
PLATFORM_API int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr,
                                     int cchWideChar, LPSTR lpMultiByteStr, int cbMultiByte,
                                     LPCCH lpDefaultChar, LPBOOL lpUsedDefaultChar);
/// Multibyte to wide, same conventions, counting wide characters (one per code point). Invalid
/// UTF-8 (truncated, overlong, encoded surrogates, beyond U+10FFFF) becomes one U+FFFD per
/// maximal bad sequence, or makes the call fail with MB_ERR_INVALID_CHARS.
PLATFORM_API int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr,
                                     int cbMultiByte, LPWSTR lpWideCharStr, int cchWideChar);
/// Copies a file's bytes (and permissions); with bFailIfExists FALSE an existing target is
/// overwritten. FALSE on any error: the source is missing or not a regular file, the target's
/// folder is missing, the target is the source itself, or the target exists and is read-only
/// (has no owner write permission, as the read-only attribute refuses even administrators).
PLATFORM_API BOOL CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists);
/// Creates one folder level. TRUE on success; FALSE when it exists or the parent is missing.
PLATFORM_API BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);

#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400
/// The attributes of the entry at the path itself, a link not followed: FILE_ATTRIBUTE_DIRECTORY,
/// FILE_ATTRIBUTE_READONLY (no owner write permission), FILE_ATTRIBUTE_REPARSE_POINT for a
/// symbolic link (with DIRECTORY when it names a folder), else FILE_ATTRIBUTE_NORMAL;
/// INVALID_FILE_ATTRIBUTES when nothing is there.
PLATFORM_API DWORD GetFileAttributesW(LPCWSTR lpFileName);
/// The system's folder for temporary files ($TMPDIR, else /tmp), ending in a separator, written
/// into `lpBuffer` of `nBufferLength` characters. Its length without the final 0; when the buffer
/// is too small, the length it needs (with the 0) and nothing written; 0 on failure.
PLATFORM_API DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer);
}

// ---- file handles, for asking which file or folder a path reaches (links followed)

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)))
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004
#define OPEN_EXISTING 3
/// Needed to open a folder.
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_NORMAL 0x00000080

/// What GetFileInformationByHandle tells: the volume and the index within it identify a file or
/// folder, whatever path reached it.
struct BY_HANDLE_FILE_INFORMATION {
  DWORD dwFileAttributes;
  DWORD dwVolumeSerialNumber;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD nNumberOfLinks;
  DWORD nFileIndexHigh;
  DWORD nFileIndexLow;
};
typedef BY_HANDLE_FILE_INFORMATION* LPBY_HANDLE_FILE_INFORMATION;

extern "C" {
/// Opens an existing file, or a folder when dwFlagsAndAttributes holds
/// FILE_FLAG_BACKUP_SEMANTICS, to ask about it. Only OPEN_EXISTING is supported, and only queries:
/// the handle neither reads nor writes, so dwDesiredAccess and dwShareMode are not checked.
/// INVALID_HANDLE_VALUE when the path reaches nothing, names a folder without that flag, or for
/// another disposition. Close the handle with CloseHandle.
PLATFORM_API HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                                LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                                DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                                HANDLE hTemplateFile);
/// Fills `info` for an open handle: attributes (directory, read-only, normal), the volume serial
/// number and file index that identify the file, its size and link count. FALSE for a bad handle.
PLATFORM_API BOOL GetFileInformationByHandle(HANDLE hFile, LPBY_HANDLE_FILE_INFORMATION info);
/// Closes a handle from CreateFileW. FALSE for a bad handle.
PLATFORM_API BOOL CloseHandle(HANDLE hObject);
}
