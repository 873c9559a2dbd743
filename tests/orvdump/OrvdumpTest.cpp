// orvdump run as a user runs it: the summary and the JSON of a reference scene compared with the
// files checked in beside this test, and the exit status and message for bad files and usage.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include "orv/ORV6.h"

namespace {

using namespace QzOrv;

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string slurp(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

/// A path in the test folder unique to this process, so parallel test runs never share files.
std::string tempPath(const std::string& name) {
  return ::testing::TempDir() + "orvdump-" + std::to_string(::getpid()) + "-" + name;
}

/// Runs orvdump with `arguments` (already shell-quoted) and collects its output.
ToolRun orvdump(const std::string& arguments) {
  const std::string out = tempPath("stdout.txt");
  const std::string err = tempPath("stderr.txt");
  const std::string command =
      std::string("'") + ORVDUMP_PATH + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
  const int raw = std::system(command.c_str());
  ToolRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
  std::remove(out.c_str());
  std::remove(err.c_str());
  return run;
}

class FileStream final : public IOrvWriteStream {
 public:
  explicit FileStream(const std::string& path) : file_(path, std::ios::binary) {}
  void write(const void* bytes, std::uint64_t count) override {
    file_.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(count));
  }

 private:
  std::ofstream file_;
};

/// A small scene touching every list, with a few values left unset, an unnamed element and an
/// instance whose definition is missing.
void buildReferenceScene(IOrvMgr& manager) {
  manager.setCreator("SceneMaker", "2.0.1");
  IOrvLayer* root = manager.layers()->insert(-1);
  root->identity()->setName("Scene objects");
  IOrvLayer* walls = manager.layers()->insert(-1);
  walls->identity()->setName("Building::Walls");

  IOrvObjectDefinition* box = manager.objectDefinitions()->insert(-1);
  box->identity()->setName("Box");
  IOrvMaterial* brick = box->materials()->insert(-1);
  brick->setFactor(0.9);
  brick->identity()->setName("Brick");
  brick->setEnabled(true);
  const OrvColor red{0, 200, 100, 50}, grey{0, 40, 40, 40}, glow{0, 1, 2, 3}, dim{10, 20, 30, 40},
      clear{0, 127, 127, 127};
  brick->setDiffuse(&red);
  brick->setSpecular(&grey);
  brick->setEmission(&glow);
  brick->setAmbient(&dim);
  brick->setReflection(16777215.0);
  brick->setTransparency(&clear);
  brick->setShininess(80);
  brick->setMappingKind(0);
  brick->setTextureFile("file:///C|/models/house/brick.png");
  brick->setTextureFlags(true, true);
  brick->setTextureEnabled(true);
  const OrvPoint up{0, 0, 1}, centre{150, 200, 0}, origin{0, 0, 0};
  brick->setTextureSize(400, 300);
  brick->setMappingOrigin(&origin, &up, &up);
  brick->setMappingFrame(&centre, &up, &up);
  const OrvPoint corners[] = {{0, 0, 0}, {300, 0, 0}, {300, 400, 0}, {0, 400, 0}, {150, 200, 250}};
  for (const OrvPoint& corner : corners) *box->vertices()->insert(-1) = corner;
  const std::initializer_list<int> faces[] = {{0, 1, 2, 3}, {0, 1, 4}};
  for (const auto& face : faces) {
    IOrvPolygon* polygon = box->polygons()->insert(-1);
    polygon->setMaterialIndex(0);
    polygon->setFlag(true);
    for (int index : face) *polygon->vertexIndices()->insert(-1) = index;
  }
  manager.objectDefinitions()->insert(-1);

  IOrvObjectInstance* placed = manager.objectInstances()->insert(-1);
  placed->identity()->setName("Box");
  placed->setLayer(walls->identity()->id());
  placed->setKind("ModelObject");
  placed->definitionLink()->setDefinition(box->identity()->id());
  placed->definitionLink()->materials()->insert(-1)->assign(brick);
  IOrvObjectInstance* stray = manager.objectInstances()->insert(-1);
  const OrvId missing{{0xDE, 0xAD, 0xBE, 0xEF}};
  const OrvId nil{};
  stray->definitionLink()->setDefinition(&missing);
  stray->setLayer(&nil);

  IOrvLight* lamp = manager.lights()->insert(-1);
  lamp->identity()->setName("Lamp");
  lamp->setType(1);
  const OrvColor white{255, 255, 255, 255};
  lamp->setColor(&white);
  const OrvPoint lampAt{100, 200, 300}, lampTo{100, 200, 200};
  lamp->setPosition(&lampAt);
  lamp->setTarget(&lampTo);
  lamp->setSpotAngle(0.5);
  lamp->setIntensity(1);
  lamp->setShadowMode(0);

  IOrvHeliodon* sun = manager.heliodons()->insert(-1);
  sun->identity()->setName("Unnamed heliodon");
  sun->setEnabled(true);
  sun->setMode(2);
  sun->setSubMode(0);
  sun->setNorthAngle(-90);
  sun->place()->setLatitude(2931);
  sun->place()->setLongitude(141);
  sun->dateTime()->setDay(15);
  sun->dateTime()->setMonth(6);
  sun->dateTime()->setYear(2014);
  sun->dateTime()->setHour(12);
  sun->dateTime()->setMinute(0);
  sun->setSkyShadowIntensity(0.5);

  IOrvView* top = manager.views()->insert(-1);
  top->identity()->setName("Top");
  const OrvPoint eye{0, 0, 10}, below{0, 0, -10};
  top->setEye(&eye);
  top->setTarget(&below);
  top->setFieldSize(50);
  top->settings()->setMode(0);
  top->markUsed();
  top->setState(3);
  top->setViewKind(1);
  top->renderSetup()->stage()->setMode(1);
  top->settings()->setHeliodon("Unnamed heliodon");
  *top->settings()->visibleLayers()->insert(-1) = *walls->identity()->id();

  IOrvCamera* camera = manager.cameras()->insert(-1);
  camera->identity()->setName("Perspective");
  const OrvPoint cameraAt{-500, -500, 400}, cameraTo{150, 200, 0};
  camera->setEye(&cameraAt);
  camera->setTarget(&cameraTo);
  camera->settings()->setMode(0);
  camera->setEnabled(true);
  camera->makeCurrent();
  camera->renderSetup()->stage()->setMode(1);
  camera->settings()->setHeliodon("Unnamed heliodon");
  camera->setFocal(50);
  camera->setRoll(0);
}

/// A file removed when the test ends.
struct TempFile {
  explicit TempFile(const std::string& name) : path(tempPath(name)) {}
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() { std::remove(path.c_str()); }
  const std::string path;
};

void writeReferenceScene(const std::string& path) {
  IOrvMgr* manager = nullptr;
  EXPECT_TRUE(newOrvMgr(&manager, ORV_VERSION_6, nullptr));
  buildReferenceScene(*manager);
  {
    FileStream stream(path);
    EXPECT_TRUE(manager->save(&stream, 0));
  }
  manager->release();
}

std::string reference(const std::string& name) {
  return slurp(std::string(ORVDUMP_REFERENCE_DIR) + "/" + name);
}

TEST(Orvdump, SummaryMatchesTheReference) {
  const TempFile scene("reference.orv");
  writeReferenceScene(scene.path);
  const ToolRun run = orvdump("'" + scene.path + "'");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, reference("reference-summary.txt"));
  EXPECT_EQ(run.err, "");
}

