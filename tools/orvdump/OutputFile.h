// Writing one output file of orvdump whole or not at all: the bytes go to a temporary file beside
// it, which replaces the file only once everything was written.
#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <vector>

namespace QzOrv::scene {

/// An output file that could not be written; what() is "FILE: cannot write: reason".
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Writes `pieces`, one after the other, as the whole content of `file`. On success `file` holds
/// exactly these bytes; on failure throws OutputError and leaves `file` as it was (absent, or its
/// previous content) and no temporary file behind.
void writeWholeFile(const std::filesystem::path& file,
                    const std::vector<std::span<const std::byte>>& pieces);

}  // namespace QzOrv::scene
