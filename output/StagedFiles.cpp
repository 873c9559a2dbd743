#include "output/StagedFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "output/FileReplacement.h"

namespace {

// Reads up to `size` bytes; the count read, short only at the end of the file; -1 on error.
ssize_t readUpTo(int fd, char* buffer, std::size_t size) {
  std::size_t total = 0;
  while (total < size) {
    const ssize_t n = ::read(fd, buffer + total, size - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    total += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(total);
}

bool sameStreams(int a, int b) {
  constexpr std::size_t kBlock = 64 * 1024;
  std::string first(kBlock, '\0'), second(kBlock, '\0');
  for (;;) {
    const ssize_t n = readUpTo(a, first.data(), kBlock);
    const ssize_t m = readUpTo(b, second.data(), kBlock);
    if (n < 0 || n != m) return false;
    if (n == 0) return true;
    if (std::memcmp(first.data(), second.data(), static_cast<std::size_t>(n)) != 0) return false;
  }
}

// A descriptor on the regular file `path` with its size; -1 for anything else (never blocks on a
// pipe).
int openRegular(const std::string& path, off_t& size) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return -1;
  }
  size = info.st_size;
  return fd;
}

}  // namespace

StagedFiles::~StagedFiles() {
  discard();
}

int StagedFiles::makeFolder(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0777) != 0) return errno;
  m_folders.push_back(folder);
  return 0;
}

void StagedFiles::stage(const std::string& source, const std::string& destination) {
  m_copies.push_back({copyToTemporaryBeside(source, destination, "texture"), destination});
}

void StagedFiles::place() {
  for (Copy& copy : m_copies) {
    if (copy.placed || copy.temporary.empty()) continue;
    try {
      moveToFreeName(copy.temporary, copy.destination);
      copy.placed = true;
    } catch (const FileSystemError&) {
      // Another export of the same image to the same folder came first: its file will do, and
      // is not this export's to remove.
      if (!holdSameBytes(copy.destination, copy.temporary)) throw;
      ::unlink(copy.temporary.c_str());
      copy.temporary.clear();
    }
  }
}

void StagedFiles::commit() {
  m_copies.clear();
  m_folders.clear();
}

void StagedFiles::discard() {
  for (const Copy& copy : m_copies) {
    if (copy.placed)
      ::unlink(copy.destination.c_str());
    else if (!copy.temporary.empty())
      ::unlink(copy.temporary.c_str());
  }
  m_copies.clear();
  for (auto folder = m_folders.rbegin(); folder != m_folders.rend(); ++folder)
    ::rmdir(folder->c_str());  // refused when the folder holds anything: then it stays
  m_folders.clear();
}

bool holdSameBytes(const std::string& a, const std::string& b) {
  off_t sizeA = 0, sizeB = 0;
  const int first = openRegular(a, sizeA);
  if (first < 0) return false;
  const int second = openRegular(b, sizeB);
  const bool same = second >= 0 && sizeA == sizeB && sameStreams(first, second);
  ::close(first);
  if (second >= 0) ::close(second);
  return same;
}
