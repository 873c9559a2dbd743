// The exporter's mesher against the host's saved render meshes of the shared real models: every
// object meets the goal (area within 0.5%, largest distance within 1% of its diagonal, 99th
// percentile within 0.3%, no flipped triangle, closed wherever the host's mesh is closed), or is a
// known exception held to the figures measured, so a regression fails and an improvement asks for
// the bound to be tightened.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ModelComparison.h"

namespace {

namespace fs = std::filesystem;

const fs::path kShared = SHARED_3DM_DIR;

// The goal on every row.
constexpr double kAreaGoal = 0.005;  // |area ratio - 1|
constexpr double kMaxGoal = 1.0;     // % of the diagonal
constexpr double kP99Goal = 0.3;     // % of the diagonal
constexpr std::size_t kFlippedGoal = 0;

/// A row that misses the goal today: why, and the figures it may not exceed (the measured ones,
/// rounded up). A figure left at its goal must meet the goal.
struct KnownException {
  const char* file;
  const char* object;
  const char* cause;
  double area = kAreaGoal;
  double maxPercent = kMaxGoal;
  double p99Percent = kP99Goal;
  std::size_t flipped = kFlippedGoal;
};

// None today: every object of the shared models meets the goal.
const std::vector<KnownException> kExceptions = {};

// How many objects with saved meshes each model has; the others have none.
const std::map<std::string, std::size_t> kRowsPerModel = {
    {"v4_example_file.3dm", 5},
    {"v5_rhino_logo.3dm", 6},
};

const KnownException* FindException(const ComparisonRow& row) {
  for (const KnownException& known : kExceptions)
    if (row.file == known.file && row.object == known.object) return &known;
  return nullptr;
}

/// Checks one figure against its goal and bound: never above the bound; a figure held to a bound
/// above its goal must still need it (else it is to be taken out) and come near it (else the bound
/// is to be tightened).
template <typename T>
void CheckFigure(const char* what, T value, T goal, T bound, bool known) {
  EXPECT_LE(value, bound) << what << " " << value << " is above "
                          << (bound > goal ? "the known bound " : "the goal ") << bound;
  if (!known || !(bound > goal)) return;
  EXPECT_GT(value, goal) << what << " " << value << " meets the goal " << goal
                         << " now: take it out of the known exceptions";
  EXPECT_GE(static_cast<double>(value), 0.9 * static_cast<double>(bound))
      << what << " improved to " << value << ": tighten the bound " << bound;
}

std::vector<ComparisonRow> SharedRows() {
  std::vector<ComparisonRow> rows;
  for (const auto& entry : fs::directory_iterator(kShared)) {
    if (entry.path().extension() != ".3dm") continue;
    std::vector<ComparisonRow> found = CompareModel(entry.path().string());
    rows.insert(rows.end(), found.begin(), found.end());
  }
  return rows;
}

TEST(SharedMeshes, EveryObjectMeetsTheGoalOrItsKnownBound) {
  if (!fs::is_directory(kShared)) GTEST_SKIP() << "no shared .3dm models at " << kShared;
  const std::vector<ComparisonRow> rows = SharedRows();
  std::map<std::string, std::size_t> perModel;
  std::size_t exceptionsSeen = 0;
  for (const ComparisonRow& row : rows) {
    SCOPED_TRACE(row.file + " " + row.object);
    ++perModel[row.file];
    const KnownException* known = FindException(row);
    exceptionsSeen += known ? 1 : 0;
    const KnownException goal{row.file.c_str(), row.object.c_str(), ""};
    const KnownException& bound = known ? *known : goal;
    const MeshMeasures& m = row.measures;
    for (const std::string& failure : row.failures) ADD_FAILURE() << "not meshed: " << failure;
    CheckFigure("area ratio - 1", std::abs(m.AreaRatio() - 1.0), kAreaGoal, bound.area, known);
    CheckFigure("max distance %", m.MaxPercent(), kMaxGoal, bound.maxPercent, known);
    CheckFigure("p99 %", m.P99Percent(), kP99Goal, bound.p99Percent, known);
    CheckFigure("flipped", m.flipped, kFlippedGoal, bound.flipped, known);
    if (m.hostOpenEdges == 0) {
      EXPECT_EQ(m.ourOpenEdges, 0u) << "the host's mesh is closed, ours is not";
    }
  }
  EXPECT_EQ(perModel, kRowsPerModel) << "objects with saved meshes came or went";
  EXPECT_EQ(exceptionsSeen, kExceptions.size()) << "a known exception's object is gone";
}

}  // namespace
