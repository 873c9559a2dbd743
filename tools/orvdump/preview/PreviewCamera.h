// Where orvdump's preview looks from: the scene's current camera, else its first camera or view,
// else a three-quarter view that frames the whole scene.
#pragma once

#include <string>
#include <vector>

#include "common/SceneSpace.h"
#include "orv/SceneModel.h"

namespace QzOrv::scene {

struct PreviewCamera {
  /// A perspective camera, or a parallel view.
  bool perspective = true;
  Vec3 eye;
  CameraFrame frame;
  /// Perspective: the tangents of half the vertical and half the horizontal angle of view.
  /// Parallel: half the height and half the width of the viewed field, in centimetres.
  double halfHeight = 1, halfWidth = 1;
  /// What the picture is seen through, for messages: `cameras[0] "Perspective"`, or
  /// "a three-quarter view".
  std::string source;
};

/// The camera for a picture of `aspect` (width / height, above 0) showing the geometry inside
/// `bounds` (empty for none), tried in this order:
/// - the scene's current camera, then every camera, then every view, in list order; a camera
///   looks from its eye at its target with a lens of its focal length (50 mm when unset) on the
///   24 mm high frame (halfViewTangent), the picture's width following its aspect; a view
///   looks along eye to target in parallel, its field size the diagonal of the picture (the
///   whole scene when unset);
/// - a perspective three-quarter view from the front left, above, framing all of `bounds`.
/// A camera or view without an eye or target, or whose eye is its target (or either is not
/// finite), is passed over with a warning added to `warnings`.
PreviewCamera choosePreviewCamera(const Scene& scene, const Bounds& bounds, double aspect,
                                  std::vector<std::string>& warnings);

}  // namespace QzOrv::scene
