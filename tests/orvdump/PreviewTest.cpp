// The preview picture: pixels that must hold (the background where there is no geometry, a
// quad's colour at its projected centre, nearer geometry hiding farther), which camera it is seen
// through, and orvdump --preview run as a user runs it.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>

#include "ExportTestSupport.h"
#include "TempFolder.h"
#include "preview/Preview.h"

namespace {

using namespace QzOrv;
using namespace QzOrv::test;
using scene::Rgb;
namespace fs = std::filesystem;

constexpr Rgb kRed{200, 60, 40};
constexpr Rgb kBlue{40, 80, 210};

/// A square of side 2 × `half` cm facing -Y, centred on (x, y, z).
std::array<OrvPoint, 4> squareFacingFront(double x, double y, double z, double half) {
  return {{{x - half, y, z - half},
           {x + half, y, z - half},
           {x + half, y, z + half},
           {x - half, y, z + half}}};
}

void place(scene::Scene& scene, const scene::ObjectDefinition& definition) {
  scene.objectDefinitions.push_back(definition);
  scene::ObjectInstance instance = instanceOf(definition, *definition.name);
  scene.objectInstances.push_back(instance);
}

/// A camera 10 m in front of the origin, looking at it along +Y: +X is to the right, +Z up, and
/// 0.8 cm at the origin is one pixel of an 800 × 600 picture.
scene::Camera frontCamera() {
  return cameraAt("Front", {0, -1000, 0}, {0, 0, 0});
}

scene::Picture render(const scene::Scene& scene, std::vector<std::string>* warnings = nullptr,
                      scene::PictureSize size = {}) {
  std::vector<std::string> ignored;
  return scene::renderPreview(scene, size, warnings != nullptr ? *warnings : ignored);
}

/// Expects `pixel` to be `colour` lit by some amount between the ambient light alone and full
/// light: every channel scaled by the same factor.
void expectLitColour(Rgb pixel, Rgb colour) {
  const double factor = static_cast<double>(std::max({pixel.r, pixel.g, pixel.b})) /
                        std::max({colour.r, colour.g, colour.b});
  EXPECT_GE(factor, scene::kAmbientLight - 0.01);
  EXPECT_LE(factor, 1.0);
  EXPECT_NEAR(pixel.r, colour.r * factor, 1.5);
  EXPECT_NEAR(pixel.g, colour.g * factor, 1.5);
  EXPECT_NEAR(pixel.b, colour.b * factor, 1.5);
}

testing::AssertionResult isBackground(Rgb pixel) {
  if (pixel == scene::kBackground) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "pixel (" << int(pixel.r) << ", " << int(pixel.g) << ", "
                                     << int(pixel.b) << ") is not the background";
}

TEST(Preview, ShowsTheBackgroundAroundAQuadAndItsColourAtItsCentre) {
  scene::Scene scene;
  place(scene, quadDefinition(1, "Red", squareFacingFront(0, 0, 0, 100), kRed));
  scene.cameras.push_back(frontCamera());
  const scene::Picture picture = render(scene);
  ASSERT_EQ(picture.width, 800);
  ASSERT_EQ(picture.height, 600);

  expectLitColour(picture.at(400, 300), kRed);
  // The quad reaches 100 / 0.8 = 125 pixels from the centre each way.
  expectLitColour(picture.at(400 + 122, 300 - 122), kRed);
  EXPECT_TRUE(isBackground(picture.at(400 + 128, 300)));
  EXPECT_TRUE(isBackground(picture.at(400, 300 + 128)));
  EXPECT_TRUE(isBackground(picture.at(0, 0)));
  EXPECT_TRUE(isBackground(picture.at(799, 599)));
}

TEST(Preview, ANearerQuadHidesAFartherOneWhicheverIsDrawnFirst) {
  const scene::ObjectDefinition far =
      quadDefinition(1, "Far", squareFacingFront(0, 0, 0, 100), kRed);
  // 3 m nearer: it reaches 50 / (0.24 × 700) × 300 = 89 pixels from the centre.
  const scene::ObjectDefinition near =
      quadDefinition(2, "Near", squareFacingFront(0, -300, 0, 50), kBlue);
  for (const bool nearFirst : {false, true}) {
    SCOPED_TRACE(nearFirst ? "near quad first" : "far quad first");
    scene::Scene scene;
    place(scene, nearFirst ? near : far);
    place(scene, nearFirst ? far : near);
    scene.cameras.push_back(frontCamera());
    const scene::Picture picture = render(scene);
    expectLitColour(picture.at(400, 300), kBlue);
    expectLitColour(picture.at(400 - 86, 300 + 86), kBlue);
    expectLitColour(picture.at(400 + 105, 300), kRed);
  }
}

TEST(Preview, IsSeenThroughTheCurrentCameraElseTheFirstCameraElseTheFirstView) {
  scene::Scene scene;
  place(scene, quadDefinition(1, "Red", squareFacingFront(0, 0, 0, 100), kRed));
  place(scene, quadDefinition(2, "Blue", squareFacingFront(5000, 0, 0, 100), kBlue));
  scene::Camera broken = frontCamera();
  broken.name = "Broken";
  broken.target.reset();
  scene::Camera atBlue = cameraAt("At blue", {5000, -1000, 0}, {5000, 0, 0});
  scene::View viewOfBlue;
  viewOfBlue.name = "Blue front";
  viewOfBlue.eye = OrvPoint{5000, -1000, 0};
  viewOfBlue.target = OrvPoint{5000, 1000, 0};
  viewOfBlue.fieldSize = 500;

  scene.cameras.push_back(broken);
  scene.cameras.push_back(frontCamera());
  scene.cameras.push_back(atBlue);
  scene.views.push_back(viewOfBlue);
  std::vector<std::string> warnings;
  expectLitColour(render(scene, &warnings).at(400, 300), kRed);
  EXPECT_EQ(warnings,
            std::vector<std::string>{
                "cameras[0] \"Broken\": its eye and target give no direction to look in; the "
                "picture is not seen through it"});

  scene.cameras[2].current = true;
  expectLitColour(render(scene).at(400, 300), kBlue);

  scene.cameras = {};
  expectLitColour(render(scene).at(400, 300), kBlue);
}

TEST(Preview, AParallelViewShowsItsFieldSizeAcrossThePictureDiagonal) {
  scene::Scene scene;
  // 80 × 60 cm on the ground: its diagonal is 100 cm.
  place(scene, quadDefinition(1, "Mat", {{{-40, -30, 0}, {40, -30, 0}, {40, 30, 0}, {-40, 30, 0}}},
                              kBlue));
  scene::View top;
  top.eye = OrvPoint{0, 0, 1000};
  top.target = OrvPoint{0, 0, -1000};
  top.fieldSize = 100;
  scene.views.push_back(top);
  scene::Picture picture = render(scene);
  for (const auto& [x, y] : {std::pair{1, 1}, {798, 1}, {1, 598}, {798, 598}, {400, 300}}) {
    expectLitColour(picture.at(x, y), kBlue);
  }

  scene.views[0].fieldSize = 200;
  picture = render(scene);
  expectLitColour(picture.at(400 + 195, 300 + 145), kBlue);
  EXPECT_TRUE(isBackground(picture.at(400 + 205, 300)));
  EXPECT_TRUE(isBackground(picture.at(400, 300 + 155)));
}

TEST(Preview, WithoutCameraOrViewAThreeQuarterViewFramesTheWholeScene) {
  scene::Scene scene;
  place(scene, quadDefinition(1, "Ground",
                              {{{0, 0, 0}, {3000, 0, 0}, {3000, 2000, 0}, {0, 2000, 0}}}, kBlue));
  place(scene, quadDefinition(2, "Wall", squareFacingFront(1500, 1000, 0, 400), kRed));
  const scene::Picture picture = render(scene);

  int left = picture.width, right = -1, top = picture.height, bottom = -1;
  int wall = 0;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const Rgb pixel = picture.at(x, y);
      if (pixel == scene::kBackground) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
      wall += pixel.r > pixel.b;
    }
  }
  // Nothing touches the border, and the scene fills most of the width or the height.
  EXPECT_GT(left, 0);
  EXPECT_GT(top, 0);
  EXPECT_LT(right, picture.width - 1);
  EXPECT_LT(bottom, picture.height - 1);
  EXPECT_TRUE(right - left > picture.width * 0.6 || bottom - top > picture.height * 0.6)
      << left << " " << right << " " << top << " " << bottom;
  // The wall shows: the eye is in front of it, above the ground.
  EXPECT_GT(wall, 1000);
}

