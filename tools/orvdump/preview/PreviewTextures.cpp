#include "preview/PreviewTextures.h"

#include "common/TextureLookup.h"

namespace QzOrv::scene {

namespace fs = std::filesystem;

PreviewTextures::PreviewTextures(fs::path sceneFolder, std::vector<std::string>& warnings)
    : sceneFolder_(std::move(sceneFolder)), warnings_(warnings) {}

std::optional<PreviewTexture> PreviewTextures::textureOf(const Material& material,
                                                         const std::string& where) {
  const std::optional<fs::path> path =
      localTextureFile(material, sceneFolder_, where, "drawn in its colour", warnings_);
  if (!path) return std::nullopt;
  const std::string key = path->lexically_normal().string();
  auto known = images_.find(key);
  if (known == images_.end()) {
    std::string why;
    std::error_code error;
    std::optional<TextureImage> image;
    if (!fs::is_regular_file(*path, error)) {
      why = "does not exist";
    } else {
      image = readTextureImage(*path, why);
    }
    if (!image) {
      warnings_.push_back(where + ": texture file " + path->string() + " " + why +
                          "; drawn in its colour");
    }
    known = images_.emplace(key, std::move(image)).first;
  }
  if (!known->second) return std::nullopt;
  const std::optional<TextureProjection> projection = projectionOf(material);
  if (!projection) {
    warnings_.push_back(where + ": no projection places its texture; drawn in its colour");
    return std::nullopt;
  }
  return PreviewTexture{&*known->second, *projection};
}

}  // namespace QzOrv::scene
