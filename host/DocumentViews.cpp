#include <cmath>

#include "DocumentReading.h"

namespace document {

namespace {

// ---- views

ON::view_projection Projection(const Node& projection) {
  const std::string name = projection.text();
  if (name == "parallel") return ON::parallel_view;
  if (name == "perspective") return ON::perspective_view;
  projection.expected("a projection (parallel, perspective)");
}

/// A vector the viewport takes as a direction: not zero, and short enough to measure.
ON_3dVector Direction(const Node& vector) {
  const ON_3dVector v = ReadVector(vector);
  if (ON_3dVector unit = v; !unit.Unitize())
    vector.expected("a direction: a vector that is not zero");
  return v;
}

/// A viewport from one entry of "views": camera, frustum (centred on the viewing direction) and
/// projection.
ON_Viewport ReadViewport(const Node& view) {
  ON_Viewport vp;
  if (auto projection = view.member("projection"))
    vp.SetProjection(Projection(*projection));
  else
    vp.SetProjection(ON::perspective_view);
  vp.SetCameraLocation(ReadPoint(view.required("location", "the camera's point")));
  const Node directionNode = view.required("direction", "the camera's viewing direction");
  vp.SetCameraDirection(Direction(directionNode));
  ON_3dPoint unused;
  const auto hasFrame = [&] { return vp.GetFarRect(unused, unused, unused, unused); };
  if (auto up = view.member("up")) {
    vp.SetCameraUp(Direction(*up));
    if (!hasFrame()) up->expected("an up vector that is not parallel to the direction");
  } else {
    // Looking (nearly) straight up or down, the usual up (+z) gives no frame; +y is up then.
    vp.SetCameraUp(ON_3dVector::ZAxis);
    if (!hasFrame()) vp.SetCameraUp(ON_3dVector::YAxis);
  }

  const double width = view.required("width", "the frustum's width at the near plane").positive();
  const double height =
      view.required("height", "the frustum's height at the near plane").positive();
  double nearDistance = 1.0, farDistance = 1000.0;
  if (auto node = view.member("near")) nearDistance = node->positive();
  if (auto node = view.member("far")) {
    farDistance = node->positive();
    if (!(farDistance > nearDistance))
      node->expected("a far distance beyond the near one (" + ShowNumber(nearDistance) + ")");
  } else if (!(farDistance > nearDistance)) {
    view.member("near")->expected("a near distance before the far one (1000)");
  }
  if (!vp.SetFrustum(-width / 2, width / 2, -height / 2, height / 2, nearDistance, farDistance))
    view.fail("a frustum of " + ShowNumber(width) + " by " + ShowNumber(height) +
              " is too small to use");
  return vp;
}

bool FlagOr(const Node& object, const std::string& key, bool otherwise) {
  auto node = object.member(key);
  return node ? node->flag() : otherwise;
}

double NumberOr(const Node& object, const std::string& key, double lo, double hi,
                double otherwise) {
  auto node = object.member(key);
  return node ? node->number(lo, hi) : otherwise;
}

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysIn(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

void ReadLocalTime(const Node& time, CRhRdkSunData& sun) {
  time.checkKeys({"year", "month", "day", "hours"});
  sun.m_year = time.required("year", "the year").integer(1, 9999);
  sun.m_month = time.required("month", "the month, 1 to 12").integer(1, 12);
  sun.m_day =
      time.required("day", "the day of the month").integer(1, DaysIn(sun.m_year, sun.m_month));
  sun.m_hours = time.required("hours", "the hour of the day with its fraction").number(0, 24);
}

}  // namespace

void ReadViews(const Node& views, CRhinoDoc& doc) {
  std::optional<std::size_t> activeEntry;  // the index of the active view
  const std::vector<Node> entries = views.elements();
  for (std::size_t index = 0; index < entries.size(); ++index) {
    const Node& view = entries[index];
    view.checkKeys({"name", "projection", "location", "direction", "up", "width", "height", "near",
                    "far", "active", "maximized", "page"});
    CRhinoViewport viewport(ReadViewport(view));
    if (auto name = view.member("name")) viewport.SetName(Wide(name->text()));
    const bool page = FlagOr(view, "page", false);
    CRhinoView* added = doc.AddView(page ? new CRhinoPageView(viewport) : new CRhinoView(viewport));
    const bool active = FlagOr(view, "active", false);
    if (active) {
      if (activeEntry)
        view.member("active")->fail("only one view can be active, and view " +
                                    std::to_string(*activeEntry) + " already is");
      activeEntry = index;
      RhinoApp().SetActiveView(added);
    }
    if (auto maximized = view.member("maximized"); maximized && maximized->flag()) {
      if (!active) maximized->fail("only the active view can be maximized: add \"active\": true");
      added->Maximize();
    }
  }
}

void ReadEarthAnchor(const Node& anchor, CRhinoDoc& doc) {
  anchor.checkKeys({"name", "latitude", "longitude", "north"});
  ON_EarthAnchorPoint point;
  if (auto name = anchor.member("name")) point.m_name = Wide(name->text());
  if (auto latitude = anchor.member("latitude"))
    point.m_earth_basepoint_latitude = latitude->number(-90, 90);
  if (auto longitude = anchor.member("longitude"))
    point.m_earth_basepoint_longitude = longitude->number(-180, 180);
  if (auto north = anchor.member("north")) {
    if (!north->isArray() || north->size() != 2) north->expected("a direction [x, y]");
    const std::vector<Node> xy = north->elements();
    point.m_model_north = ON_3dVector(xy[0].finite(), xy[1].finite(), 0.0);
    if (!(point.m_model_north.Length() > 0.0))
      north->expected("a direction [x, y] that is not zero");
  }
  doc.Properties().SetEarthAnchorPoint(point);
}

void ReadSun(const Node& sunNode, CRhinoDoc& doc) {
  sunNode.checkKeys({"on", "position_only", "north", "latitude", "longitude", "time_zone",
                     "daylight_saving", "local_time", "skylight_shadow_intensity"});
  CRhRdkSunData& sun = doc.m_rdk_sun;
  sun.m_on = FlagOr(sunNode, "on", sun.m_on);
  sun.m_position_only = FlagOr(sunNode, "position_only", sun.m_position_only);
  if (auto north = sunNode.member("north")) sun.m_north = north->finite();
  sun.m_latitude = NumberOr(sunNode, "latitude", -90, 90, sun.m_latitude);
  sun.m_longitude = NumberOr(sunNode, "longitude", -180, 180, sun.m_longitude);
  sun.m_time_zone = NumberOr(sunNode, "time_zone", -12, 14, sun.m_time_zone);
  sun.m_daylight_saving = FlagOr(sunNode, "daylight_saving", sun.m_daylight_saving);
  if (auto time = sunNode.member("local_time")) ReadLocalTime(*time, sun);
  sun.m_skylight_shadow_intensity =
      NumberOr(sunNode, "skylight_shadow_intensity", 0, 1, sun.m_skylight_shadow_intensity);
}

}  // namespace document
