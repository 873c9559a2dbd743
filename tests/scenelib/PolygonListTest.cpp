// Polygons stored flat: what the interface promises about them still holds. Vertex index storage
// keeps its address while other polygons grow, held polygon elements keep meaning their own
// polygon when others are inserted before them, and copies are deep.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "SceneFixtures.h"
#include "orv/PolygonList.h"
#include "orv/SceneModel.h"

namespace QzOrv::test {
namespace {

using scene::Polygon;
using scene::PolygonList;

std::vector<int> cornersOf(const PolygonList& polygons, std::size_t index) {
  const std::span<const int> corners = polygons[index].vertexIndices;
  return std::vector<int>(corners.begin(), corners.end());
}

TEST(PolygonList, IndexStorageStaysWhereItIsWhileOtherPolygonsGrow) {
  Manager manager = newManager();
  IOrvObjectDefinition* definition = manager->objectDefinitions()->insert(-1);
  IOrvList<IOrvPolygon>* polygons = definition->polygons();
  IOrvList<int>* first = polygons->insert(-1)->vertexIndices();
  int* held = first->insert(-1);
  // Thousands of other polygons and indices, some polygons inserted before the first.
  for (int i = 0; i < 5000; ++i) {
    IOrvList<int>* other = polygons->insert(i % 7 == 0 ? 0 : -1)->vertexIndices();
    for (int c = 0; c < 3; ++c) *other->insert(-1) = i;
  }
  *held = 42;  // still the first polygon's storage
  EXPECT_EQ(*first->at(0), 42);

  const scene::Scene saved = readBack(saveToBytes(*manager));
  const PolygonList& stored = saved.objectDefinitions[0].polygons;
  ASSERT_EQ(stored.size(), 5001u);
  // 715 polygons went in before the first one.
  EXPECT_EQ(cornersOf(stored, 715), std::vector<int>{42});
}

TEST(PolygonList, PolygonsFilledByTurnsOrInTheMiddleKeepTheirOwnIndices) {
  Manager manager = newManager();
  IOrvList<IOrvPolygon>* polygons = manager->objectDefinitions()->insert(-1)->polygons();
  IOrvPolygon* a = polygons->insert(-1);
  IOrvPolygon* b = polygons->insert(-1);
  std::vector<int> expectedA, expectedB;
  for (int i = 0; i < 6000; ++i) {  // past the size of a shared block of indices
    *a->vertexIndices()->insert(-1) = i;
    expectedA.push_back(i);
    *b->vertexIndices()->insert(0) = -i;
    expectedB.insert(expectedB.begin(), -i);
  }
  *a->vertexIndices()->insert(2) = 777;
  expectedA.insert(expectedA.begin() + 2, 777);
  EXPECT_EQ(a->vertexIndices()->count(), 6001);
  EXPECT_EQ(a->vertexIndices()->insert(6002), nullptr);

  // Inserted before both, after they were handed out: the held elements still set their own.
  IOrvPolygon* front = polygons->insert(0);
  a->setMaterialIndex(1);
  b->setFlag(false);
  front->setFlag(true);
  EXPECT_EQ(polygons->at(0), front);
  EXPECT_EQ(polygons->at(1), a);
  EXPECT_EQ(polygons->at(2), b);

  const scene::Scene saved = readBack(saveToBytes(*manager));
  const PolygonList& stored = saved.objectDefinitions[0].polygons;
  ASSERT_EQ(stored.size(), 3u);
  EXPECT_EQ(stored[0].flag, true);
  EXPECT_TRUE(stored[0].vertexIndices.empty());
  EXPECT_EQ(stored[1].materialIndex, 1);
  EXPECT_FALSE(stored[1].flag.has_value());
  EXPECT_EQ(cornersOf(stored, 1), expectedA);
  EXPECT_EQ(stored[2].flag, false);
  EXPECT_EQ(cornersOf(stored, 2), expectedB);
}

TEST(PolygonList, PolygonsOfEverySizeBetweenTheBlockSizesKeepTheirIndices) {
  // Shared blocks start small and double: polygons larger than the block in hand, or than what
  // is left of it, start a new one without cutting into the indices already stored.
  PolygonList polygons;
  std::vector<std::vector<int>> expected;
  for (int count : {3, 300, 5, 1000, 250, 3000, 4, 4095, 4096, 7}) {
    std::vector<int> corners(static_cast<std::size_t>(count));
    std::iota(corners.begin(), corners.end(), 10 * count);
    polygons.push_back(Polygon{std::nullopt, std::nullopt, corners});
    expected.push_back(corners);
  }
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(cornersOf(polygons, i), expected[i]);
}

TEST(PolygonList, CopiesAreDeepAndEqualAndAMovedFromListStartsAfresh) {
  PolygonList polygons;
  polygons.push_back(Polygon{true, 0, {0, 1, 2}});
  std::vector<int> many(20000);
  std::iota(many.begin(), many.end(), 0);
  polygons.push_back(Polygon{std::nullopt, 3, many});
  polygons.insertCorner(0, 3);

  PolygonList copy = polygons;
  EXPECT_EQ(copy, polygons);
  *copy.corner(0, 0) = 9;
  EXPECT_NE(copy, polygons);
  EXPECT_EQ(cornersOf(polygons, 0), (std::vector<int>{0, 1, 2, 0}));
  EXPECT_EQ(cornersOf(copy, 1), many);

  PolygonList moved = std::move(polygons);
  EXPECT_EQ(cornersOf(moved, 0), (std::vector<int>{0, 1, 2, 0}));
  EXPECT_TRUE(polygons.empty());  // NOLINT(bugprone-use-after-move): a moved-from list is empty
  polygons.push_back(Polygon{false, std::nullopt, {5, 6, 7}});
  EXPECT_EQ(cornersOf(polygons, 0), (std::vector<int>{5, 6, 7}));
  EXPECT_EQ(cornersOf(moved, 1), many);
}

/// The totals as counted polygon by polygon.
PolygonList::Totals countedTotals(const PolygonList& polygons) {
  PolygonList::Totals totals;
  for (const scene::PolygonRef polygon : polygons) {
    totals.flags += polygon.flag ? 1 : 0;
    totals.materialIndices += polygon.materialIndex ? 1 : 0;
    totals.vertexIndices += polygon.vertexIndices.size();
  }
  return totals;
}

void expectTotals(const PolygonList& polygons) {
  const PolygonList::Totals kept = polygons.totals(), counted = countedTotals(polygons);
  EXPECT_EQ(kept.flags, counted.flags);
  EXPECT_EQ(kept.materialIndices, counted.materialIndices);
  EXPECT_EQ(kept.vertexIndices, counted.vertexIndices);
}

TEST(PolygonList, TotalsFollowEveryChangeCopyAndMove) {
  PolygonList polygons;
  polygons.push_back(Polygon{true, 2, {0, 1, 2}});
  polygons.push_back(Polygon{std::nullopt, std::nullopt, {3, 4, 5, 6}});
  polygons.insert(1);
  polygons.insert(3);
  // Setting a value again does not count the polygon twice.
  for (std::size_t i : {1u, 1u, 3u}) polygons.setFlag(i, i == 1);
  for (std::size_t i : {0u, 3u, 3u}) polygons.setMaterialIndex(i, 1);
  for (std::size_t corner : {0u, 1u, 0u}) polygons.insertCorner(1, corner);
  polygons.insertCorner(2, 2);
  expectTotals(polygons);
  EXPECT_EQ(polygons.totals().flags, 3u);

  PolygonList copy = polygons;
  expectTotals(copy);
  PolygonList moved = std::move(polygons);
  expectTotals(moved);
  expectTotals(polygons);  // NOLINT(bugprone-use-after-move): a moved-from list is empty
  EXPECT_EQ(polygons.totals().vertexIndices, 0u);
}

TEST(ChunkedArray, AppendsAfterShrinksMovesAndInsertsKeepEveryValueInOrder) {
  // Each case grows to a size, shrinks to another, then appends: sizes on and around chunk
  // boundaries (16, 48, 4080 and 8176 values) and an empty array.
  struct Case {
    std::size_t grown, shrunk, appended;
  };
  for (const Case c : {Case{16, 16, 1}, Case{48, 17, 40}, Case{4080, 4079, 2}, Case{8176, 0, 20},
                       Case{5000, 4080, 4097}, Case{0, 0, 3}}) {
    SCOPED_TRACE(testing::Message() << c.grown << " -> " << c.shrunk << " + " << c.appended);
    scene::ChunkedArray<int> values;
    std::vector<int> expected;
    for (std::size_t i = 0; i < c.grown; ++i) {
      values.push_back(static_cast<int>(i));
      expected.push_back(static_cast<int>(i));
    }
    values.resize(c.shrunk);
    expected.resize(c.shrunk);
    scene::ChunkedArray<int> moved = std::move(values);
    for (std::size_t i = 0; i < c.appended; ++i) {
      moved.insert(moved.size(), -static_cast<int>(i));
      expected.push_back(-static_cast<int>(i));
    }
    moved.insert(0, 7);
    expected.insert(expected.begin(), 7);
    EXPECT_TRUE(std::equal(moved.begin(), moved.end(), expected.begin(), expected.end()));
    values.push_back(5);  // a moved-from array starts afresh
    EXPECT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0], 5);
  }
}

}  // namespace
}  // namespace QzOrv::test
