// DocumentBudget: how much work a document may ask of an export once its blocks are expanded, and
// the tally the loader keeps against it while it reads; a document over it is refused.
#pragma once

#include <cstdint>
#include <limits>

/// The limits; a document that exceeds one is refused before the export, with a message naming
/// what is over, the limit and the orvexport option that raises it.
struct DocumentBudget {
  /// Placed polygons: every mesh face, counted once for each place it stands once blocks are
  /// expanded (a block placed twice counts twice).
  std::uint64_t polygons = 10'000'000;
  /// Placed objects, counted so: every object, block instances included, costs an export far
  /// more than one of its faces.
  std::uint64_t objects = 1'000'000;
  /// Bytes of the binary arrays the document refers to, each reference counted (two objects
  /// naming the same array count it twice).
  std::uint64_t arrayBytes = std::uint64_t{512} << 20;
};

/// The command-line options that raise each limit, named in the refusals.
inline constexpr char kPolygonBudgetOption[] = "--max-polygons";
inline constexpr char kObjectBudgetOption[] = "--max-objects";
inline constexpr char kArrayBudgetOption[] = "--max-array-mib";

/// a + b, or the largest value where the sum would not fit.
inline std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) {
  return b > std::numeric_limits<std::uint64_t>::max() - a
             ? std::numeric_limits<std::uint64_t>::max()
             : a + b;
}

/// What one object or one placement of a block places, blocks expanded.
struct Placed {
  std::uint64_t polygons = 0;
  std::uint64_t objects = 0;
  Placed& operator+=(const Placed& more) {
    polygons = SaturatingAdd(polygons, more.polygons);
    objects = SaturatingAdd(objects, more.objects);
    return *this;
  }
};
