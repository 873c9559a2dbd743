#include "Picture.h"

#include <png.h>

#include <cassert>
#include <cstdlib>
#include <memory>
#include <string>

#include "OutputFile.h"

namespace QzOrv::scene {

Picture::Picture(int w, int h, Rgb fill) : width(w), height(h) {
  assert(w > 0 && h > 0);
  rgb.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
  for (std::size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = fill.r;
    rgb[i + 1] = fill.g;
    rgb[i + 2] = fill.b;
  }
}

Rgb Picture::at(int x, int y) const {
  assert(x >= 0 && x < width && y >= 0 && y < height);
  const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                         static_cast<std::size_t>(x)) *
                        3;
  return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

void Picture::set(int x, int y, Rgb colour) {
  assert(x >= 0 && x < width && y >= 0 && y < height);
  const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                         static_cast<std::size_t>(x)) *
                        3;
  rgb[i] = colour.r;
  rgb[i + 1] = colour.g;
  rgb[i + 2] = colour.b;
}

void writePng(const Picture& picture, const std::filesystem::path& file) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = PNG_FORMAT_RGB;
  // The PNG is made in memory first, so the file is written whole or not at all.
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, picture.rgb.data(), 0, nullptr)) {
    throw OutputError(file.string() + ": cannot write: " + image.message);
  }
  std::unique_ptr<std::byte[]> bytes(new std::byte[size]);
  if (!png_image_write_to_memory(&image, bytes.get(), &size, 0, picture.rgb.data(), 0, nullptr)) {
    throw OutputError(file.string() + ": cannot write: " + image.message);
  }
  writeWholeFile(file, {std::span<const std::byte>(bytes.get(), size)});
}

}  // namespace QzOrv::scene
