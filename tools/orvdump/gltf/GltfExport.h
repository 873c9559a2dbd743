// The scene as a binary glTF file (.glb): object definitions as meshes with smooth normals, object
// instances as nodes, materials, image textures (in the file), lights and cameras, in glTF's
// metres with Y up.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "common/VertexNormals.h"
#include "orv/SceneModel.h"

namespace QzOrv::scene {

struct GltfOptions {
  /// Refer to PNG and JPEG texture images where they are instead of putting them into the file
  /// (other images, which glTF cannot refer to, go into the file as PNG all the same).
  bool externalImages = false;
  /// Faces meeting at less than this angle, in degrees (0 to 180), share their vertex normals.
  double creaseDegrees = kDefaultCreaseDegrees;
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
