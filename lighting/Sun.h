// Sun: the document sun and earth anchor point as the scene heliodon. Owns SceneWriter::exportSun
// and SceneWriter::exportHeliodon (declared with the writer) and the heliodon's angle forms.
#pragma once

#include "plugin/stdafx.h"

/// Degrees of latitude (`limit` 90) or longitude (`limit` 180) as whole minutes of arc,
/// truncated towards zero after limiting to +-`limit`; an unset or non-finite angle reads as 0.
/// 48.8566 degrees gives 2931, -33.8688 gives -2032.
int wholeMinutesOfArc(double degrees, double limit);

/// The heliodon's north angle in degrees for the model's north vector (x and y read): its angle
/// counter-clockwise from the x axis, turned so that north along +y gives 0 (+x gives -90, -x
/// 90); 0 when it cannot be computed.
double northAngleOf(const ON_3dVector& north);
