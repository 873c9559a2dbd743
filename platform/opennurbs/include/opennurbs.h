// The geometry library stand-in: every component header in one include, as plug-in code expects.
// Strings, arrays, points and transforms, ids, colours, materials, texture mappings, layers,
// objects and geometry (meshes, curves, surfaces, breps), viewports and the earth anchor point.
#pragma once

#include "opennurbs_3dm_attributes.h"
#include "opennurbs_array.h"
#include "opennurbs_brep.h"
#include "opennurbs_defines.h"
#include "opennurbs_earth_anchor_point.h"
#include "opennurbs_instance.h"
#include "opennurbs_layer.h"
#include "opennurbs_light.h"
#include "opennurbs_material.h"
#include "opennurbs_mesh.h"
#include "opennurbs_nurbscurve.h"
#include "opennurbs_object.h"
#include "opennurbs_plane.h"
#include "opennurbs_point.h"
#include "opennurbs_pointgeometry.h"
#include "opennurbs_polylinecurve.h"
#include "opennurbs_string.h"
#include "opennurbs_subd.h"
#include "opennurbs_surface.h"
#include "opennurbs_texture_mapping.h"
#include "opennurbs_uuid.h"
#include "opennurbs_viewport.h"
