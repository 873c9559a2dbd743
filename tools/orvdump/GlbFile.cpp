#include "GlbFile.h"

#include <array>
#include <cstdint>
#include <string>

#include "OutputFile.h"

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

std::size_t BinaryBuffer::append(std::span<const std::byte> bytes) {
  bytes_.resize(bytes_.size() + padding(bytes_.size()), std::byte{0});
  const std::size_t offset = bytes_.size();
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return offset;
}

void writeGlbFile(const std::filesystem::path& file, const std::string& json,
                  std::span<const std::byte> binary) {
  // The JSON chunk is padded with spaces, the binary chunk with zeros.
  const std::size_t jsonLength = json.size() + padding(json.size());
  const std::size_t binaryLength = binary.size() + padding(binary.size());
  const std::size_t total = 12 + 8 + jsonLength + (binary.empty() ? 0 : 8 + binaryLength);
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
  const std::array<std::byte, 3> spaces{std::byte{' '}, std::byte{' '}, std::byte{' '}};
  std::array<std::byte, 8> binaryHead{};
  putU32(&binaryHead[0], static_cast<std::uint32_t>(binaryLength));
  putU32(&binaryHead[4], kBinaryChunk);
  const std::array<std::byte, 3> zeros{};

  const std::span<const std::byte> jsonBytes = std::as_bytes(std::span(json.data(), json.size()));
  if (binary.empty()) {
    writeWholeFile(file, {head, jsonBytes, std::span(spaces).first(padding(json.size()))});
  } else {
    writeWholeFile(file, {head, jsonBytes, std::span(spaces).first(padding(json.size())),
                          binaryHead, binary, std::span(zeros).first(padding(binary.size()))});
  }
}

}  // namespace QzOrv::scene
