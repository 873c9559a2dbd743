#include "gltf/GlbFile.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/OutputReplacement.h"

namespace QzOrv::scene {
namespace {

constexpr std::uint32_t kMagic = 0x46546C67;  // "glTF"
constexpr std::uint32_t kVersion = 2;
constexpr std::uint32_t kJsonChunk = 0x4E4F534A;    // "JSON"
constexpr std::uint32_t kBinaryChunk = 0x004E4942;  // "BIN\0"

std::size_t padding(std::size_t size) {
  return (4 - size % 4) % 4;
}

void putU32(std::byte* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::byte>(value >> (8 * i));
}

}  // namespace

std::size_t BinaryBuffer::add(std::span<const std::byte> bytes, std::shared_ptr<const void> owner) {
  static constexpr std::array<std::byte, 3> kZeros{};
  if (const std::size_t pad = padding(size_)) {
    pieces_.push_back(std::span(kZeros).first(pad));
    size_ += pad;
  }
  const std::size_t offset = size_;
  pieces_.push_back(bytes);
  owners_.push_back(std::move(owner));
  size_ += bytes.size();
  return offset;
}

void writeGlbFile(const std::filesystem::path& file, const std::string& json,
                  const BinaryBuffer& binary) {
  // The JSON chunk is padded with spaces, the binary chunk with zeros.
  const std::size_t jsonLength = json.size() + padding(json.size());
  const std::size_t binaryLength = binary.size() + padding(binary.size());
  const std::size_t total = 12 + 8 + jsonLength + (binary.size() == 0 ? 0 : 8 + binaryLength);
  if (total > UINT32_MAX) {
    throw OutputError(file.string() + ": cannot write: " + std::to_string(total) +
                      " bytes are more than a binary glTF file can hold (4 GiB)");
  }

  std::array<std::byte, 20> head{};
  putU32(&head[0], kMagic);
  putU32(&head[4], kVersion);
  putU32(&head[8], static_cast<std::uint32_t>(total));
  putU32(&head[12], static_cast<std::uint32_t>(jsonLength));
  putU32(&head[16], kJsonChunk);
  static constexpr std::array<std::byte, 3> kSpaces{std::byte{' '}, std::byte{' '}, std::byte{' '}};
  static constexpr std::array<std::byte, 3> kZeros{};
  std::vector<std::span<const std::byte>> pieces{head,
                                                 std::as_bytes(std::span(json.data(), json.size())),
                                                 std::span(kSpaces).first(padding(json.size()))};
  std::array<std::byte, 8> binaryHead{};
  if (binary.size() > 0) {
    putU32(&binaryHead[0], static_cast<std::uint32_t>(binaryLength));
    putU32(&binaryHead[4], kBinaryChunk);
    pieces.push_back(binaryHead);
    pieces.insert(pieces.end(), binary.pieces().begin(), binary.pieces().end());
    pieces.push_back(std::span(kZeros).first(padding(binary.size())));
  }
  writeWholeFile(file, pieces);
}

}  // namespace QzOrv::scene
