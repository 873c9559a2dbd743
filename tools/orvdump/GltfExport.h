// The scene as a binary glTF file (.glb): object definitions as meshes, object instances as nodes,
// materials, image textures, lights and cameras, in glTF's metres with Y up.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "orv/SceneModel.h"

namespace QzOrv::scene {

struct GltfOptions {
  /// Put the texture images into the file instead of referring to them beside it.
  bool embedImages = false;
};

/// Writes `scene` as a binary glTF file at `file`, replacing it. `sceneFile` is the file the scene
/// was read from: texture references that are relative paths are taken relative to its folder.
/// What each element becomes is described in docs/orvdump-gltf.md. Returns the warnings, one line
/// each, about what could not be carried over (skipped polygons, missing textures, instances
/// without a definition, a scene without geometry); the file is written all the same.
/// Throws OutputError when the file cannot be written; `file` then stays as it was.
std::vector<std::string> writeGltf(const Scene& scene, const std::filesystem::path& sceneFile,
                                   const std::filesystem::path& file, const GltfOptions& options);

}  // namespace QzOrv::scene
