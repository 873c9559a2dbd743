#include "output/StagedFiles.h"

#include <cstdint>
#include <cstring>

#include "output/FileReplacement.h"
#include "windows.h"

namespace {

// Reads up to `size` bytes; the count read, short only at the end of the file; -1 on error.
long readUpTo(HANDLE file, char* buffer, std::size_t size) {
  std::size_t total = 0;
  while (total < size) {
    DWORD read = 0;
    if (!ReadFile(file, buffer + total, static_cast<DWORD>(size - total), &read, nullptr))
      return -1;
    if (read == 0) break;
    total += read;
  }
  return static_cast<long>(total);
}

bool sameStreams(HANDLE a, HANDLE b) {
  constexpr std::size_t kBlock = 64 * 1024;
  std::string first(kBlock, '\0'), second(kBlock, '\0');
  for (;;) {
    const long n = readUpTo(a, first.data(), kBlock);
    const long m = readUpTo(b, second.data(), kBlock);
    if (n < 0 || n != m) return false;
    if (n == 0) return true;
    if (std::memcmp(first.data(), second.data(), static_cast<std::size_t>(n)) != 0) return false;
  }
}

// A handle reading the regular file `path`, with its size; INVALID_HANDLE_VALUE for anything
// else (never blocks on a pipe).
HANDLE openRegular(const std::string& path, std::uint64_t& size) {
  const HANDLE file = CreateFileW(wideName(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return file;
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info)) {
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  size = std::uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
  return file;
}

}  // namespace

StagedFiles::~StagedFiles() {
  discard();
}

int StagedFiles::makeFolder(const std::string& folder) {
  if (!CreateDirectoryW(wideName(folder).c_str(), nullptr)) return static_cast<int>(GetLastError());
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
      removeFile(copy.temporary);
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
      removeFile(copy.destination);
    else if (!copy.temporary.empty())
      removeFile(copy.temporary);
  }
  m_copies.clear();
  // A folder that holds anything is refused: then it stays.
  for (auto folder = m_folders.rbegin(); folder != m_folders.rend(); ++folder)
    RemoveDirectoryW(wideName(*folder).c_str());
  m_folders.clear();
}

bool holdSameBytes(const std::string& a, const std::string& b) {
  std::uint64_t sizeA = 0, sizeB = 0;
  const HANDLE first = openRegular(a, sizeA);
  if (first == INVALID_HANDLE_VALUE) return false;
  const HANDLE second = openRegular(b, sizeB);
  const bool same = second != INVALID_HANDLE_VALUE && sizeA == sizeB && sameStreams(first, second);
  CloseHandle(first);
  if (second != INVALID_HANDLE_VALUE) CloseHandle(second);
  return same;
}
