#include "OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace QzOrv::scene {

namespace {

[[noreturn]] void fail(const std::filesystem::path& file, int error) {
  throw OutputError(file.string() + ": cannot write: " + std::strerror(error));
}

/// Writes all of `bytes` to `fd`; false with errno set when it cannot.
bool writeAll(int fd, std::span<const std::byte> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

void writeWholeFile(const std::filesystem::path& file,
                    const std::vector<std::span<const std::byte>>& pieces) {
  // The temporary sits in the same folder, so the final rename never crosses file systems.
  std::string temporary = file.string() + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) fail(file, errno);
  bool written = true;
  for (const std::span<const std::byte> piece : pieces) {
    if (!writeAll(fd, piece)) {
      written = false;
      break;
    }
  }
  const int error = written ? 0 : errno;
  // mkstemp makes the file readable by its owner only; an output file gets the usual rights.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  if (::close(fd) != 0 && written) {
    ::unlink(temporary.c_str());
    fail(file, errno);
  }
  if (!written) {
    ::unlink(temporary.c_str());
    fail(file, error);
  }
  if (std::rename(temporary.c_str(), file.c_str()) != 0) {
    const int renameError = errno;
    ::unlink(temporary.c_str());
    fail(file, renameError);
  }
}

}  // namespace QzOrv::scene
