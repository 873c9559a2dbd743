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

/// Drawn at this many times the picture's size, then shrunk, to smooth the edges.
constexpr int kSupersampling = 2;

/// A scene point seen by the camera: x right, y up, and its distance in front of the eye.
struct ViewPoint {
  double x, y, ahead;
};

class Painter {
 public:
  Painter(const PreviewCamera& camera, int width, int height, double nearest)
      : camera_(camera),
        width_(width),
        height_(height),
        nearest_(nearest),
        light_(*normalized(camera.frame.back + camera.frame.up * 0.6 - camera.frame.right * 0.4)),
        rasterizer_(width, height, kBackground) {}

  void paint(const ObjectDefinition& definition, const DefinitionTriangles& triangles);
  const Picture& picture() const { return rasterizer_.picture(); }

 private:
  ViewPoint seen(const Vec3& p) const {
    const Vec3 d = p - camera_.eye;
    return {dot(d, camera_.frame.right), dot(d, camera_.frame.up), -dot(d, camera_.frame.back)};
  }
  ScreenCorner onPicture(const ViewPoint& p) const;
  Rgb shade(const Vec3& a, const Vec3& b, const Vec3& c, Rgb colour) const;
  void fillClipped(const std::array<ViewPoint, 3>& corners, Rgb colour);

  const PreviewCamera& camera_;
  int width_, height_;
  /// Perspective only: the distance in front of the eye below which geometry is cut away.
  double nearest_;
  /// Towards the directional light.
  Vec3 light_;
  Rasterizer rasterizer_;
  std::vector<ViewPoint> seenPoints_;
};

ScreenCorner Painter::onPicture(const ViewPoint& p) const {
  if (camera_.perspective) {
    return {(0.5 + 0.5 * p.x / (p.ahead * camera_.halfWidth)) * width_,
            (0.5 - 0.5 * p.y / (p.ahead * camera_.halfHeight)) * height_, 1 / p.ahead};
  }
  return {(0.5 + 0.5 * p.x / camera_.halfWidth) * width_,
          (0.5 - 0.5 * p.y / camera_.halfHeight) * height_, -p.ahead};
}

Rgb Painter::shade(const Vec3& a, const Vec3& b, const Vec3& c, Rgb colour) const {
  const std::optional<Vec3> normal = normalized(cross(b - a, c - a));
  double light = kAmbientLight;
  if (normal) {
    // Both sides of a face are lit alike: take the side that faces the eye.
    const Vec3 toEye = camera_.perspective ? camera_.eye - a : camera_.frame.back;
    const Vec3 facing = dot(*normal, toEye) < 0 ? -*normal : *normal;
    light += kDirectLight * std::max(0.0, dot(facing, light_));
  }
  light = std::min(light, 1.0);
  auto scaled = [light](std::uint8_t channel) {
    return static_cast<std::uint8_t>(std::lround(channel * light));
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

void Painter::paint(const ObjectDefinition& definition, const DefinitionTriangles& triangles) {
  seenPoints_.resize(pointCount(definition));
  for (std::size_t i = 0; i < seenPoints_.size(); ++i) {
    seenPoints_[i] = seen(toVec3(pointAt(definition, i)));
  }
  for (const SlotTriangles& slot : triangles.slots) {
    const Rgb colour = displayColour(slotMaterial(definition, slot.slot));
    const std::vector<std::uint32_t>& corners = slot.corners;
    for (std::size_t t = 0; t + 2 < corners.size(); t += 3) {
      const Rgb shaded = shade(toVec3(pointAt(definition, corners[t])),
                               toVec3(pointAt(definition, corners[t + 1])),
                               toVec3(pointAt(definition, corners[t + 2])), colour);
      fillClipped(
          {seenPoints_[corners[t]], seenPoints_[corners[t + 1]], seenPoints_[corners[t + 2]]},
          shaded);
    }
  }
}

struct DrawnDefinition {
  const ObjectDefinition* definition;
  DefinitionTriangles triangles;
};

/// The definitions that instances place, each once, in list order, with their triangles.
std::vector<DrawnDefinition> drawnDefinitions(const Scene& scene,
                                              std::vector<std::string>& warnings) {
  const std::vector<std::optional<std::size_t>> placed = placedDefinitions(scene);
  std::vector<bool> isPlaced(scene.objectDefinitions.size(), false);
  for (std::size_t i = 0; i < placed.size(); ++i) {
    if (placed[i]) {
      isPlaced[*placed[i]] = true;
    } else {
      warnings.push_back(unplacedInstanceWarning(scene, i) + "; nothing drawn");
    }
  }
  std::vector<DrawnDefinition> drawn;
  for (std::size_t i = 0; i < isPlaced.size(); ++i) {
    if (!isPlaced[i]) continue;
    const ObjectDefinition& definition = scene.objectDefinitions[i];
    DefinitionTriangles triangles = triangulate(definition);
    if (triangles.skippedPolygons > 0) {
      warnings.push_back(skippedPolygonsWarning(
          elementLabel("objectDefinitions", i, definition.name), triangles.skippedPolygons));
    }
    if (!triangles.slots.empty()) drawn.push_back({&definition, std::move(triangles)});
  }
  return drawn;
}

Bounds boundsOf(const std::vector<DrawnDefinition>& drawn) {
  Bounds bounds;
  for (const DrawnDefinition& d : drawn) {
    for (const SlotTriangles& slot : d.triangles.slots) {
      for (const std::uint32_t corner : slot.corners) {
        bounds.add(toVec3(pointAt(*d.definition, corner)));
      }
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
      const Vec3 c{corner & 1 ? bounds.max.x : bounds.min.x,
                   corner & 2 ? bounds.max.y : bounds.min.y,
                   corner & 4 ? bounds.max.z : bounds.min.z};
      farthest = std::max(farthest, -dot(c - camera.eye, camera.frame.back));
    }
  }
  return std::max(farthest * 1e-5, 1e-9);
}

}  // namespace

Picture renderPreview(const Scene& scene, PictureSize size, std::vector<std::string>& warnings) {
  assert(size.width >= 1 && size.width <= kMaxPictureSide);
  assert(size.height >= 1 && size.height <= kMaxPictureSide);
  const std::vector<DrawnDefinition> drawn = drawnDefinitions(scene, warnings);
  const Bounds bounds = boundsOf(drawn);
  const PreviewCamera camera =
      choosePreviewCamera(scene, bounds, static_cast<double>(size.width) / size.height, warnings);
  if (drawn.empty()) {
    warnings.push_back("the scene places no geometry: the picture shows only the background");
  }

  Painter painter(camera, size.width * kSupersampling, size.height * kSupersampling,
                  nearestDistance(camera, bounds));
  for (const DrawnDefinition& d : drawn) painter.paint(*d.definition, d.triangles);
  return downsampled(painter.picture(), kSupersampling);
}

}  // namespace QzOrv::scene
