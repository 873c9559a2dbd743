// Path text handling without touching the file system: PathCombineW, PathRemoveFileSpecW,
// _wsplitpath and _wsplitpath_s. Both '\\' and '/' separate folders.
#include <cerrno>
#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>

#include "shlwapi.h"
#include "wincrt.h"

namespace {

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// A drive is a letter and a colon, nothing longer.
bool HasDrive(std::wstring_view path) {
  return path.size() >= 2 && path[1] == L':' &&
         ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

bool HasSeparator(std::wstring_view path) {
  return path.find_last_of(L"\\/") != std::wstring_view::npos;
}

// The separator a path already uses (its last one), '\\' when it has none.
wchar_t SeparatorOf(std::wstring_view path) {
  auto last = path.find_last_of(L"\\/");
  return last == std::wstring_view::npos ? L'\\' : path[last];
}

struct PathParts {
  std::wstring_view drive, dir, fname, ext;
};

PathParts Split(std::wstring_view path) {
  PathParts parts;
  if (HasDrive(path)) {
    parts.drive = path.substr(0, 2);
    path.remove_prefix(2);
  }
  auto last_separator = path.find_last_of(L"\\/");
  if (last_separator != std::wstring_view::npos) {
    parts.dir = path.substr(0, last_separator + 1);
    path.remove_prefix(last_separator + 1);
  }
  auto last_dot = path.rfind(L'.');
  parts.fname = path.substr(0, last_dot);
  if (last_dot != std::wstring_view::npos) parts.ext = path.substr(last_dot);
  return parts;
}

// Copies as much of `part` as fits in `size` characters including the terminator.
void CopyTruncated(std::wstring_view part, wchar_t* out, size_t size) {
  if (!out || size == 0) return;
  size_t n = part.size() < size ? part.size() : size - 1;
  std::wmemcpy(out, part.data(), n);
  out[n] = L'\0';
}

void ClearOutput(wchar_t* out, size_t size) {
  if (out && size > 0) out[0] = L'\0';
}

}  // namespace

extern "C" {

LPWSTR PathCombineW(LPWSTR pszDest, LPCWSTR pszDir, LPCWSTR pszFile) {
  if (!pszDest) return nullptr;
  if (!pszDir && !pszFile) {
    pszDest[0] = L'\0';
    return nullptr;
  }
  std::wstring_view dir = pszDir ? pszDir : L"";
  std::wstring_view file = pszFile ? pszFile : L"";
  // Built apart from pszDest, which may be the same buffer as pszDir.
  std::wstring result;
  if (file.empty()) {
    result = dir;
  } else if (dir.empty() || HasDrive(file) || (IsSeparator(file[0]) && !HasDrive(dir))) {
    result = file;
  } else if (IsSeparator(file[0])) {
    result = std::wstring(dir.substr(0, 2)).append(file);  // rooted name on the folder's drive
  } else {
    result = dir;
    if (!IsSeparator(result.back())) result += SeparatorOf(HasSeparator(dir) ? dir : file);
    result += file;
  }
  if (result.size() >= MAX_PATH) {
    pszDest[0] = L'\0';
    return nullptr;
  }
  std::wmemcpy(pszDest, result.c_str(), result.size() + 1);
  return pszDest;
}

BOOL PathRemoveFileSpecW(LPWSTR pszPath) {
  if (!pszPath || !*pszPath) return FALSE;
  std::wstring_view path = pszPath;
  const size_t root = HasDrive(path) ? 2 : 0;
  auto last_separator = path.find_last_of(L"\\/");
  size_t keep;
  if (last_separator == std::wstring_view::npos || last_separator < root) {
    keep = root;  // "name" becomes "", "C:name" becomes "C:"
  } else if (last_separator == root) {
    keep = root + 1;  // the root separator stays: "C:\\name" becomes "C:\\", "/name" becomes "/"
  } else {
    keep = last_separator;
  }
  if (keep >= path.size()) return FALSE;
  pszPath[keep] = L'\0';
  return TRUE;
}

void _wsplitpath(const wchar_t* path, wchar_t* drive, wchar_t* dir, wchar_t* fname, wchar_t* ext) {
  PathParts parts = Split(path ? path : L"");
  CopyTruncated(parts.drive, drive, _MAX_DRIVE);
  CopyTruncated(parts.dir, dir, _MAX_DIR);
  CopyTruncated(parts.fname, fname, _MAX_FNAME);
  CopyTruncated(parts.ext, ext, _MAX_EXT);
}

int _wsplitpath_s(const wchar_t* path, wchar_t* drive, size_t driveSize, wchar_t* dir,
                  size_t dirSize, wchar_t* fname, size_t fnameSize, wchar_t* ext, size_t extSize) {
  auto clear_all = [&] {
    ClearOutput(drive, driveSize);
    ClearOutput(dir, dirSize);
    ClearOutput(fname, fnameSize);
    ClearOutput(ext, extSize);
  };
  auto mismatched = [](const wchar_t* out, size_t size) { return (out == nullptr) != (size == 0); };
  if (!path || mismatched(drive, driveSize) || mismatched(dir, dirSize) ||
      mismatched(fname, fnameSize) || mismatched(ext, extSize)) {
    clear_all();
    return EINVAL;
  }
  PathParts parts = Split(path);
  auto fits = [](std::wstring_view part, const wchar_t* out, size_t size) {
    return !out || part.size() < size;
  };
  if (!fits(parts.drive, drive, driveSize) || !fits(parts.dir, dir, dirSize) ||
      !fits(parts.fname, fname, fnameSize) || !fits(parts.ext, ext, extSize)) {
    clear_all();
    return ERANGE;
  }
  CopyTruncated(parts.drive, drive, driveSize);
  CopyTruncated(parts.dir, dir, dirSize);
  CopyTruncated(parts.fname, fname, fnameSize);
  CopyTruncated(parts.ext, ext, extSize);
  return 0;
}

}  // extern "C"
