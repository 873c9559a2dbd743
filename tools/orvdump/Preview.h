// A shaded picture of the scene drawn in software, with no display needed: every placed polygon
// in its material's diffuse colour, lit by one directional light and ambient light, nearer
// polygons hiding farther ones.
#pragma once

#include <string>
#include <vector>

#include "Picture.h"
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

/// Light falling on a face: ambient light everywhere, plus directional light from behind the
/// viewer's left shoulder in proportion to how squarely the face meets it. A face's colour is
/// its material's diffuse colour times the sum, at most 1.
inline constexpr double kAmbientLight = 0.35;
inline constexpr double kDirectLight = 0.65;

/// Renders `scene` as seen through choosePreviewCamera (PreviewCamera.h) at `size` (each side from
/// 1 to kMaxPictureSide). Draws the object definitions that object instances place, each once,
/// polygons split into triangles as forEachTriangle (SceneMeshes.h) does, both sides of every
/// polygon; pictures of up to 2048 × 2048 pixels are drawn at twice the size and shrunk, to
/// smooth the edges. Adds to `warnings` one line for each thing it had to leave out, and one
/// when the scene places no geometry (the picture then shows only the background).
Picture renderPreview(const Scene& scene, PictureSize size, std::vector<std::string>& warnings);

}  // namespace QzOrv::scene
