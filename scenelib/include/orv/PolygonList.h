// The polygons of one object definition stored flat: one small record per polygon in list order
// and every vertex index in shared blocks, instead of a heap block or two per polygon.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "orv/ChunkedArray.h"

namespace QzOrv::scene {

/// A polygon as a plain value: what tests and tools build a scene from (PolygonList::push_back).
struct Polygon {
  std::optional<bool> flag;
  std::optional<int> materialIndex;
  std::vector<int> vertexIndices;
  bool operator==(const Polygon&) const = default;
};

/// One polygon as a PolygonList holds it: the recorded values and a view of its vertex indices,
/// valid until the list changes.
struct PolygonRef {
  std::optional<bool> flag;
  std::optional<int> materialIndex;
  std::span<const int> vertexIndices;
};

/// An ordered list of polygons. Vertex indices live in blocks that never move, so the address of
/// a polygon's index stays valid while other polygons are added or receive indices; only an
/// insert into the same polygon's indices may move them. Copies are deep and compact; two lists
/// are equal when their polygons are equal in order.
class PolygonList {
 public:
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = PolygonRef;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = PolygonRef;

    Iterator() = default;
    Iterator(const PolygonList* list, std::size_t index) : list_(list), index_(index) {}
    PolygonRef operator*() const { return (*list_)[index_]; }
    Iterator& operator++() {
      ++index_;
      return *this;
    }
    Iterator operator++(int) {
      Iterator old = *this;
      ++index_;
      return old;
    }
    bool operator==(const Iterator& other) const { return index_ == other.index_; }

   private:
    const PolygonList* list_ = nullptr;
    std::size_t index_ = 0;
  };

  PolygonList() = default;
  PolygonList(const PolygonList& other);
  PolygonList(PolygonList&& other) noexcept;
  PolygonList& operator=(const PolygonList& other);
  PolygonList& operator=(PolygonList&& other) noexcept;
  ~PolygonList() = default;

  std::size_t size() const { return records_.size(); }
  bool empty() const { return records_.empty(); }
  PolygonRef operator[](std::size_t index) const { return refOf(records_[index]); }
  Iterator begin() const { return Iterator(this, 0); }
  Iterator end() const { return Iterator(this, size()); }
  bool operator==(const PolygonList& other) const;
  /// Calls visit(PolygonRef) for every polygon in order: the fast way to read them all.
  template <class Visit>
  void forEach(Visit&& visit) const {
    records_.forEachRun([&](const Record* first, std::size_t count) {
      for (const Record* record = first; record != first + count; ++record) visit(refOf(*record));
    });
  }

  /// What all the polygons hold together, kept up to date as the list changes.
  struct Totals {
    std::size_t flags = 0;            // polygons whose flag is set
    std::size_t materialIndices = 0;  // polygons whose material index is set
    std::size_t vertexIndices = 0;
  };
  const Totals& totals() const { return totals_; }

  /// Appends a copy of `polygon`.
  void push_back(const Polygon& polygon);
  /// Appends a polygon with `cornerCount` vertex indices and returns their storage, which the
  /// caller fills at once (its contents are unspecified until then).
  int* append(std::optional<bool> flag, std::optional<int> materialIndex, std::size_t cornerCount);

  // Editing one polygon in place, as the scene library's elements do. `polygon` is a position
  // from 0 to size() - 1; `corner` counts the polygon's vertex indices.

  /// Inserts a polygon with nothing set and no vertex index before `position` (0 to size()).
  void insert(std::size_t position) {
    assert(position <= size());
    records_.insert(position, Record{});
  }
  void setFlag(std::size_t polygon, bool flag) {
    Record& record = records_[polygon];
    if (!(record.present & kHasFlag)) ++totals_.flags;
    record.present =
        static_cast<std::uint8_t>((record.present & ~kFlag) | kHasFlag | (flag ? kFlag : 0));
  }
  void setMaterialIndex(std::size_t polygon, int materialIndex) {
    Record& record = records_[polygon];
    if (!(record.present & kHasMaterial)) ++totals_.materialIndices;
    record.present |= kHasMaterial;
    record.materialIndex = materialIndex;
  }
  std::size_t cornerCount(std::size_t polygon) const { return records_[polygon].count; }
  /// The vertex index at `corner` (0 to cornerCount - 1); valid until the next insertCorner on
  /// the same polygon.
  int* corner(std::size_t polygon, std::size_t corner) {
    return records_[polygon].corners + corner;
  }
  /// Inserts a vertex index 0 before `corner` (0 to cornerCount) and returns its storage, valid
  /// until the next insertCorner on the same polygon.
  int* insertCorner(std::size_t polygon, std::size_t corner) {
    Record& record = records_[polygon];
    assert(corner <= record.count);
    if (record.count == record.capacity) growByOne(record);
    int* at = record.corners + corner;
    if (corner < record.count) std::memmove(at + 1, at, (record.count - corner) * sizeof(int));
    *at = 0;
    ++record.count;
    ++totals_.vertexIndices;
    return at;
  }

 private:
  // Present bits of a record.
  static constexpr std::uint8_t kHasFlag = 1, kFlag = 2, kHasMaterial = 4;

  struct Record {
    int* corners = nullptr;  // in blocks_, or null with capacity 0
    std::uint32_t count = 0;
    std::uint32_t capacity = 0;
    int materialIndex = 0;
    std::uint8_t present = 0;
  };

  /// Storage for vertex indices in blocks that are never moved or freed before the list is.
  class Blocks {
   public:
    /// Room for `count` indices, contiguous.
    int* allocate(std::size_t count);
    /// Grows the allocation of `capacity` indices at `start` by one in place when it is the
    /// newest one and the block has room; an allocation of none starts at the free end. False
    /// when it cannot grow.
    bool growByOne(int*& start, std::size_t capacity) {
      if (free_ == limit_) return false;
      if (capacity == 0) {
        start = free_;
      } else if (start + capacity != free_) {
        return false;
      }
      ++free_;
      return true;
    }
    void clear();

   private:
    std::vector<std::unique_ptr<int[]>> blocks_;
    static constexpr std::size_t kFirstBlockIndices = 256;

    int* free_ = nullptr;  // the unused end of the newest block
    int* limit_ = nullptr;
    std::size_t nextBlock_ = kFirstBlockIndices;  // indices in the next shared block
  };

  static PolygonRef refOf(const Record& record) {
    PolygonRef polygon;
    if (record.present & kHasFlag) polygon.flag = (record.present & kFlag) != 0;
    if (record.present & kHasMaterial) polygon.materialIndex = record.materialIndex;
    polygon.vertexIndices = std::span<const int>(record.corners, record.count);
    return polygon;
  }

  /// Makes room for one more index in `record`, whose indices fill their capacity.
  void growByOne(Record& record) {
    // The usual caller fills the polygon it just added: its indices are the newest and grow in
    // place, so a definition's indices end up packed in polygon order.
    if (blocks_.growByOne(record.corners, record.capacity)) {
      ++record.capacity;
    } else {
      moveToGrow(record);
    }
  }
  /// Gives `record` room for more indices elsewhere, copying those it has.
  void moveToGrow(Record& record);

  ChunkedArray<Record> records_;
  Blocks blocks_;
  Totals totals_;
};

}  // namespace QzOrv::scene
