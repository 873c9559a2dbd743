// The camera's angle of view against a real model's own frustum: v3_Soccer's perspective view,
// exported with orvexport, seen by orvdump's glTF camera and preview with the same vertical angle
// the host stored for it.
#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "Subprocess.h"
#include "TempFolder.h"
#include "orv/SceneFileReader.h"
#include "preview/PreviewCamera.h"

namespace {

namespace fs = std::filesystem;
using namespace QzOrv;

const fs::path kSoccer = fs::path(SHARED_3DM_DIR) / "v3_Soccer.3dm";

/// Half the vertical angle of the document's view `name`: its frustum's half height over its
/// near distance.
double storedHalfTangent(const nlohmann::json& document, const std::string& name) {
  for (const nlohmann::json& view : document.at("views")) {
    if (view.at("name") == name) {
      return view.at("height").get<double>() / 2 / view.at("near").get<double>();
    }
  }
  ADD_FAILURE() << "no view " << name;
  return 0;
}

TEST(HostFrustum, CamerasSeeTheVerticalAngleOfTheModelsOwnPerspectiveView) {
  if (!fs::is_regular_file(kSoccer)) GTEST_SKIP() << "no shared model " << kSoccer;
  TempFolder folder{"orvdump-frustum"};
  const fs::path sceneFile = folder.path / "soccer.orv", glb = folder.path / "soccer.glb";
  const Finished document = RunProgram({ORVEXPORT_PATH, "--print-document", kSoccer.string()});
  if (document.status == 2 && document.err.find("Node.js") != std::string::npos) {
    GTEST_SKIP() << "node is not installed: .3dm models cannot be read";
  }
  ASSERT_EQ(document.status, 0) << document.err;
  const double stored = storedHalfTangent(nlohmann::json::parse(document.out), "Perspective");
  ASSERT_NEAR(stored, 0.24, 0.001);  // what a 50 mm lens sees on the 24 mm frame height

  const Finished exported =
      RunProgram({ORVEXPORT_PATH, kSoccer.string(), "-o", sceneFile.string()});
  ASSERT_EQ(exported.status, 0) << exported.err;
  const Finished written =
      RunProgram({ORVDUMP_PATH, "--gltf", sceneFile.string(), "-o", glb.string()});
  ASSERT_EQ(written.status, 0) << written.err;
  tinygltf::TinyGLTF reader;
  tinygltf::Model model;
  std::string error, warning;
  ASSERT_TRUE(reader.LoadBinaryFromFile(&model, &error, &warning, glb.string())) << error;
  // The perspective view is the scene's one camera; the parallel views follow it.
  ASSERT_GE(model.cameras.size(), 1u);
  EXPECT_EQ(model.cameras[0].type, "perspective");
  EXPECT_NEAR(model.cameras[0].perspective.yfov, 2 * std::atan(stored), 1e-4);

  std::vector<std::string> warnings;
  const scene::PreviewCamera camera = scene::choosePreviewCamera(
      scene::readSceneFile(sceneFile.string()), scene::Bounds{}, 4.0 / 3, warnings);
  EXPECT_EQ(camera.source, "cameras[0] \"Perspective\"");
  EXPECT_NEAR(camera.halfHeight, stored, 1e-4);
}

}  // namespace
