// The earth anchor point and the document sun as the scene heliodon: name, north, place in
// minutes of arc, date and time, the sun off, on, or with only its position counting; and
// values that cannot become the scene's whole numbers.
// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <limits>

#include "LightingTestSupport.h"

namespace lighting_test {
namespace {

using QzOrv::scene::Heliodon;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

class Sun : public LightingTest {
 protected:
  Sun() {
    anchor.m_earth_basepoint_latitude = 48.8566;
    anchor.m_earth_basepoint_longitude = 2.3522;
    anchor.m_name = L"Paris";
  }
  /// Exports the heliodon from `anchor` and the document's sun; the single heliodon read back.
  Heliodon exported() {
    SceneWriter writer(doc);
    EXPECT_TRUE(writer.exportHeliodon(anchor, CRhRdkDocSun(doc)));
    name = writer.heliodonName;
    const QzOrv::scene::Scene scene = saved(writer);
    EXPECT_EQ(scene.heliodons.size(), 1u);
    return scene.heliodons.empty() ? Heliodon() : scene.heliodons[0];
  }
  /// The sun on, somewhere else than the anchor point, at a time of its own.
  void sunOn() {
    CRhRdkSunData& sun = doc.m_rdk_sun;
    sun.m_on = true;
    sun.m_north = 30;
    sun.m_latitude = -33.8688;
    sun.m_longitude = 151.2093;
    sun.m_time_zone = 5.5;
    sun.m_daylight_saving = true;
    sun.m_year = 2021;
    sun.m_month = 3;
    sun.m_day = 7;
    sun.m_hours = 14.75;
  }
  void expectDefaultDate(const Heliodon& heliodon) {
    EXPECT_EQ(heliodon.dateTime.year, 2014);
    EXPECT_EQ(heliodon.dateTime.month, 6);
    EXPECT_EQ(heliodon.dateTime.day, 15);
    EXPECT_EQ(heliodon.dateTime.hour, 12);
    EXPECT_EQ(heliodon.dateTime.minute, 0);
  }