TEST(Orvdump, JsonMatchesTheReference) {
  const TempFile scene("reference.orv");
  writeReferenceScene(scene.path);
  const ToolRun run = orvdump("--json '" + scene.path + "'");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, reference("reference.json"));
}

/// Values that JSON prints in special ways: numbers that are not finite, negative zero, the
/// extremes of a double, text with quotes, control characters, non-ASCII and bytes that are not
/// UTF-8; and elements whose records and lists are all empty.
void writeOddValuesScene(const std::string& path) {
  IOrvMgr* manager = nullptr;
  ASSERT_TRUE(newOrvMgr(&manager, ORV_VERSION_6, nullptr));
  manager->layers()->insert(-1)->identity()->setName(
      "tab\there \"quoted\" back\\slash \x01\x1f\x7f");
  manager->layers()->insert(-1)->identity()->setName("caf\xc3\xa9 \xe2\x82\xac bad \xff\xc3( end");
  IOrvObjectDefinition* odd = manager->objectDefinitions()->insert(-1);
  odd->identity()->setName("");
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const OrvPoint points[] = {
      {nan, inf, -inf},
      {-0.0, 0.0, 1.0},
      {std::numeric_limits<double>::max(), std::numeric_limits<double>::min(),
       std::numeric_limits<double>::denorm_min()},
      {1e21, 1e-7, 123456789012345680.0},
      {0.1, 1.0 / 3.0, -2.5e-300},
      {1e15, 1e16, 1e17}};
  for (const OrvPoint& point : points) *odd->vertices()->insert(-1) = point;
  odd->polygons()->insert(-1);  // nothing set, no corners
  IOrvPolygon* polygon = odd->polygons()->insert(-1);
  polygon->setMaterialIndex(-2147483647 - 1);
  for (int index : {2147483647, -1, 0}) *polygon->vertexIndices()->insert(-1) = index;
  polygon = odd->polygons()->insert(0);
  polygon->setFlag(false);
  IOrvMaterial* material = odd->materials()->insert(-1);
  material->setFactor(nan);
  material->setTextureSize(-0.0, 5e-324);
  odd->materials()->insert(-1);
  manager->objectDefinitions()->insert(-1);
  manager->objectInstances()->insert(-1);
  manager->lights()->insert(-1)->setIntensity(-inf);
  manager->heliodons()->insert(-1);
  manager->views()->insert(-1);
  manager->cameras()->insert(-1)->settings()->visibleLayers()->insert(-1);
  {
    FileStream stream(path);
    EXPECT_TRUE(manager->save(&stream, 0));
  }
  manager->release();
}

