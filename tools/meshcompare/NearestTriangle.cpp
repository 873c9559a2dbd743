// The grid of triangles and the shell search for the nearest one.
#include "NearestTriangle.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

double Dot(const ON_3dVector& a, const ON_3dVector& b) {
  return ON_DotProduct(a, b);
}

// Cells per axis at most, so that a thin object's grid stays small.
constexpr int kMostCellsPerAxis = 256;

}  // namespace

// After "Real-Time Collision Detection" (Ericson), 5.1.5: the region of the triangle's plane the
// point projects into decides whether a corner, an edge or the inside is nearest.
ON_3dPoint NearestPointOnTriangle(const ON_3dPoint& p, const ON_3dPoint& a, const ON_3dPoint& b,
                                  const ON_3dPoint& c) {
  const ON_3dVector ab = b - a, ac = c - a, ap = p - a;
  const double d1 = Dot(ab, ap), d2 = Dot(ac, ap);
  if (d1 <= 0 && d2 <= 0) return a;
  const ON_3dVector bp = p - b;
  const double d3 = Dot(ab, bp), d4 = Dot(ac, bp);
  if (d3 >= 0 && d4 <= d3) return b;
  const double vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0) return a + ab * (d1 / (d1 - d3));
  const ON_3dVector cp = p - c;
  const double d5 = Dot(ab, cp), d6 = Dot(ac, cp);
  if (d6 >= 0 && d5 <= d6) return c;
  const double vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0) return a + ac * (d2 / (d2 - d6));
  const double va = d3 * d6 - d5 * d4;
  if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0)
    return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
  const double sum = va + vb + vc;
  if (!(sum > 0)) {  // degenerate: the nearest of its three sides
    ON_3dPoint best = a;
    for (const ON_3dPoint& q :
         {NearestPointOnTriangle(p, a, b, b), NearestPointOnTriangle(p, b, c, c),
          NearestPointOnTriangle(p, c, a, a)})
      if ((q - p).Length() < (best - p).Length()) best = q;
    return best;
  }
  return a + ab * (vb / sum) + ac * (vc / sum);
}

NearestTriangle::NearestTriangle(const TriangleSet& set, int part) : m_set(set) {
  std::vector<std::uint32_t> chosen;
  ON_BoundingBox box;
  double area = 0.0;
  for (std::size_t t = 0; t < set.TriangleCount(); ++t) {
    if (part >= 0 && set.Part(t) != part) continue;
    chosen.push_back(static_cast<std::uint32_t>(t));
    for (int k = 0; k < 3; ++k) box.Set(set.Corner(t, k), box.IsValid());
    area += 0.5 * set.AreaVector(t).Length();
  }
  m_count = chosen.size();
  m_mark.assign(set.TriangleCount(), 0);
  if (chosen.empty()) {
    m_start.assign(2, 0);
    return;
  }
  // Cells about twice a triangle's mean size, no more per axis than kMostCellsPerAxis.
  const ON_3dVector extent = box.m_max - box.m_min;
  const double largest = std::max({extent.x, extent.y, extent.z});
  m_cell = std::max({2.0 * std::sqrt(area / static_cast<double>(chosen.size())),
                     largest / kMostCellsPerAxis, 1e-300});
  if (!std::isfinite(m_cell)) m_cell = 1.0;
  m_origin = box.m_min;
  const double sizes[3] = {extent.x, extent.y, extent.z};
  for (int a = 0; a < 3; ++a)
    m_size[a] = std::clamp(static_cast<int>(sizes[a] / m_cell) + 1, 1, kMostCellsPerAxis + 1);
  // Two passes: count each cell's triangles, then fill them in.
  const std::size_t cells = CellIndex(m_size[0] - 1, m_size[1] - 1, m_size[2] - 1) + 1;
  m_start.assign(cells + 1, 0);
  for (int pass = 0; pass < 2; ++pass) {
    std::vector<std::uint32_t> fill(m_start.begin(), m_start.end() - 1);
    if (pass == 1) m_items.resize(m_start.back());
    for (std::uint32_t t : chosen) {
      ON_BoundingBox tbox;
      for (int k = 0; k < 3; ++k) tbox.Set(set.Corner(t, k), tbox.IsValid());
      const int lo[3] = {CellOf(tbox.m_min.x, 0), CellOf(tbox.m_min.y, 1), CellOf(tbox.m_min.z, 2)};
      const int hi[3] = {CellOf(tbox.m_max.x, 0), CellOf(tbox.m_max.y, 1), CellOf(tbox.m_max.z, 2)};
      for (int i = lo[0]; i <= hi[0]; ++i)
        for (int j = lo[1]; j <= hi[1]; ++j)
          for (int k = lo[2]; k <= hi[2]; ++k) {
            const std::size_t cell = CellIndex(i, j, k);
            if (pass == 0)
              ++m_start[cell + 1];
            else
              m_items[fill[cell]++] = t;
          }
    }
    if (pass == 0)
      for (std::size_t c = 0; c < cells; ++c) m_start[c + 1] += m_start[c];
  }
}

