// Geometry-library enumerations shared by every component: unit systems, object types,
// mesh kinds.
#pragma once

#include "../../platform_export.h"

/// The value a number that was never set holds (latitude and longitude of an earth anchor point
/// nobody placed, for example), and its positive twin.
#define ON_UNSET_VALUE -1.23432101234321e+308
#define ON_UNSET_POSITIVE_VALUE 1.23432101234321e+308

/// True for a number that was set and is finite: strictly between the two unset values.
inline bool ON_IsValid(double x) {
  return x > ON_UNSET_VALUE && x < ON_UNSET_POSITIVE_VALUE;
}

class ON {
 public:
  // Unit system codes, as stored in documents.
  enum unit_system : unsigned int {
    no_unit_system = 0,
    microns = 1,
    millimeters = 2,
    centimeters = 3,
    meters = 4,
    kilometers = 5,
    microinches = 6,
    mils = 7,
    inches = 8,
    feet = 9,
    miles = 10,
    custom_unit_system = 11,
    angstroms = 12,
    nanometers = 13,
    decimeters = 14,
    dekameters = 15,
    hectometers = 16,
    megameters = 17,
    gigameters = 18,
    yards = 19,
    printer_point = 20,
    printer_pica = 21,
    nautical_mile = 22,
    astronomical = 23,
    lightyears = 24,
    parsecs = 25,
  };

  /// Length of one unit in metres; 0 for no_unit_system and custom_unit_system (their length is
  /// the document's own), and for codes that name no unit.
  PLATFORM_API static double UnitScaleToMeters(unit_system us);

  /// The unit system with this code, or no_unit_system for an unknown code.
  PLATFORM_API static unit_system UnitSystem(int code);

  enum view_projection : unsigned int { unknown_view = 0, parallel_view = 1, perspective_view = 2 };

  enum mesh_type : unsigned int {
    default_mesh = 0,
    render_mesh = 1,
    analysis_mesh = 2,
    preview_mesh = 3,
    any_mesh = 4
  };
};
