// Nearest-triangle queries on a TriangleSet: a uniform grid of cells, each listing the triangles
// whose boxes reach into it, searched in growing shells around the query point.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "TriangleSet.h"

/// The point of triangle `a b c` nearest to `p` (a degenerate triangle works too).
ON_3dPoint NearestPointOnTriangle(const ON_3dPoint& p, const ON_3dPoint& a, const ON_3dPoint& b,
                                  const ON_3dPoint& c);

class NearestTriangle {
 public:
  /// Indexes the triangles of `set` whose part is `part`, or all of them when `part` is -1. `set`
  /// must outlive this object and stay unchanged.
  explicit NearestTriangle(const TriangleSet& set, int part = -1);

  struct Hit {
    double distance = 0.0;
    std::size_t triangle = 0;
  };
  /// The triangle nearest to `p` and its distance; false when no triangle is indexed. `hint`, a
  /// triangle of the set likely to be near (the last one found for a point close by), only
  /// speeds the search up; -1 for none. Not thread-safe (the query keeps marks of the triangles
  /// it has tested).
  bool Find(const ON_3dPoint& p, Hit& hit, long hint = -1) const;
  bool Empty() const { return m_count == 0; }

 private:
  std::size_t CellIndex(int i, int j, int k) const;
  int CellOf(double value, int axis) const;
  void TestTriangle(std::uint32_t t, const ON_3dPoint& p, Hit& best, bool& found) const;
  void TestCell(int i, int j, int k, const ON_3dPoint& p, Hit& best, bool& found) const;

  const TriangleSet& m_set;
  std::size_t m_count = 0;
  ON_3dPoint m_origin;
  double m_cell = 1.0;
  int m_size[3] = {1, 1, 1};
  std::vector<std::uint32_t> m_start;         // per cell, into m_items; one more than the cells
  std::vector<std::uint32_t> m_items;         // triangle indices, cell after cell
  mutable std::vector<std::uint32_t> m_mark;  // per triangle: the query that last tested it
  mutable std::uint32_t m_query = 0;
};
