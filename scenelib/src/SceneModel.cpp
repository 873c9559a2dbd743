#include "orv/SceneModel.h"

namespace QzOrv::scene {

bool isNil(const OrvId& id) {
  return std::all_of(std::begin(id.bytes), std::end(id.bytes),
                     [](std::uint8_t b) { return b == 0; });
}

std::string formatId(const OrvId& id) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(36);
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
    text += kDigits[id.bytes[i] >> 4];
    text += kDigits[id.bytes[i] & 0x0f];
  }
  return text;
}

}  // namespace QzOrv::scene
