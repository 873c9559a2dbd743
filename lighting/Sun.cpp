// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "lighting/Sun.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "export/ElementFailure.h"
#include "export/SceneWriter.h"
#include "export/Utf8Converter.h"
#include "lighting/SceneValues.h"

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
// The heliodon follows the place, date and time it is given.
constexpr int kHeliodonMode = 2;
constexpr int kHeliodonSubMode = 0;
// The date and time the heliodon has unless the sun gives its own: noon, 15 June 2014.
constexpr int kDefaultDay = 15;
constexpr int kDefaultMonth = 6;
constexpr int kDefaultYear = 2014;
constexpr int kDefaultHour = 12;
constexpr int kDefaultMinute = 0;
// Widest time zone offset sent, in hours either way.
constexpr double kTimeZoneLimit = 24.0;
constexpr double kHoursPerDay = 24.0;

// A number the host never set (ON_UNSET_VALUE) or that is not finite reads as 0.
double setOrZero(double x) {
  return ON_IsValid(x) ? x : 0.0;
}

// A sub-object of the heliodon; the library giving none fails the heliodon like any error.
template <class T>
T& required(T* part, const char* what) {
  if (part == nullptr) throw std::runtime_error(what);
  return *part;
}

void setDate(QzOrv::IOrvDateTime& when, int day, int month, int year, int hour, int minute) {
  when.setDay(day);
  when.setMonth(month);
  when.setYear(year);
  when.setHour(hour);
  when.setMinute(minute);
}

}  // namespace

int wholeMinutesOfArc(double degrees, double limit) {
  return static_cast<int>(std::clamp(setOrZero(degrees), -limit, limit) * 60.0);
}

double northAngleOf(const ON_3dVector& north) {
  return finiteOr(std::atan2(north.y, north.x) * kDegreesPerRadian - 90.0, 0.0);
}

void SceneWriter::exportSun() {
  const ON_EarthAnchorPoint anchor = doc->Properties().EarthAnchorPoint();
  const CRhRdkDocSun sun(*doc);
  exportHeliodon(anchor, sun);
}

bool SceneWriter::exportHeliodon(const ON_EarthAnchorPoint& anchor, const CRhRdkDocSun& docSun) {
  // A failed heliodon leaves what was sent; the views still name whatever heliodonName holds.
  return writeOrLeaveOut([&] {
    QzOrv::IOrvList<QzOrv::IOrvHeliodon>* heliodons = manager->heliodons();
    if (heliodons == nullptr) return false;
    // A scene has one sun: an existing heliodon is filled again rather than a second added.
    QzOrv::IOrvHeliodon* heliodon = heliodons->at(0);
    if (heliodon == nullptr) heliodon = heliodons->insert(-1);
    if (heliodon == nullptr) return false;

    heliodonName =
        anchor.m_name.IsEmpty() ? CString(L"Unnamed heliodon") : CString(anchor.m_name.Array());
    heliodon->identity()->setName(toUtf8(heliodonName));
    heliodon->setEnabled(true);
    heliodon->setMode(kHeliodonMode);
    heliodon->setSubMode(kHeliodonSubMode);
    heliodon->setNorthAngle(northAngleOf(anchor.m_model_north));
    QzOrv::IOrvPlace& place = required(heliodon->place(), "heliodon without a place");
    place.setLatitude(wholeMinutesOfArc(anchor.m_earth_basepoint_latitude, 90.0));
    place.setLongitude(wholeMinutesOfArc(anchor.m_earth_basepoint_longitude, 180.0));
    setDate(required(heliodon->dateTime(), "heliodon without a date"), kDefaultDay, kDefaultMonth,
            kDefaultYear, kDefaultHour, kDefaultMinute);
    heliodon->setSkyShadowIntensity(finiteOr(docSun.SkylightShadowIntensity(), 0.0));

    // A sun that is off leaves the anchor point's place and the default date.
    const IRhRdkSun& sun = docSun.Sun();
    if (!sun.On()) return true;
    heliodon->setNorthAngle(finiteOr(sun.North(), 0.0) - 90.0);
    place.setLatitude(wholeMinutesOfArc(sun.Latitude(), 90.0));
    place.setLongitude(wholeMinutesOfArc(sun.Longitude(), 180.0));
    if (sun.PositionOnly()) return true;

    place.setDaylightSaving(sun.DaylightSaving());
    const double timeZone = std::clamp(setOrZero(sun.TimeZone()), -kTimeZoneLimit, kTimeZoneLimit);
    place.setTimeZone(static_cast<int>(timeZone));
    int year = 0, month = 0, day = 0;
    double hours = 0.0;
    sun.LocalDateTime(year, month, day, hours);
    hours = std::clamp(setOrZero(hours), 0.0, kHoursPerDay);
    const int hour = static_cast<int>(hours);
    const int minute = static_cast<int>((hours - hour) * 60.0);
    setDate(required(heliodon->dateTime(), "heliodon without a date"), day, month, year, hour,
            minute);
    return true;
  });
}