  ON_EarthAnchorPoint anchor;
  CString name;
};

TEST_F(Sun, AnOffSunLeavesTheAnchorPlaceInWholeMinutesAndTheDefaultDate) {
  doc.m_rdk_sun.m_latitude = 10;  // not used while the sun is off
  doc.m_rdk_sun.m_skylight_shadow_intensity = 0.25;
  const Heliodon heliodon = exported();
  EXPECT_EQ(heliodon.name, "Paris");
  EXPECT_EQ(name, CString(L"Paris"));
  EXPECT_EQ(heliodon.enabled, true);
  EXPECT_EQ(heliodon.mode, 2);
  EXPECT_EQ(heliodon.subMode, 0);
  EXPECT_EQ(heliodon.place.latitude, 2931);  // 2931.396 truncated
  EXPECT_EQ(heliodon.place.longitude, 141);
  EXPECT_EQ(heliodon.northAngle, 0);
  EXPECT_EQ(heliodon.skyShadowIntensity, 0.25);
  expectDefaultDate(heliodon);
  EXPECT_FALSE(heliodon.place.timeZone.has_value());
  EXPECT_FALSE(heliodon.place.daylightSaving.has_value());
}

TEST_F(Sun, TheModelNorthGivesTheNorthAngle) {
  const struct {
    ON_3dVector north;
    double angle;
  } cases[] = {{{0, 1, 0}, 0}, {{1, 0, 0}, -90}, {{-1, 0, 0}, 90}, {{0, 0, 0}, -90}};
  for (const auto& c : cases) {
    anchor.m_model_north = c.north;
    EXPECT_DOUBLE_EQ(exported().northAngle.value_or(kNaN), c.angle) << c.north.x;
  }
}

TEST_F(Sun, AnUnnamedAnchorPointGivesTheUnnamedHeliodon) {
  anchor.m_name.Empty();
  EXPECT_EQ(exported().name, "Unnamed heliodon");
  EXPECT_EQ(name, CString(L"Unnamed heliodon"));
}

TEST_F(Sun, AnOnSunGivesPlaceNorthTimeZoneAndTimeTruncatedTowardsZero) {
  sunOn();
  const Heliodon heliodon = exported();
  EXPECT_EQ(heliodon.northAngle, -60);
  EXPECT_EQ(heliodon.place.latitude, -2032);  // -2032.128
  EXPECT_EQ(heliodon.place.longitude, 9072);  // 9072.558
  EXPECT_EQ(heliodon.place.timeZone, 5);
  EXPECT_EQ(heliodon.place.daylightSaving, true);
  EXPECT_EQ(heliodon.dateTime.year, 2021);
  EXPECT_EQ(heliodon.dateTime.month, 3);
  EXPECT_EQ(heliodon.dateTime.day, 7);
  EXPECT_EQ(heliodon.dateTime.hour, 14);
  EXPECT_EQ(heliodon.dateTime.minute, 45);

  doc.m_rdk_sun.m_time_zone = -3.5;
  EXPECT_EQ(exported().place.timeZone, -3);
}

TEST_F(Sun, WhenOnlyItsPositionCountsTheDateStaysAndNoTimeZoneIsSent) {
  sunOn();
  doc.m_rdk_sun.m_position_only = true;
  const Heliodon heliodon = exported();
  EXPECT_EQ(heliodon.northAngle, -60);
  EXPECT_EQ(heliodon.place.latitude, -2032);
  expectDefaultDate(heliodon);
  EXPECT_FALSE(heliodon.place.timeZone.has_value());
  EXPECT_FALSE(heliodon.place.daylightSaving.has_value());
}

TEST_F(Sun, AnExistingHeliodonIsFilledAgainRatherThanASecondAdded) {
  SceneWriter writer(doc);
  EXPECT_TRUE(writer.exportHeliodon(anchor, CRhRdkDocSun(doc)));
  anchor.m_name = L"Lyon";
  EXPECT_TRUE(writer.exportHeliodon(anchor, CRhRdkDocSun(doc)));
  const QzOrv::scene::Scene scene = saved(writer);
  ASSERT_EQ(scene.heliodons.size(), 1u);
  EXPECT_EQ(scene.heliodons[0].name, "Lyon");
}

TEST_F(Sun, AnAnchorPointNeverPlacedIsAtLatitudeAndLongitudeZero) {
  SceneWriter writer(doc);  // the document's own anchor point was never placed
  writer.exportSun();
  const QzOrv::scene::Scene scene = saved(writer);
  ASSERT_EQ(scene.heliodons.size(), 1u);
  EXPECT_EQ(scene.heliodons[0].place.latitude, 0);
  EXPECT_EQ(scene.heliodons[0].place.longitude, 0);
  EXPECT_EQ(scene.heliodons[0].name, "Unnamed heliodon");
}

TEST_F(Sun, NumbersThatCannotBeWholeOnesReadAsZeroOrAreLimited) {
  sunOn();
  CRhRdkSunData& sun = doc.m_rdk_sun;
  sun.m_latitude = kNaN;
  sun.m_longitude = 1e300;
  sun.m_time_zone = kInfinity;
  sun.m_hours = ON_UNSET_VALUE;
  Heliodon heliodon = exported();
  EXPECT_EQ(heliodon.place.latitude, 0);
  EXPECT_EQ(heliodon.place.longitude, 180 * 60);
  EXPECT_EQ(heliodon.place.timeZone, 0);
  EXPECT_EQ(heliodon.dateTime.hour, 0);
  EXPECT_EQ(heliodon.dateTime.minute, 0);

  sun.m_latitude = -1e12;
  sun.m_time_zone = -1e12;
  sun.m_hours = 1e12;
  sun.m_north = kNaN;
  heliodon = exported();
  EXPECT_EQ(heliodon.place.latitude, -90 * 60);
  EXPECT_EQ(heliodon.place.timeZone, -24);
  EXPECT_EQ(heliodon.dateTime.hour, 24);
  EXPECT_EQ(heliodon.northAngle, -90);
}

}  // namespace
}  // namespace lighting_test
