// Windows calls used by the plug-in: basic types, text conversions between UTF-8 and wide
// strings, file copy, moves, links and folders, file handles that ask, read, write and flush.
// Wide paths are converted to UTF-8 file-system names.
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
/// Creates one folder level. TRUE on success; FALSE, with GetLastError set, when it exists
/// (EEXIST) or the parent is missing.
PLATFORM_API BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);
/// Removes an empty folder. FALSE, with GetLastError set, when it holds anything or is missing.
PLATFORM_API BOOL RemoveDirectoryW(LPCWSTR lpPathName);
/// Removes a file (a link itself, not what it names). FALSE, with GetLastError set, when nothing
/// can be removed there.
PLATFORM_API BOOL DeleteFileW(LPCWSTR lpFileName);

/// The error number of the last stand-in call on this thread that failed and says so here. On
/// this platform it is the system's errno value (ENOENT, EEXIST, ...), not a Windows code, so
/// strerror gives its text.
PLATFORM_API DWORD GetLastError(void);
PLATFORM_API void SetLastError(DWORD dwErrCode);

#define MOVEFILE_REPLACE_EXISTING 0x00000001
#define MOVEFILE_WRITE_THROUGH 0x00000008
/// Renames a file within one volume in one step. Without MOVEFILE_REPLACE_EXISTING whatever
/// stands at lpNewFileName is never replaced or written through (FALSE, error EEXIST); with it an
/// existing file there is replaced, unless it is read-only (EACCES), and lpExistingFileName is
/// gone afterwards also when both names were links of one file. MOVEFILE_WRITE_THROUGH returns
/// only once the new folder entry is on disk (a folder that cannot be flushed is no failure).
/// Other flags are ignored. FALSE, with GetLastError set, when the move fails; nothing moved then.
PLATFORM_API BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags);
/// A new name lpFileName for the existing file lpExistingFileName (same volume). FALSE, with
/// GetLastError set, when the name is taken (EEXIST) or the file system refuses links.
PLATFORM_API BOOL CreateHardLinkW(LPCWSTR lpFileName, LPCWSTR lpExistingFileName,
                                  LPSECURITY_ATTRIBUTES lpSecurityAttributes);

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

// ---- file handles: asking which file or folder a path reaches (links followed), reading,
// writing and flushing

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)))
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004
#define CREATE_NEW 1
#define OPEN_EXISTING 3
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
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
/// Opens a file, or a folder when dwFlagsAndAttributes holds FILE_FLAG_BACKUP_SEMANTICS.
/// dwDesiredAccess 0 asks about an existing file only (it needs no read permission);
/// GENERIC_READ reads it; GENERIC_WRITE writes an existing file in place without truncating it
/// (a pipe that nobody reads is refused at once, ENXIO, instead of waiting) or, with CREATE_NEW,
/// creates a new file that nothing had that name (EEXIST otherwise), with the permissions of the
/// open file hTemplateFile when one is given (whatever the file-creation mask) and the mask's
/// otherwise. dwShareMode is not checked. INVALID_HANDLE_VALUE, with GetLastError set, when the
/// path reaches nothing, names a folder without that flag, or for another disposition or access.
/// Close the handle with CloseHandle.
PLATFORM_API HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                                LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                                DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                                HANDLE hTemplateFile);
/// Fills `info` for an open handle: attributes (directory, read-only, normal), the volume serial
/// number and file index that identify the file, its size and link count. FALSE for a bad handle.
PLATFORM_API BOOL GetFileInformationByHandle(HANDLE hFile, LPBY_HANDLE_FILE_INFORMATION info);

#define FILE_TYPE_UNKNOWN 0x0000
#define FILE_TYPE_DISK 0x0001
#define FILE_TYPE_CHAR 0x0002
#define FILE_TYPE_PIPE 0x0003
/// What an open handle reaches: FILE_TYPE_DISK for a file or folder, FILE_TYPE_CHAR for a
/// character device (a terminal, /dev/null), FILE_TYPE_PIPE for a pipe, else FILE_TYPE_UNKNOWN.
PLATFORM_API DWORD GetFileType(HANDLE hFile);
/// Reads up to nNumberOfBytesToRead bytes; *lpNumberOfBytesRead (never null) is 0 at the end of
/// the file. lpOverlapped must be null. FALSE, with GetLastError set, on a read error.
PLATFORM_API BOOL ReadFile(HANDLE hFile, void* lpBuffer, DWORD nNumberOfBytesToRead,
                           DWORD* lpNumberOfBytesRead, void* lpOverlapped);
/// Writes all nNumberOfBytesToWrite bytes unless an error stops it; *lpNumberOfBytesWritten
/// (never null) counts those written. lpOverlapped must be null. FALSE, with GetLastError set
/// (ENOSPC, EFBIG, EPIPE, ...), when not all could be written.
PLATFORM_API BOOL WriteFile(HANDLE hFile, const void* lpBuffer, DWORD nNumberOfBytesToWrite,
                            DWORD* lpNumberOfBytesWritten, void* lpOverlapped);
/// Waits until everything written through the handle is on disk. FALSE, with GetLastError set,
/// when that fails; a device or pipe, which holds nothing to flush, succeeds.
PLATFORM_API BOOL FlushFileBuffers(HANDLE hFile);
/// Closes a handle from CreateFileW. FALSE for a bad handle.
PLATFORM_API BOOL CloseHandle(HANDLE hObject);
}
