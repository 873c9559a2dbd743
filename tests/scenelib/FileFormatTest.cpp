// The scene file as written: frozen bytes of a tiny scene, and every recorded value (and every
// value never set) coming back unchanged through the reader.
#include <gtest/gtest.h>

#include <string>

#include "SceneFixtures.h"
#include "orv/SceneModel.h"

namespace QzOrv::test {
namespace {

std::string hex(const std::vector<std::uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (std::uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

// Creator "App" "1" and one layer named "L". Changing these bytes breaks every file written
// before: bump the format version instead.
// clang-format off
const std::string kTinyScene =
    // header: magic, version 2.0, checksum
    "8f4f52560d0a1a0a" "0200" "0000" "160e1eed"
    // creator: tag, length 12, "App", "1", checksum
    "43525452" "0c00000000000000" "03000000" "417070" "01000000" "31" "c6a89f9a"
    // layer: tag, length 25, id, presence mask (name), "L", checksum
    "4c415952" "1900000000000000" "e5050b101d164192be56f2e56e8f30d5" "01000000" "01000000" "4c"
    "5cdc2af3"
    // end: tag, length 36, one layer and no other elements, two chunks before it and the
    // checksum of the 85 bytes before it, checksum
    "454e4420" "2400000000000000" "01000000" "00000000" "00000000" "00000000" "00000000"
    "00000000" "00000000" "02000000" "4a3254a4" "f2de0319";
// clang-format on

TEST(FileFormat, TinySceneHasFrozenBytes) {
  Manager manager = newManager();
  manager->setCreator("App", "1");
  manager->layers()->insert(-1)->identity()->setName("L");
  EXPECT_EQ(hex(saveToBytes(*manager)), kTinyScene);
}

TEST(FileFormat, EverySetterComesBackFromTheFile) {
  Manager manager = newManager();
  fillEverySetter(*manager);
  EXPECT_EQ(readBack(saveToBytes(*manager)), everySetterModel(*manager));
}

TEST(FileFormat, ValuesNeverSetStayAbsentAndDefaultsStayPresent) {
  Manager manager = newManager();
  IOrvObjectDefinition* definition = manager->objectDefinitions()->insert(-1);
  definition->materials()->insert(-1);
  definition->polygons()->insert(-1);
  manager->layers()->insert(-1);
  manager->objectInstances()->insert(-1)->definitionLink()->materials()->insert(-1);
  manager->lights()->insert(-1);
  manager->heliodons()->insert(-1);
  manager->views()->insert(-1);
  manager->cameras()->insert(-1);

  scene::Scene unset = readBack(saveToBytes(*manager));
  EXPECT_FALSE(unset.creator.has_value());
  // Clearing the ids must leave nothing but default-constructed (all absent) elements.
  scene::Scene bare;
  bare.objectDefinitions.push_back({});
  bare.objectDefinitions[0].materials.push_back({});
  bare.objectDefinitions[0].polygons.push_back({});
  bare.layers.push_back({});
  bare.objectInstances.push_back({});
  bare.objectInstances[0].definitionLink.materials.push_back({});
  bare.lights.push_back({});
  bare.heliodons.push_back({});
  bare.views.push_back({});
  bare.cameras.push_back({});
  unset.objectDefinitions[0].id = {};
  unset.objectDefinitions[0].materials[0].id = {};
  unset.layers[0].id = {};
  unset.objectInstances[0].id = {};
  unset.objectInstances[0].definitionLink.materials[0].id = {};
  unset.lights[0].id = {};
  unset.heliodons[0].id = {};
  unset.views[0].id = {};
  unset.cameras[0].id = {};
  EXPECT_EQ(unset, bare);

  // Zero, false and empty text are values like any other once a setter sent them.
  IOrvLight* light = manager->lights()->at(0);
  light->identity()->setName("");
  light->setType(0);
  light->setSpotAngle(0);
  manager->heliodons()->at(0)->place()->setDaylightSaving(false);
  const scene::Scene set = readBack(saveToBytes(*manager));
  EXPECT_EQ(set.lights[0].name, "");
  EXPECT_EQ(set.lights[0].type, 0);
  EXPECT_EQ(set.lights[0].spotAngle, 0.0);
  EXPECT_FALSE(set.lights[0].intensity.has_value());
  EXPECT_EQ(set.heliodons[0].place.daylightSaving, false);
}

}  // namespace
}  // namespace QzOrv::test
