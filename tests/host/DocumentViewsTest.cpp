// The document's views, earth anchor point and sun as the loader reads them: every key, the
// defaults, the active and maximised view, and the strict errors.
#include <gtest/gtest.h>

#include <string>

#include "DocumentTestSupport.h"

namespace {

std::string Utf8(const wchar_t* text) {
  return ON_String(text).Array();
}

ON_SimpleArray<CRhinoView*> ViewsOf(const CRhinoDoc& doc, bool model, bool page) {
  ON_SimpleArray<CRhinoView*> views;
  doc.GetViewList(views, model, page);
  return views;
}

TEST(DocumentViews, ReadEveryKeyAndTheActiveMaximisedView) {
  CRhinoDoc doc;
  Load(R"({"views": [
        {"name": "Top", "projection": "parallel", "location": [0, 0, 10],
         "direction": [0, 0, -1], "width": 30, "height": 40},
        {"name": "Perspective", "location": [-5, -5, 4], "direction": [1, 1, -0.5],
         "up": [0, 0, 2], "width": 2, "height": 1, "near": 0.5, "far": 50,
         "active": true, "maximized": true},
        {"name": "Sheet", "projection": "parallel", "location": [0, 0, 1],
         "direction": [0, 0, -1], "width": 297, "height": 210, "page": true}
      ]})",
       doc);
  const ON_SimpleArray<CRhinoView*> model = ViewsOf(doc, true, false);
  ASSERT_EQ(model.Count(), 2);
  ASSERT_EQ(ViewsOf(doc, false, true).Count(), 1);

  const CRhinoViewport& top = model[0]->MainViewport();
  EXPECT_EQ(Utf8(top.Name()), "Top");
  EXPECT_TRUE(top.VP().IsParallelProjection());
  EXPECT_EQ(top.VP().FrustumWidth(), 30);
  EXPECT_EQ(top.VP().FrustumHeight(), 40);
  EXPECT_EQ(top.VP().CameraUp().y, 1);  // looking straight down, +y is up
  EXPECT_FALSE(model[0]->IsMaximized());

  const CRhinoViewport& perspective = model[1]->MainViewport();
  EXPECT_TRUE(perspective.VP().IsPerspectiveProjection());
  EXPECT_EQ(perspective.VP().CameraLocation(), ON_3dPoint(-5, -5, 4));
  EXPECT_EQ(perspective.VP().CameraDirection().z, -0.5);
  EXPECT_EQ(perspective.VP().CameraUp().z, 2);
  double nearDistance = 0, farDistance = 0, left = 0;
  perspective.VP().GetFrustum(&left, nullptr, nullptr, nullptr, &nearDistance, &farDistance);
  EXPECT_EQ(left, -1);
  EXPECT_EQ(nearDistance, 0.5);
  EXPECT_EQ(farDistance, 50);
  EXPECT_EQ(RhinoApp().ActiveView(), model[1]);
  EXPECT_TRUE(model[1]->IsMaximized());
}

TEST(DocumentViews, DefaultToAPerspectiveViewLookingWithZUpAndNoActiveView) {
  CRhinoDoc doc;
  Load(R"({"views": [{"location": [0, -10, 0], "direction": [0, 1, 0], "width": 4,
                      "height": 3}]})",
       doc);
  const ON_SimpleArray<CRhinoView*> views = ViewsOf(doc, true, false);
  ASSERT_EQ(views.Count(), 1);
  const ON_Viewport& vp = views[0]->MainViewport().VP();
  EXPECT_TRUE(vp.IsPerspectiveProjection());
  EXPECT_EQ(vp.CameraUp().z, 1);
  double nearDistance = 0, farDistance = 0;
  vp.GetFrustum(nullptr, nullptr, nullptr, nullptr, &nearDistance, &farDistance);
  EXPECT_EQ(nearDistance, 1);
  EXPECT_EQ(farDistance, 1000);
  EXPECT_TRUE(views[0]->MainViewport().Name().IsEmpty());
  EXPECT_EQ(RhinoApp().ActiveView(), nullptr);
}

