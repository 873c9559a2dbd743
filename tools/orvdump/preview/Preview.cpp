#include "preview/Preview.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <optional>

#include "common/MaterialLook.h"
#include "common/SceneLookup.h"
#include "common/SceneMeshes.h"
#include "common/SceneSpace.h"
#include "common/VertexNormals.h"
#include "preview/PreviewCamera.h"
#include "preview/PreviewTextures.h"
#include "preview/Rasterizer.h"

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

/// A triangle corner as seen, with what is blended across the triangle: the light falling there
/// and the texture coordinates.
struct ShadedCorner {
  ViewPoint at;
  double light = 1;
  double u = 0, v = 0;
};

/// A triangle to draw: its corners, its colour or texture, and its opacity.
struct ShadedTriangle {
  std::array<ShadedCorner, 3> corners;
  Rgb colour;
  const TextureImage* texture = nullptr;  // shown instead of the colour when set
  double opacity = 1;
};

/// Towards the directional light, in the camera's axes (right, up, back): from behind the
/// viewer's left shoulder.
const Vec3 kLight = *normalized({-0.4, 0.6, 1});

ShadedCorner between(const ShadedCorner& p, const ShadedCorner& q, double t) {
  auto mix = [t](double a, double b) { return a + t * (b - a); };
  return {{mix(p.at.x, q.at.x), mix(p.at.y, q.at.y), mix(p.at.ahead, q.at.ahead)},
          mix(p.light, q.light),
          mix(p.u, q.u),
          mix(p.v, q.v)};
}

class Painter {
 public:
  Painter(const PreviewCamera& camera, int width, int height, double nearest,
          const PreviewOptions& options, std::vector<std::string>& warnings)
      : camera_(camera),
        width_(width),
        height_(height),
        nearest_(nearest),
        creaseDegrees_(options.creaseDegrees),
        rasterizer_(width, height, kBackground),
        textures_(options.sceneFolder, warnings) {}

  /// Draws the opaque triangles of `definition` (called `label` in warnings) and keeps its
  /// transparent ones for drawTransparent; returns how many polygons were not usable.
  std::size_t paint(const ObjectDefinition& definition, const std::string& label);
  /// Lays the transparent triangles kept so far over the picture, the farthest first.
  void drawTransparent();
  std::size_t trianglesDrawn() const { return trianglesDrawn_; }
  const Picture& picture() const { return rasterizer_.picture(); }

 private:
  ViewPoint seen(const Vec3& p) const {
    const Vec3 d = p - camera_.eye;
    return {dot(d, camera_.frame.right), dot(d, camera_.frame.up), -dot(d, camera_.frame.back)};
  }
  ScreenCorner onPicture(const ViewPoint& p) const;
  /// The light at a corner whose vertex normal is `normal` (scene axes), on a face whose
  /// normal is `face`; both sides of a face are lit alike, as the side facing the eye.
  double lightAt(const Vec3& normal, const Vec3& face, const Vec3& corner) const;
  void fillClipped(const ShadedTriangle& triangle, bool mixed);

  const PreviewCamera& camera_;
  int width_, height_;
  /// Perspective only: the distance in front of the eye below which geometry is cut away.
  double nearest_;
  double creaseDegrees_;
  Rasterizer rasterizer_;
  PreviewTextures textures_;
  std::vector<ViewPoint> seenPoints_;
  std::vector<ShadedTriangle> transparent_;
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

double Painter::lightAt(const Vec3& normal, const Vec3& face, const Vec3& corner) const {
  const Vec3 toEye = camera_.perspective ? camera_.eye - corner : camera_.frame.back;
  const double side = dot(face, toEye) < 0 ? -1 : 1;
  const Vec3 n{dot(normal, camera_.frame.right), dot(normal, camera_.frame.up),
               dot(normal, camera_.frame.back)};
  return std::min(1.0, kAmbientLight + kDirectLight * std::max(0.0, side * dot(n, kLight)));
}

/// What `triangle` shows where its corners weigh `w`.
Fragment shadeAt(const ShadedTriangle& triangle, const CornerWeights& w) {
  const std::array<ShadedCorner, 3>& c = triangle.corners;
  const double light = w[0] * c[0].light + w[1] * c[1].light + w[2] * c[2].light;
  Fragment fragment{triangle.colour, triangle.opacity};
  if (triangle.texture != nullptr) {
    const std::array<std::uint8_t, 4> texel =
        triangle.texture->sample(w[0] * c[0].u + w[1] * c[1].u + w[2] * c[2].u,
                                 w[0] * c[0].v + w[1] * c[1].v + w[2] * c[2].v);
    fragment.colour = {texel[0], texel[1], texel[2]};
    fragment.opacity *= texel[3] / 255.0;
  }
  auto lit = [light](std::uint8_t channel) {
    return static_cast<std::uint8_t>(std::min(255.0, channel * light + 0.5));
  };
  fragment.colour = {lit(fragment.colour.r), lit(fragment.colour.g), lit(fragment.colour.b)};
  return fragment;
}

void Painter::fillClipped(const ShadedTriangle& triangle, bool mixed) {
  auto fill = [&](const ShadedCorner& a, const ShadedCorner& b, const ShadedCorner& c) {
    ShadedTriangle piece = triangle;
    piece.corners = {a, b, c};
    rasterizer_.fill(onPicture(a.at), onPicture(b.at), onPicture(c.at), camera_.perspective, mixed,
                     [&piece](const CornerWeights& w) { return shadeAt(piece, w); });
  };
  const std::array<ShadedCorner, 3>& corners = triangle.corners;
  if (!camera_.perspective) {
    fill(corners[0], corners[1], corners[2]);
    return;
  }
  // Cut the triangle at the near distance: what stays is a polygon of up to four corners.
  std::array<ShadedCorner, 4> kept{};
  std::size_t count = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    const ShadedCorner& p = corners[i];
    const ShadedCorner& q = corners[(i + 1) % 3];
    const bool pIn = p.at.ahead >= nearest_, qIn = q.at.ahead >= nearest_;
    if (pIn) kept[count++] = p;
    if (pIn != qIn) {
      kept[count] = between(p, q, (nearest_ - p.at.ahead) / (q.at.ahead - p.at.ahead));
      kept[count++].at.ahead = nearest_;
    }
  }
  for (std::size_t i = 1; i + 1 < count; ++i) fill(kept[0], kept[i], kept[i + 1]);
}

