// orvdump --gltf run as a user runs it: the file read back with an independent glTF reader (the
// same geometry, materials, textures, lights and cameras, in metres with Y up), checked by the
// glTF validator, and the exit status and messages for bad input and usage.
#include <gtest/gtest.h>
#include <stb_image_write.h>
#include <tiny_gltf.h>

#include <cmath>
#include <filesystem>
#include <numbers>

#include "ExportTestSupport.h"
#include "TempFolder.h"
#include "common/Picture.h"
#include "orv/SceneFileReader.h"

namespace {

using namespace QzOrv;
using namespace QzOrv::test;
namespace fs = std::filesystem;

constexpr scene::Rgb kBrick{200, 100, 50};

double linear(std::uint8_t byte) {
  const double c = byte / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

/// A 2 m cube with a gable point above it: bottom and front and the gable triangle in Brick,
/// right and back in Glass, left and top in a textured Roof; one triangle naming no slot and two
/// broken polygons.
scene::ObjectDefinition building(const std::string& roofTexture) {
  scene::Material glass = colouredMaterial("Glass", {40, 45, 47});
  glass.transparency = OrvColor{0, 204, 204, 204};
  scene::Material roof = colouredMaterial("Roof", {120, 52, 40});
  roof.textureFile = roofTexture;
  roof.mappingKind = 0;
  roof.mappingFrame = scene::Frame{{100, 100, 100}, {0, 0, 1}, {0, 0, 1}};
  roof.textureSize = scene::TextureSize{50, 100};

  scene::ObjectDefinition definition =
      definitionOf(1, "Building",
                   {{0, 0, 0},
                    {200, 0, 0},
                    {200, 200, 0},
                    {0, 200, 0},
                    {0, 0, 200},
                    {200, 0, 200},
                    {200, 200, 200},
                    {0, 200, 200},
                    {100, 200, 300}},
                   {{0, 3, 2, 1}, {0, 1, 5, 4}, {6, 7, 8}}, colouredMaterial("Brick", kBrick));
  definition.materials.push_back(glass);
  definition.materials.push_back(roof);
  const std::pair<std::vector<int>, std::optional<int>> more[] = {
      {{1, 2, 6, 5}, 1},         {{2, 3, 7, 6}, 1}, {{3, 0, 4, 7}, 2}, {{4, 5, 6, 7}, 2},
      {{0, 1, 2}, std::nullopt}, {{0, 1}, 0},       {{0, 1, 99}, 0}};
  for (const auto& [corners, slot] : more) {
    scene::Polygon polygon;
    polygon.vertexIndices = corners;
    polygon.materialIndex = slot;
    definition.polygons.push_back(polygon);
  }
  return definition;
}

scene::Light light(const std::string& name, int type, OrvPoint position, OrvPoint target) {
  scene::Light light;
  light.name = name;
  light.type = type;
  light.position = position;
  light.target = target;
  light.color = OrvColor{255, 255, 200, 100};
  light.intensity = 0.8;
  return light;
}

/// The building placed twice, an empty definition placed once, an instance of a missing
/// definition, three lights, a camera and a parallel view.
scene::Scene buildingScene(const std::string& roofTexture) {
  scene::Scene scene;
  scene.layers.push_back({idNumber(30), "Walls"});
  const scene::ObjectDefinition house = building(roofTexture);
  scene.objectDefinitions.push_back(house);
  scene::ObjectDefinition nothing;
  nothing.id = idNumber(2);
  nothing.name = "Nothing";
  scene.objectDefinitions.push_back(nothing);
  scene.objectInstances.push_back(instanceOf(house, "Building 1", idNumber(30)));
  scene::ObjectInstance again = instanceOf(house, "Building 2");
  again.id.bytes[2] = 2;
  scene.objectInstances.push_back(again);
  scene.objectInstances.push_back(instanceOf(nothing, "Marker"));
  scene::ObjectInstance lost = instanceOf(nothing, "Lost");
  lost.definitionLink.definition = idNumber(77);
  scene.objectInstances.push_back(lost);

  scene.lights.push_back(light("Bulb", 0, {100, 100, 250}, {100, 100, 0}));
  scene::Light spot = light("Spot", 1, {0, 0, 300}, {100, 100, 0});
  spot.spotAngle = 0.5;
  scene.lights.push_back(spot);
  scene.lights.push_back(light("Sun", 2, {0, 0, 1000}, {100, 0, 0}));

  scene::Camera camera = cameraAt("Perspective", {-500, -500, 400}, {100, 100, 100});
  camera.focal = 35;
  camera.current = true;
  scene.cameras.push_back(camera);
  scene::View top;
  top.name = "Top";
  top.eye = OrvPoint{0, 0, 1000};
  top.target = OrvPoint{0, 0, -1000};
  top.fieldSize = 50;
  scene.views.push_back(top);
  return scene;
}

/// A readable 2 × 2 PNG file at `file`.
void writeImage(const fs::path& file) {
  fs::create_directories(file.parent_path());
  scene::writePng(scene::Picture(2, 2, {10, 200, 30}), file);
}

tinygltf::Model readGlb(const fs::path& file) {
  tinygltf::TinyGLTF reader;
  tinygltf::Model model;
  std::string error, warning;
  EXPECT_TRUE(reader.LoadBinaryFromFile(&model, &error, &warning, file.string()))
      << error << warning;
  return model;
}

/// The float values of `accessor`, its components one after the other.
std::vector<float> floatsOf(const tinygltf::Model& model, int accessor) {
  const tinygltf::Accessor& a = model.accessors.at(accessor);
  const tinygltf::BufferView& view = model.bufferViews.at(a.bufferView);
  const std::size_t components = a.type == TINYGLTF_TYPE_VEC3 ? 3 : 2;
  const auto* data = reinterpret_cast<const float*>(model.buffers.at(view.buffer).data.data() +
                                                    view.byteOffset + a.byteOffset);
  return {data, data + a.count * components};
}

std::size_t triangleCount(const tinygltf::Model& model, const tinygltf::Primitive& primitive) {
  return model.accessors.at(primitive.indices).count / 3;
}

const tinygltf::Node& nodeNamed(const tinygltf::Model& model, const std::string& name) {
  for (const tinygltf::Node& node : model.nodes) {
    if (node.name == name) return node;
  }
  ADD_FAILURE() << "no node " << name;
  return model.nodes.at(0);
}

/// `v` turned by the node's rotation.
std::array<double, 3> turned(const tinygltf::Node& node, std::array<double, 3> v) {
  const double x = node.rotation.at(0), y = node.rotation.at(1), z = node.rotation.at(2),
               w = node.rotation.at(3);
  // v + 2w (q × v) + 2 q × (q × v)
  const std::array<double, 3> c{y * v[2] - z * v[1], z * v[0] - x * v[2], x * v[1] - y * v[0]};
  const std::array<double, 3> cc{y * c[2] - z * c[1], z * c[0] - x * c[2], x * c[1] - y * c[0]};
  return {v[0] + 2 * (w * c[0] + cc[0]), v[1] + 2 * (w * c[1] + cc[1]),
          v[2] + 2 * (w * c[2] + cc[2])};
}

/// Expects the node's -Z axis to point along `direction` (glTF axes).
void expectAimedAlong(const tinygltf::Node& node, std::array<double, 3> direction) {
  const double size = std::hypot(direction[0], direction[1], direction[2]);
  const std::array<double, 3> forward = turned(node, {0, 0, -1});
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(forward[i], direction[i] / size, 1e-9) << node.name;
}

class GltfExport : public ::testing::Test {
 protected:
  TempFolder folder{"orvdump-gltf"};
  const fs::path sceneFile = folder.path / "building.orv";
  const fs::path glb = folder.path / "building.glb";
  const fs::path image = folder.path / "maps" / "roof tiles.png";
  /// The image as the exporter refers to it, a file URL with "file:///" before the path.
  const std::string imageUrl = "file:///" + (folder.path / "maps").string() + "/roof%20tiles.png";
};

TEST_F(GltfExport, ReadsBackWithTheSceneGeometryInMetresWithYUp) {
  writeImage(image);
  saveScene(buildingScene(imageUrl), sceneFile);
  const Finished run = runOrvdump({"--gltf", sceneFile.string(), "-o", glb.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");

  const tinygltf::Model model = readGlb(glb);
  // The empty definition has no triangles, so no mesh: only the building's.
  ASSERT_EQ(model.meshes.size(), 1u);
  const tinygltf::Mesh& mesh = model.meshes[0];
  EXPECT_EQ(mesh.name, "Building");
  // One primitive per material slot, then the triangle without one; quads are two triangles.
  ASSERT_EQ(mesh.primitives.size(), 4u);
  const std::vector<std::size_t> triangles{
      triangleCount(model, mesh.primitives[0]), triangleCount(model, mesh.primitives[1]),
      triangleCount(model, mesh.primitives[2]), triangleCount(model, mesh.primitives[3])};
  EXPECT_EQ(triangles, (std::vector<std::size_t>{5, 4, 4, 1}));

  // Brick uses nine points, two of them twice for the crease between bottom and front;
  // (100, 200, 300) cm is (1, 3, -2) m.
  const std::vector<float> brick = floatsOf(model, mesh.primitives[0].attributes.at("POSITION"));
  ASSERT_EQ(brick.size(), 11u * 3);
  bool gable = false;
  for (std::size_t i = 0; i < brick.size(); i += 3) {
    gable = gable || (brick[i] == 1.0f && brick[i + 1] == 3.0f && brick[i + 2] == -2.0f);
  }
  EXPECT_TRUE(gable);
  const tinygltf::Accessor& positions =
      model.accessors.at(mesh.primitives[0].attributes.at("POSITION"));
  EXPECT_EQ(positions.minValues, (std::vector<double>{0, 0, -2}));
  EXPECT_EQ(positions.maxValues, (std::vector<double>{2, 3, 0}));

  EXPECT_EQ(run.err.find("\"Building\": 2 polygons left out") != std::string::npos, true)
      << run.err;
  EXPECT_NE(run.err.find("objectInstances[3] \"Lost\": its definition"), std::string::npos)
      << run.err;
  EXPECT_GLTF_VALID(glb);
}

TEST_F(GltfExport, InstancesBecomeNodesNamedAsInTheSceneWithTheirLayer) {
  saveScene(buildingScene(""), sceneFile);
  ASSERT_EQ(runOrvdump({"--gltf", sceneFile.string(), "-o", glb.string()}).status, 0);
  const tinygltf::Model model = readGlb(glb);

  const tinygltf::Node& first = nodeNamed(model, "Building 1");
  EXPECT_EQ(first.mesh, 0);
  ASSERT_TRUE(first.extras.Has("layer"));
  EXPECT_EQ(first.extras.Get("layer").Get<std::string>(), "Walls");
  const tinygltf::Node& second = nodeNamed(model, "Building 2");
  EXPECT_EQ(second.mesh, 0);
  EXPECT_FALSE(second.extras.Has("layer"));
  EXPECT_EQ(nodeNamed(model, "Marker").mesh, -1);
  EXPECT_EQ(nodeNamed(model, "Lost").mesh, -1);
  // Every node of the file is in the scene: four instances, three lights, two cameras.
  ASSERT_EQ(model.scenes.size(), 1u);
  EXPECT_EQ(model.scenes[0].nodes.size(), 9u);
  EXPECT_EQ(model.nodes.size(), 9u);
  EXPECT_GLTF_VALID(glb);
}

TEST_F(GltfExport, MaterialsCarryDiffuseColourTransparencyAndTexture) {
  writeImage(image);
  saveScene(buildingScene(imageUrl), sceneFile);
  const Finished run =
      runOrvdump({"--gltf", "--external-images", sceneFile.string(), "-o", glb.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  const tinygltf::Model model = readGlb(glb);
  const tinygltf::Mesh& mesh = model.meshes.at(0);

  const tinygltf::Material& brick = model.materials.at(mesh.primitives.at(0).material);
  EXPECT_EQ(brick.name, "Brick");
  EXPECT_EQ(brick.alphaMode, "OPAQUE");
  const std::vector<double>& colour = brick.pbrMetallicRoughness.baseColorFactor;
  ASSERT_EQ(colour.size(), 4u);
  EXPECT_NEAR(colour[0], linear(200), 1e-12);
  EXPECT_NEAR(colour[1], linear(100), 1e-12);
  EXPECT_NEAR(colour[2], linear(50), 1e-12);
  EXPECT_EQ(colour[3], 1.0);
  EXPECT_EQ(brick.pbrMetallicRoughness.metallicFactor, 0.0);
  EXPECT_EQ(brick.pbrMetallicRoughness.baseColorTexture.index, -1);
  EXPECT_EQ(mesh.primitives.at(0).attributes.count("TEXCOORD_0"), 0u);

  const tinygltf::Material& glass = model.materials.at(mesh.primitives.at(1).material);
  EXPECT_EQ(glass.alphaMode, "BLEND");
  EXPECT_NEAR(glass.pbrMetallicRoughness.baseColorFactor.at(3), 0.2, 1e-12);

  // The roof's box projection gives the shared corners of its two faces a vertex per face.
  const tinygltf::Primitive& roofFaces = mesh.primitives.at(2);
  const tinygltf::Material& roof = model.materials.at(roofFaces.material);
  ASSERT_GE(roof.pbrMetallicRoughness.baseColorTexture.index, 0);
  const tinygltf::Texture& texture =
      model.textures.at(roof.pbrMetallicRoughness.baseColorTexture.index);
  EXPECT_EQ(model.images.at(texture.source).uri, "maps/roof%20tiles.png");
  ASSERT_EQ(roofFaces.attributes.count("TEXCOORD_0"), 1u);
  EXPECT_EQ(floatsOf(model, roofFaces.attributes.at("TEXCOORD_0")).size(), 8u * 2);
  // The triangle without a slot gets a grey default material.
  EXPECT_EQ(model.materials.at(mesh.primitives.at(3).material).name, "Default material");
  EXPECT_GLTF_VALID(glb);
}

TEST_F(GltfExport, TextureImagesGoIntoTheFileUnlessAskedToStayOutside) {
  writeImage(image);
  saveScene(buildingScene(imageUrl), sceneFile);
  const Finished run = runOrvdump({"--gltf", sceneFile.string(), "-o", glb.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  fs::remove_all(folder.path / "maps");  // the file must not need it any more

  const tinygltf::Model model = readGlb(glb);
  ASSERT_EQ(model.images.size(), 1u);
  EXPECT_EQ(model.images[0].uri, "");
  EXPECT_EQ(model.images[0].mimeType, "image/png");
  EXPECT_GE(model.images[0].bufferView, 0);
  EXPECT_EQ(model.images[0].width, 2);  // decoded from the embedded bytes
  EXPECT_GLTF_VALID(glb);
}

TEST_F(GltfExport, ABmpTextureGoesIntoTheFileAsAPngImageEvenWithExternalImages) {
  // 2 × 1 pixels: red, then blue; BMP rows are written bottom up and in blue, green, red order.
  const fs::path bmp = folder.path / "maps" / "bricks.bmp";
  fs::create_directories(bmp.parent_path());
  const unsigned char pixels[] = {255, 0, 0, 0, 0, 255};
  ASSERT_TRUE(stbi_write_bmp(bmp.c_str(), 2, 1, 3, pixels));
  saveScene(buildingScene("file:///" + bmp.string()), sceneFile);
  for (const bool external : {false, true}) {
    SCOPED_TRACE(external ? "--external-images" : "embedded");
    std::vector<std::string> arguments{"--gltf", sceneFile.string(), "-o", glb.string()};
    if (external) arguments.push_back("--external-images");
    const Finished run = runOrvdump(arguments);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("texture"), std::string::npos) << run.err;
    const tinygltf::Model model = readGlb(glb);
    ASSERT_EQ(model.images.size(), 1u);
    const tinygltf::Image& png = model.images[0];
    EXPECT_EQ(png.uri, "");
    EXPECT_EQ(png.mimeType, "image/png");
    ASSERT_EQ(png.width, 2);
    ASSERT_EQ(png.height, 1);
    EXPECT_EQ(std::vector<unsigned char>(png.image.begin(), png.image.begin() + 3),
              (std::vector<unsigned char>{255, 0, 0}));
    EXPECT_EQ(std::vector<unsigned char>(png.image.begin() + 4, png.image.begin() + 7),
              (std::vector<unsigned char>{0, 0, 255}));
    EXPECT_GLTF_VALID(glb);
  }
}

TEST_F(GltfExport, TheSharedModelsBmpTextureReadsBackAsAPng) {
  const fs::path bmp = fs::path(SHARED_3DM_DIR) / "example_texture.bmp";
  if (!fs::is_regular_file(bmp)) GTEST_SKIP() << "no shared image " << bmp;
  saveScene(buildingScene(bmp.string()), sceneFile);
  const Finished run = runOrvdump({"--gltf", sceneFile.string(), "-o", glb.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  const tinygltf::Model model = readGlb(glb);
  ASSERT_EQ(model.images.size(), 1u);
  EXPECT_EQ(model.images[0].width, 510);  // an 8-bit BMP with a palette
  EXPECT_GLTF_VALID(glb);
}

TEST_F(GltfExport, NormalsAreSmoothAcrossGentleEdgesAndSplitAtCreases) {
  // The building's bottom and front, both brick, meet at a right angle along the edge of points
  // 0 and 1: split at the default crease angle, shared with --crease-angle 100.
  saveScene(buildingScene(""), sceneFile);
  for (const auto& [crease, vertices] :
       {std::pair<const char*, std::size_t>{"30", 9 + 2}, {"100", 9}}) {
    SCOPED_TRACE(crease);
    const Finished run =
        runOrvdump({"--gltf", "--crease-angle", crease, sceneFile.string(), "-o", glb.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const tinygltf::Model model = readGlb(glb);
    const tinygltf::Primitive& brick = model.meshes.at(0).primitives.at(0);
    ASSERT_EQ(brick.attributes.count("NORMAL"), 1u);
    const std::vector<float> normals = floatsOf(model, brick.attributes.at("NORMAL"));
    EXPECT_EQ(normals.size(), vertices * 3);
    for (std::size_t i = 0; i < normals.size(); i += 3) {
      EXPECT_NEAR(std::hypot(normals[i], normals[i + 1], normals[i + 2]), 1, 1e-6);
    }
    EXPECT_GLTF_VALID(glb);
  }
}

TEST_F(GltfExport, MissingOrUnusableTexturesAreLeftOutWithAWarning) {
  std::ofstream(folder.path / "notes.png") << "not an image\n";
  for (const std::string& url : {imageUrl, "file:///" + (folder.path / "notes.png").string(),
                                 std::string("http://example.invalid/roof.png")}) {
    SCOPED_TRACE(url);
    saveScene(buildingScene(url), sceneFile);
    const Finished run = runOrvdump({"--gltf", sceneFile.string(), "-o", glb.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("material 2 \"Roof\": texture"), std::string::npos) << run.err;
    const tinygltf::Model model = readGlb(glb);
    EXPECT_TRUE(model.images.empty());
    const tinygltf::Primitive& roofFaces = model.meshes.at(0).primitives.at(2);
    EXPECT_EQ(roofFaces.attributes.count("TEXCOORD_0"), 0u);
    EXPECT_EQ(model.materials.at(roofFaces.material).pbrMetallicRoughness.baseColorTexture.index,
              -1);
    EXPECT_GLTF_VALID(glb);
  }
}

TEST_F(GltfExport, LightsBecomePunctualLightsAimedAtTheirTargets) {
  saveScene(buildingScene(""), sceneFile);
  ASSERT_EQ(runOrvdump({"--gltf", sceneFile.string(), "-o", glb.string()}).status, 0);
  const tinygltf::Model model = readGlb(glb);
  ASSERT_EQ(model.lights.size(), 3u);
  EXPECT_EQ(model.lights[0].type, "point");
  EXPECT_EQ(model.lights[1].type, "spot");
  EXPECT_EQ(model.lights[2].type, "directional");
  EXPECT_DOUBLE_EQ(model.lights[1].spot.outerConeAngle, 0.5);
  EXPECT_DOUBLE_EQ(model.lights[1].spot.innerConeAngle, 0.0);
  // Intensity 1 is 1000 / 4π candela for a point or spot light, π lux for a directional one.
  EXPECT_DOUBLE_EQ(model.lights[0].intensity, 0.8 * 1000 / (4 * std::numbers::pi));
  EXPECT_DOUBLE_EQ(model.lights[1].intensity, 0.8 * 1000 / (4 * std::numbers::pi));
  EXPECT_DOUBLE_EQ(model.lights[2].intensity, 0.8 * std::numbers::pi);
  EXPECT_NEAR(model.lights[0].color.at(1), linear(200), 1e-12);

  const tinygltf::Node& spot = nodeNamed(model, "Spot");
  ASSERT_TRUE(spot.extensions.count("KHR_lights_punctual"));
  EXPECT_EQ(spot.extensions.at("KHR_lights_punctual").Get("light").GetNumberAsInt(), 1);
  EXPECT_EQ(spot.translation, (std::vector<double>{0, 3, -0}));
  // From (0, 0, 300) to (100, 100, 0) cm: (1, -3, -1) in glTF axes.
  expectAimedAlong(spot, {1, -3, -1});
  expectAimedAlong(nodeNamed(model, "Sun"), {1, -10, 0});
  EXPECT_GLTF_VALID(glb);
}

TEST_F(GltfExport, CamerasAndParallelViewsBecomePerspectiveAndOrthographicCameras) {
  saveScene(buildingScene(""), sceneFile);
  ASSERT_EQ(runOrvdump({"--gltf", sceneFile.string(), "-o", glb.string()}).status, 0);
  const tinygltf::Model model = readGlb(glb);
  ASSERT_EQ(model.cameras.size(), 2u);

  const tinygltf::Camera& lens = model.cameras[0];
  EXPECT_EQ(lens.type, "perspective");
  EXPECT_EQ(lens.name, "Perspective");
  // A 35 mm lens on the 36 × 24 mm frame.
  EXPECT_DOUBLE_EQ(lens.perspective.yfov, 2 * std::atan(12.0 / 35));
  EXPECT_DOUBLE_EQ(lens.perspective.aspectRatio, 1.5);
  const tinygltf::Node& eye = nodeNamed(model, "Perspective");
  EXPECT_EQ(eye.camera, 0);
  EXPECT_EQ(eye.translation, (std::vector<double>{-5, 4, 5}));
  expectAimedAlong(eye, {6, -3, -6});
  // Its picture's up is the scene's up (glTF +Y): the camera's X axis stays level.
  EXPECT_NEAR(turned(eye, {1, 0, 0})[1], 0, 1e-12);

  const tinygltf::Camera& plan = model.cameras[1];
  EXPECT_EQ(plan.type, "orthographic");
  // A 50 cm diagonal on a 4:3 field is 40 by 30 cm.
  EXPECT_DOUBLE_EQ(plan.orthographic.xmag, 0.2);
  EXPECT_DOUBLE_EQ(plan.orthographic.ymag, 0.15);
  const tinygltf::Node& top = nodeNamed(model, "Top");
  expectAimedAlong(top, {0, -1, 0});
  // It stands above the whole scene and sees down past its floor.
  EXPECT_GE(top.translation.at(1), 3.0);
  EXPECT_GT(plan.orthographic.zfar, top.translation.at(1));
  EXPECT_GLTF_VALID(glb);
}

TEST_F(GltfExport, ASceneWithoutGeometryGivesAnEmptyGltfSceneAndAWarning) {
  scene::Scene scene;
  scene.layers.push_back({idNumber(30), "Walls"});
  saveScene(scene, sceneFile);
  const Finished run = runOrvdump({"--gltf", sceneFile.string(), "-o", glb.string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "orvdump: warning: " + sceneFile.string() +
                         ": the scene places no geometry: the glTF scene shows no mesh\n");
  const Finished quiet = runOrvdump({"--gltf", "-q", sceneFile.string(), "-o", glb.string()});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.err, "");
  const tinygltf::Model model = readGlb(glb);
  ASSERT_EQ(model.scenes.size(), 1u);
  EXPECT_TRUE(model.scenes[0].nodes.empty());
  EXPECT_TRUE(model.meshes.empty());
  EXPECT_GLTF_VALID(glb);
}

TEST_F(GltfExport, AnUnreadableSceneWritesNothingAndExitsWith2) {
  std::ofstream(sceneFile) << "just some notes, not a scene\n";
  std::ofstream(glb) << "previous";
  const Finished run = runOrvdump({"--gltf", sceneFile.string(), "-o", glb.string()});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "orvdump: " + sceneFile.string() +
                         ": offset 0 (header): bad magic: this is not a scene file\n");
  EXPECT_EQ(contentsOf(glb), "previous");

  const Finished absent =
      runOrvdump({"--gltf", (folder.path / "absent.orv").string(), "-o", glb.string()});
  EXPECT_EQ(absent.status, 2);
  EXPECT_NE(absent.err.find("cannot open"), std::string::npos) << absent.err;
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 2);
}

TEST_F(GltfExport, AnOutputThatCannotBeWrittenExitsWith1) {
  saveScene(buildingScene(""), sceneFile);
  const fs::path nowhere = folder.path / "missing" / "out.glb";
  const Finished run = runOrvdump({"--gltf", sceneFile.string(), "-o", nowhere.string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "orvdump: " + nowhere.string() + ": cannot write: No such file or directory\n");
  EXPECT_FALSE(fs::exists(folder.path / "missing"));
}

TEST(OrvdumpUsage, WritingOptionsGoTogetherOnlyAsDocumented) {
  EXPECT_EQ(runOrvdump({"--gltf", "scene.orv"}).status, 2);         // no -o
  EXPECT_EQ(runOrvdump({"--preview", "scene.orv"}).status, 2);      // no -o
  EXPECT_EQ(runOrvdump({"scene.orv", "-o", "out.glb"}).status, 2);  // -o alone
  EXPECT_EQ(runOrvdump({"--gltf", "--preview", "scene.orv", "-o", "x"}).status, 2);
  EXPECT_EQ(runOrvdump({"--json", "--gltf", "scene.orv", "-o", "x"}).status, 2);
  EXPECT_EQ(runOrvdump({"--external-images", "scene.orv"}).status, 2);  // without --gltf
  EXPECT_EQ(runOrvdump({"--crease-angle", "20", "scene.orv"}).status, 2);
  EXPECT_EQ(runOrvdump({"--gltf", "--crease-angle", "181", "scene.orv", "-o", "x"}).status, 2);
  EXPECT_EQ(runOrvdump({"--gltf", "--size", "10x10", "scene.orv", "-o", "x"}).status, 2);
  for (const char* size : {"0x10", "10x", "x10", "10x10x", "9000x10", "ten"}) {
    const Finished run = runOrvdump({"--preview", "--size", size, "scene.orv", "-o", "x.png"});
    EXPECT_EQ(run.status, 2) << size;
    EXPECT_NE(run.err.find("WxH"), std::string::npos) << run.err;
  }
  const Finished help = runOrvdump({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--external-images"), std::string::npos) << help.out;
}

TEST(GltfExample, TheExampleHouseExportsToAValidFileWithAllItsTriangles) {
  TempFolder folder("orvdump-house");
  const fs::path scene = folder.path / "house.orv", glb = folder.path / "house.glb";
  const Finished exported =
      RunProgram({ORVEXPORT_PATH, std::string(EXAMPLES_DIR) + "/house.json", "-o", scene.string()});
  ASSERT_EQ(exported.status, 0) << exported.err;
  const Finished run = runOrvdump({"--gltf", scene.string(), "-o", glb.string()});
  ASSERT_EQ(run.status, 0) << run.err;

  // Every polygon is a fan of triangles; those with a repeated corner have no area.
  std::size_t expected = 0;
  for (const scene::ObjectDefinition& definition : scene::readSceneFile(scene).objectDefinitions) {
    for (const scene::PolygonRef polygon : definition.polygons) {
      const std::span<const int> c = polygon.vertexIndices;
      for (std::size_t i = 1; i + 1 < c.size(); ++i) {
        expected += c[0] != c[i] && c[i] != c[i + 1] && c[0] != c[i + 1];
      }
    }
  }
  std::size_t triangles = 0;
  const tinygltf::Model model = readGlb(glb);
  for (const tinygltf::Mesh& mesh : model.meshes) {
    for (const tinygltf::Primitive& primitive : mesh.primitives) {
      triangles += triangleCount(model, primitive);
    }
  }
  EXPECT_GT(expected, 0u);
  EXPECT_EQ(triangles, expected);
  EXPECT_GLTF_VALID(glb);
}

}  // namespace
