// PointWelder: the point list of one welded scene definition. Owns the points and a hash index
// from each point's exact bytes to its first position, so welding stays linear in the vertices.
// The hash is seeded once per process, so that no chosen points can make it slow.
#pragma once

#include <cstdint>
#include <vector>

#include "plugin/stdafx.h"

/// Welds points by exact equality of their 24 bytes — the rule of ON_SimpleArray::Search, so
/// +0.0 and -0.0 stay apart and a NaN meets the identical NaN — and keeps the index of the first
/// occurrence. Add(p) returns what Points().Search(p) would, after appending p when it was
/// missing. Expected constant time per point.
class PointWelder {
 public:
  /// Seeded with the process's seed.
  PointWelder();
  /// Seeded with `seed`: what welds and in which order is the same for every seed.
  explicit PointWelder(std::uint64_t seed) : m_seed(seed) {}

  /// Sizes the index once for up to `count` distinct points (the vertex count of what will be
  /// welded bounds it), so that adding them never rebuilds it. Only before the first Add.
  void Reserve(int count);
  /// Index of the first point with exactly p's bytes; p is appended when there is none.
  int Add(const ON_3dPoint& p);
  /// The distinct points in order of first insertion.
  const ON_SimpleArray<ON_3dPoint>& Points() const { return m_points; }

 private:
  std::uint64_t HashOf(const ON_3dPoint& p) const;
  /// Rebuilds the index with twice the slots: only when more points arrive than were reserved.
  void Grow();

  ON_SimpleArray<ON_3dPoint> m_points;
  // Open addressing with linear probing: each slot holds a point index or -1. Kept at most three
  // quarters full, so probes stay short, and small (4 bytes a slot), so it stays in cache longer
  // than the points themselves.
  std::vector<int> m_slots;
  std::uint64_t m_seed;
};
