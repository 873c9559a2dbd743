// A shaded picture of the scene drawn in software, with no display needed: every placed polygon
// in its material's diffuse colour or image texture, smoothly lit by one directional light and
// ambient light, nearer polygons hiding farther ones, transparent ones showing what lies behind.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "common/Picture.h"
#include "common/VertexNormals.h"
#include "orv/SceneModel.h"

namespace QzOrv::scene {

struct PictureSize {
  int width = 800;
  int height = 600;
};

/// The largest width or height a preview may have, in pixels.
inline constexpr int kMaxPictureSide = 8192;

/// What the picture shows where there is no geometry: a pale blue grey.
inline constexpr Rgb kBackground{228, 233, 240};

/// Light falling on a surface: ambient light everywhere, plus directional light from behind the
/// viewer's left shoulder in proportion to how squarely the surface meets it, reckoned at each
/// corner from its vertex normal (VertexNormals.h, on the side facing the eye) and blended across
/// the triangle. A surface's colour is its material's diffuse colour, or its texture image's
/// colour where it shows one, times the sum, at most 1.
inline constexpr double kAmbientLight = 0.35;
inline constexpr double kDirectLight = 0.65;

struct PreviewOptions {
  /// The folder relative texture paths are taken from: the scene file's.
  std::filesystem::path sceneFolder;
  /// Faces meeting at less than this angle in degrees (0 to 180) look smooth.
  double creaseDegrees = kDefaultCreaseDegrees;
};

/// Renders `scene` as seen through choosePreviewCamera (PreviewCamera.h) at `size` (each side from
/// 1 to kMaxPictureSide). Draws the object definitions that object instances place, each once,
/// polygons split into triangles as forEachTriangle (SceneMeshes.h) does, both sides of every
/// polygon. A material's image texture shows as the glTF export places it (its projection, the
/// nearest pixel) when its file can be read; a material of opacity below 1 (MaterialLook.h) is
/// laid over what lies behind it by its opacity (times the texture's alpha), after all opaque
/// polygons, the farthest first. Pictures of up to 2048 × 2048 pixels are drawn at twice the
/// size and shrunk, to smooth the edges. Adds to `warnings` one line for each thing it had to
/// leave out or draw plainer, and one when the scene places no geometry (the picture then shows
/// only the background).
Picture renderPreview(const Scene& scene, PictureSize size, std::vector<std::string>& warnings,
                      const PreviewOptions& options = {});

}  // namespace QzOrv::scene
