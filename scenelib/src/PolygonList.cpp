#include "orv/PolygonList.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <limits>
#include <utility>

namespace QzOrv::scene {
namespace {

// Shared blocks grow from 1 KiB of indices (Blocks::kFirstBlockIndices) to 64 KiB, doubling, so a
// definition of a few polygons holds little; an allocation larger than a quarter of the largest
// block gets a block of its own, so the shared blocks waste little at their ends.
constexpr std::size_t kBlockIndices = 16 * 1024;
constexpr std::size_t kOwnBlockFrom = kBlockIndices / 4;
// A polygon whose indices must move gets room to double, so a caller that fills two polygons
// by turns copies each polygon's indices only a logarithmic number of times.
constexpr std::uint32_t kFirstMovedCapacity = 4;

std::uint32_t narrowCount(std::size_t count) {
  assert(count <= std::numeric_limits<std::uint32_t>::max());
  return static_cast<std::uint32_t>(count);
}

}  // namespace

int* PolygonList::Blocks::allocate(std::size_t count) {
  if (count >= kOwnBlockFrom) {
    // Kept before the newest block, whose free end stays in use.
    auto own = std::make_unique_for_overwrite<int[]>(count);
    int* start = own.get();
    blocks_.insert(blocks_.end() - (blocks_.empty() ? 0 : 1), std::move(own));
    return start;
  }
  if (static_cast<std::size_t>(limit_ - free_) < count) {
    const std::size_t size = std::max(nextBlock_, count);
    nextBlock_ = std::min(2 * nextBlock_, kBlockIndices);
    blocks_.push_back(std::make_unique_for_overwrite<int[]>(size));
    free_ = blocks_.back().get();
    limit_ = free_ + size;
  }
  int* start = free_;
  free_ += count;
  return start;
}

void PolygonList::Blocks::clear() {
  blocks_.clear();
  free_ = limit_ = nullptr;
  nextBlock_ = kFirstBlockIndices;
}

PolygonList::PolygonList(const PolygonList& other) {
  *this = other;
}

PolygonList::PolygonList(PolygonList&& other) noexcept {
  *this = std::move(other);
}

PolygonList& PolygonList::operator=(const PolygonList& other) {
  if (this == &other) return *this;
  PolygonList copy;
  for (const PolygonRef polygon : other) {
    int* corners = copy.append(polygon.flag, polygon.materialIndex, polygon.vertexIndices.size());
    std::copy(polygon.vertexIndices.begin(), polygon.vertexIndices.end(), corners);
  }
  return *this = std::move(copy);
}

PolygonList& PolygonList::operator=(PolygonList&& other) noexcept {
  if (this == &other) return *this;
  records_ = std::move(other.records_);
  blocks_ = std::move(other.blocks_);
  totals_ = std::exchange(other.totals_, {});
  // The moved-from list (its records already gone) must not hand out the free end of blocks it
  // no longer owns.
  other.blocks_.clear();
  return *this;
}

bool PolygonList::operator==(const PolygonList& other) const {
  if (size() != other.size()) return false;
  for (std::size_t i = 0; i < size(); ++i) {
    const PolygonRef a = (*this)[i];
    const PolygonRef b = other[i];
    if (a.flag != b.flag || a.materialIndex != b.materialIndex ||
        !std::ranges::equal(a.vertexIndices, b.vertexIndices)) {
      return false;
    }
  }
  return true;
}

void PolygonList::push_back(const Polygon& polygon) {
  int* corners = append(polygon.flag, polygon.materialIndex, polygon.vertexIndices.size());
  std::copy(polygon.vertexIndices.begin(), polygon.vertexIndices.end(), corners);
}

int* PolygonList::append(std::optional<bool> flag, std::optional<int> materialIndex,
                         std::size_t cornerCount) {
  Record record;
  if (flag) record.present |= kHasFlag | (*flag ? kFlag : 0);
  if (materialIndex) {
    record.present |= kHasMaterial;
    record.materialIndex = *materialIndex;
  }
  record.count = record.capacity = narrowCount(cornerCount);
  totals_.flags += flag ? 1 : 0;
  totals_.materialIndices += materialIndex ? 1 : 0;
  totals_.vertexIndices += cornerCount;
  if (cornerCount > 0) record.corners = blocks_.allocate(cornerCount);
  records_.push_back(record);
  return record.corners;
}

void PolygonList::moveToGrow(Record& record) {
  if (record.capacity == 0) {
    record.corners = blocks_.allocate(1);
    record.capacity = 1;
    return;
  }
  const std::uint32_t capacity = std::max(kFirstMovedCapacity, 2 * record.capacity);
  int* moved = blocks_.allocate(capacity);
  std::copy(record.corners, record.corners + record.count, moved);
  record.corners = moved;
  record.capacity = capacity;
}

}  // namespace QzOrv::scene
