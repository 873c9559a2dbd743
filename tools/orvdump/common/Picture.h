// An RGB picture as orvdump's preview makes it, writing it as a PNG file, and encoding pixel
// rows as PNG bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "common/MaterialLook.h"

namespace QzOrv::scene {

/// `width` × `height` pixels, rows from top to bottom, three bytes (red, green, blue) per pixel.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;

  Picture() = default;
  Picture(int w, int h, Rgb fill);
  /// The pixel in column `x` (0 left) and row `y` (0 top); both must lie inside.
  Rgb at(int x, int y) const;
  void set(int x, int y, Rgb colour);
};

/// Writes `picture` as an 8-bit RGB PNG file at `file`, replacing it. Throws OutputError when it
/// cannot; `file` then stays as it was.
void writePng(const Picture& picture, const std::filesystem::path& file);

/// PNG bytes of `width` × `height` 8-bit pixels of `channels` bytes each (3 RGB, 4 RGBA), rows
/// from top to bottom in `pixels` (width × height × channels bytes). Empty when the PNG library
/// fails, with `error` set.
std::vector<std::byte> encodePng(int width, int height, int channels, const std::uint8_t* pixels,
                                 const char*& error);

}  // namespace QzOrv::scene