TEST(Orvdump, JsonOfOddValuesMatchesTheReference) {
  const TempFile scene("odd.orv");
  writeOddValuesScene(scene.path);
  const ToolRun run = orvdump("--json '" + scene.path + "'");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, reference("odd-values.json"));
}

TEST(Orvdump, ABadFileIsNamedOnStderrWithStatus2InEveryMode) {
  const TempFile notes("notes.orv");
  const std::string& text = notes.path;
  std::ofstream(text) << "just some notes, not a scene\n";
  const std::string png = tempPath("never.png");
  const std::string modes[] = {"", "--json", "--gltf -o '" + png + "'",
                               "--preview -o '" + png + "'"};
  for (const std::string& mode : modes) {
    SCOPED_TRACE(mode);
    const ToolRun run = orvdump(mode + " '" + text + "'");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "orvdump: " + text + ": offset 0 (header): bad magic: this is not a scene file\n");
    EXPECT_FALSE(std::ifstream(png).good());
  }

  const std::string absent = tempPath("absent.orv");
  const ToolRun run = orvdump("'" + absent + "'");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "orvdump: " + absent + ": cannot open: No such file or directory\n");
}

TEST(Orvdump, BadUsageGivesStatus2AndAMessageNamingTheProgram) {
  for (const char* arguments : {"", "--yaml scene.orv", "one.orv two.orv", "-o x.glb scene.orv"}) {
    SCOPED_TRACE(arguments);
    const ToolRun run = orvdump(arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("orvdump: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("\nRun with --help for more information.\n"), std::string::npos);
  }
}

TEST(Orvdump, HelpAndVersionExitWith0) {
  const ToolRun help = orvdump("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--json"), std::string::npos) << help.out;
  const ToolRun version = orvdump("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "orvdump 1.0.16.31\nplug-in 1.0.16.31\nscene format 2.0\n");
}

}  // namespace