TEST(DocumentViews, ReadTheEarthAnchorPointAndTheSun) {
  CRhinoDoc doc;
  Load(R"({"earth_anchor": {"name": "Paris", "latitude": 48.8566, "longitude": 2.3522,
                            "north": [1, 1]},
           "sun": {"on": true, "position_only": true, "north": 75, "latitude": -33.8688,
                   "longitude": 151.2093, "time_zone": 10, "daylight_saving": true,
                   "local_time": {"year": 2024, "month": 2, "day": 29, "hours": 14.75},
                   "skylight_shadow_intensity": 0.3}})",
       doc);
  const ON_EarthAnchorPoint anchor = doc.Properties().EarthAnchorPoint();
  EXPECT_EQ(Utf8(anchor.m_name), "Paris");
  EXPECT_EQ(anchor.m_earth_basepoint_latitude, 48.8566);
  EXPECT_EQ(anchor.m_earth_basepoint_longitude, 2.3522);
  EXPECT_EQ(anchor.m_model_north.x, 1);
  EXPECT_EQ(anchor.m_model_north.y, 1);

  const CRhRdkDocSun docSun(doc);
  const IRhRdkSun& sun = docSun.Sun();
  EXPECT_TRUE(sun.On());
  EXPECT_TRUE(sun.PositionOnly());
  EXPECT_EQ(sun.North(), 75);
  EXPECT_EQ(sun.Latitude(), -33.8688);
  EXPECT_EQ(sun.Longitude(), 151.2093);
  EXPECT_EQ(sun.TimeZone(), 10);
  EXPECT_TRUE(sun.DaylightSaving());
  int year = 0, month = 0, day = 0;
  double hours = 0;
  sun.LocalDateTime(year, month, day, hours);
  EXPECT_EQ(year * 10000 + month * 100 + day, 20240229);
  EXPECT_EQ(hours, 14.75);
  EXPECT_EQ(docSun.SkylightShadowIntensity(), 0.3);
}

TEST(DocumentViews, AnAnchorPointWithoutPlaceStaysUnplaced) {
  CRhinoDoc doc;
  Load(R"({"earth_anchor": {"name": "Somewhere"}, "sun": {}})", doc);
  EXPECT_FALSE(ON_IsValid(doc.Properties().EarthAnchorPoint().m_earth_basepoint_latitude));
  EXPECT_FALSE(CRhRdkDocSun(doc).Sun().On());
}

TEST(DocumentViews, RefuseWhatAViewOrSunCannotBe) {
  const std::string view = R"("location": [0, 0, 1], "direction": [0, 0, -1], "width": 1, )"
                           R"("height": 1)";
  const BadDocument cases[] = {
      {R"({"views": [{"direction": [0, 0, -1], "width": 1, "height": 1}]})", "/views/0",
       "missing \"location\""},
      {R"({"views": [{"location": [0, 0, 1], "direction": [0, 0, 0], "width": 1, "height": 1}]})",
       "/views/0/direction", "not zero"},
      {R"({"views": [{"location": [0, 0, 1], "direction": [0, 0, -1], "up": [0, 0, 3], "width": 1,
                      "height": 1}]})",
       "/views/0/up", "not parallel to the direction"},
      {R"({"views": [{"location": [0, 0, 1], "direction": [0, 0, -1], "width": 0, "height": 1}]})",
       "/views/0/width", "greater than 0"},
      {R"({"views": [{"location": [0, 0, 1], "direction": [0, 0, -1], "width": 1, "height": 1,
                      "near": 5, "far": 5}]})",
       "/views/0/far", "beyond the near one"},
      {R"({"views": [{"location": [0, 0, 1], "direction": [0, 0, -1], "width": 1, "height": 1,
                      "near": 2000}]})",
       "/views/0/near", "before the far one"},
      {(R"({"views": [{)" + view + R"(, "projection": "fisheye"}]})"), "/views/0/projection",
       "got \"fisheye\""},
      {(R"({"views": [{)" + view + R"(, "maximized": true}]})"), "/views/0/maximized",
       "only the active view"},
      {(R"({"views": [{)" + view + R"(, "active": true}, {)" + view + R"(, "active": true}]})"),
       "/views/1/active", "view 0 already is"},
      {(R"({"views": [{)" + view + R"(, "lens": 50}]})"), "/views/0/lens", "unknown key"},
      {R"({"earth_anchor": {"latitude": 91}})", "/earth_anchor/latitude", "got 91"},
      {R"({"earth_anchor": {"longitude": -180.5}})", "/earth_anchor/longitude", "got -180.5"},
      {R"({"earth_anchor": {"north": [0, 0]}})", "/earth_anchor/north", "not zero"},
      {R"({"earth_anchor": {"north": [0, 1, 0]}})", "/earth_anchor/north", "[x, y]"},
      {R"({"sun": {"manual": true}})", "/sun/manual", "unknown key"},
      {R"({"sun": {"time_zone": 15}})", "/sun/time_zone", "from -12 to 14"},
      {R"({"sun": {"skylight_shadow_intensity": 2}})", "/sun/skylight_shadow_intensity", "got 2"},
      {R"({"sun": {"local_time": {"year": 2023, "month": 2, "day": 29, "hours": 1}}})",
       "/sun/local_time/day", "from 1 to 28"},
      {R"({"sun": {"local_time": {"year": 2023, "month": 2, "day": 1, "hours": 24.5}}})",
       "/sun/local_time/hours", "from 0 to 24"},
      {R"({"sun": {"local_time": {"year": 2023, "month": 2, "day": 1}}})", "/sun/local_time",
       "missing \"hours\""},
  };
  ExpectEachRefusedWhereItStands(cases);
  EXPECT_EQ(RhinoApp().ActiveView(), nullptr);  // the refused document took its views with it
}

}  // namespace
