// The binary glTF container: a 12-byte header, the JSON chunk and the binary chunk, each chunk
// padded to a multiple of four bytes; and the binary buffer that an export fills piece by piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace QzOrv::scene {

/// The bytes of the binary chunk (glTF buffer 0), kept as the pieces appended, never copied.
/// Every piece starts at a multiple of four bytes, which suits every accessor component type.
class BinaryBuffer {
 public:
  /// Takes over `values` and appends their bytes after zero padding to the next multiple of
  /// four; returns their offset.
  template <class T>
  std::size_t append(std::vector<T> values) {
    auto owned = std::make_shared<const std::vector<T>>(std::move(values));
    return add(std::as_bytes(std::span(*owned)), owned);
  }
  std::size_t size() const { return size_; }
  /// Every byte in order: the pieces and the padding between them.
  const std::vector<std::span<const std::byte>>& pieces() const { return pieces_; }

 private:
  std::size_t add(std::span<const std::byte> bytes, std::shared_ptr<const void> owner);

  std::vector<std::span<const std::byte>> pieces_;
  std::vector<std::shared_ptr<const void>> owners_;
  std::size_t size_ = 0;
};

/// Writes `file` as a binary glTF file holding `json` (the glTF JSON, UTF-8) and, unless it is
/// empty, `binary` as its binary chunk. Throws OutputError when the file cannot be written, which
/// then stays as it was.
void writeGlbFile(const std::filesystem::path& file, const std::string& json,
                  const BinaryBuffer& binary);

}  // namespace QzOrv::scene
