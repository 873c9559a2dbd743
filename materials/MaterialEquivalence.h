// MaterialEquivalence: when two host materials count as one scene material, so that the
// material passes gather and name them once (with SceneExporter::IsMaterialExported's body).
#pragma once

#include "plugin/stdafx.h"

/// True when `a` and `b` give the same scene material: equal by the host's full comparison, or
/// else with the same name (case-sensitive), the same six colours, the same transparency (a NaN
/// matches nothing) and first bitmap textures whose file names are equal ignoring case (or
/// neither has one). Shine, reflectivity, refraction and the other textures play no part.
bool MaterialsMatch(const ON_Material& a, const ON_Material& b);
