// The number-scan floor: what loading a JSON document cannot go below, a plain read of the file
// and std::from_chars over every number in it, for the benchmarks to measure loading against.
#pragma once

#include <cstddef>
#include <filesystem>

namespace benchdoc {

/// What one scan found, so that the work cannot be optimised away.
struct ScanResult {
  std::size_t numbers = 0;
  double sum = 0;
};

/// Reads `file` whole with read(2) and converts every number outside strings with
/// std::from_chars: integers (no fraction, no exponent) to int64, the others to double.
/// Throws std::runtime_error when the file cannot be read.
ScanResult ScanNumbers(const std::filesystem::path& file);

}  // namespace benchdoc
