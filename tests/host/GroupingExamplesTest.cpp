// The example documents exported by orvexport in their grouping modes and read back: each mode
// shapes the scene as its example promises (names, slots, layers, welded points).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "SceneNames.h"
#include "Subprocess.h"
#include "TempFolder.h"
#include "orv/SceneFileReader.h"

namespace {

namespace fs = std::filesystem;
using QzOrv::scene::Scene;

class GroupingExamples : public ::testing::Test {
 protected:
  // Exports examples/<example>.json with the given options and reads the scene back.
  Scene Export(const std::string& example, const std::string& grouping,
               const std::string& singleLayer) const {
    const std::string target = (folder / (example + ".orv")).string();
    const Finished run =
        RunProgram({ORVEXPORT_PATH, "--grouping", grouping, "--single-layer", singleLayer,
                    EXAMPLES_DIR "/" + example + ".json", "-o", target});
    EXPECT_EQ(run.status, 0) << run.err;
    return QzOrv::scene::readSceneFile(target);
  }

  TempFolder temp{"grouping"};
  const fs::path folder = temp.path;
};

TEST_F(GroupingExamples, SingleObjectMakesOneDefinitionWithASlotPerMaterialOnTheRootLayer) {
  const Scene scene = Export("grouping-single", "single", "on");
  ASSERT_EQ(scene.objectDefinitions.size(), 1u);
  const auto& definition = scene.objectDefinitions[0];
  EXPECT_EQ(definition.name, "grouping-single Definition");
  EXPECT_EQ(definition.materials.size(), 3u);  // no material, Concrete from the layer, Glass
  // The curve adds nothing; the roof plane is meshed by the host.
  EXPECT_GT(definition.vertices.size(), 8u);
  ASSERT_EQ(scene.objectInstances.size(), 1u);
  EXPECT_EQ(scene.objectInstances[0].name, "grouping-single Instance");
  EXPECT_EQ(scene.objectInstances[0].definitionLink.materials.size(), 3u);
  EXPECT_EQ(namesOf(scene.layers), std::vector<std::string>{"Scene objects"});
  EXPECT_EQ(scene.objectInstances[0].layer, scene.layers[0].id);
}

TEST_F(GroupingExamples, ByMaterialMergesTwinMaterialsAndNamesTheDefaultGroup) {
  const Scene scene = Export("grouping-material", "material", "off");
  EXPECT_EQ(namesOf(scene.objectDefinitions),
            (std::vector<std::string>{"Default material name", "Oak", "Steel"}));
  EXPECT_EQ(namesOf(scene.objectInstances), namesOf(scene.objectDefinitions));
  // The two Oak objects lie on two layers, so their group goes on the root layer.
  EXPECT_EQ(scene.objectDefinitions[1].vertices.size(), 8u);
  EXPECT_EQ(namesOf(scene.layers), (std::vector<std::string>{"Table", "Scene objects", "Frame"}));
}

TEST_F(GroupingExamples, ByLayerTakesTheObjectsOfBlocksToTheirOwnLayersMovedIntoPlace) {
  const Scene scene = Export("grouping-layer", "layer", "off");
  EXPECT_EQ(namesOf(scene.objectDefinitions),
            (std::vector<std::string>{"Site", "Columns", "Caps"}));
  EXPECT_EQ(namesOf(scene.layers),
            (std::vector<std::string>{"Site", "Structure::Columns", "Structure::Caps"}));
  // Two column instances, 500 cm apart, each contributing one shaft quad.
  const auto& shafts = scene.objectDefinitions[1].vertices;
  ASSERT_EQ(shafts.size(), 8u);
  EXPECT_DOUBLE_EQ(shafts[0].x, 0.0);
  EXPECT_DOUBLE_EQ(shafts[4].x, 500.0);
}

TEST_F(GroupingExamples, ByObjectExpandsNestedBlocksWithTheirNamesAndWeldsEachObject) {
  const Scene scene = Export("grouping-object", "object", "off");
  EXPECT_EQ(namesOf(scene.objectDefinitions),
            (std::vector<std::string>{"Lamp", "Room Floor", "Room Chair Leg", "Room Chair Seat",
                                      "Room Chair Leg", "Room Chair Seat"}));
  EXPECT_EQ(namesOf(scene.objectInstances),
            (std::vector<std::string>{"Unnamed object instance", "Room", "Room Chair", "Room Chair",
                                      "Room Chair", "Room Chair"}));
  EXPECT_EQ(scene.objectDefinitions[2].vertices.size(), 8u);  // a welded box
  EXPECT_EQ(namesOf(scene.layers), (std::vector<std::string>{"Lighting", "Furniture"}));
}

TEST_F(GroupingExamples, SingleLayerOutputPutsEveryInstanceOnTheRootLayerOnly) {
  const Scene scene = Export("grouping-object", "object", "on");
  EXPECT_EQ(namesOf(scene.layers), std::vector<std::string>{"Scene objects"});
  for (const auto& instance : scene.objectInstances) {
    ASSERT_TRUE(instance.layer.has_value());
    EXPECT_TRUE(QzOrv::scene::isNil(*instance.layer));
  }
}

TEST_F(GroupingExamples, ExportingTheSameDocumentTwiceGivesTheSameBytes) {
  // The same target twice: scene names and texture URLs follow the target's name and folder.
  const std::string target = (folder / "house.orv").string();
  auto exportBytes = [&] {
    const Finished run = RunProgram({ORVEXPORT_PATH, EXAMPLES_DIR "/house.json", "-o", target});
    EXPECT_EQ(run.status, 0) << run.err;
    std::ifstream in(target, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string first = exportBytes();
  EXPECT_FALSE(first.empty());
  EXPECT_TRUE(first == exportBytes());  // byte for byte (not printed: binary)
}

}  // namespace
