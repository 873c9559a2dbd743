// File and folder calls on wide paths: CopyFileW, MoveFileExW, CreateHardLinkW, DeleteFileW,
// CreateDirectoryW, RemoveDirectoryW, GetFileAttributesW, GetTempPathW, the shell's existence
// tests and the C runtime's _wfopen, _wunlink, _unlink. Wide names reach the file system as UTF-8.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

#include "../../common/src/PlatformText.h"
#include "shlwapi.h"
#include "wincrt.h"
#include "windows.h"

namespace {

bool StatPath(LPCWSTR path, struct stat& info) {
  if (!path || !*path) return false;
  return ::stat(platform_text::ToUtf8(path).c_str(), &info) == 0;
}

// A file without its owner's write permission stands for the read-only attribute, which makes
// Windows refuse to overwrite it even for an administrator.
bool IsReadOnly(const struct stat& info) {
  return (info.st_mode & S_IWUSR) == 0;
}

BOOL Failed(int error) {
  SetLastError(static_cast<DWORD>(error));
  return FALSE;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes a folder's new or renamed entries durable. Some file systems cannot flush a folder; the
// rename itself has happened by then, so that is no failure.
void FlushFolderOf(const std::string& path) {
  const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// rename() over the target; where both names already are links of one file, rename leaves both,
// and removing `from` then completes the move.
bool ReplacingMove(const std::string& from, const std::string& to) {
  struct stat moved, existing, left;
  if (::lstat(to.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) && IsReadOnly(existing))
    return (errno = EACCES, false);
  const bool known = ::lstat(from.c_str(), &moved) == 0;
  if (::rename(from.c_str(), to.c_str()) != 0) return false;
  if (known && ::lstat(from.c_str(), &left) == 0 && SameFile(left, moved)) ::unlink(from.c_str());
  return true;
}

// A rename that never replaces; where the file system has no such rename, a new link is refused
// as well when the name is taken.
bool NoReplaceMove(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

}  // namespace

extern "C" {

BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags) {
  if (!lpExistingFileName || !*lpExistingFileName || !lpNewFileName || !*lpNewFileName)
    return Failed(ENOENT);
  const std::string from = platform_text::ToUtf8(lpExistingFileName);
  const std::string to = platform_text::ToUtf8(lpNewFileName);
  const bool moved =
      (dwFlags & MOVEFILE_REPLACE_EXISTING) ? ReplacingMove(from, to) : NoReplaceMove(from, to);
  if (!moved) return Failed(errno);
  if (dwFlags & MOVEFILE_WRITE_THROUGH) FlushFolderOf(to);
  return TRUE;
}

BOOL CreateHardLinkW(LPCWSTR lpFileName, LPCWSTR lpExistingFileName,
                     LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/) {
  if (!lpFileName || !*lpFileName || !lpExistingFileName || !*lpExistingFileName)
    return Failed(ENOENT);
  if (::link(platform_text::ToUtf8(lpExistingFileName).c_str(),
             platform_text::ToUtf8(lpFileName).c_str()) != 0)
    return Failed(errno);
  return TRUE;
}

BOOL DeleteFileW(LPCWSTR lpFileName) {
  if (!lpFileName || !*lpFileName) return Failed(ENOENT);
  return ::unlink(platform_text::ToUtf8(lpFileName).c_str()) == 0 ? TRUE : Failed(errno);
}

BOOL RemoveDirectoryW(LPCWSTR lpPathName) {
  if (!lpPathName || !*lpPathName) return Failed(ENOENT);
  return ::rmdir(platform_text::ToUtf8(lpPathName).c_str()) == 0 ? TRUE : Failed(errno);
}

BOOL CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists) {
  struct stat source, target;
  if (!StatPath(lpExistingFileName, source) || !S_ISREG(source.st_mode) || !lpNewFileName)
    return FALSE;
  if (StatPath(lpNewFileName, target) && (bFailIfExists || IsReadOnly(target))) return FALSE;
  namespace fs = std::filesystem;
  std::error_code error;
  const bool copied = fs::copy_file(
      fs::path(platform_text::ToUtf8(lpExistingFileName)),
      fs::path(platform_text::ToUtf8(lpNewFileName)),
      bFailIfExists ? fs::copy_options::none : fs::copy_options::overwrite_existing, error);
  return copied && !error ? TRUE : FALSE;
}

BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/) {
  if (!lpPathName || !*lpPathName) return Failed(ENOENT);
  return ::mkdir(platform_text::ToUtf8(lpPathName).c_str(), 0777) == 0 ? TRUE : Failed(errno);
}

DWORD GetFileAttributesW(LPCWSTR lpFileName) {
  struct stat entry;
  if (!lpFileName || !*lpFileName ||
      ::lstat(platform_text::ToUtf8(lpFileName).c_str(), &entry) != 0)
    return INVALID_FILE_ATTRIBUTES;
  DWORD attributes = 0;
  struct stat named;
  if (S_ISLNK(entry.st_mode)) {
    attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    if (StatPath(lpFileName, named) && S_ISDIR(named.st_mode))
      attributes |= FILE_ATTRIBUTE_DIRECTORY;
  } else {
    if (S_ISDIR(entry.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (IsReadOnly(entry)) attributes |= FILE_ATTRIBUTE_READONLY;
  }
  return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer) {
  std::error_code error;
  // The same folder as std::filesystem's, which the host program's temporary folders use.
  std::string folder = std::filesystem::temp_directory_path(error).string();
  if (error) return 0;
  if (folder.empty() || folder.back() != '/') folder += '/';
  const std::wstring wide = platform_text::FromUtf8(folder.c_str());
  const DWORD length = static_cast<DWORD>(wide.size());
  if (!lpBuffer || nBufferLength <= length) return length + 1;
  wide.copy(lpBuffer, length);
  lpBuffer[length] = L'\0';
  return length;
}

BOOL PathFileExistsW(LPCWSTR pszPath) {
  struct stat info;
  return StatPath(pszPath, info) ? TRUE : FALSE;
}

BOOL PathIsDirectoryW(LPCWSTR pszPath) {
  struct stat info;
  return StatPath(pszPath, info) && S_ISDIR(info.st_mode) ? TRUE : FALSE;
}

FILE* _wfopen(const wchar_t* filename, const wchar_t* mode) {
  if (!filename || !mode) return nullptr;
  // Keep the standard mode letters; 't' (text) is the default here and ",ccs=..." is ignored.
  std::string narrow_mode;
  for (const wchar_t* m = mode; *m && *m != L','; ++m)
    if (*m == L'r' || *m == L'w' || *m == L'a' || *m == L'+' || *m == L'b' || *m == L'x')
      narrow_mode.push_back(static_cast<char>(*m));
  return std::fopen(platform_text::ToUtf8(filename).c_str(), narrow_mode.c_str());
}

int _wunlink(const wchar_t* filename) {
  return filename ? ::unlink(platform_text::ToUtf8(filename).c_str()) : -1;
}

int _unlink(const char* filename) {
  return filename ? ::unlink(filename) : -1;
}

}  // extern "C"
