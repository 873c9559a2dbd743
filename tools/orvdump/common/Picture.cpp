#include "common/Picture.h"

#include <png.h>

#include <cassert>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/OutputReplacement.h"

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

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::byte>*>(png_get_io_ptr(png));
  const auto* bytes = reinterpret_cast<const std::byte*>(data);
  out->insert(out->end(), bytes, bytes + length);
}

void noFlush(png_structp) {}

/// Encodes the pixels into `out`; false with `error` set when the PNG library fails. Holds no
/// object with a destructor, since the library leaves it by a long jump on failure.
bool encodeInto(int width, int height, int channels, const std::uint8_t* pixels,
                std::vector<std::byte>& out, const char*& error) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    error = "out of memory";
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    error = "the PNG library failed";
    return false;
  }
  png_set_write_fn(png, &out, appendBytes, noFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Large flat areas compress well with one quick filter and fast compression; trying every
  // filter on every row costs more time than it saves bytes.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
  png_set_compression_level(png, 3);
  png_write_info(png, info);
  const std::size_t stride = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
  for (int y = 0; y < height; ++y) {
    png_write_row(png, pixels + static_cast<std::size_t>(y) * stride);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

std::vector<std::byte> encodePng(int width, int height, int channels, const std::uint8_t* pixels,
                                 const char*& error) {
  assert(width > 0 && height > 0 && (channels == 3 || channels == 4));
  std::vector<std::byte> bytes;
  bytes.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  if (!encodeInto(width, height, channels, pixels, bytes, error)) bytes.clear();
  return bytes;
}

void writePng(const Picture& picture, const std::filesystem::path& file) {
  // The PNG is made in memory first, so the file is written whole or not at all.
  const char* error = nullptr;
  const std::vector<std::byte> bytes =
      encodePng(picture.width, picture.height, 3, picture.rgb.data(), error);
  if (bytes.empty()) throw OutputError(file.string() + ": cannot write: " + error);
  writeWholeFile(file, {bytes});
}

}  // namespace QzOrv::scene
