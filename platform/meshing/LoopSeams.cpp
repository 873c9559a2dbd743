// Settling loop points on seams and at poles, so that a loop on a closed surface stays one
// polygon in the surface's parameters.
#include "LoopSeams.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace on_detail {

/// Points on or near a seam pulled back to either side of it. A loop never steps across more than
/// half the domain between two of its points, so each point goes to the side that keeps it near
/// the point before it, walking from the point farthest from the seam. A loop may leave a pole
/// anywhere along it, so poles cut the loop into pieces, each walked both ways from its own
/// farthest point; a piece lying wholly on the seam (between two poles) keeps its side if it is
/// the first such piece and takes the other side from the one before it otherwise.
void ResolveSeam(std::vector<LoopPoint>& loop, const std::vector<bool>& at_pole, int dir,
                 const ON_Interval& domain) {
  const double lo = domain.Min(), hi = domain.Max(), period = hi - lo, eps = kOnSide * period;
  const std::size_t n = loop.size();
  auto from_seam = [&](std::size_t k) {
    const double c = Coordinate(loop[k].uv, dir);
    return std::min(c - lo, hi - c);
  };
  auto follow = [&](std::size_t k, double before) {
    double& c = Coordinate(loop[k].uv, dir);
    if (c - before > 0.5 * period)
      c = std::max(lo, c - period);
    else if (before - c > 0.5 * period)
      c = std::min(hi, c + period);
    return c;
  };
  double seam_side = std::numeric_limits<double>::quiet_NaN();
  // Walks the points piece[0..] in loop order; `around` when the piece is the whole loop.
  auto settle = [&](const std::vector<std::size_t>& piece, bool around) {
    std::size_t anchor = 0;
    for (std::size_t i = 1; i < piece.size(); ++i)
      if (from_seam(piece[i]) > from_seam(piece[anchor])) anchor = i;
    if (from_seam(piece[anchor]) <= eps) {
      const double own = Coordinate(loop[piece[0]].uv, dir) - lo <= eps ? lo : hi;
      seam_side = std::isnan(seam_side) ? own : (seam_side == lo ? hi : lo);
      for (std::size_t k : piece) Coordinate(loop[k].uv, dir) = seam_side;
      return;
    }
    const double start = Coordinate(loop[piece[anchor]].uv, dir);
    double before = start;
    const std::size_t forward = around ? piece.size() : piece.size() - anchor;
    for (std::size_t step = 1; step < forward; ++step)
      before = follow(piece[(anchor + step) % piece.size()], before);
    before = start;
    if (!around)
      for (std::size_t i = anchor; i-- > 0;) before = follow(piece[i], before);
  };
  std::size_t first_pole = 0;
  while (first_pole < n && !at_pole[first_pole]) ++first_pole;
  if (first_pole == n) {
    std::vector<std::size_t> all(n);
    for (std::size_t k = 0; k < n; ++k) all[k] = k;
    settle(all, true);
    return;
  }
  std::vector<std::size_t> piece;
  for (std::size_t step = 1; step <= n; ++step) {
    const std::size_t k = (first_pole + step) % n;
    if (!at_pole[k]) {
      piece.push_back(k);
      continue;
    }
    if (!piece.empty()) settle(piece, false);
    piece.clear();
  }
}

/// A point at a pole has no definite parameter along the pole's side. Each run of pole points
/// becomes two points on that side: one where the loop arrives, one where it leaves.
void ResolvePole(std::vector<LoopPoint>& loop, int side, const ON_Interval domain[2]) {
  const int along = side % 2 == 0 ? 0 : 1, across = 1 - along;
  const double at = side == 0 || side == 3 ? domain[across][0] : domain[across][1];
  const double eps = kOnSide * domain[across].Length();
  const std::size_t n = loop.size();
  std::vector<bool> pole(n);
  std::size_t start = n;
  for (std::size_t k = 0; k < n; ++k) {
    pole[k] = std::fabs(Coordinate(loop[k].uv, across) - at) <= eps;
    if (!pole[k] && start == n) start = k;
  }
  if (start == n) return;
  std::vector<LoopPoint> out;
  out.reserve(n + 2);
  for (std::size_t step = 0; step < n; ++step) {
    const std::size_t k = (start + step) % n;
    if (!pole[k]) {
      out.push_back(loop[k]);
      continue;
    }
    std::size_t last = k;
    while (pole[(last + 1) % n]) last = (last + 1) % n;
    const LoopPoint& before = out.back();
    const LoopPoint& after = loop[(last + 1) % n];
    LoopPoint arrive = loop[k], leave = loop[k];
    Coordinate(arrive.uv, along) = Coordinate(before.uv, along);
    Coordinate(leave.uv, along) = Coordinate(after.uv, along);
    Coordinate(arrive.uv, across) = Coordinate(leave.uv, across) = at;
    out.push_back(arrive);
    if (Coordinate(leave.uv, along) != Coordinate(arrive.uv, along)) out.push_back(leave);
    step += (last + n - k) % n;
  }
  loop.swap(out);
}

}  // namespace on_detail
