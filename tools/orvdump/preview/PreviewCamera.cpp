#include "preview/PreviewCamera.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "common/SceneLookup.h"

namespace QzOrv::scene {
namespace {

/// Share of the picture that a framed scene fills at most, leaving a margin around it.
constexpr double kFill = 0.9;
/// From the middle of the scene towards the three-quarter view's eye: front left, above.
constexpr Vec3 kThreeQuarter{-0.75, -1.0, 0.7};

/// The corners of `bounds` relative to `eye`, in the axes of `frame`: x right, y up, z back.
std::vector<Vec3> cornersSeenFrom(const Bounds& bounds, const Vec3& eye, const CameraFrame& frame) {
  std::vector<Vec3> corners;
  for (int corner = 0; corner < 8; ++corner) {
    const Vec3 d = bounds.corner(corner) - eye;
    corners.push_back({dot(d, frame.right), dot(d, frame.up), dot(d, frame.back)});
  }
  return corners;
}

std::optional<PreviewCamera> fromCamera(const Camera& camera, double aspect) {
  if (!camera.eye || !camera.target) return std::nullopt;
  const std::optional<CameraFrame> frame =
      lookAt(toVec3(*camera.eye), toVec3(*camera.target), camera.roll.value_or(0));
  if (!frame) return std::nullopt;
  PreviewCamera result;
  result.perspective = true;
  result.eye = toVec3(*camera.eye);
  result.frame = *frame;
  result.halfHeight = halfViewTangent(camera.focal);
  result.halfWidth = result.halfHeight * aspect;
  return result;
}

std::optional<PreviewCamera> fromView(const View& view, const Bounds& bounds, double aspect) {
  if (!view.eye || !view.target) return std::nullopt;
  const std::optional<CameraFrame> frame = lookAt(toVec3(*view.eye), toVec3(*view.target));
  if (!frame) return std::nullopt;
  PreviewCamera result;
  result.perspective = false;
  result.eye = toVec3(*view.eye);
  result.frame = *frame;
  const double diagonal = view.fieldSize.value_or(0);
  if (std::isfinite(diagonal) && diagonal > 0) {
    result.halfHeight = diagonal / 2 / std::sqrt(1 + aspect * aspect);
  } else if (!bounds.empty()) {
    // No field size: the field around the line of sight that holds the whole scene.
    double halfWidth = 0, halfHeight = 0;
    for (const Vec3& c : cornersSeenFrom(bounds, result.eye, result.frame)) {
      halfWidth = std::max(halfWidth, std::abs(c.x));
      halfHeight = std::max(halfHeight, std::abs(c.y));
    }
    result.halfHeight = std::max({halfHeight, halfWidth / aspect, 1e-6}) / kFill;
  } else {
    result.halfHeight = 100;
  }
  result.halfWidth = result.halfHeight * aspect;
  return result;
}

/// A perspective view from the front left and above, just far enough for `bounds` to fit.
PreviewCamera threeQuarterView(const Bounds& bounds, double aspect) {
  PreviewCamera result;
  result.perspective = true;
  result.halfHeight = halfViewTangent(std::nullopt);
  result.halfWidth = result.halfHeight * aspect;
  result.source = "a three-quarter view";
  const Vec3 centre = bounds.empty() ? Vec3{} : bounds.centre();
  result.frame = *lookAt(centre + kThreeQuarter, centre);
  // Seen from the centre, a corner at (x, y, z) is inside the picture when the eye stands at
  // least z + |x| / tan(half width) (and likewise for y) behind the centre.
  double distance = 1;
  if (!bounds.empty()) {
    for (const Vec3& c : cornersSeenFrom(bounds, centre, result.frame)) {
      distance = std::max({distance, c.z + std::abs(c.x) / (kFill * result.halfWidth),
                           c.z + std::abs(c.y) / (kFill * result.halfHeight)});
    }
  }
  result.eye = centre + result.frame.back * distance;
  return result;
}

}  // namespace

PreviewCamera choosePreviewCamera(const Scene& scene, const Bounds& bounds, double aspect,
                                  std::vector<std::string>& warnings) {
  auto passOver = [&warnings](const std::string& what) {
    warnings.push_back(what +
                       ": its eye and target give no direction to look in; the picture is "
                       "not seen through it");
  };
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < scene.cameras.size(); ++i) {
    if (scene.cameras[i].current)
      order.insert(order.begin(), i);
    else
      order.push_back(i);
  }
  for (const std::size_t i : order) {
    const Camera& camera = scene.cameras[i];
    if (std::optional<PreviewCamera> result = fromCamera(camera, aspect)) {
      result->source = elementLabel("cameras", i, camera.name);
      return *result;
    }
    passOver(elementLabel("cameras", i, camera.name));
  }
  for (std::size_t i = 0; i < scene.views.size(); ++i) {
    const View& view = scene.views[i];
    if (std::optional<PreviewCamera> result = fromView(view, bounds, aspect)) {
      result->source = elementLabel("views", i, view.name);
      return *result;
    }
    passOver(elementLabel("views", i, view.name));
  }
  return threeQuarterView(bounds, aspect);
}

}  // namespace QzOrv::scene
