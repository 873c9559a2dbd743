// Breps exported end to end: a document of trimmed faces becomes, object by object, welded
// definitions whose closed breps have no open edge and whose holes stay open.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <string>
#include <utility>

#include "SceneNames.h"
#include "Subprocess.h"
#include "TempFolder.h"
#include "orv/SceneFileReader.h"

namespace {

using QzOrv::scene::ObjectDefinition;

/// Edges of the definition's polygons used by one polygon only (a closed surface has none).
int OpenEdges(const ObjectDefinition& definition) {
  std::map<std::pair<int, int>, int> uses;
  for (const auto& polygon : definition.polygons) {
    const auto& v = polygon.vertexIndices;
    for (std::size_t k = 0; k < v.size(); ++k) {
      const int a = v[k], b = v[(k + 1) % v.size()];
      ++uses[{std::min(a, b), std::max(a, b)}];
    }
  }
  int open = 0;
  for (const auto& [edge, count] : uses) open += count == 1;
  return open;
}

TEST(BrepExport, TrimmedFacesExportWithoutCracksAndWithTheirHoles) {
  TempFolder temp{"breps"};
  const std::string target = (temp.path / "breps.orv").string();
  const Finished run = RunProgram(
      {ORVEXPORT_PATH, "--grouping", "object", FIXTURES_DIR "/breps.json", "-o", target});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto scene = QzOrv::scene::readSceneFile(target);
  ASSERT_EQ(namesOf(scene.objectDefinitions), (std::vector<std::string>{"Box", "Plate", "Tube"}));
  const ObjectDefinition& box = scene.objectDefinitions[0];
  const ObjectDefinition& plate = scene.objectDefinitions[1];
  const ObjectDefinition& tube = scene.objectDefinitions[2];
  EXPECT_EQ(OpenEdges(box), 0);
  EXPECT_EQ(OpenEdges(tube), 0);
  EXPECT_GT(tube.polygons.size(), 100u);
  // The plate's open edges are its outline: the rectangle and the two holes' rims.
  int rims = 0;
  for (const auto& polygon : plate.polygons)
    for (int index : polygon.vertexIndices) {
      const auto& p = plate.vertices[index];
      // Points in centimetres, as in the document; the holes are about (3, 3) and (7.5, 3).
      const double r1 = std::hypot(p.x - 3, p.y - 3), r2 = std::hypot(p.x - 7.5, p.y - 3);
      EXPECT_GE(r1, 1.5 - 1e-9);
      EXPECT_GE(r2, 1 - 1e-9);
      rims += std::fabs(r1 - 1.5) < 1e-9 || std::fabs(r2 - 1) < 1e-9;
    }
  EXPECT_GT(rims, 0);
  EXPECT_GT(OpenEdges(plate), 4 + 2 * 16);
}

TEST(BrepExport, APlaneAMillionUnitsLongStaysWithinTheGridLimit) {
  TempFolder temp{"long-plane"};
  const std::string document = (temp.path / "long.json").string();
  std::ofstream(document)
      << R"({"objects": [{"surface": {"kind": "plane", "width": 1e6, "height": 1}}]})";
  const std::string target = (temp.path / "long.orv").string();
  const Finished run = RunProgram({ORVEXPORT_PATH, document, "-o", target});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto scene = QzOrv::scene::readSceneFile(target);
  ASSERT_EQ(scene.objectDefinitions.size(), 1u);
  const std::size_t polygons = scene.objectDefinitions[0].polygons.size();
  EXPECT_GT(polygons, 16u);
  EXPECT_LE(polygons, 16384u);  // the quality render-mesh settings' most cells per face
}

}  // namespace
