// Texture coordinates from a scene material's projection: the box, planar, spherical and
// cylindrical projections that a material's mapping kind, frame and texture size describe.
#pragma once

#include <array>
#include <optional>

#include "common/SceneSpace.h"
#include "orv/SceneModel.h"

namespace QzOrv::scene {

/// A projection in scene units (centimetres). Made only by projectionOf.
struct TextureProjection {
  enum class Kind { box, planar, spherical, cylindrical };
  Kind kind = Kind::box;
  Vec3 origin;
  /// box: unused. planar: the plane's unit axes divided by the repeat's width (u) and height
  /// (v). spherical: the direction of the texture's left edge (u) and the pole (v), unit
  /// vectors. cylindrical: the direction of the left edge (u, unit) and the axis, as long as one
  /// texture repeat (v).
  Vec3 u, v;
  /// box and planar: the size of one texture repeat.
  double width = 0, height = 0;
};

/// The projection `material` describes, or nothing when it describes none:
/// - mapping kind 0 with a mapping frame whose two axes span a plane: planar along the axes'
///   directions, one repeat per texture size (width along x, height along y; 100 cm when unset);
/// - mapping kind 0 otherwise (the frame an image texture gets has two equal axes): box, each face
///   projected along the world axis nearest its normal, about the frame's point (or the origin),
///   one repeat per texture size (width across, height up; 100 cm when unset);
/// - mapping kind 3 with a frame (centre, x axis, y axis): spherical about the centre, the pole
///   along x cross y;
/// - mapping kind 5 with a frame (centre, radial axis, axis times height): cylindrical, one repeat
///   per height along the axis;
/// - every other kind, no kind, or a frame unfit for its kind: nothing.
std::optional<TextureProjection> projectionOf(const Material& material);

/// Which face orientation a triangle with `normal` counts as: for a box projection the world axis
/// nearest the normal (0 X, 1 Y, 2 Z), for every other projection 0. Points shared by faces of
/// different keys need texture coordinates of their own per key.
int faceKey(const TextureProjection& projection, const Vec3& normal);

/// The key of the triangle with scene corners `corners` (faces of different keys need texture
/// coordinates of their own at shared points): for a box projection faceKey of its normal; for a
/// spherical or cylindrical one 1 when its corners lie more than half a turn apart around the
/// axis, so that it straddles the seam where u turns from 1 back to 0, else 0.
int triangleKey(const TextureProjection& projection, const std::array<Vec3, 3>& corners);

/// The texture coordinates (u to the right, v downwards, one unit per repeat) of scene point `p`
/// on a face of key `key` (triangleKey). A triangle across the seam of a spherical or cylindrical
/// projection (key 1) has u from 0.5 up to 1.5, so it shows the strip of the image on each side
/// of the seam rather than the whole image backwards.
std::array<float, 2> textureCoordinates(const TextureProjection& projection, const Vec3& p,
                                        int key);

}  // namespace QzOrv::scene