TEST(Preview, GeometryBehindTheEyeIsCutAwayNotFoldedIntoThePicture) {
  scene::Scene scene;
  // Ground reaching far behind an eye 1 m above it, which looks level along +Y.
  place(scene,
        quadDefinition(1, "Ground",
                       {{{-1e4, -1e4, 0}, {1e4, -1e4, 0}, {1e4, 1e4, 0}, {-1e4, 1e4, 0}}}, kBlue));
  scene.cameras.push_back(cameraAt("Level", {0, 0, 100}, {0, 1000, 100}));
  const scene::Picture picture = render(scene);
  expectLitColour(picture.at(400, 590), kBlue);
  expectLitColour(picture.at(5, 330), kBlue);
  EXPECT_TRUE(isBackground(picture.at(400, 290)));
  EXPECT_TRUE(isBackground(picture.at(5, 5)));
}

TEST(Preview, ASceneWithoutGeometryShowsTheBackgroundWithAWarning) {
  scene::Scene scene;
  scene.objectDefinitions.push_back(
      quadDefinition(1, "Unplaced", squareFacingFront(0, 0, 0, 100), kRed));
  std::vector<std::string> warnings;
  const scene::Picture picture = render(scene, &warnings, {64, 48});
  EXPECT_EQ(picture.rgb, scene::Picture(64, 48, scene::kBackground).rgb);
  EXPECT_EQ(warnings, std::vector<std::string>{"the scene places no geometry: the picture shows "
                                               "only the background"});
}

