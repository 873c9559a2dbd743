// .3dm models exported end to end: the small models that tools/3dm/make-fixtures.js writes
// (tests/host/fixtures/3dm/), each checked in the scene against what the script put in; and the
// command's refusals of models it cannot read.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "ModelFile.h"
#include "ModelTestSupport.h"
#include "SceneNames.h"
#include "TempFolder.h"
#include "rhinoSdk.h"

namespace {

namespace fs = std::filesystem;
using QzOrv::scene::ObjectDefinition;
using QzOrv::scene::Scene;

const std::string kModels = FIXTURES_DIR "/3dm/";
constexpr double kPi = 3.14159265358979323846;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

const ObjectDefinition& Named(const Scene& scene, const std::string& name) {
  for (const auto& definition : scene.objectDefinitions)
    if (definition.name == name) return definition;
  ADD_FAILURE() << "no definition named " << name;
  static const ObjectDefinition none;
  return none;
}

std::set<std::string> NamesIn(const std::vector<std::string>& names) {
  return {names.begin(), names.end()};
}

class ModelExport : public ::testing::Test {
 protected:
  Scene Export(const std::string& model, const std::string& grouping,
               std::vector<std::string> options = {}) {
    return ExportModel(kModels + model, grouping, temp.path, std::move(options));
  }
  TempFolder temp{"models"};
};

TEST_F(ModelExport, HouseKeepsItsMaterialsTexturesLayersAndDoubleQuadsInMillimetres) {
  const Scene scene = Export("house.3dm", "object");
  // Objects on the hidden layer and hidden objects stay out; points, polylines and text dots
  // have no meshes; the locked layer's box is exported.
  EXPECT_EQ(namesOf(scene.objectDefinitions),
            (std::vector<std::string>{"Walls", "Pane", "Roof", "Fixed box"}));
  const ObjectDefinition& walls = Named(scene, "Walls");
  ASSERT_EQ(walls.polygons.size(), 6u);
  for (const auto& polygon : walls.polygons) EXPECT_EQ(polygon.vertexIndices.size(), 4u);
  // Millimetres become centimetres; 4000.1 has no single-precision twin, so only the file's
  // double-precision vertices give exactly a tenth of it.
  double far = 0;
  for (const auto& p : walls.vertices) far = std::max(far, p.x);
  EXPECT_DOUBLE_EQ(far, 4000.1 * 0.1);
  EXPECT_TRUE(OpenEdges(Named(scene, "Roof")).empty());  // a closed box brep

  const auto& brick = walls.materials[0];
  EXPECT_EQ(brick.name, "Brick");
  // Stored under another machine's folder: found by name below the model's folder.
  EXPECT_EQ(brick.textureFile, "file://" + kModels + "maps/brick.png");
  const auto& roof = Named(scene, "Roof").materials[0];
  EXPECT_EQ(roof.name, "Roof tiles");
  // Stored relative to the model: copied into the texture folder beside the scene.
  EXPECT_EQ(roof.textureFile, "file://" + (temp.path / "house-object" / "roof.png").string());
  EXPECT_TRUE(fs::is_regular_file(temp.path / "house-object" / "roof.png"));
  const auto& glass = Named(scene, "Pane").materials[0];
  EXPECT_EQ(glass.name, "Glass");
  EXPECT_EQ(glass.transparency->r, 127);  // transparency 0.5
  EXPECT_EQ(glass.diffuse->g, 112);       // 225 at half opacity

  const Scene layers = Export("house.3dm", "layer", {"--single-layer", "off"});
  EXPECT_EQ(NamesIn(namesOf(layers.layers)),
            (std::set<std::string>{"House::Walls", "House", "Roof", "Fixed"}));
}

TEST_F(ModelExport, NestedBlocksArePlacedMovedAndTurnedWithTheirMaterialFromTheInstance) {
  const Scene scene = Export("blocks-lights.3dm", "object");
  // A room of two tables and one turned table, each a top on four legs.
  int tops = 0, legs = 0;
  for (const auto& definition : scene.objectDefinitions) {
    EXPECT_EQ(definition.materials[0].name, "Oak");  // from the placing instance, nested
    const bool leg = Contains(definition.name.value_or(""), "Leg");
    (leg ? legs : tops) += 1;
  }
  EXPECT_EQ(tops, 3);
  EXPECT_EQ(legs, 12);
  // The turned table's top: 100 along x turned a quarter about z lies across -60..0 in x; the
  // room's tables stand from x = 1000 and 1200 cm.
  std::set<long> lowestX;
  for (const auto& definition : scene.objectDefinitions) {
    if (Contains(definition.name.value_or(""), "Leg")) continue;
    double low = 1e300;
    for (const auto& p : definition.vertices) low = std::min(low, p.x);
    lowestX.insert(std::lround(low));
  }
  EXPECT_EQ(lowestX, (std::set<long>{-60, 1000, 1200}));
}

TEST_F(ModelExport, LightsKeepTheirKindColourAngleAndTargetAndSwitchedOffOnesStayOut) {
  const Scene scene = Export("blocks-lights.3dm", "single");
  ASSERT_EQ(namesOf(scene.lights), (std::vector<std::string>{"Bulb", "Spot", "Daylight"}));
  const auto& bulb = scene.lights[0];
  const auto& spot = scene.lights[1];
  const auto& daylight = scene.lights[2];
  EXPECT_EQ(bulb.type, 0);
  EXPECT_EQ(spot.type, 1);
  EXPECT_EQ(daylight.type, 2);
  EXPECT_EQ(bulb.color->g, 200);
  EXPECT_DOUBLE_EQ(*bulb.intensity, 0.8);
  EXPECT_NEAR(*spot.spotAngle, kPi / 6, 1e-12);
  EXPECT_DOUBLE_EQ(*spot.shadowIntensity, 0.5);
  EXPECT_DOUBLE_EQ(spot.position->z, 300);
  EXPECT_DOUBLE_EQ(spot.target->z, 0);  // location plus the direction, in centimetres
}

TEST_F(ModelExport, ViewsBecomeViewsAndCamerasUnderTheSunOfThePlaceOnEarth) {
  const Scene scene = Export("views-sun.3dm", "object");
  EXPECT_EQ(namesOf(scene.views), (std::vector<std::string>{"Top"}));
  EXPECT_EQ(namesOf(scene.cameras), (std::vector<std::string>{"Perspective", "Entrance"}));
  EXPECT_DOUBLE_EQ(scene.cameras[0].eye->x, 1000);  // 10 m
  ASSERT_EQ(scene.heliodons.size(), 1u);
  const auto& sun = scene.heliodons[0];
  EXPECT_EQ(sun.name, "Lyon");
  EXPECT_EQ(sun.place.latitude, 2745);  // 45.76 degrees in minutes
  EXPECT_EQ(sun.place.timeZone, 1);
  EXPECT_EQ(sun.place.daylightSaving, true);
  EXPECT_EQ(sun.dateTime.year, 2024);
  EXPECT_EQ(sun.dateTime.hour, 17);
  EXPECT_EQ(sun.dateTime.minute, 30);
  EXPECT_EQ(scene.views[0].settings.heliodon, "Lyon");
  // The sphere's poles have trims without edges: it still closes.
  EXPECT_TRUE(OpenEdges(Named(scene, "Ball")).empty());
}

TEST_F(ModelExport, TrimmedFacesAreMeshedInsideTheirTrimsAndClosedBrepsClose) {
  const Scene scene = Export("trimmed.3dm", "object");
  EXPECT_EQ(namesOf(scene.objectDefinitions),
            (std::vector<std::string>{"Disc", "Box", "Can", "Post", "Sheet"}));
  for (const char* closed : {"Box", "Can", "Post"})
    EXPECT_TRUE(OpenEdges(Named(scene, closed)).empty()) << closed;
  // The disc, radius 5 in (12.7 cm), trimmed out of its plane: no point outside it.
  const ObjectDefinition& disc = Named(scene, "Disc");
  for (const auto& p : disc.vertices) EXPECT_LE(std::hypot(p.x, p.y), 12.7 * (1 + 1e-9));
  EXPECT_FALSE(OpenEdges(disc).empty());
  // The sheet's bump, 1 high on a 10 by 10 square, within half a percent of its diagonal: 7 by 7
  // cells where the bend alone asks for the least 4 by 4.
  EXPECT_EQ(Named(scene, "Sheet").polygons.size(), 49u);
}

TEST_F(ModelExport, CustomUnitsWithoutTheirLengthReadAsMetres) {
  const Scene scene = Export("custom-units.3dm", "object");
  ASSERT_EQ(scene.objectDefinitions.size(), 1u);
  double far = 0;
  for (const auto& p : scene.objectDefinitions[0].vertices) far = std::max(far, p.x);
  EXPECT_DOUBLE_EQ(far, 100);
}

// The converter says when its document is written and the document is read while Node.js ends;
// it must still be waited for.
TEST_F(ModelExport, AModelReadInProcessIsCompleteAndLeavesNoConverterBehind) {
  CRhinoDoc doc;
  const TemporaryFolder converted = LoadModelFile(kModels + "house.3dm", doc);
  EXPECT_GT(doc.m_object_table.ObjectCount(), 0);
  EXPECT_TRUE(fs::exists(converted.Path() / "document.bin"));
  int status = 0;
  errno = 0;
  EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(ModelExport, EveryGroupingModeExportsEveryFixture) {
  for (const char* model : {"house.3dm", "blocks-lights.3dm", "views-sun.3dm", "trimmed.3dm"})
    for (const char* grouping : {"single", "material", "layer", "object"}) {
      const Scene scene = Export(model, grouping);
      EXPECT_FALSE(scene.objectDefinitions.empty()) << model << " " << grouping;
    }
}

TEST_F(ModelExport, PrintDocumentShowsWhatWasReadInTheDocumentFormat) {
  const Finished run = RunProgram({ORVEXPORT_PATH, "--print-document", kModels + "house.3dm"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto document = nlohmann::json::parse(run.out);
  EXPECT_EQ(document["units"], "millimeters");
  EXPECT_EQ(document["path"], kModels + "house.3dm");
  EXPECT_EQ(document["layers"][1]["name"], "Walls");
  EXPECT_EQ(document["layers"][1]["parent"], 0);
  EXPECT_EQ(document["objects"][0]["mesh"]["precision"], "double");
  EXPECT_EQ(document["objects"][0]["mesh"]["faces"][0].size(), 4u);
  // What it prints is a document orvexport exports.
  const std::string printed = (temp.path / "house.json").string();
  std::ofstream(printed) << run.out;
  const Finished again =
      RunProgram({ORVEXPORT_PATH, printed, "-o", (temp.path / "again.orv").string()});
  EXPECT_EQ(again.status, 0) << again.err;
}

// ---- models that cannot be read

class BadModel : public ModelExport {
 protected:
  /// Runs orvexport on `model` and checks the refusal: status 2, the file named with `reason`,
  /// and nothing made beside the target.
  void ExpectRefused(const fs::path& model, const std::string& reason) {
    const fs::path out = temp.path / "out";
    fs::create_directories(out);
    const Finished run =
        RunProgram({ORVEXPORT_PATH, model.string(), "-o", (out / "m.orv").string()});
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_TRUE(Contains(run.err, "orvexport: " + model.string() + ": ")) << run.err;
    EXPECT_TRUE(Contains(run.err, reason)) << run.err;
    EXPECT_TRUE(fs::is_empty(out)) << "something was written for " << model;
    const Finished print = RunProgram({ORVEXPORT_PATH, "--print-document", model.string()});
    EXPECT_EQ(print.status, 2);
    EXPECT_EQ(print.out, "");
  }
  fs::path Write(const std::string& name, const std::string& bytes) {
    const fs::path path = temp.path / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::string Bytes(const std::string& model) {
    std::ifstream in(kModels + model, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
};

TEST_F(BadModel, AMissingFileIsRefused) {
  ExpectRefused(temp.path / "absent.3dm", "cannot open: no such file");
}

TEST_F(BadModel, AFileThatIsNotAModelIsRefused) {
  ExpectRefused(Write("picture.3dm", "\x89PNG\r\n\x1a\n not a model at all, not at all"),
                "not a .3dm file");
}

TEST_F(BadModel, TruncatedAndCorruptedModelsAreRefused) {
  const std::string whole = Bytes("house.3dm");
  ExpectRefused(Write("half.3dm", whole.substr(0, whole.size() / 2)), "damaged or truncated");
  std::string scrambled = whole;
  for (std::size_t i = 200; i < scrambled.size(); i += 61) scrambled[i] = char(scrambled[i] ^ 0x5a);
  ExpectRefused(Write("scrambled.3dm", scrambled), "damaged or truncated");
  ExpectRefused(Write("signature-only.3dm", whole.substr(0, 40)), "damaged or truncated");
}

TEST_F(BadModel, WithoutNodeJsModelsCannotBeReadAndTheMessageSaysSo) {
  const fs::path out = temp.path / "out";
  fs::create_directories(out);
  const std::string model = kModels + "house.3dm";
  const Finished run = RunProgram(
      {"/usr/bin/env", "PATH=/nonexistent", ORVEXPORT_PATH, model, "-o", (out / "m.orv").string()});
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(
      Contains(run.err, model + ": cannot read .3dm files: Node.js (node) is not installed"))
      << run.err;
  EXPECT_TRUE(fs::is_empty(out));
}

TEST_F(BadModel, AModelOfAnUnsupportedVersionIsRefused) {
  // Versions 1 to 8 are read; a newer file (version 90 is 9) is refused before the reader sees it.
  std::string newer = Bytes("house.3dm");
  newer.replace(24, 8, "      90");
  ExpectRefused(Write("new.3dm", newer), "version 9 is not supported: versions 1 to 8 are read");
}

}  // namespace
