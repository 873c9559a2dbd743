#include "Preview.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <optional>

#include "MaterialLook.h"
#include "PreviewCamera.h"
#include "Rasterizer.h"
#include "SceneLookup.h"
#include "SceneMeshes.h"
#include "SceneSpace.h"

namespace QzOrv::scene {
namespace {

/// Pictures up to this many pixels are drawn at twice their width and height, then shrunk, to
/// smooth the edges; larger ones, already fine-grained, are drawn as they are, keeping memory
/// in bounds.
constexpr long kMostSmoothedPixels = 2048L * 2048L;

/// A scene point seen by the camera: x right, y up, and its distance in front of the eye.
struct ViewPoint {
  double x, y, ahead;
};

/// Towards the directional light, in the camera's axes (right, up, back): from behind the
/// viewer's left shoulder.
const Vec3 kLight = *normalized({-0.4, 0.6, 1});

class Painter {
 public:
  Painter(const PreviewCamera& camera, int width, int height, double nearest)
      : camera_(camera),
        width_(width),
        height_(height),
        nearest_(nearest),
        rasterizer_(width, height, kBackground) {}

  /// Draws the usable polygons of `definition`; returns how many polygons were not usable.
  std::size_t paint(const ObjectDefinition& definition);
  std::size_t trianglesDrawn() const { return trianglesDrawn_; }
  const Picture& picture() const { return rasterizer_.picture(); }

 private:
  ViewPoint seen(const Vec3& p) const {
    const Vec3 d = p - camera_.eye;
    return {dot(d, camera_.frame.right), dot(d, camera_.frame.up), -dot(d, camera_.frame.back)};
  }
  ScreenCorner onPicture(const ViewPoint& p) const;
  Rgb shade(const ViewPoint& a, const ViewPoint& b, const ViewPoint& c, Rgb colour) const;
  void fillClipped(const std::array<ViewPoint, 3>& corners, Rgb colour);

