#include "SceneFixtures.h"

#include <gtest/gtest.h>

#include "orv/SceneFileReader.h"

namespace QzOrv::test {

Manager newManager(IOrvFeedback* feedback) {
  IOrvMgr* manager = nullptr;
  EXPECT_TRUE(newOrvMgr(&manager, ORV_VERSION_6, feedback));
  EXPECT_NE(manager, nullptr);
  return Manager(manager);
}

void MemoryStream::write(const void* data, std::uint64_t count) {
  const auto* begin = static_cast<const std::uint8_t*>(data);
  bytes.insert(bytes.end(), begin, begin + count);
  pieces.push_back(count);
}

void RecordingFeedback::message(int kind, const char* text) {
  (kind == ORV_MESSAGE_WARNING ? warnings : errors).push_back(text);
}

bool RecordingFeedback::query() {
  ++queries;
  return stopAfterQueries < 0 || queries <= stopAfterQueries;
}

std::vector<std::uint8_t> saveToBytes(IOrvMgr& manager) {
  MemoryStream stream;
  EXPECT_TRUE(manager.save(&stream, 0));
  return stream.bytes;
}

scene::Scene readBack(const std::vector<std::uint8_t>& bytes) {
  return scene::readScene(bytes, "saved scene");
}

namespace {

constexpr OrvColor kRed{255, 200, 10, 20};
constexpr OrvColor kGreen{128, 30, 210, 40};
constexpr OrvColor kBlue{64, 50, 60, 220};
constexpr OrvColor kGrey{0, 127, 127, 127};
constexpr OrvColor kGlow{1, 2, 3, 4};
constexpr OrvPoint kOrigin{0.5, -1.25, 3};
constexpr OrvPoint kAxisX{1, 0, 0};
constexpr OrvPoint kAxisY{0, 1, 0};
constexpr OrvPoint kCentre{150, 200, -0.001};
constexpr OrvPoint kVertices[] = {{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 1e-9}};
constexpr OrvPoint kEye{10, 20, 1000};
constexpr OrvPoint kTarget{10, 20, -1000};

const OrvId& idOf(IOrvIdentity* identity) {
  return *identity->id();
}

void fillMaterial(IOrvMaterial& material) {
  material.identity()->setName("Brick");
  material.setEnabled(true);
  material.setFactor(0.9);
  material.setDiffuse(&kRed);
  material.setSpecular(&kGreen);
  material.setShininess(80);
  material.setTransparency(&kGrey);
  material.setTextureFile("file:///textures/brick%20wall.png");
  material.setMappingKind(5);
  material.setMappingOrigin(&kOrigin, &kAxisX, &kAxisY);
  material.setMappingFrame(&kCentre, &kAxisY, &kAxisX);
  material.setTextureFlags(true, false);
  material.setTextureSize(400, 300);
  material.setAmbient(&kBlue);
  material.setTextureEnabled(false);
  material.setReflection(16777215.0);
  material.setEmission(&kGlow);
}

void addPolygon(IOrvObjectDefinition& definition, bool flag, int material,
                std::initializer_list<int> corners) {
  IOrvPolygon* polygon = definition.polygons()->insert(-1);
  polygon->setFlag(flag);
  polygon->setMaterialIndex(material);
  for (int corner : corners) *polygon->vertexIndices()->insert(-1) = corner;
}

void fillSettings(IOrvViewSettings& settings, IOrvMgr& manager) {
  settings.setMode(0);
  settings.setHeliodon("Sun");
  for (int i = 0; i < manager.layers()->count(); ++i) {
    *settings.visibleLayers()->insert(-1) = idOf(manager.layers()->at(i)->identity());
  }
}

}  // namespace

void fillEverySetter(IOrvMgr& manager) {
  manager.setCreator("Maker", "2.5");
  manager.layers()->insert(-1)->identity()->setName("Walls");
  manager.layers()->insert(-1)->identity()->setName("Roof \xC3\xA9");

  IOrvObjectDefinition* box = manager.objectDefinitions()->insert(-1);
  box->identity()->setName("Box");
  fillMaterial(*box->materials()->insert(-1));
  box->materials()->insert(-1)->identity()->setName("Glass");
  for (const OrvPoint& vertex : kVertices) *box->vertices()->insert(-1) = vertex;
  addPolygon(*box, true, 0, {0, 1, 2, 3});
  addPolygon(*box, false, 1, {0, 2, 3});

  IOrvObjectInstance* instance = manager.objectInstances()->insert(-1);
  instance->identity()->setName("Box instance");
  instance->setKind("ModelObject");
  instance->definitionLink()->setDefinition(box->identity()->id());
  for (int i = 0; i < box->materials()->count(); ++i) {
    instance->definitionLink()->materials()->insert(-1)->assign(box->materials()->at(i));
  }
  instance->setLayer(manager.layers()->at(1)->identity()->id());

  IOrvLight* light = manager.lights()->insert(-1);
  light->identity()->setName("Lamp");
  light->setType(1);
  light->setColor(&kRed);
  light->setPosition(&kEye);
  light->setTarget(&kTarget);
  light->setSpotAngle(0.5);
  light->setShadowMode(2);
  light->setShadowIntensity(0.75);
  light->setIntensity(1.5);

  IOrvHeliodon* sun = manager.heliodons()->insert(-1);
  sun->identity()->setName("Sun");
  sun->setEnabled(true);
  sun->dateTime()->setMonth(6);
  sun->dateTime()->setDay(15);
  sun->dateTime()->setHour(14);
  sun->dateTime()->setMinute(45);
  sun->dateTime()->setYear(2014);
  sun->place()->setLongitude(141);
  sun->place()->setLatitude(-2032);
  sun->place()->setTimeZone(5);
  sun->place()->setDaylightSaving(true);
  sun->setNorthAngle(-90);
  sun->setSkyShadowIntensity(0.25);
  sun->setMode(2);
  sun->setSubMode(0);

  IOrvView* view = manager.views()->insert(-1);
  view->identity()->setName("Top");
  fillSettings(*view->settings(), manager);
  view->renderSetup()->stage()->setMode(1);
  view->setViewKind(1);
  view->setState(3);
  view->markUsed();
  view->setFieldSize(50);
  view->setEye(&kEye);
  view->setTarget(&kTarget);

  IOrvCamera* camera = manager.cameras()->insert(-1);
  camera->identity()->setName("Perspective");
  fillSettings(*camera->settings(), manager);
  camera->renderSetup()->stage()->setMode(4);
  camera->setEye(&kTarget);
  camera->setTarget(&kEye);
  camera->makeCurrent();
  camera->setEnabled(true);
  camera->setRoll(0);
  camera->setFocal(50);
}

scene::Scene everySetterModel(IOrvMgr& manager) {
  using namespace scene;
  IOrvObjectDefinition* box = manager.objectDefinitions()->at(0);
  IOrvDefinitionLink* link = manager.objectInstances()->at(0)->definitionLink();
  Scene expected;
  expected.creator = Creator{"Maker", "2.5"};
  expected.layers.push_back({idOf(manager.layers()->at(0)->identity()), "Walls"});
  expected.layers.push_back({idOf(manager.layers()->at(1)->identity()), "Roof \xC3\xA9"});

  Material brick{.id = idOf(box->materials()->at(0)->identity()),
                 .name = "Brick",
                 .enabled = true,
                 .factor = 0.9,
                 .diffuse = kRed,
                 .specular = kGreen,
                 .shininess = 80,
                 .transparency = kGrey,
                 .textureFile = "file:///textures/brick%20wall.png",
                 .mappingKind = 5,
                 .mappingOrigin = Frame{kOrigin, kAxisX, kAxisY},
                 .mappingFrame = Frame{kCentre, kAxisY, kAxisX},
                 .textureFlags = TextureFlags{true, false},
                 .textureSize = TextureSize{400, 300},
                 .ambient = kBlue,
                 .textureEnabled = false,
                 .reflection = 16777215.0,
                 .emission = kGlow};
  Material glass;
  glass.id = idOf(box->materials()->at(1)->identity());
  glass.name = "Glass";
  ObjectDefinition definition;
  definition.id = idOf(box->identity());
  definition.name = "Box";
  definition.materials.push_back(brick);
  definition.materials.push_back(glass);
  definition.vertices.assign(std::begin(kVertices), std::end(kVertices));
  definition.polygons.push_back({true, 0, {0, 1, 2, 3}});
  definition.polygons.push_back({false, 1, {0, 2, 3}});
  expected.objectDefinitions.push_back(definition);

  ObjectInstance instance;
  instance.id = idOf(manager.objectInstances()->at(0)->identity());
  instance.name = "Box instance";
  instance.kind = "ModelObject";
  instance.definitionLink.definition = definition.id;
  instance.layer = expected.layers[1].id;
  brick.id = idOf(link->materials()->at(0)->identity());
  glass.id = idOf(link->materials()->at(1)->identity());
  instance.definitionLink.materials.push_back(brick);
  instance.definitionLink.materials.push_back(glass);
  expected.objectInstances.push_back(instance);

  expected.lights.push_back({.id = idOf(manager.lights()->at(0)->identity()),
                             .name = "Lamp",
                             .type = 1,
                             .color = kRed,
                             .position = kEye,
                             .target = kTarget,
                             .spotAngle = 0.5,
                             .shadowMode = 2,
                             .shadowIntensity = 0.75,
                             .intensity = 1.5});
  expected.heliodons.push_back({.id = idOf(manager.heliodons()->at(0)->identity()),
                                .name = "Sun",
                                .enabled = true,
                                .dateTime = {6, 15, 14, 45, 2014},
                                .place = {141, -2032, 5, true},
                                .northAngle = -90,
                                .skyShadowIntensity = 0.25,
                                .mode = 2,
                                .subMode = 0});
  const ViewSettings settings{0, "Sun", {expected.layers[0].id, expected.layers[1].id}};
  expected.views.push_back({.id = idOf(manager.views()->at(0)->identity()),
                            .name = "Top",
                            .settings = settings,
                            .renderSetup = {.stage = {1}},
                            .viewKind = 1,
                            .state = 3,
                            .used = true,
                            .fieldSize = 50,
                            .eye = kEye,
                            .target = kTarget});
  expected.cameras.push_back({.id = idOf(manager.cameras()->at(0)->identity()),
                              .name = "Perspective",
                              .settings = settings,
                              .renderSetup = {.stage = {4}},
                              .eye = kTarget,
                              .target = kEye,
                              .current = true,
                              .enabled = true,
                              .roll = 0,
                              .focal = 50});
  return expected;
}

}  // namespace QzOrv::test
