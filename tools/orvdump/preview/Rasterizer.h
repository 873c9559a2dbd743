// Filling triangles into a picture with depth testing, opaque or mixed over what lies behind: the
// drawing core of orvdump's preview, in software, with no display needed.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "common/Picture.h"

namespace QzOrv::scene {

/// A triangle corner on the picture: x to the right and y downwards in pixels (pixel (i, j)
/// covers [i, i+1) × [j, j+1)), and a depth key that is larger the nearer the corner is and that
/// varies linearly across the picture (1 / distance for a perspective, minus the distance for a
/// parallel projection).
struct ScreenCorner {
  double x = 0, y = 0;
  double nearness = 0;
};

/// What a triangle shows at one pixel: a colour, and how much of what lies behind it it hides
/// (1 all, 0 nothing).
struct Fragment {
  Rgb colour;
  double opacity = 1;
};

/// How a triangle's corners weigh at a pixel: three weights from 0 to 1 that sum to 1.
using CornerWeights = std::array<double, 3>;

/// Draws triangles into a picture it owns. A pixel takes part in a triangle when its centre lies
/// inside the triangle (or on its edge) and the triangle is nearer there than every opaque
/// triangle drawn at that pixel before.
class Rasterizer {
 public:
  /// A `width` × `height` picture (both above 0) filled with `background`.
  Rasterizer(int width, int height, Rgb background);

  /// Draws one triangle; corners may lie outside the picture, in either winding. A triangle
  /// without area draws nothing. `shade(weights)` gives the Fragment at a pixel from the weights
  /// of corners a, b and c there: linear across the picture for a parallel projection, and for
  /// a perspective (`perspective`, the nearness being 1 / distance) as they are on the triangle
  /// in space. An opaque triangle (`mixed` false) replaces the pixel and hides what is drawn
  /// behind it later; a mixed one is laid over the pixel by the fragment's opacity and hides
  /// nothing, so mixed triangles go last, the farthest first.
  template <class Shade>
  void fill(const ScreenCorner& a, const ScreenCorner& b, const ScreenCorner& c, bool perspective,
            bool mixed, Shade&& shade);

  const Picture& picture() const { return picture_; }

 private:
  /// Gives the pixel `fragment`, laid over what it shows when `mixed`.
  void put(int x, int y, const Fragment& fragment, bool mixed);

  Picture picture_;
  /// Nearness of the nearest opaque triangle at each pixel; -infinity where none was drawn.
  std::vector<float> nearness_;
};

/// `picture` shrunk by a whole `factor` in both directions (its size must be a multiple of it),
/// each pixel the mean of the factor × factor pixels it replaces.
Picture downsampled(const Picture& picture, int factor);

template <class Shade>
void Rasterizer::fill(const ScreenCorner& a, const ScreenCorner& b, const ScreenCorner& c,
                      bool perspective, bool mixed, Shade&& shade) {
  const double area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
  if (!(std::abs(area) > 0) || !std::isfinite(area)) return;

  // Pixels whose centres the triangle's box covers, kept inside the picture.
  const double left = std::min({a.x, b.x, c.x}), right = std::max({a.x, b.x, c.x});
  const double top = std::min({a.y, b.y, c.y}), bottom = std::max({a.y, b.y, c.y});
  const int x0 = static_cast<int>(std::max(0.0, std::ceil(left - 0.5)));
  const int x1 = static_cast<int>(std::min(picture_.width - 1.0, std::floor(right - 0.5)));
  const int y0 = static_cast<int>(std::max(0.0, std::ceil(top - 0.5)));
  const int y1 = static_cast<int>(std::min(picture_.height - 1.0, std::floor(bottom - 0.5)));
  if (x0 > x1 || y0 > y1) return;

  // Edge functions, scaled so that each is the barycentric weight of the opposite corner.
  struct Edge {
    double dx, dy, at00;
  };
  const double scale = 1 / area;
  auto edge = [scale](const ScreenCorner& p, const ScreenCorner& q) {
    // Weight at (x, y) = (q.x - p.x) * (y - p.y) - (q.y - p.y) * (x - p.x), times scale.
    return Edge{-(q.y - p.y) * scale, (q.x - p.x) * scale,
                ((q.x - p.x) * (-p.y) - (q.y - p.y) * (-p.x)) * scale};
  };
  const Edge wa = edge(b, c), wb = edge(c, a), wc = edge(a, b);

  for (int y = y0; y <= y1; ++y) {
    const double py = y + 0.5;
    for (int x = x0; x <= x1; ++x) {
      const double px = x + 0.5;
      const double ka = wa.at00 + wa.dx * px + wa.dy * py;
      const double kb = wb.at00 + wb.dx * px + wb.dy * py;
      const double kc = wc.at00 + wc.dx * px + wc.dy * py;
      if (ka < 0 || kb < 0 || kc < 0) continue;
      const double depth = ka * a.nearness + kb * b.nearness + kc * c.nearness;
      const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(picture_.width) +
                            static_cast<std::size_t>(x);
      if (static_cast<float>(depth) <= nearness_[i]) continue;
      if (!mixed) nearness_[i] = static_cast<float>(depth);
      // In space, a corner weighs its screen weight times its nearness (1 / distance).
      CornerWeights weights{ka, kb, kc};
      if (perspective && depth > 0) {
        weights = {ka * a.nearness / depth, kb * b.nearness / depth, kc * c.nearness / depth};
      }
      put(x, y, shade(weights), mixed);
    }
  }
}

}  // namespace QzOrv::scene
