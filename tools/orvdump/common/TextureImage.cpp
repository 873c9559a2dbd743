#include "common/TextureImage.h"

#include <stb_image.h>

#include <cmath>
#include <cstdio>
#include <memory>

namespace QzOrv::scene {
namespace {

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

/// The pixel index (0 to size - 1) that coordinate `t` (one unit per image) falls in.
int wrapped(double t, int size) {
  if (!std::isfinite(t)) return 0;
  const double fraction = t - std::floor(t);
  const int index = static_cast<int>(fraction * size);
  return index < size ? index : size - 1;
}

}  // namespace

std::array<std::uint8_t, 4> TextureImage::sample(double u, double v) const {
  const std::size_t i = (static_cast<std::size_t>(wrapped(v, height)) * width +
                         static_cast<std::size_t>(wrapped(u, width))) *
                        4;
  return {rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
}

std::optional<TextureImage> readTextureImage(const std::filesystem::path& file, std::string& why) {
  const std::unique_ptr<std::FILE, CloseFile> in(std::fopen(file.c_str(), "rb"));
  if (!in) {
    why = "cannot be opened";
    return std::nullopt;
  }
  int width = 0, height = 0, channels = 0;
  if (!stbi_info_from_file(in.get(), &width, &height, &channels)) {
    why = std::string("holds no image orvdump can read (") + stbi_failure_reason() + ")";
    return std::nullopt;
  }
  if (width > kMaxTextureSide || height > kMaxTextureSide) {
    why = "is " + std::to_string(width) + " × " + std::to_string(height) + " pixels, larger than " +
          std::to_string(kMaxTextureSide) + " a side";
    return std::nullopt;
  }
  std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> pixels(
      stbi_load_from_file(in.get(), &width, &height, &channels, 4), &stbi_image_free);
  if (!pixels || width < 1 || height < 1) {
    why = std::string("cannot be decoded (") + stbi_failure_reason() + ")";
    return std::nullopt;
  }
  TextureImage image;
  image.width = width;
  image.height = height;
  image.rgba.assign(pixels.get(), pixels.get() + static_cast<std::size_t>(width) * height * 4);
  return image;
}

}  // namespace QzOrv::scene
