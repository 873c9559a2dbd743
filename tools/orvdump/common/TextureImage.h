// Texture images as orvdump's glTF export and preview read them: any image file the image
// decoder knows (PNG, JPEG, BMP, GIF, TGA, ...) decoded into 8-bit RGBA pixels.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace QzOrv::scene {

/// The largest width or height of a texture image that is read, in pixels; larger images are
/// refused rather than decoded, to keep memory in bounds.
inline constexpr int kMaxTextureSide = 8192;

struct TextureImage {
  int width = 0, height = 0;
  /// Red, green, blue, alpha per pixel, rows from top to bottom.
  std::vector<std::uint8_t> rgba;

  /// The pixel at texture coordinates (u, v): u to the right and v downwards, one unit per
  /// image, the image repeating both ways; the nearest pixel. Non-finite coordinates give the
  /// top left pixel.
  std::array<std::uint8_t, 4> sample(double u, double v) const;
};

/// The decoded image in `file`, or nothing with `why` set (it cannot be read, it holds no image
/// the decoder knows, or it is larger than kMaxTextureSide).
std::optional<TextureImage> readTextureImage(const std::filesystem::path& file, std::string& why);

}  // namespace QzOrv::scene
