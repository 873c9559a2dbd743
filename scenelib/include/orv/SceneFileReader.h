// Reading a scene file back into a scene model, checking every length, count and checksum and
// naming the offset and chunk of the first problem found.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>

#include "orv/SceneModel.h"

namespace QzOrv::scene {

/// A file that cannot be read as a scene. what() names the file, the byte offset, the chunk
/// being read (when there is one) and what was wrong, for example
/// "house.orv: offset 1234 (chunk ODEF, objectDefinitions[2]): polygon 7 has 5000 vertex
/// indices but only 12 bytes are left in the chunk".
class SceneFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Parses a whole scene file held in `bytes`; `source` names it in error messages. Accepts every
/// file version 2.x; chunks with unknown tags are checked and skipped. Throws SceneFileError for
/// anything else: a bad magic or header checksum, another major version, a truncated file, a
/// chunk checksum mismatch, impossible lengths or counts, unknown field bits, values outside
/// their range, element or chunk counts or a checksum that disagree with the end chunk (a chunk
/// removed, added or moved), a missing end chunk, or bytes after it. Never allocates more than
/// the input can hold.
Scene readScene(std::span<const std::uint8_t> bytes, const std::string& source);

/// Reads the file at `path` and parses it as readScene does, with the path as the source name.
/// Also throws SceneFileError when the file cannot be opened or read.
Scene readSceneFile(const std::filesystem::path& path);

}  // namespace QzOrv::scene
