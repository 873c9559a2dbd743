// ON::UnitScaleToMeters and ON::UnitSystem.
#include "opennurbs_defines.h"

double ON::UnitScaleToMeters(unit_system us) {
  switch (us) {
    case microns:
      return 1.0e-6;
    case millimeters:
      return 1.0e-3;
    case centimeters:
      return 1.0e-2;
    case meters:
      return 1.0;
    case kilometers:
      return 1.0e3;
    case microinches:
      return 2.54e-8;
    case mils:
      return 2.54e-5;
    case inches:
      return 0.0254;
    case feet:
      return 0.3048;
    case miles:
      return 1609.344;
    case angstroms:
      return 1.0e-10;
    case nanometers:
      return 1.0e-9;
    case decimeters:
      return 0.1;
    case dekameters:
      return 10.0;
    case hectometers:
      return 100.0;
    case megameters:
      return 1.0e6;
    case gigameters:
      return 1.0e9;
    case yards:
      return 0.9144;
    case printer_point:
      return 0.0254 / 72.0;
    case printer_pica:
      return 0.0254 / 6.0;
    case nautical_mile:
      return 1852.0;
    case astronomical:
      return 1.495978707e11;
    case lightyears:
      return 9.4607304725808e15;
    case parsecs:
      return 3.08567758149137e16;
    case no_unit_system:
    case custom_unit_system:
      return 0.0;
  }
  return 0.0;
}

ON::unit_system ON::UnitSystem(int code) {
  // The codes are contiguous from no_unit_system to parsecs.
  if (code < static_cast<int>(no_unit_system) || code > static_cast<int>(parsecs))
    return no_unit_system;
  return static_cast<unit_system>(code);
}
