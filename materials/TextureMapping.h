// TextureMapping: where a scene material's texture lies. Owns the image texture's size and frame
// (from the object's surface or the meshes' box) and the projections that an object's texture
// mapping channels give (plane, box, cylinder, sphere).
#pragma once

#include "orv/ORV6.h"
#include "plugin/stdafx.h"

/// Sends the image texture's size and frame to `material`. The size is the surface's approximate
/// height and width in centimetres (document units × unitTransform[0][0]) when `object` (may be
/// null) is a single surface whose size query succeeds; when there is none, or one side is not
/// greater than 0, the size (height, width) comes from `box` instead: its extent across y and z,
/// then across x and z (a zero side thus sends two sizes, the surface's first). `box` is in
/// centimetres already. Then the origin frame (0, 0, 0), (0, 0, 1), (0, 0, 1) and the frame
/// (the box's centre, (0, 0, 1), (0, 0, 1)).
void placeImageTexture(QzOrv::IOrvMaterial& material, const ON_BoundingBox& box,
                       const CRhinoObject* object, const ON_Xform& unitTransform);

/// Sends the projection of the object's texture mapping channels to `material`, in document
/// units: nothing when `attributes` hold no mapping reference or `doc` is null; otherwise
/// projection code 0, then for each channel of the first mapping reference, in order, the reset
/// origin frame and, when `doc`'s texture-mapping table has the channel's mapping (by the
/// channel, else by its mapping id), that mapping's code and frame: none -1; plane its unit x and
/// y axes (code unchanged); cylinder 5 with its centre, x axis × radius, axis × height; sphere 3
/// with its centre, (r, 0, 0), (0, r, 0); box 0 with (0, 0, 0) and the plane's vectors to the
/// upper ends of dx and dy. Other mapping types send nothing more. The last channel whose mapping
/// is found decides the frame.
void projectMappingChannels(QzOrv::IOrvMaterial& material, const ON_3dmObjectAttributes& attributes,
                            const CRhinoDoc* doc);
