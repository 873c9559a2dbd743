// Filling triangles of flat colour into a picture with depth testing: the drawing core of
// orvdump's preview, in software, with no display needed.
#pragma once

#include <vector>

#include "Picture.h"

namespace QzOrv::scene {

/// A triangle corner on the picture: x to the right and y downwards in pixels (pixel (i, j)
/// covers [i, i+1) × [j, j+1)), and a depth key that is larger the nearer the corner is and that
/// varies linearly across the picture (1 / distance for a perspective, minus the distance for a
/// parallel projection).
struct ScreenCorner {
  double x = 0, y = 0;
  double nearness = 0;
};

/// Draws triangles into a picture it owns. A pixel takes a triangle's colour when its centre lies
/// inside the triangle (or on its edge) and the triangle is nearer there than everything drawn at
/// that pixel before.
class Rasterizer {
 public:
  /// A `width` × `height` picture (both above 0) filled with `background`.
  Rasterizer(int width, int height, Rgb background);

  /// Draws one triangle; corners may lie outside the picture, in either winding. A triangle
  /// without area draws nothing.
  void fill(const ScreenCorner& a, const ScreenCorner& b, const ScreenCorner& c, Rgb colour);

  const Picture& picture() const { return picture_; }

 private:
  Picture picture_;
  /// Nearness of what each pixel shows; -infinity where nothing was drawn.
  std::vector<float> nearness_;
};

/// `picture` shrunk by a whole `factor` in both directions (its size must be a multiple of it),
/// each pixel the mean of the factor × factor pixels it replaces.
Picture downsampled(const Picture& picture, int factor);

}  // namespace QzOrv::scene