std::size_t Painter::paint(const ObjectDefinition& definition, const std::string& label) {
  seenPoints_.resize(pointCount(definition));
  for (std::size_t i = 0; i < seenPoints_.size(); ++i) {
    seenPoints_[i] = seen(toVec3(pointAt(definition, i)));
  }
  const DefinitionTriangles triangles = triangulate(definition);
  const VertexNormals normals(definition, triangles, creaseDegrees_);
  for (std::size_t s = 0; s < triangles.slots.size(); ++s) {
    const SlotTriangles& slot = triangles.slots[s];
    const Material* material = slotMaterial(definition, slot.slot);
    ShadedTriangle look;
    look.colour = displayColour(material);
    std::optional<PreviewTexture> texture;
    if (material != nullptr) {
      look.opacity = opacity(*material);
      texture = textures_.textureOf(*material,
                                    label + ", material " + std::to_string(slot.slot) +
                                        (material->name ? " \"" + *material->name + "\"" : ""));
      if (texture) look.texture = texture->image;
    }
    const std::vector<std::uint32_t>& corners = slot.corners;
    for (std::size_t t = 0; t + 2 < corners.size(); t += 3) {
      ShadedTriangle triangle = look;
      const std::array<Vec3, 3> points{toVec3(pointAt(definition, corners[t])),
                                       toVec3(pointAt(definition, corners[t + 1])),
                                       toVec3(pointAt(definition, corners[t + 2]))};
      const Vec3 face = cross(points[1] - points[0], points[2] - points[0]);
      const int key = texture ? triangleKey(texture->projection, points) : 0;
      for (std::size_t k = 0; k < 3; ++k) {
        ShadedCorner& corner = triangle.corners[k];
        corner.at = seenPoints_[corners[t + k]];
        corner.light = lightAt(normals.normals[normals.vertexOfCorner[s][t + k]], face, points[k]);
        if (texture) {
          const std::array<float, 2> uv = textureCoordinates(texture->projection, points[k], key);
          corner.u = uv[0];
          corner.v = uv[1];
        }
      }
      if (triangle.opacity < 1) {
        transparent_.push_back(triangle);
      } else {
        fillClipped(triangle, false);
      }
      ++trianglesDrawn_;
    }
  }
  return triangles.skippedPolygons;
}

void Painter::drawTransparent() {
  auto distance = [](const ShadedTriangle& t) {
    return t.corners[0].at.ahead + t.corners[1].at.ahead + t.corners[2].at.ahead;
  };
  std::stable_sort(
      transparent_.begin(), transparent_.end(),
      [&](const ShadedTriangle& a, const ShadedTriangle& b) { return distance(a) > distance(b); });
  for (const ShadedTriangle& triangle : transparent_) fillClipped(triangle, true);
  transparent_.clear();
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

Picture renderPreview(const Scene& scene, PictureSize size, std::vector<std::string>& warnings,
                      const PreviewOptions& options) {
  assert(size.width >= 1 && size.width <= kMaxPictureSide);
  assert(size.height >= 1 && size.height <= kMaxPictureSide);
  const std::vector<std::size_t> drawn = placedOnce(scene, warnings);
  const Bounds bounds = boundsOf(scene, drawn);
  const PreviewCamera camera =
      choosePreviewCamera(scene, bounds, static_cast<double>(size.width) / size.height, warnings);

  const int factor = static_cast<long>(size.width) * size.height <= kMostSmoothedPixels ? 2 : 1;
  Painter painter(camera, size.width * factor, size.height * factor,
                  nearestDistance(camera, bounds), options, warnings);
  for (const std::size_t d : drawn) {
    const ObjectDefinition& definition = scene.objectDefinitions[d];
    const std::string label = elementLabel("objectDefinitions", d, definition.name);
    if (const std::size_t skipped = painter.paint(definition, label)) {
      warnings.push_back(skippedPolygonsWarning(label, skipped));
    }
  }
  painter.drawTransparent();
  if (painter.trianglesDrawn() == 0) {
    warnings.push_back("the scene places no geometry: the picture shows only the background");
  }
  return downsampled(painter.picture(), factor);
}

}  // namespace QzOrv::scene
