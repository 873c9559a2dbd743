#include "output/FileReplacement.h"

#include <unistd.h>

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "wincrt.h"
#include "windows.h"

namespace {

// The same limit as the system's own for the links met while resolving one path.
constexpr int kMaxLinksFollowed = 40;
constexpr int kNameAttempts = 100;

[[noreturn]] void fail(const std::string& path, DWORD error) {
  throw FileSystemError(path, std::strerror(static_cast<int>(error)));
}

// The folder part of a path, without the final separator: "a/b" for "a/b/c", "/" for "/c",
// "." for a bare name.
std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A name in `folder` not used yet, of the form ".orv-<what>-XXXXXXXX.tmp"; the caller creates it
// exclusively and asks again when another process took it first.
std::string temporaryName(const std::string& folder, const char* what) {
  static unsigned counter = 0;
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  const unsigned mixed = static_cast<unsigned>(ticks) * 2654435761u ^
                         static_cast<unsigned>(getpid()) * 40503u ^ ++counter * 97u;
  char suffix[9];
  std::snprintf(suffix, sizeof suffix, "%08x", mixed);
  return folder + "/.orv-" + what + "-" + suffix + ".tmp";
}

// A handle that only asks about what `path` names (links followed, folders too); invalid with
// GetLastError set when nothing is there.
HANDLE openToAsk(const std::string& path) {
  return CreateFileW(wideName(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// A new file opened for writing under a fresh temporary name beside `near`, taking the
// permissions of `model` (may be null: the file-creation mask's then), with `name` set. Throws
// naming `reportAs`.
HANDLE createExclusive(const std::string& near, const char* what, HANDLE model, std::string& name,
                       const std::string& reportAs) {
  const std::string folder = folderOf(near);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    name = temporaryName(folder, what);
    const HANDLE file = CreateFileW(wideName(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, model);
    if (file != INVALID_HANDLE_VALUE) return file;
    if (GetLastError() != EEXIST) fail(reportAs, GetLastError());
  }
  fail(reportAs, EEXIST);
}

// A regular file with the read-only attribute, which the host platform honours even when the
// folder would allow replacing the file.
bool isReadOnlyFile(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY |
                        FILE_ATTRIBUTE_REPARSE_POINT)) == FILE_ATTRIBUTE_READONLY;
}

bool writeAllTo(HANDLE file, const char* bytes, std::size_t count) {
  while (count > 0) {
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes, piece, &written, nullptr)) return false;
    bytes += written;
    count -= written;
  }
  return true;
}

// Copies every byte of `source` (open for reading) into `out` and flushes it to disk; the error
// number on failure, else 0.
DWORD copyInto(HANDLE source, HANDLE out) {
  std::vector<char> block(64 * 1024);
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(source, block.data(), static_cast<DWORD>(block.size()), &read, nullptr))
      return GetLastError();
    if (read == 0) break;
    if (!writeAllTo(out, block.data(), read)) return GetLastError();
  }
  return FlushFileBuffers(out) ? 0 : GetLastError();
}

// A hard link to `source` under a temporary name beside `backup`; false (and `name` empty) when
// the file system refuses the link, so a copy must do.
bool linkBeside(const std::string& source, const std::string& backup, std::string& name) {
  const std::string folder = folderOf(backup);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    name = temporaryName(folder, "backup");
    if (CreateHardLinkW(wideName(name).c_str(), wideName(source).c_str(), nullptr)) return true;
    if (GetLastError() != EEXIST) break;
  }
  name.clear();
  return false;
}

// A flushed copy of `source` under a temporary name ".orv-<what>-..." beside `near`, with the
// permissions of `source`; throws naming `near`.
std::string flushedCopyBeside(const std::string& source, const std::string& near,
                              const char* what) {
  const HANDLE in = CreateFileW(wideName(source).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (in == INVALID_HANDLE_VALUE) fail(near, GetLastError());
  std::string name;
  DWORD error = 0;
  try {
    const HANDLE out = createExclusive(near, what, in, name, near);
    error = copyInto(in, out);
    if (!CloseHandle(out) && error == 0) error = EIO;
  } catch (...) {
    CloseHandle(in);
    throw;
  }
  CloseHandle(in);
  if (error != 0) {
    removeFile(name);
    fail(near, error);
  }
  return name;
}

}  // namespace

std::wstring wideName(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int bytes = static_cast<int>(utf8.size());
  const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  const int converted = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, wide.data(), units);
  wide.resize(static_cast<std::size_t>(converted));
  return wide;
}

