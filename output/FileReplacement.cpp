#include "output/FileReplacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// The same limit as the system's own for the links met while resolving one path.
constexpr int kMaxLinksFollowed = 40;
constexpr int kNameAttempts = 100;

std::string systemReason(int error) {
  return std::strerror(error);
}

[[noreturn]] void fail(const std::string& path, int error) {
  throw FileSystemError(path, systemReason(error));
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

// Opens a new file exclusively under a fresh temporary name beside `near`; its descriptor, with
// `name` set. Throws naming `reportAs`.
int createExclusive(const std::string& near, const char* what, mode_t mode, std::string& name,
                    const std::string& reportAs) {
  const std::string folder = folderOf(near);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    name = temporaryName(folder, what);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) return fd;
    if (errno != EEXIST) fail(reportAs, errno);
  }
  fail(reportAs, EEXIST);
}

// A regular file without its owner's write permission stands for the read-only attribute, which
// the host platform honours even when the folder would allow replacing the file.
bool isReadOnly(const struct stat& info) {
  return S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) == 0;
}

// Makes a folder's new or renamed entries durable. Some file systems cannot flush a folder; the
// rename itself has happened by then, so that is no failure.
void flushFolder(const std::string& path) {
  const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Copies every byte of `source` into the open file `out` and flushes it to disk; errno on failure.
int copyInto(const std::string& source, int out) {
  const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return errno;
  std::vector<char> block(64 * 1024);
  int error = 0;
  for (;;) {
    const ssize_t n = ::read(in, block.data(), block.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n <= 0) break;
    if (!writeAll(out, block.data(), static_cast<std::size_t>(n))) {
      error = errno != 0 ? errno : EIO;
      break;
    }
  }
  ::close(in);
  if (error == 0 && ::fsync(out) != 0) error = errno;
  return error;
}

// A hard link to `source` under a temporary name beside `backup`; false (and `name` empty) when
// the file system refuses the link, so a copy must do.
bool linkBeside(const std::string& source, const std::string& backup, std::string& name) {
  const std::string folder = folderOf(backup);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    name = temporaryName(folder, "backup");
    if (::link(source.c_str(), name.c_str()) == 0) return true;
    if (errno != EEXIST) break;
  }
  name.clear();
  return false;
}

// A flushed copy of `source` under a temporary name ".orv-<what>-..." beside `near`; throws
// naming `near`.
std::string flushedCopyBeside(const std::string& source, const struct stat& info,
                              const std::string& near, const char* what) {
  std::string name;
  const int out = createExclusive(near, what, info.st_mode & 07777, name, near);
  // The mask must not narrow the permissions the copy takes from its source.
  ::fchmod(out, info.st_mode & 07777);
  int error = copyInto(source, out);
  if (::close(out) != 0 && error == 0) error = errno;
  if (error != 0) {
    ::unlink(name.c_str());
    fail(near, error);
  }
  return name;
}

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

bool writeAll(int fd, const char* bytes, std::size_t count) {
  while (count > 0) {
    const ssize_t n = ::write(fd, bytes, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    count -= static_cast<std::size_t>(n);
  }
  return true;
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

TemporaryFile createTemporaryBeside(const std::string& target) {
  TemporaryFile file{{}, nullptr, false};
  mode_t mode = 0666;  // narrowed by the process's file-creation mask for a new file
  struct stat info;
  if (::stat(target.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) fail(target, EISDIR);
    if (!S_ISREG(info.st_mode)) throw FileSystemError(target, "not a regular file");
    if (isReadOnly(info)) throw FileSystemError(target, "the file is read-only");
    mode = info.st_mode & 07777;
    file.replacing = true;
  } else if (errno != ENOENT) {
    fail(target, errno);
  }
  const int fd = createExclusive(target, "save", mode, file.path, target);
  // The mask must not narrow the permissions of the file being replaced.
  if (file.replacing) ::fchmod(fd, mode);
  file.stream = ::fdopen(fd, "wb");
  if (file.stream == nullptr) {
    const int error = errno;
    ::close(fd);
    ::unlink(file.path.c_str());
    fail(target, error);
  }
  return file;
}

void flushToDiskAndClose(std::FILE* stream, const std::string& path) {
  assert(stream != nullptr);
  int error = 0;
  if (std::fflush(stream) != 0) error = errno;
  if (error == 0 && ::fsync(::fileno(stream)) != 0) error = errno;
  if (std::fclose(stream) != 0 && error == 0) error = errno;
  if (error != 0) fail(path, error);
}

void moveOver(const std::string& from, const std::string& to) {
  struct stat moved;
  const bool known = ::lstat(from.c_str(), &moved) == 0;
  if (::rename(from.c_str(), to.c_str()) != 0) fail(to, errno);
  // Where both names already are links of one file, rename leaves both; removing `from` then
  // completes the move.
  struct stat left;
  if (known && ::lstat(from.c_str(), &left) == 0 && sameFile(left, moved)) ::unlink(from.c_str());
  flushFolder(to);
}

void moveToFreeName(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
    if (errno != EINVAL && errno != ENOSYS) fail(to, errno);
    // A file system without the no-replace rename: a new link is refused as well when the name
    // is taken.
    if (::link(from.c_str(), to.c_str()) != 0) fail(to, errno);
    ::unlink(from.c_str());
  }
  flushFolder(to);
}

int openStreamInPlace(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0 || !(S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode)))
    return -1;
  // A pipe without a reader would block a plain open for ever; without waiting it is refused.
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) fail(path, errno);
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

std::string copyBeside(const std::string& source, const std::string& backup) {
  struct stat existing;
  if (::lstat(backup.c_str(), &existing) == 0 && isReadOnly(existing))
    throw FileSystemError(backup, "the file is read-only");
  struct stat info;
  if (::stat(source.c_str(), &info) != 0) fail(backup, errno);
  std::string name;
  if (linkBeside(source, backup, name)) return name;
  return flushedCopyBeside(source, info, backup, "backup");
}

std::string copyToTemporaryBeside(const std::string& source, const std::string& near,
                                  const char* what) {
  struct stat info;
  if (::stat(source.c_str(), &info) != 0) fail(near, errno);
  return flushedCopyBeside(source, info, near, what);
}
