// Writing one output file of orvdump whole or not at all, by the rules of the scene save: the
// bytes go to a temporary file beside it, which replaces the file only once everything is on disk.
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

/// Writes `pieces`, one after the other, as the whole content of `file`. "-" is standard output,
/// and a character device or pipe (/dev/stdout, /dev/null) is written in place. Otherwise a
/// symbolic link is followed (through any chain) and stays a link: the file it names is
/// replaced, keeping its permissions; a new file gets those the file-creation mask allows. A
/// folder, another kind of file or a read-only file is refused. On success `file` holds exactly
/// these bytes; on failure throws OutputError and leaves a replaced file as it was (absent, or
/// its previous content) and no temporary file behind.
void writeWholeFile(const std::filesystem::path& file,
                    const std::vector<std::span<const std::byte>>& pieces);

}  // namespace QzOrv::scene