/// The colour `pane` shows laid over `behind` with `opacity`.
Rgb over(Rgb pane, Rgb behind, double opacity) {
  auto mix = [opacity](int front, int back) {
    return static_cast<std::uint8_t>(front * opacity + back * (1 - opacity) + 0.5);
  };
  return {mix(pane.r, behind.r), mix(pane.g, behind.g), mix(pane.b, behind.b)};
}

/// `colour` on a surface facing a front camera squarely.
Rgb litFacingFront(Rgb colour) {
  const double light = scene::kAmbientLight + scene::kDirectLight / std::hypot(0.4, 0.6, 1.0);
  auto lit = [light](int c) { return static_cast<std::uint8_t>(c * light + 0.5); };
  return {lit(colour.r), lit(colour.g), lit(colour.b)};
}

void expectNear(Rgb pixel, Rgb expected, int tolerance) {
  EXPECT_NEAR(pixel.r, expected.r, tolerance);
  EXPECT_NEAR(pixel.g, expected.g, tolerance);
  EXPECT_NEAR(pixel.b, expected.b, tolerance);
}

TEST(Preview, ATransparentPaneShowsWhatLiesBehindItWhateverTheOrder) {
  // A blue pane of opacity 0.5, 3 m in front of a red quad and larger than it.
  scene::ObjectDefinition pane =
      quadDefinition(2, "Pane", squareFacingFront(0, -300, 0, 150), kBlue);
  pane.materials[0].transparency = OrvColor{0, 128, 127, 127};  // 127.33 / 255 clear
  const double opacity = 1 - 127.33 / 255;
  const scene::ObjectDefinition wall =
      quadDefinition(1, "Wall", squareFacingFront(0, 0, 0, 100), kRed);
  for (const bool paneFirst : {true, false}) {
    SCOPED_TRACE(paneFirst ? "pane first" : "wall first");
    scene::Scene scene;
    place(scene, paneFirst ? pane : wall);
    place(scene, paneFirst ? wall : pane);
    scene.cameras.push_back(frontCamera());
    const scene::Picture picture = render(scene);
    const Rgb blue = litFacingFront(kBlue);
    expectNear(picture.at(400, 300), over(blue, litFacingFront(kRed), opacity), 2);
    // Beside the wall, 150 / (0.24 × 700) × 300 = 268 pixels wide, it lies over the background.
    expectNear(picture.at(400 + 200, 300), over(blue, scene::kBackground, opacity), 2);
    EXPECT_TRUE(isBackground(picture.at(400 + 280, 300)));
  }
}

