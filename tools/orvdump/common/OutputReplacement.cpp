#include "common/OutputReplacement.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "output/FileReplacement.h"

namespace QzOrv::scene {

namespace {

using Pieces = std::vector<std::span<const std::byte>>;

// Writes every piece to `fd`; throws FileSystemError naming `name`.
void writePieces(int fd, const Pieces& pieces, const std::string& name) {
  for (const std::span<const std::byte> piece : pieces) {
    if (!writeAll(fd, reinterpret_cast<const char*>(piece.data()), piece.size()))
      throw FileSystemError(name, std::strerror(errno != 0 ? errno : EIO));
  }
}

// Writes a device or pipe opened in place, then closes it.
void writeInPlace(int fd, const Pieces& pieces, const std::string& name) {
  try {
    writePieces(fd, pieces, name);
  } catch (...) {
    ::close(fd);
    throw;
  }
  if (::close(fd) != 0) throw FileSystemError(name, std::strerror(errno));
}

// Replaces the regular file `target` (links resolved) through a flushed temporary file.
void replaceFile(const std::string& target, const Pieces& pieces) {
  const TemporaryFile file = createTemporaryBeside(target);
  try {
    try {
      writePieces(::fileno(file.stream), pieces, target);
    } catch (...) {
      std::fclose(file.stream);
      throw;
    }
    flushToDiskAndClose(file.stream, file.path);
    moveOver(file.path, target);
  } catch (...) {
    ::unlink(file.path.c_str());
    throw;
  }
}

}  // namespace

void writeWholeFile(const std::filesystem::path& file, const Pieces& pieces) {
  const std::string name = file.string();
  try {
    if (name == "-") {
      writePieces(STDOUT_FILENO, pieces, name);
      return;
    }
    const int fd = openStreamInPlace(name);
    if (fd >= 0) {
      writeInPlace(fd, pieces, name);
      return;
    }
    replaceFile(resolveLinks(name), pieces);
  } catch (const FileSystemError& error) {
    throw OutputError(name + ": cannot write: " + error.reason());
  }
}

}  // namespace QzOrv::scene
