// The example house exported by orvexport and read back: its light, its sun over its place on
// earth, and its model views as views and cameras tied to that sun and to the visible layer.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "SceneNames.h"
#include "Subprocess.h"
#include "TempFolder.h"
#include "orv/SceneFileReader.h"

namespace {

using QzOrv::OrvPoint;
using QzOrv::scene::Scene;

void ExpectNear(const std::optional<OrvPoint>& point, double x, double y, double z) {
  ASSERT_TRUE(point.has_value());
  EXPECT_NEAR(point->x, x, 1e-9);
  EXPECT_NEAR(point->y, y, 1e-9);
  EXPECT_NEAR(point->z, z, 1e-9);
}

TEST(HouseExample, ExportsItsLightSunViewsAndCameras) {
  TempFolder temp{"house"};
  const std::string target = (temp.path / "house.orv").string();
  const Finished run = RunProgram({ORVEXPORT_PATH, EXAMPLES_DIR "/house.json", "-o", target});
  ASSERT_EQ(run.status, 0) << run.err;
  const Scene scene = QzOrv::scene::readSceneFile(target);

  // The directional light, millimetres become centimetres.
  ASSERT_EQ(namesOf(scene.lights), std::vector<std::string>{"Sun lamp"});
  EXPECT_EQ(scene.lights[0].type, 2);
  ExpectNear(scene.lights[0].position, 400, 300, 1000);
  ExpectNear(scene.lights[0].target, 399.9, 299.9, 999.8);
  EXPECT_EQ(scene.lights[0].shadowMode, 2);

  // The sun is on: its place, north, time zone and time win over the anchor point's defaults.
  ASSERT_EQ(namesOf(scene.heliodons), std::vector<std::string>{"Hillside plot"});
  const QzOrv::scene::Heliodon& sun = scene.heliodons[0];
  EXPECT_EQ(sun.place.latitude, 2842);
  EXPECT_EQ(sun.place.longitude, 512);
  EXPECT_EQ(sun.place.timeZone, 1);
  EXPECT_EQ(sun.place.daylightSaving, true);
  EXPECT_EQ(sun.northAngle, 15);
  EXPECT_EQ(sun.skyShadowIntensity, 0.6);
  EXPECT_EQ(
      std::vector<std::optional<int>>({sun.dateTime.year, sun.dateTime.month, sun.dateTime.day,
                                       sun.dateTime.hour, sun.dateTime.minute}),
      std::vector<std::optional<int>>({2024, 6, 21, 17, 30}));

  // The active perspective view is the current camera; the page view is left out.
  ASSERT_EQ(namesOf(scene.views), (std::vector<std::string>{"Top", "Front"}));
  ASSERT_EQ(namesOf(scene.cameras), std::vector<std::string>{"Perspective"});
  const QzOrv::scene::View& top = scene.views[0];
  EXPECT_EQ(top.viewKind, 1);
  EXPECT_EQ(top.state, 2);
  ExpectNear(top.eye, 400, 300, 2000);
  ExpectNear(top.target, 400, 300, -2000);
  EXPECT_EQ(top.fieldSize, 2500);
  EXPECT_EQ(scene.views[1].viewKind, 0);
  ExpectNear(scene.views[1].target, 400, 2000, 150);

  const QzOrv::scene::Camera& camera = scene.cameras[0];
  EXPECT_TRUE(camera.current);
  ExpectNear(camera.eye, -600, -900, 500);
  // The target lies on the viewing direction, at the far plane: 30 m away.
  ASSERT_TRUE(camera.target.has_value());
  const double dx = camera.target->x + 600, dy = camera.target->y + 900,
               dz = camera.target->z - 500;
  EXPECT_NEAR(std::sqrt(dx * dx + dy * dy + dz * dz), 3000, 1e-9);
  EXPECT_NEAR(dx / 10000, dy / 12000, 1e-12);
  EXPECT_NEAR(dx / 10000, dz / -3500, 1e-12);

  // Every view names the sun and shows the one visible scene layer.
  ASSERT_EQ(namesOf(scene.layers), std::vector<std::string>{"Scene objects"});
  const std::vector<QzOrv::OrvId> shown{scene.layers[0].id};
  for (const auto& settings : {top.settings, scene.views[1].settings, camera.settings}) {
    EXPECT_EQ(settings.heliodon, "Hillside plot");
    EXPECT_EQ(settings.visibleLayers, shown);
  }
}

}  // namespace
