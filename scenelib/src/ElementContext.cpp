#include "ElementContext.h"

namespace QzOrv::scene {
namespace {

// The splitmix64 finaliser: a bijection on 64-bit values that spreads every input bit.
std::uint64_t mix(std::uint64_t value) {
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ULL;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EBULL;
  return value ^ (value >> 31);
}

std::uint8_t byteOf(std::uint64_t value, int index) {
  return static_cast<std::uint8_t>(value >> (8 * index));
}

}  // namespace

OrvId IdSource::next(ElementKind kind) {
  ++created_;
  // All eight bytes of `unique` land in the id untouched by the version and variant bits, so ids
  // of different creations differ; `spread` only fills the remaining bits.
  const std::uint64_t unique = mix(created_);
  const std::uint64_t spread = mix(unique ^ (static_cast<std::uint64_t>(kind) << 56));
  OrvId id{};
  for (int i = 0; i < 6; ++i) id.bytes[i] = byteOf(unique, i);
  id.bytes[6] = static_cast<std::uint8_t>(0x40 | static_cast<std::uint8_t>(kind));  // version 4
  id.bytes[7] = byteOf(unique, 6);
  id.bytes[8] = static_cast<std::uint8_t>(0x80 | (byteOf(spread, 0) & 0x3F));  // RFC variant
  id.bytes[9] = byteOf(unique, 7);
  for (int i = 10; i < 16; ++i) id.bytes[i] = byteOf(spread, i - 9);
  return id;
}

}  // namespace QzOrv::scene
