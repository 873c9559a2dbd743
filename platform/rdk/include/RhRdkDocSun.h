// The render kit's sun: IRhRdkSun, a sun's settings as queries; CRhRdkSunData, the settings a
// document keeps; CRhRdkDocSun, the document sun read from a document, with the skylight.
#pragma once

#include "../../opennurbs/include/opennurbs.h"

class CRhinoDoc;

/// A sun's settings, its queries declared in the order of the interface's slots. Angles in
/// degrees, the time zone in hours east of UTC.
class RDK_SDK_CLASS IRhRdkSun {
 public:
  virtual ~IRhRdkSun() = default;
  /// True when the sun lights the scene.
  virtual bool On() const = 0;
  /// True when only the sun's place and north count: its date, time zone and daylight saving
  /// are not to be used.
  virtual bool PositionOnly() const = 0;
  /// The angle of north, counter-clockwise from the model's x axis.
  virtual double North() const = 0;
  virtual double Latitude() const = 0;
  virtual double Longitude() const = 0;
  virtual double TimeZone() const = 0;
  virtual bool DaylightSaving() const = 0;
  /// The local date and the hour of the day (0 to 24, with its fraction).
  virtual void LocalDateTime(int& year, int& month, int& day, double& hours) const = 0;
};

/// The sun settings a document keeps, answered exactly as stored: a new document's sun is off,
/// with north 90, at latitude and longitude 0 in time zone 0 without daylight saving, on
/// 15 June 2014 at 12.0 hours, and a skylight shadow intensity of 1.
class RDK_SDK_CLASS CRhRdkSunData : public IRhRdkSun {
 public:
  bool On() const override { return m_on; }
  bool PositionOnly() const override { return m_position_only; }
  double North() const override { return m_north; }
  double Latitude() const override { return m_latitude; }
  double Longitude() const override { return m_longitude; }
  double TimeZone() const override { return m_time_zone; }
  bool DaylightSaving() const override { return m_daylight_saving; }
  void LocalDateTime(int& year, int& month, int& day, double& hours) const override;

  bool m_on = false;
  bool m_position_only = false;
  double m_north = 90.0;
  double m_latitude = 0.0;
  double m_longitude = 0.0;
  double m_time_zone = 0.0;
  bool m_daylight_saving = false;
  int m_year = 2014;
  int m_month = 6;
  int m_day = 15;
  double m_hours = 12.0;
  /// How dark the skylight's shadows are, 0 to 1; answered by CRhRdkDocSun, not by the sun.
  double m_skylight_shadow_intensity = 1.0;
};

/// The sun of one document as the render kit hands it out. Reads the document's settings when
/// asked; the document must outlive this object.
class RDK_SDK_CLASS CRhRdkDocSun {
 public:
  explicit CRhRdkDocSun(const CRhinoDoc& doc);
  CRhRdkDocSun(const CRhRdkDocSun&) = delete;
  CRhRdkDocSun& operator=(const CRhRdkDocSun&) = delete;

  /// The sun's settings; valid as long as this object.
  const IRhRdkSun& Sun() const;
  double SkylightShadowIntensity() const;

 private:
  const CRhinoDoc& m_doc;
};
