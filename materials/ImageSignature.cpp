#include "materials/ImageSignature.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <string_view>

namespace {

constexpr std::size_t kHeadSize = 32;

struct Signature {
  std::size_t offset;
  std::string_view bytes;
};

using namespace std::string_view_literals;

// The leading bytes of each format (WebP: "RIFF", four size bytes, then "WEBP").
constexpr std::array kSignatures{
    Signature{0, "\x89PNG\r\n\x1a\n"sv},
    Signature{0, "\xff\xd8\xff"sv},
    Signature{0, "\0\0\0\x0cjP  \r\n\x87\n"sv},
    Signature{0, "\xff\x4f\xff\x51"sv},
    Signature{0, "GIF87a"sv},
    Signature{0, "GIF89a"sv},
    Signature{0, "II*\0"sv},
    Signature{0, "MM\0*"sv},
    Signature{0, "#?RADIANCE"sv},
    Signature{0, "#?RGBE"sv},
    Signature{0, "\x76\x2f\x31\x01"sv},
    Signature{8, "WEBP"sv},
    Signature{0, "DDS "sv},
    Signature{0, "\xabKTX 11\xbb"sv},
    Signature{0, "\xabKTX 20\xbb"sv},
    Signature{0, "8BPS"sv},
};

bool startsWith(std::string_view head, const Signature& signature) {
  return head.size() >= signature.offset + signature.bytes.size() &&
         head.substr(signature.offset, signature.bytes.size()) == signature.bytes;
}

// "BM" alone starts too many files: the size of the header that follows must be one of the
// format's.
bool isBitmap(std::string_view head) {
  if (head.size() < 18 || head.substr(0, 2) != "BM") return false;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(head[i]); };
  const unsigned size = byte(14) | byte(15) << 8 | byte(16) << 16 | unsigned(byte(17)) << 24;
  return size == 12 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 ||
         size == 124;
}

bool endsWithTga(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  std::transform(tail.begin(), tail.end(), tail.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return tail == ".tga";
}

// A Targa header: a colour map flag of 0 or 1, an image type the format defines, a known pixel
// depth and both sides not 0.
bool isTarga(std::string_view head, const std::string& path) {
  if (head.size() < 18 || !endsWithTga(path)) return false;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(head[i]); };
  const unsigned type = byte(2), depth = byte(16);
  const bool knownType =
      type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
  const bool knownDepth = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
  const unsigned width = byte(12) | byte(13) << 8, height = byte(14) | byte(15) << 8;
  return byte(1) <= 1 && knownType && knownDepth && width > 0 && height > 0;
}

}  // namespace

TextureSource inspectTextureSource(const std::string& utf8Path) {
  const int fd = ::open(utf8Path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return TextureSource::unreadable;
  struct stat info;
  const bool known = ::fstat(fd, &info) == 0;
  if (!known || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return known ? TextureSource::notRegular : TextureSource::unreadable;
  }
  char buffer[kHeadSize];
  ssize_t n;
  do {
    n = ::pread(fd, buffer, sizeof buffer, 0);
  } while (n < 0 && errno == EINTR);
  ::close(fd);
  if (n < 0) return TextureSource::unreadable;
  const std::string_view head(buffer, static_cast<std::size_t>(n));
  const bool image =
      std::any_of(kSignatures.begin(), kSignatures.end(),
                  [&](const Signature& signature) { return startsWith(head, signature); }) ||
      isBitmap(head) || isTarga(head, utf8Path);
  return image ? TextureSource::image : TextureSource::notImage;
}
