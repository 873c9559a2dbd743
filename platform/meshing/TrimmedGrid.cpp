// Cutting a face's parameter grid by its loops: nodes inside by the even-odd rule, nodes too near
// a loop left out, cells a loop passes through left to the triangulation.
#include "TrimmedGrid.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace on_detail {

namespace {

// Grid nodes nearer than this (in cells) to a loop are left out: they would make slivers.
constexpr double kClearance = 0.5;

/// The grid seen in cell units: node (i, j) at x = i, y = j, and each cell's parameters mapped
/// linearly onto it.
class CellGrid {
 public:
  explicit CellGrid(const GridBox& box)
      : m_box(box),
        m_nodes(std::size_t(box.Cells(0) + 1) * (box.Cells(1) + 1), kFree),
        m_touched(std::size_t(box.Cells(0)) * box.Cells(1), 0) {}

  double X(const Uv& p) const { return InCells(p.u, 0); }
  double Y(const Uv& p) const { return InCells(p.v, 1); }
  Uv At(int i, int j) const { return {m_box.lines[0][i], m_box.lines[1][j]}; }
  int Columns() const { return m_box.Cells(0); }
  int Rows() const { return m_box.Cells(1); }

  /// Leaves out the node nearest to (x, y) when it is within the clearance in both directions.
  void BlockNear(double x, double y) {
    const long i = std::lround(x), j = std::lround(y);
    if (i >= 0 && i <= Columns() && j >= 0 && j <= Rows() && std::fabs(x - i) < kClearance &&
        std::fabs(y - j) < kClearance)
      m_nodes[Node(int(i), int(j))] = kBlocked;
  }

  /// Marks every cell the segment from a to b passes through, walking from cell to cell across
  /// the grid lines it crosses.
  void Touch(const Uv& a, const Uv& b) {
    int i = int(std::floor(X(a))), j = int(std::floor(Y(a)));
    const int i_end = int(std::floor(X(b))), j_end = int(std::floor(Y(b)));
    const double du = b.u - a.u, dv = b.v - a.v;
    const int di = du > 0 ? 1 : -1, dj = dv > 0 ? 1 : -1;
    // Where along the segment (0 at a, 1 at b) it crosses the next line of each direction.
    auto next = [&](int dir, int k) {
      const std::vector<double>& lines = m_box.lines[dir];
      const double d = dir == 0 ? du : dv, start = dir == 0 ? a.u : a.v;
      if (d == 0 || k < 0 || k >= int(lines.size())) return std::numeric_limits<double>::infinity();
      return (lines[k] - start) / d;
    };
    for (int left = std::abs(i_end - i) + std::abs(j_end - j);; --left) {
      if (i >= 0 && i < Columns() && j >= 0 && j < Rows()) m_touched[Cell(i, j)] = 1;
      if (left <= 0) break;
      if (next(0, di > 0 ? i + 1 : i) < next(1, dj > 0 ? j + 1 : j))
        i += di;
      else
        j += dj;
    }
  }

  bool Inside(int i, int j) const { return m_nodes[Node(i, j)] == kInside; }
  void SetInside(int i, int j) {
    if (m_nodes[Node(i, j)] == kFree) m_nodes[Node(i, j)] = kInside;
  }
  /// A cell the quads keep: its corners inside and clear, no loop through it.
  bool Whole(int i, int j) const {
    return i >= 0 && i < Columns() && j >= 0 && j < Rows() && !m_touched[Cell(i, j)] &&
           Inside(i, j) && Inside(i + 1, j) && Inside(i + 1, j + 1) && Inside(i, j + 1);
  }
  std::size_t Node(int i, int j) const { return std::size_t(j) * (Columns() + 1) + i; }

 private:
  enum : char { kFree, kBlocked, kInside };
  std::size_t Cell(int i, int j) const { return std::size_t(j) * Columns() + i; }

  /// Parameter t of direction dir in cell units: the cell holding it (the first or last beyond
  /// the lines) and the fraction across it.
  double InCells(double t, int dir) const {
    const std::vector<double>& lines = m_box.lines[dir];
    const auto next = std::upper_bound(lines.begin() + 1, lines.end() - 1, t);
    const std::size_t i = std::size_t(next - lines.begin()) - 1;
    return double(i) + (t - lines[i]) / (lines[i + 1] - lines[i]);
  }

  const GridBox& m_box;
  std::vector<char> m_nodes;
  std::vector<char> m_touched;
};

}  // namespace