std::size_t NearestTriangle::CellIndex(int i, int j, int k) const {
  return (static_cast<std::size_t>(k) * static_cast<std::size_t>(m_size[1]) +
          static_cast<std::size_t>(j)) *
             static_cast<std::size_t>(m_size[0]) +
         static_cast<std::size_t>(i);
}

int NearestTriangle::CellOf(double value, int axis) const {
  const double origin = axis == 0 ? m_origin.x : axis == 1 ? m_origin.y : m_origin.z;
  const double cell = std::floor((value - origin) / m_cell);
  if (!(cell > 0)) return 0;  // also NaN
  return static_cast<int>(std::min(cell, static_cast<double>(m_size[axis] - 1)));
}

void NearestTriangle::TestTriangle(std::uint32_t t, const ON_3dPoint& p, Hit& best,
                                   bool& found) const {
  if (m_mark[t] == m_query) return;
  m_mark[t] = m_query;
  const ON_3dPoint q =
      NearestPointOnTriangle(p, m_set.Corner(t, 0), m_set.Corner(t, 1), m_set.Corner(t, 2));
  const double distance = (q - p).Length();
  if (!found || distance < best.distance) best = {distance, t};
  found = true;
}

void NearestTriangle::TestCell(int i, int j, int k, const ON_3dPoint& p, Hit& best,
                               bool& found) const {
  if (i < 0 || j < 0 || k < 0 || i >= m_size[0] || j >= m_size[1] || k >= m_size[2]) return;
  if (found) {  // a cell whose box lies farther than the best triangle holds no nearer one
    const double lo[3] = {m_origin.x + i * m_cell, m_origin.y + j * m_cell,
                          m_origin.z + k * m_cell};
    const double q[3] = {p.x, p.y, p.z};
    double squared = 0.0;
    for (int a = 0; a < 3; ++a) {
      const double gap = std::max({lo[a] - q[a], q[a] - (lo[a] + m_cell), 0.0});
      squared += gap * gap;
    }
    if (squared >= best.distance * best.distance) return;
  }
  const std::size_t cell = CellIndex(i, j, k);
  for (std::uint32_t n = m_start[cell]; n < m_start[cell + 1]; ++n)
    TestTriangle(m_items[n], p, best, found);
}

bool NearestTriangle::Find(const ON_3dPoint& p, Hit& hit, long hint) const {
  if (m_count == 0) return false;
  if (++m_query == 0) {  // the marks wrapped around: start them afresh
    std::fill(m_mark.begin(), m_mark.end(), 0);
    m_query = 1;
  }
  const int c[3] = {CellOf(p.x, 0), CellOf(p.y, 1), CellOf(p.z, 2)};
  const int widest = std::max({m_size[0], m_size[1], m_size[2]});
  bool found = false;
  if (hint >= 0 && static_cast<std::size_t>(hint) < m_mark.size())
    TestTriangle(static_cast<std::uint32_t>(hint), p, hit, found);
  // Shell r holds the cells r steps from the point's cell (in the largest of the three steps).
  // Every point beyond shell r is at least r cells away, so the search ends once the best
  // distance is within that.
  for (int r = 0; r <= widest; ++r) {
    for (int i = c[0] - r; i <= c[0] + r; ++i)
      for (int j = c[1] - r; j <= c[1] + r; ++j) {
        const bool side = i == c[0] - r || i == c[0] + r || j == c[1] - r || j == c[1] + r;
        if (side) {
          for (int k = c[2] - r; k <= c[2] + r; ++k) TestCell(i, j, k, p, hit, found);
        } else {
          TestCell(i, j, c[2] - r, p, hit, found);
          if (r > 0) TestCell(i, j, c[2] + r, p, hit, found);
        }
      }
    if (found && hit.distance <= r * m_cell) break;
  }
  return found;
}
