// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "geometry/PointWelder.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>
#include <random>

namespace {

static_assert(sizeof(ON_3dPoint) == 3 * sizeof(std::uint64_t),
              "welding keys on the exact bytes of three doubles");

constexpr std::size_t kFirstSlotCount = 64;

// Slots needed to hold `points` at most three quarters full: probes stay short (and mostly within
// one cache line), and the index is no larger than it needs to be for large meshes.
std::size_t slotsFor(std::size_t points) {
  return points * 4 / 3 + 1;
}

bool sameBytes(const ON_3dPoint& a, const ON_3dPoint& b) {
  return std::memcmp(&a, &b, sizeof(ON_3dPoint)) == 0;
}

// The hash's starting value, drawn once per process: points chosen to collide under one seed do
// not collide under another, so no input can make the probes long. Which points weld and their
// order never depend on it, only where they sit in the index.
std::uint64_t processSeed() {
  static const std::uint64_t seed = [] {
    std::random_device device;
    return (std::uint64_t{device()} << 32) ^ device();
  }();
  return seed;
}

}  // namespace

std::uint64_t PointWelder::HashOf(const ON_3dPoint& p) const {
  std::uint64_t words[3];
  std::memcpy(words, &p, sizeof words);
  // Each word is mixed fully (the splitmix64 finaliser), so grid coordinates that differ only in
  // a few low mantissa bits still land far apart.
  std::uint64_t h = m_seed;
  for (std::uint64_t word : words) {
    std::uint64_t z = word + h;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    h = z ^ (z >> 31);
  }
  return h;
}

PointWelder::PointWelder() : m_seed(processSeed()) {}

void PointWelder::Reserve(int count) {
  assert(m_points.Count() == 0 && count >= 0);
  // Room for every reserved point without growing.
  const std::size_t slots =
      std::bit_ceil(std::max(kFirstSlotCount, slotsFor(static_cast<std::size_t>(count))));
  if (slots > m_slots.size()) m_slots.assign(slots, -1);
}

void PointWelder::Grow() {
  std::vector<int> slots(m_slots.empty() ? kFirstSlotCount : 2 * m_slots.size(), -1);
  const std::size_t mask = slots.size() - 1;
  // The points are distinct, so each only needs a free slot.
  for (int i = 0; i < m_points.Count(); ++i) {
    std::size_t slot = HashOf(m_points[i]) & mask;
    while (slots[slot] >= 0) slot = (slot + 1) & mask;
    slots[slot] = i;
  }
  m_slots.swap(slots);
}

int PointWelder::Add(const ON_3dPoint& p) {
  if (slotsFor(static_cast<std::size_t>(m_points.Count()) + 1) > m_slots.size()) Grow();
  const std::size_t mask = m_slots.size() - 1;
  for (std::size_t slot = HashOf(p) & mask;; slot = (slot + 1) & mask) {
    const int index = m_slots[slot];
    if (index < 0) {
      m_slots[slot] = m_points.Count();
      m_points.Append(p);
      return m_slots[slot];
    }
    if (sameBytes(m_points[index], p)) return index;
  }
}
