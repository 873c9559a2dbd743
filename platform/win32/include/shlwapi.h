// Shell path helpers on wide paths of at most MAX_PATH characters. Both '\\' and '/' separate
// folders; results use the separator already present in the path ('\\' when there is none).
#pragma once

#include "windows.h"

extern "C" {
/// Joins folder and file into pszDest (room for MAX_PATH characters, terminator included) and
/// returns pszDest; on failure (result too long, or both inputs null) empties pszDest and returns
/// null. pszDest may be the same buffer as pszDir. A pszFile with a drive, or rooted ('\\' or
/// '/') when the folder has no drive, replaces the folder; a rooted pszFile keeps the folder's
/// drive. A null or empty input gives the other one. "." and ".." components are kept as they are.
PLATFORM_API LPWSTR PathCombineW(LPWSTR pszDest, LPCWSTR pszDir, LPCWSTR pszFile);
/// TRUE when a file or folder exists at the path (links followed); FALSE for null or empty.
PLATFORM_API BOOL PathFileExistsW(LPCWSTR pszPath);
/// TRUE when the path names an existing folder (links followed).
PLATFORM_API BOOL PathIsDirectoryW(LPCWSTR pszPath);
/// Drops the last path component (and its separator) in place; a root ("C:\\", "/") keeps its
/// separator and "name" becomes "". TRUE when something was removed.
PLATFORM_API BOOL PathRemoveFileSpecW(LPWSTR pszPath);
}
