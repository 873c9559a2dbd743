#include "preview/Rasterizer.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

namespace QzOrv::scene {

Rasterizer::Rasterizer(int width, int height, Rgb background)
    : picture_(width, height, background),
      nearness_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                -std::numeric_limits<float>::infinity()) {}

void Rasterizer::put(int x, int y, const Fragment& fragment, bool mixed) {
  if (!mixed) {
    picture_.set(x, y, fragment.colour);
    return;
  }
  const double o = std::clamp(fragment.opacity, 0.0, 1.0);
  const Rgb behind = picture_.at(x, y);
  auto over = [o](std::uint8_t front, std::uint8_t back) {
    return static_cast<std::uint8_t>(front * o + back * (1 - o) + 0.5);
  };
  picture_.set(x, y,
               {over(fragment.colour.r, behind.r), over(fragment.colour.g, behind.g),
                over(fragment.colour.b, behind.b)});
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
