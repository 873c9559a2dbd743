#include "Rasterizer.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

namespace QzOrv::scene {

Rasterizer::Rasterizer(int width, int height, Rgb background)
    : picture_(width, height, background),
      nearness_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                -std::numeric_limits<float>::infinity()) {}

void Rasterizer::fill(const ScreenCorner& a, const ScreenCorner& b, const ScreenCorner& c,
                      Rgb colour) {
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
  const double scale = 1 / area;
  auto edge = [scale](const ScreenCorner& p, const ScreenCorner& q) {
    // Weight at (x, y) = (q.x - p.x) * (y - p.y) - (q.y - p.y) * (x - p.x), times scale.
    struct Edge {
      double dx, dy, at00;
    };
    return Edge{-(q.y - p.y) * scale, (q.x - p.x) * scale,
                ((q.x - p.x) * (-p.y) - (q.y - p.y) * (-p.x)) * scale};
  };
  const auto wa = edge(b, c), wb = edge(c, a), wc = edge(a, b);

  for (int y = y0; y <= y1; ++y) {
    const double py = y + 0.5;
    for (int x = x0; x <= x1; ++x) {
      const double px = x + 0.5;
      const double ka = wa.at00 + wa.dx * px + wa.dy * py;
      const double kb = wb.at00 + wb.dx * px + wb.dy * py;
      const double kc = wc.at00 + wc.dx * px + wc.dy * py;
      if (ka < 0 || kb < 0 || kc < 0) continue;
      const auto depth = static_cast<float>(ka * a.nearness + kb * b.nearness + kc * c.nearness);
      float& stored =
          nearness_[static_cast<std::size_t>(y) * static_cast<std::size_t>(picture_.width) +
                    static_cast<std::size_t>(x)];
      if (depth <= stored) continue;
      stored = depth;
      picture_.set(x, y, colour);
    }
  }
}

Picture downsampled(const Picture& picture, int factor) {
  assert(factor > 0 && picture.width % factor == 0 && picture.height % factor == 0);
  Picture small(picture.width / factor, picture.height / factor, Rgb{});
  const int count = factor * factor;
  for (int y = 0; y < small.height; ++y) {
    for (int x = 0; x < small.width; ++x) {
      int r = 0, g = 0, b = 0;
      for (int j = 0; j < factor; ++j) {
        for (int i = 0; i < factor; ++i) {
          const Rgb p = picture.at(x * factor + i, y * factor + j);
          r += p.r;
          g += p.g;
          b += p.b;
        }
      }
      small.set(x, y,
                {static_cast<std::uint8_t>((r + count / 2) / count),
                 static_cast<std::uint8_t>((g + count / 2) / count),
                 static_cast<std::uint8_t>((b + count / 2) / count)});
    }
  }
  return small;
}

}  // namespace QzOrv::scene
