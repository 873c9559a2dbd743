// Lights: the document's light objects on their way into the scene. Owns which lights count as
// visible; SceneWriter::exportLight (its body in Lights.cpp) turns one into a scene light.
#pragma once

#include "plugin/stdafx.h"

/// Appends to `lights`, in the document's object order, every light object that is visible
/// (hidden lights and lights on hidden layers are left out, locked ones kept), whatever is
/// selected. The lights stay owned by the document.
void collectVisibleLights(const CRhinoDoc& doc, ON_SimpleArray<const CRhinoLight*>& lights);