  const PreviewCamera& camera_;
  int width_, height_;
  /// Perspective only: the distance in front of the eye below which geometry is cut away.
  double nearest_;
  Rasterizer rasterizer_;
  std::vector<ViewPoint> seenPoints_;
  std::size_t trianglesDrawn_ = 0;
};

ScreenCorner Painter::onPicture(const ViewPoint& p) const {
  if (camera_.perspective) {
    return {(0.5 + 0.5 * p.x / (p.ahead * camera_.halfWidth)) * width_,
            (0.5 - 0.5 * p.y / (p.ahead * camera_.halfHeight)) * height_, 1 / p.ahead};
  }
  return {(0.5 + 0.5 * p.x / camera_.halfWidth) * width_,
          (0.5 - 0.5 * p.y / camera_.halfHeight) * height_, -p.ahead};
}

Rgb Painter::shade(const ViewPoint& a, const ViewPoint& b, const ViewPoint& c, Rgb colour) const {
  // In the camera's axes: x right, y up, z back (towards the viewer).
  const Vec3 pa{a.x, a.y, -a.ahead}, pb{b.x, b.y, -b.ahead}, pc{c.x, c.y, -c.ahead};
  const Vec3 normal = cross(pb - pa, pc - pa);
  double light = kAmbientLight;
  const double size = length(normal);
  if (size > 0) {
    // Both sides of a face are lit alike: take the side that faces the eye.
    const Vec3 toEye = camera_.perspective ? -pa : Vec3{0, 0, 1};
    const double facing = dot(normal, toEye) < 0 ? -1 : 1;
    light += kDirectLight * std::max(0.0, facing * dot(normal, kLight) / size);
  }
  light = std::min(light, 1.0);
  auto scaled = [light](std::uint8_t channel) {
    return static_cast<std::uint8_t>(channel * light + 0.5);
  };
  return {scaled(colour.r), scaled(colour.g), scaled(colour.b)};
}

void Painter::fillClipped(const std::array<ViewPoint, 3>& corners, Rgb colour) {
  if (!camera_.perspective) {
    rasterizer_.fill(onPicture(corners[0]), onPicture(corners[1]), onPicture(corners[2]), colour);
    return;
  }
  // Cut the triangle at the near distance: what stays is a polygon of up to four corners.
  std::array<ViewPoint, 4> kept{};
  std::size_t count = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    const ViewPoint& p = corners[i];
    const ViewPoint& q = corners[(i + 1) % 3];
    const bool pIn = p.ahead >= nearest_, qIn = q.ahead >= nearest_;
    if (pIn) kept[count++] = p;
    if (pIn != qIn) {
      const double t = (nearest_ - p.ahead) / (q.ahead - p.ahead);
      kept[count++] = {p.x + t * (q.x - p.x), p.y + t * (q.y - p.y), nearest_};
    }
  }
  for (std::size_t i = 1; i + 1 < count; ++i) {
    rasterizer_.fill(onPicture(kept[0]), onPicture(kept[i]), onPicture(kept[i + 1]), colour);
  }
}

std::size_t Painter::paint(const ObjectDefinition& definition) {
  seenPoints_.resize(pointCount(definition));
  for (std::size_t i = 0; i < seenPoints_.size(); ++i) {
    seenPoints_[i] = seen(toVec3(pointAt(definition, i)));
  }
  std::size_t skipped = 0;
  for (std::size_t p = 0; p < polygonCount(definition); ++p) {
    if (!polygonUsable(definition, p)) {
      ++skipped;
      continue;
    }
    const Rgb colour = displayColour(slotMaterial(definition, drawnSlot(definition, p)));
    forEachTriangle(
        polygonCorners(definition, p), [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
          const std::array<ViewPoint, 3> corners{seenPoints_[a], seenPoints_[b], seenPoints_[c]};
          fillClipped(corners, shade(corners[0], corners[1], corners[2], colour));
          ++trianglesDrawn_;
        });
  }
  return skipped;
}

/// The definitions that instances place, each once, in list order.
std::vector<std::size_t> placedOnce(const Scene& scene, std::vector<std::string>& warnings) {
  const std::vector<std::optional<std::size_t>> placed = placedDefinitions(scene);
  std::vector<bool> isPlaced(scene.objectDefinitions.size(), false);
  for (std::size_t i = 0; i < placed.size(); ++i) {
    if (placed[i]) {
      isPlaced[*placed[i]] = true;
    } else {
      warnings.push_back(unplacedInstanceWarning(scene, i) + "; nothing drawn");
    }
  }
  std::vector<std::size_t> drawn;
  for (std::size_t i = 0; i < isPlaced.size(); ++i) {
    if (isPlaced[i]) drawn.push_back(i);
  }
  return drawn;
}

/// The box of the finite points of the definitions `drawn`.
Bounds boundsOf(const Scene& scene, const std::vector<std::size_t>& drawn) {
  Bounds bounds;
  for (const std::size_t d : drawn) {
    const ObjectDefinition& definition = scene.objectDefinitions[d];
    for (std::size_t i = 0; i < pointCount(definition); ++i) {
      const Vec3 p = toVec3(pointAt(definition, i));
      if (isFinite(p)) bounds.add(p);
    }
  }
  return bounds;
}

/// A tiny share of the distance to the farthest corner of `bounds`: geometry nearer the eye than
/// this is cut away, which keeps the depth test precise over the whole distance.
double nearestDistance(const PreviewCamera& camera, const Bounds& bounds) {
  double farthest = 0;
  if (!bounds.empty()) {
    for (int corner = 0; corner < 8; ++corner) {
      farthest = std::max(farthest, -dot(bounds.corner(corner) - camera.eye, camera.frame.back));
    }
  }
  return std::max(farthest * 1e-5, 1e-9);
}

}  // namespace

Picture renderPreview(const Scene& scene, PictureSize size, std::vector<std::string>& warnings) {
  assert(size.width >= 1 && size.width <= kMaxPictureSide);
  assert(size.height >= 1 && size.height <= kMaxPictureSide);
  const std::vector<std::size_t> drawn = placedOnce(scene, warnings);
  const Bounds bounds = boundsOf(scene, drawn);
  const PreviewCamera camera =
      choosePreviewCamera(scene, bounds, static_cast<double>(size.width) / size.height, warnings);

  const int factor = static_cast<long>(size.width) * size.height <= kMostSmoothedPixels ? 2 : 1;
  Painter painter(camera, size.width * factor, size.height * factor,
                  nearestDistance(camera, bounds));
  for (const std::size_t d : drawn) {
    const ObjectDefinition& definition = scene.objectDefinitions[d];
    if (const std::size_t skipped = painter.paint(definition)) {
      warnings.push_back(
          skippedPolygonsWarning(elementLabel("objectDefinitions", d, definition.name), skipped));
    }
  }
  if (painter.trianglesDrawn() == 0) {
    warnings.push_back("the scene places no geometry: the picture shows only the background");
  }
  return downsampled(painter.picture(), factor);
}

}  // namespace QzOrv::scene