TEST(Preview, AnImageTextureShowsWhereItsFileIsReadAndTheColourWhereNot) {
  TempFolder folder{"orvdump-preview-texture"};
  // Two pixels, red then blue, across the whole quad once: a planar mapping from its top left
  // corner, one repeat of 200 × 200 cm.
  scene::Picture image(2, 1, kRed);
  image.set(1, 0, kBlue);
  fs::create_directories(folder.path / "maps");
  scene::writePng(image, folder.path / "maps" / "two.png");
  scene::ObjectDefinition quad =
      quadDefinition(1, "Painted", squareFacingFront(0, 0, 0, 100), {90, 90, 90});
  scene::Material& material = quad.materials[0];
  material.textureFile = "maps/two.png";
  material.mappingKind = 0;
  material.mappingFrame = scene::Frame{{-100, 0, 100}, {1, 0, 0}, {0, 0, 1}};
  material.textureSize = scene::TextureSize{200, 200};
  scene::Scene scene;
  place(scene, quad);
  scene.cameras.push_back(frontCamera());

  std::vector<std::string> warnings;
  scene::Picture picture =
      scene::renderPreview(scene, {}, warnings, {folder.path, scene::kDefaultCreaseDegrees});
  EXPECT_EQ(warnings, std::vector<std::string>{});
  // 50 cm left and right of the middle, 62 pixels each way.
  expectNear(picture.at(400 - 62, 300 - 60), litFacingFront(kRed), 1);
  expectNear(picture.at(400 + 62, 300 + 60), litFacingFront(kBlue), 1);

  scene.objectDefinitions[0].materials[0].textureFile = "maps/missing.png";
  picture = scene::renderPreview(scene, {}, warnings, {folder.path, scene::kDefaultCreaseDegrees});
  expectNear(picture.at(400 - 62, 300), litFacingFront({90, 90, 90}), 1);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("objectDefinitions[0] \"Painted\", material 0 \"Painted\": texture "
                             "file "),
            std::string::npos)
      << warnings[0];
  EXPECT_NE(warnings[0].find("missing.png does not exist; drawn in its colour"), std::string::npos)
      << warnings[0];
}

/// A regular prism of `sides` faces around the vertical axis, 100 cm in radius and 200 cm high,
/// its faces welded to their neighbours.
scene::ObjectDefinition prism(int sides) {
  std::vector<OrvPoint> points;
  std::vector<std::vector<int>> faces;
  for (int i = 0; i < sides; ++i) {
    const double angle = 2 * std::numbers::pi * (i + 0.5) / sides;
    points.push_back({100 * std::cos(angle), 100 * std::sin(angle), -100});
    points.push_back({100 * std::cos(angle), 100 * std::sin(angle), 100});
    const int next = (i + 1) % sides;
    faces.push_back({2 * i, 2 * next, 2 * next + 1, 2 * i + 1});
  }
  return definitionOf(1, "Prism", points, faces, colouredMaterial("Prism", kRed));
}

TEST(Preview, SmoothSurfacesShadeWithoutStepsAndCreasesKeepThem) {
  scene::Scene scene;
  place(scene, prism(24));
  scene.cameras.push_back(frontCamera());
  // The largest step in brightness between neighbouring pixels across the prism's middle.
  auto largestStep = [&scene](double crease) {
    std::vector<std::string> warnings;
    const scene::Picture picture = scene::renderPreview(scene, {}, warnings, {{}, crease});
    int step = 0;
    for (int x = 400 - 100; x < 400 + 100; ++x) {
      step = std::max(step, std::abs(picture.at(x + 1, 300).r - picture.at(x, 300).r));
    }
    return step;
  };
  const int smooth = largestStep(scene::kDefaultCreaseDegrees), flat = largestStep(0);
  EXPECT_LE(smooth, 3);
  EXPECT_GE(flat, 6);
}