namespace {

/// Whether the loops' segments cross more cells than the grid allows for all of them.
bool Overruns(const CellGrid& grid, const std::vector<std::vector<int>>& loops,
              const std::vector<Uv>& points) {
  const double most = double(kMostCutSteps) * (grid.Columns() + 1.0) * (grid.Rows() + 1.0);
  double steps = 0.0;
  for (const std::vector<int>& loop : loops)
    for (std::size_t k = 0; k < loop.size(); ++k) {
      const Uv a = points[loop[k]], b = points[loop[(k + 1) % loop.size()]];
      // Beyond these, each segment costs a few steps of its own: its points are bounded already.
      steps += std::fabs(grid.X(b) - grid.X(a)) + std::fabs(grid.Y(b) - grid.Y(a));
      if (!(steps <= most)) return true;
    }
  return false;
}

}  // namespace

TrimmedGrid CutGrid(const GridBox& box, const std::vector<std::vector<int>>& loops,
                    std::vector<Uv>& points) {
  TrimmedGrid result;
  result.triangulated = points.size();
  if (box.Cells(0) < 1 || box.Cells(1) < 1) return result;
  // A box so narrow that its cells have no width in double precision is no grid either.
  for (const std::vector<double>& lines : box.lines)
    for (std::size_t k = 1; k < lines.size(); ++k)
      if (!(lines[k] > lines[k - 1]) || !std::isfinite(lines[k] - lines[k - 1])) return result;
  CellGrid grid(box);
  if (Overruns(grid, loops, points)) {
    result.overrun = true;
    return result;
  }
  // Where the loops cross each row of nodes, for the even-odd rule.
  std::vector<std::vector<double>> crossings(grid.Rows() + 1);
  for (const std::vector<int>& loop : loops)
    for (std::size_t k = 0; k < loop.size(); ++k) {
      const Uv a = points[loop[k]], b = points[loop[(k + 1) % loop.size()]];
      const double ax = grid.X(a), ay = grid.Y(a), bx = grid.X(b), by = grid.Y(b);
      grid.Touch(a, b);
      const int pieces = int(std::ceil(std::hypot(bx - ax, by - ay) / kClearance));
      for (int s = 0; s <= pieces; ++s) {
        const double x = pieces ? double(s) / pieces : 0.0;
        const Uv p{a.u + (b.u - a.u) * x, a.v + (b.v - a.v) * x};
        grid.BlockNear(grid.X(p), grid.Y(p));
      }
      if (ay == by) continue;
      const int first = std::max(1, int(std::ceil(std::min(ay, by))));
      const int last = std::min(grid.Rows() - 1, int(std::floor(std::max(ay, by))));
      for (int j = first; j <= last; ++j)
        if ((ay <= j && j < by) || (by <= j && j < ay))
          crossings[j].push_back(
              grid.X({a.u + (grid.At(0, j).v - a.v) * (b.u - a.u) / (b.v - a.v), grid.At(0, j).v}));
    }
  // Nodes on the box's sides lie on the loops' extremes: only inner nodes are used.
  for (int j = 1; j < grid.Rows(); ++j) {
    std::vector<double>& row = crossings[j];
    std::sort(row.begin(), row.end());
    std::size_t passed = 0;
    for (int i = 1; i < grid.Columns(); ++i) {
      while (passed < row.size() && row[passed] < i) ++passed;
      if (passed % 2 == 1) grid.SetInside(i, j);
    }
  }
  // Nodes the triangulation needs touch a cell that is not whole; the others serve quads only.
  std::vector<int> index((grid.Columns() + 1) * std::size_t(grid.Rows() + 1), -1);
  auto needed = [&](int i, int j) {
    return !grid.Whole(i - 1, j - 1) || !grid.Whole(i, j - 1) || !grid.Whole(i - 1, j) ||
           !grid.Whole(i, j);
  };
  for (int pass = 0; pass < 2; ++pass) {
    for (int j = 1; j < grid.Rows(); ++j)
      for (int i = 1; i < grid.Columns(); ++i)
        if (grid.Inside(i, j) && needed(i, j) == (pass == 0)) {
          index[grid.Node(i, j)] = int(points.size());
          points.push_back(grid.At(i, j));
        }
    if (pass == 0) result.triangulated = points.size();
  }
  for (int j = 0; j < grid.Rows(); ++j)
    for (int i = 0; i < grid.Columns(); ++i) {
      if (!grid.Whole(i, j)) continue;
      const int a = index[grid.Node(i, j)], b = index[grid.Node(i + 1, j)],
                c = index[grid.Node(i + 1, j + 1)], d = index[grid.Node(i, j + 1)];
      result.quads.push_back({a, b, c, d});
      if (!grid.Whole(i, j - 1)) result.borders.push_back({a, b});
      if (!grid.Whole(i + 1, j)) result.borders.push_back({b, c});
      if (!grid.Whole(i, j + 1)) result.borders.push_back({c, d});
      if (!grid.Whole(i - 1, j)) result.borders.push_back({d, a});
    }
  return result;
}

}  // namespace on_detail
