// Image textures for the glTF export: the local file a material's texture file URL names, the
// kind of image it holds, and the relative URI by which a glTF file refers to it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orv/SceneModel.h"

namespace QzOrv::scene {

/// The local path that a texture reference names:
/// - a "file:" URL (any letter case) with an empty or "localhost" host: percent escapes are
///   decoded, the slashes after "file:" collapse to one ("file:////tmp/a.png" names /tmp/a.png),
///   and a drive letter written "C|" reads "C:" (a Windows path, kept as it is);
/// - any other text without a scheme: a plain path, taken as it is.
/// A relative path is taken relative to `baseFolder`. Nothing for other schemes (http:, ...), a
/// file URL naming another host, or an empty reference.
std::optional<std::filesystem::path> pathFromTextureUrl(std::string_view url,
                                                        const std::filesystem::path& baseFolder);

/// The local file of `material`'s enabled texture, a relative reference read
/// from `sceneFolder`; nothing for a material without one. A reference that names no local file
/// gives nothing and adds `WHERE: texture "URL" names no local file; CONSEQUENCE` to `warnings`.
std::optional<std::filesystem::path> localTextureFile(const Material& material,
                                                      const std::filesystem::path& sceneFolder,
                                                      const std::string& where,
                                                      std::string_view consequence,
                                                      std::vector<std::string>& warnings);

/// The image formats a glTF file may hold.
enum class ImageKind { png, jpeg, other };

/// The kind of image in `file`, from its first bytes (not its name); other when it cannot be
/// read.
ImageKind imageKindOf(const std::filesystem::path& file);

/// "image/png" or "image/jpeg"; null for other.
const char* mimeTypeOf(ImageKind kind);

/// A relative URI reference from `folder` to `file` (both absolute or both relative to the same
/// folder): path segments joined by '/', every byte other than letters, digits and "-._~/"
/// percent-encoded ("maps/roof tiles.png" gives "maps/roof%20tiles.png").
std::string relativeUri(const std::filesystem::path& file, const std::filesystem::path& folder);

}  // namespace QzOrv::scene
