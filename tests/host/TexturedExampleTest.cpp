// The textured example exported by orvexport and read back: images copied into the folder named
// after the scene, a missing image found by name, and the materials' values and projections.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Subprocess.h"
#include "TempFolder.h"
#include "orv/SceneFileReader.h"

namespace {

namespace fs = std::filesystem;
using QzOrv::scene::Material;

const Material& materialNamed(const QzOrv::scene::ObjectDefinition& definition,
                              const std::string& name) {
  for (const Material& material : definition.materials)
    if (material.name == name) return material;
  ADD_FAILURE() << "no material named " << name;
  static const Material none;
  return none;
}

TEST(TexturedExample, CopiesItsImageBesideTheSceneAndSendsEveryMaterialValue) {
  TempFolder temp("textured");
  const fs::path target = temp.path / "out" / "room.orv";
  fs::create_directories(target.parent_path());
  const Finished run =
      RunProgram({ORVEXPORT_PATH, EXAMPLES_DIR "/textured.json", "-o", target.string()});
  ASSERT_EQ(run.status, 0) << run.err;

  const fs::path copy = temp.path / "out" / "room" / "checker.png";
  ASSERT_TRUE(fs::is_regular_file(copy));
  EXPECT_EQ(contentsOf(copy), contentsOf(EXAMPLES_DIR "/maps/checker.png"));
  EXPECT_EQ(std::distance(fs::directory_iterator(copy.parent_path()), fs::directory_iterator()),
            1);  // the image found by name stays where it is

  const QzOrv::scene::Scene scene = QzOrv::scene::readSceneFile(target.string());
  ASSERT_EQ(scene.objectDefinitions.size(), 1u);
  const auto& definition = scene.objectDefinitions[0];

  const Material& checker = materialNamed(definition, "Checker");
  EXPECT_EQ(checker.textureFile, "file://" + copy.string());
  EXPECT_EQ(checker.textureEnabled, true);
  EXPECT_EQ(checker.textureSize, (QzOrv::scene::TextureSize{300, 400}));
  EXPECT_EQ(checker.mappingKind, 0);
  EXPECT_EQ(checker.factor, 0.9);
  EXPECT_EQ(checker.shininess, 80.0);
  EXPECT_EQ(checker.reflection, 16777215.0);

  const Material& tiles = materialNamed(definition, "Tiles");
  EXPECT_EQ(tiles.textureFile, "file://" EXAMPLES_DIR "/maps/tiles.png");
  ASSERT_TRUE(tiles.mappingFrame.has_value());
  EXPECT_EQ(tiles.mappingFrame->xAxis.x, 100.0);  // the box's x extent

  const Material& glass = materialNamed(definition, "Glass");
  EXPECT_FALSE(glass.textureFile.has_value());
  EXPECT_EQ(glass.transparency->r, 153);  // 0.6 × 255
  EXPECT_EQ(glass.diffuse->r, 80);        // 200 × 0.4
  EXPECT_EQ(glass.mappingKind, 5);
  ASSERT_TRUE(glass.mappingFrame.has_value());
  EXPECT_EQ(glass.mappingFrame->yAxis.z, 250.0);  // the cylinder's height, in document units

  const Material& paint = materialNamed(definition, "Paint");
  EXPECT_EQ(paint.mappingKind, 3);
  ASSERT_TRUE(paint.mappingFrame.has_value());
  EXPECT_EQ(paint.mappingFrame->point.x, 200.0);
  EXPECT_EQ(paint.emission->b, 30);
}

}  // namespace
