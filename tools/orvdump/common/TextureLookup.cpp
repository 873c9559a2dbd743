#include "common/TextureLookup.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>

namespace QzOrv::scene {
namespace fs = std::filesystem;
namespace {

bool sameLetters(char a, char b) {
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), sameLetters);
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && startsWithNoCase(a, b);
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

/// `text` with every "%XY" replaced by its byte; a '%' not followed by two hex digits stays.
std::string percentDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
        hexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

/// True for "C:..." or "C|...": a Windows drive path.
bool hasDriveLetter(std::string_view path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) &&
         (path[1] == ':' || path[1] == '|');
}

/// True when `text` starts with a URI scheme ("http:", "file:") other than a drive letter.
bool hasScheme(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon < 2) return false;
  if (!std::isalpha(static_cast<unsigned char>(text[0]))) return false;
  return std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
  });
}

/// The path part of a file URL (after "file:"), or nothing when it names another host.
std::optional<std::string> fileUrlPath(std::string_view rest) {
  if (rest.starts_with("//")) {
    // "//host/path": only the local machine is reachable.
    const std::size_t slash = rest.find('/', 2);
    const std::string_view host =
        rest.substr(2, slash == std::string_view::npos ? slash : slash - 2);
    if (!host.empty() && !equalsNoCase(host, "localhost")) return std::nullopt;
    rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash);
  }
  std::string path = percentDecoded(rest);
  const std::size_t firstKept = path.find_first_not_of('/');
  if (firstKept == std::string::npos) return std::nullopt;
  path.erase(0, firstKept);
  if (hasDriveLetter(path)) {
    path[1] = ':';
    return path;
  }
  return "/" + path;
}

}  // namespace

std::optional<fs::path> pathFromTextureUrl(std::string_view url, const fs::path& baseFolder) {
  std::string path;
  if (startsWithNoCase(url, "file:")) {
    std::optional<std::string> local = fileUrlPath(url.substr(5));
    if (!local) return std::nullopt;
    path = std::move(*local);
  } else if (hasScheme(url)) {
    return std::nullopt;
  } else {
    path = std::string(url);
  }
  if (path.empty()) return std::nullopt;
  if (hasDriveLetter(path) || fs::path(path).is_absolute()) return fs::path(path);
  return baseFolder / path;
}

ImageKind imageKindOf(const fs::path& file) {
  std::array<unsigned char, 8> head{};
  std::ifstream in(file, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(head.data()), head.size())) return ImageKind::other;
  static constexpr std::array<unsigned char, 8> kPng = {0x89, 'P',  'N',  'G',
                                                        '\r', '\n', 0x1A, '\n'};
  if (head == kPng) return ImageKind::png;
  if (head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) return ImageKind::jpeg;
  return ImageKind::other;
}

const char* mimeTypeOf(ImageKind kind) {
  switch (kind) {
    case ImageKind::png:
      return "image/png";
    case ImageKind::jpeg:
      return "image/jpeg";
    case ImageKind::other:
      break;
  }
  return nullptr;
}

std::string relativeUri(const fs::path& file, const fs::path& folder) {
  const std::string relative = file.lexically_relative(folder).generic_string();
  static const char kHex[] = "0123456789ABCDEF";
  std::string uri;
  for (const char c : relative) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
      uri += c;
    } else {
      uri += '%';
      uri += kHex[byte >> 4];
      uri += kHex[byte & 15];
    }
  }
  return uri;
}

std::optional<fs::path> localTextureFile(const Material& material, const fs::path& sceneFolder,
                                         const std::string& where, std::string_view consequence,
                                         std::vector<std::string>& warnings) {
  if (!material.textureFile || material.textureEnabled == false) return std::nullopt;
  const std::optional<fs::path> path = pathFromTextureUrl(*material.textureFile, sceneFolder);
  if (!path) {
    warnings.push_back(where + ": texture \"" + *material.textureFile + "\" names no local file; " +
                       std::string(consequence));
    return std::nullopt;
  }
  return path;
}

}  // namespace QzOrv::scene