TEST(Preview, ACylindricalTextureJoinsAtItsSeamWithoutTheWholeImageSqueezedBetween) {
  TempFolder folder{"orvdump-preview-seam"};
  // Red, grey, grey, blue around the prism, starting where it faces the camera (-Y) and
  // turning towards +X: left of the middle the image's right edge (blue), right of it its left
  // edge (red), and the face across the seam must not show the grey between them.
  scene::Picture image(4, 1, {128, 128, 128});
  image.set(0, 0, kRed);
  image.set(3, 0, kBlue);
  scene::writePng(image, folder.path / "round.png");
  scene::ObjectDefinition round = prism(24);
  scene::Material& material = round.materials[0];
  material.textureFile = "round.png";
  material.mappingKind = 5;
  material.mappingFrame = scene::Frame{{0, 0, -100}, {0, -100, 0}, {0, 0, 200}};
  scene::Scene scene;
  place(scene, round);
  scene.cameras.push_back(frontCamera());
  std::vector<std::string> warnings;
  const scene::Picture picture =
      scene::renderPreview(scene, {}, warnings, {folder.path, scene::kDefaultCreaseDegrees});
  EXPECT_EQ(warnings, std::vector<std::string>{});
  // The face across the seam is 26 cm wide, 32 pixels at 0.8 cm a pixel (seen from 9 m).
  for (const int dx : {2, 6, 12}) {
    SCOPED_TRACE(dx);
    expectLitColour(picture.at(400 - dx, 300), kBlue);
    expectLitColour(picture.at(400 + dx, 300), kRed);
  }
}

/// The PNG file at `file`, read back as RGB.
scene::Picture readPng(const fs::path& file) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  scene::Picture picture;
  if (!png_image_begin_read_from_file(&image, file.c_str())) {
    ADD_FAILURE() << file << ": " << image.message;
    return picture;
  }
  image.format = PNG_FORMAT_RGB;
  picture = scene::Picture(static_cast<int>(image.width), static_cast<int>(image.height), {});
  EXPECT_TRUE(png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr))
      << image.message;
  return picture;
}

class PreviewCommand : public ::testing::Test {
 protected:
  TempFolder folder{"orvdump-preview"};
  const fs::path sceneFile = folder.path / "scene.orv";
  const fs::path png = folder.path / "scene.png";
};

TEST_F(PreviewCommand, WritesAPngOfTheRequestedSize) {
  scene::Scene scene;
  place(scene, quadDefinition(1, "Red", squareFacingFront(0, 0, 0, 100), kRed));
  scene.cameras.push_back(frontCamera());
  saveScene(scene, sceneFile);

  Finished run = runOrvdump({"--preview", sceneFile.string(), "-o", png.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  scene::Picture picture = readPng(png);
  EXPECT_EQ(picture.width, 800);
  EXPECT_EQ(picture.height, 600);

  run = runOrvdump({"--preview", "--size", "320x200", sceneFile.string(), "-o", png.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  picture = readPng(png);
  ASSERT_EQ(picture.width, 320);
  ASSERT_EQ(picture.height, 200);
  expectLitColour(picture.at(160, 100), kRed);
  EXPECT_TRUE(isBackground(picture.at(0, 0)));
}

TEST_F(PreviewCommand, AnEmptySceneGivesTheBackgroundAndAWarning) {
  saveScene(scene::Scene{}, sceneFile);
  const Finished run =
      runOrvdump({"--preview", "--size", "40x30", sceneFile.string(), "-o", png.string()});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "orvdump: warning: " + sceneFile.string() +
                         ": the scene places no geometry: the picture shows only the background\n");
  EXPECT_EQ(readPng(png).rgb, scene::Picture(40, 30, scene::kBackground).rgb);
}

TEST_F(PreviewCommand, AnUnreadableSceneWritesNothingAndExitsWith2) {
  std::ofstream(sceneFile) << "just some notes, not a scene\n";
  const Finished run = runOrvdump({"--preview", sceneFile.string(), "-o", png.string()});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("bad magic"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(png));
}

}  // namespace
