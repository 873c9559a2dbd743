// The texture images the preview draws: a material's image texture read once per file, with its
// projection, or a warning saying why the material is drawn in its colour instead.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/TextureImage.h"
#include "common/TextureProjection.h"
#include "orv/SceneModel.h"

namespace QzOrv::scene {

struct PreviewTexture {
  const TextureImage* image = nullptr;  // owned by the PreviewTextures that gave it
  TextureProjection projection;
};

class PreviewTextures {
 public:
  /// Relative texture paths are taken relative to `sceneFolder`; warnings go to `warnings`,
  /// which must outlive this object.
  PreviewTextures(std::filesystem::path sceneFolder, std::vector<std::string>& warnings);

  /// The texture `material` shows: its texture file is set and enabled, names a local file
  /// that holds an image the decoder reads (TextureImage.h), and the material gives a
  /// projection. Nothing otherwise, with one warning per file (or per material without a
  /// projection) naming `where` and why.
  std::optional<PreviewTexture> textureOf(const Material& material, const std::string& where);

 private:
  std::filesystem::path sceneFolder_;
  std::vector<std::string>& warnings_;
  /// Each file looked at, by its path: the image, or nothing when it could not be read.
  std::map<std::string, std::optional<TextureImage>> images_;
};

}  // namespace QzOrv::scene
