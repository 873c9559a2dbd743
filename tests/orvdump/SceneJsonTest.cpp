// orvdump --json on a scene far larger than the printer's buffer: the text written piece by piece
// reads back as JSON holding every value of the scene.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "json/SceneJson.h"

namespace {

using namespace QzOrv;
using namespace QzOrv::scene;

TEST(SceneJson, ALargeSceneReadsBackWithEveryValue) {
  Scene scene;
  ObjectDefinition& definition = scene.objectDefinitions.push_back({});
  definition.name = "Grid \"large\"";
  constexpr int kPoints = 20000;
  for (int i = 0; i < kPoints; ++i) {
    definition.vertices.push_back({i * 0.1, -i / 3.0, 1e10 + i});
    definition.polygons.push_back(Polygon{true, i % 5, {i, (i + 1) % kPoints, (i + 2) % kPoints}});
  }
  std::ostringstream out;
  printSceneJson(out, scene);
  const std::string text = out.str();
  ASSERT_GT(text.size(), 10u * 64 * 1024);
  ASSERT_EQ(text.back(), '\n');

  const nlohmann::json json = nlohmann::json::parse(text);
  const nlohmann::json& read = json.at("objectDefinitions").at(0);
  EXPECT_EQ(read.at("name"), "Grid \"large\"");
  ASSERT_EQ(read.at("vertices").size(), std::size_t{kPoints});
  ASSERT_EQ(read.at("polygons").size(), std::size_t{kPoints});
  for (int i = 0; i < kPoints; i += 997) {
    const nlohmann::json& point = read.at("vertices").at(i);
    EXPECT_EQ(point.get<std::vector<double>>(), (std::vector<double>{i * 0.1, -i / 3.0, 1e10 + i}));
    const nlohmann::json& polygon = read.at("polygons").at(i);
    EXPECT_EQ(polygon.at("materialIndex"), i % 5);
    EXPECT_EQ(polygon.at("vertexIndices").get<std::vector<int>>(),
              (std::vector<int>{i, (i + 1) % kPoints, (i + 2) % kPoints}));
  }
}

}  // namespace