void removeFile(const std::string& path) {
  DeleteFileW(wideName(path).c_str());
}

bool writeAll(int fd, const char* bytes, std::size_t count) {
  const bool written = writeAllTo(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), bytes, count);
  if (!written) errno = static_cast<int>(GetLastError());
  return written;
}

std::string resolveLinks(const std::string& path) {
  assert(!path.empty());
  std::string resolved = path;
  for (int followed = 0; followed <= kMaxLinksFollowed; ++followed) {
    std::vector<char> buffer(4096);
    ssize_t length;
    for (;;) {
      length = ::readlink(resolved.c_str(), buffer.data(), buffer.size());
      if (length < 0 || static_cast<std::size_t>(length) < buffer.size()) break;
      buffer.resize(buffer.size() * 2);
    }
    if (length < 0) return resolved;  // no link (or nothing) at this name: it names the file
    const std::string target(buffer.data(), static_cast<std::size_t>(length));
    resolved = target.front() == '/' ? target : folderOf(resolved) + "/" + target;
  }
  fail(path, ELOOP);
}

namespace {

// Whether a file stands at `target` to be replaced; throws when it is anything but a writable
// regular file. Sets `model` to a handle on it (the caller closes it) when there is one.
bool checkReplaceable(const std::string& target, HANDLE& model) {
  model = openToAsk(target);
  if (model == INVALID_HANDLE_VALUE) {
    if (GetLastError() != ENOENT) fail(target, GetLastError());
    return false;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  GetFileInformationByHandle(model, &info);
  const DWORD type = GetFileType(model);
  const char* refusal = nullptr;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    refusal = std::strerror(EISDIR);
  else if (type != FILE_TYPE_DISK)
    refusal = "not a regular file";
  else if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
    refusal = "the file is read-only";
  if (refusal != nullptr) {
    CloseHandle(model);
    throw FileSystemError(target, refusal);
  }
  return true;
}

}  // namespace

TemporaryFile createTemporaryBeside(const std::string& target) {
  TemporaryFile file{{}, nullptr, false};
  HANDLE model = nullptr;
  file.replacing = checkReplaceable(target, model);
  HANDLE created;
  try {
    // The new file takes the permissions of the file it replaces, whatever the mask.
    created = createExclusive(target, "save", file.replacing ? model : nullptr, file.path, target);
  } catch (...) {
    if (file.replacing) CloseHandle(model);
    throw;
  }
  if (file.replacing) CloseHandle(model);
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(created), _O_WRONLY);
  file.stream = _fdopen(fd, "wb");
  if (file.stream == nullptr) {
    const int error = errno;
    _close(fd);
    removeFile(file.path);
    fail(target, static_cast<DWORD>(error));
  }
  return file;
}

void flushToDiskAndClose(std::FILE* stream, const std::string& path) {
  assert(stream != nullptr);
  DWORD error = 0;
  if (std::fflush(stream) != 0) error = static_cast<DWORD>(errno);
  if (error == 0 && !FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)))))
    error = GetLastError();
  if (std::fclose(stream) != 0 && error == 0) error = static_cast<DWORD>(errno);
  if (error != 0) fail(path, error);
}

void moveOver(const std::string& from, const std::string& to) {
  if (!MoveFileExW(wideName(from).c_str(), wideName(to).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    fail(to, GetLastError());
}

void moveToFreeName(const std::string& from, const std::string& to) {
  if (!MoveFileExW(wideName(from).c_str(), wideName(to).c_str(), MOVEFILE_WRITE_THROUGH))
    fail(to, GetLastError());
}

int openStreamInPlace(const std::string& path) {
  const HANDLE asked = openToAsk(path);
  if (asked == INVALID_HANDLE_VALUE) return -1;
  const DWORD type = GetFileType(asked);
  CloseHandle(asked);
  if (type != FILE_TYPE_CHAR && type != FILE_TYPE_PIPE) return -1;
  const HANDLE file = CreateFileW(wideName(path).c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) fail(path, GetLastError());
  return _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY);
}

std::string copyBeside(const std::string& source, const std::string& backup) {
  if (isReadOnlyFile(GetFileAttributesW(wideName(backup).c_str())))
    throw FileSystemError(backup, "the file is read-only");
  std::string name;
  if (linkBeside(source, backup, name)) return name;
  return flushedCopyBeside(source, backup, "backup");
}

std::string copyToTemporaryBeside(const std::string& source, const std::string& near,
                                  const char* what) {
  return flushedCopyBeside(source, near, what);
}
