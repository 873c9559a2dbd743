// The number-scan floor: what loading a JSON document cannot go below, a plain read of the file
// and std::from_chars over every number in it, for the benchmarks to measure loading against.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string_view>

namespace benchdoc {

/// What one scan found, so that the work cannot be optimised away.
struct ScanResult {
  std::size_t numbers = 0;
  double sum = 0;
};

/// A file's bytes in one block, followed by a NUL byte.
struct FileText {
  std::unique_ptr<char[]> bytes;
  std::size_t size = 0;

  std::string_view view() const { return {bytes.get(), size}; }
};

/// The whole of `file`, read with read(2) into a block left uninitialised until read into.
/// Throws std::runtime_error when the file cannot be read.
FileText ReadWholeFile(const std::filesystem::path& file);

/// Reads `file` whole with ReadWholeFile and converts every number outside strings with
/// std::from_chars: integers (no fraction, no exponent) to int64, the others to double.
/// Throws std::runtime_error when the file cannot be read.
ScanResult ScanNumbers(const std::filesystem::path& file);

}  // namespace benchdoc
