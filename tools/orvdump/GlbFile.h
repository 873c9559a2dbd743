// The binary glTF container: a 12-byte header, the JSON chunk and the binary chunk, each chunk
// padded to a multiple of four bytes; and the binary buffer that an export fills piece by piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace QzOrv::scene {

/// The bytes of the binary chunk (glTF buffer 0). Every piece starts at a multiple of four bytes,
/// which suits every accessor component type.
class BinaryBuffer {
 public:
  /// Appends `bytes` after zero padding to the next multiple of four; returns their offset.
  std::size_t append(std::span<const std::byte> bytes);
  template <class T>
  std::size_t appendValues(std::span<const T> values) {
    return append(std::as_bytes(values));
  }
  std::size_t size() const { return bytes_.size(); }
  std::span<const std::byte> bytes() const { return bytes_; }

 private:
  std::vector<std::byte> bytes_;
};

/// Writes `file` as a binary glTF file holding `json` (the glTF JSON, UTF-8) and, unless it is
/// empty, `binary` as its binary chunk. Throws OutputError when the file cannot be written, which
/// then stays as it was.
void writeGlbFile(const std::filesystem::path& file, const std::string& json,
                  std::span<const std::byte> binary);

}  // namespace QzOrv::scene
