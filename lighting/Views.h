// Views: the document's model views as scene views (parallel projections) and cameras. Owns
// SceneWriter::exportViews and SceneWriter::exportView (declared with the writer) and the
// geometry of a parallel view: its target and its kind.
#pragma once

#include "plugin/stdafx.h"

/// The scene's kinds of parallel view, judged by the viewing direction.
constexpr int kSideView = 0;   // along the x or the y axis
constexpr int kTopView = 1;    // along the z axis
constexpr int kOtherView = 2;  // any other direction

/// The target of a parallel view: `eye` mirrored in the plane through the world origin
/// perpendicular to `direction`, as far beyond that plane as the eye is before it. A direction
/// too short to give a plane leaves the eye where it is. Units are the caller's.
ON_3dPoint mirroredTarget(const ON_3dPoint& eye, ON_3dVector direction);

/// kTopView, kSideView or kOtherView for a viewing direction within one degree of the z axis,
/// of the x or y axis, or neither; looking either way along an axis counts.
int viewKindOf(const ON_3dVector& direction);
