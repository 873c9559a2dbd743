// SceneWriter: the context every export operation works in. Owns the scene manager and its
// feedback, and holds the document, its materials, the unit transform and the shared stacks.
#pragma once

#include "export/ORVFeedback.h"
#include "export/TOrvComPtr.h"
#include "geometry/LayerRegistry.h"
#include "materials/TextureFiles.h"
#include "orv/ORV6.h"
#include "plugin/stdafx.h"

/// One per export, inside the SceneExporter. Constructed with a live scene manager or not at all;
/// everything the manager hands out dies when the writer releases it at destruction. The fields
/// are used directly by the export operations; the stacks are empty between top-level
/// operations (each push is popped by the operation that made it).
class SceneWriter {
 public:
  /// Creates the scene manager (version 6, reporting through `feedback`), tells it who writes the
  /// scene and computes the unit transform. Throws std::runtime_error("Unable to create IOrvMgr
  /// object") when the library gives no manager. `document` is not owned and must outlive the
  /// writer.
  explicit SceneWriter(CRhinoDoc& document);
  SceneWriter(const SceneWriter&) = delete;
  SceneWriter& operator=(const SceneWriter&) = delete;

  // The export operations are members; each group's body lives in its subsystem's folder.

  // The sun: bodies in lighting/Sun.cpp (its helpers in lighting/Sun.h).
  /// Exports the document sun and earth anchor point as the scene heliodon and leaves its name
  /// in heliodonName.
  void exportSun();
  /// Fills the scene's first heliodon (made when there is none) from the anchor point (place,
  /// model north, name: "Unnamed heliodon" when it has none) and the document sun: an "on" sun
  /// overrides place and north and, unless only its position counts, gives the date, time, time
  /// zone and daylight saving; otherwise the date is noon, 15 June 2014. Latitude and longitude
  /// go in whole minutes of arc, limited to +-90 and +-180 degrees, the time zone in whole hours
  /// within +-24, the time within 0 to 24 hours; an unset or non-finite angle, time zone or hour
  /// reads as 0. False, with heliodonName unchanged, when the library gives no heliodon; false
  /// after any failure, with what was sent left in place.
  bool exportHeliodon(const ON_EarthAnchorPoint& anchor, const CRhRdkDocSun& docSun);
  // The views: bodies in lighting/Views.cpp (its helpers in lighting/Views.h).
  /// Exports the active model view (alone when it is maximised), then every other model view of
  /// the document in order; page views never. Reads heliodonName and the layer registry.
  void exportViews();
  /// Exports one viewport: a parallel projection as a scene view, any other as a camera, named
  /// after the viewport, in centimetres, tied to heliodonName and listing the visible scene
  /// layers. `active` makes the view active or the camera current. Failures stay inside: the
  /// element may remain partly filled.
  void exportView(CRhinoViewport& viewport, bool active);

  // Groups and objects: bodies in geometry/ObjectTraversal.cpp (geometry/ObjectTraversal.h).
  /// Makes one scene definition from a group of object duplicates (not owned, entries may be
  /// null): their render meshes go, unwelded, into `definition` as one more material slot, or
  /// into a new definition when `definition` is null. The definition is named `name` when that
  /// is not empty (null: after document material `materialIndex`), and placed by an instance on
  /// document layer `layerIndex` (-1: the root layer) when `place` is set. Returns the
  /// definition, or null when the group yields no render mesh. Leaves nameStack as found.
  QzOrv::IOrvObjectDefinition* exportGroup(const ON_SimpleArray<CRhinoObject*>& group,
                                           int materialIndex, int layerIndex, const wchar_t* name,
                                           QzOrv::IOrvObjectDefinition* definition, bool place);
  /// Exports one object (not null) alone: a light as a scene light, a block instance expanded
  /// object by object, anything else as a welded definition with its instance. False when
  /// nothing was made (no render mesh, no block definition, no light element).
  bool exportObject(const CRhinoObject* object);
  // A light: body in lighting/Lights.cpp (lighting/Lights.h).
  /// Adds one host light (not null) to the scene, placed by the enclosing block instances (top
  /// of transformStack) and the unit transform; true when the light element was made and
  /// filled. The target is the location plus the direction as stored. Failures are caught: false,
  /// with the element left as far as it got.
  bool exportLight(const CRhinoLight* light);
  // A material: body in materials/MaterialExport.cpp (materials/MaterialExport.h).
  /// Fills the new, empty scene `material` (not null) from the host material that `attributes`
  /// choose, or that an enclosing block instance imposes through materialStack: its name, its
  /// colours scaled by its opacity, its transparency, fixed factor and shininess, its first image
  /// texture (copied beside the scene file, see ResolveTextureFile) and the projection of the
  /// attributes' texture mapping channels. `box` is the extent of the meshes using it in
  /// centimetres, or null (no texture size then); `object` is the host object when it is exported
  /// on its own, else null (the texture size then comes from the box). Neither is kept.
  void FillSceneMaterial(const ON_3dmObjectAttributes& attributes, QzOrv::IOrvMaterial* material,
                         const ON_BoundingBox* box, const CRhinoObject* object);

  // Declaration order is construction order: the feedback outlives the manager, which is
  // released after every other field is gone.
  ORVFeedback feedback;
  TOrvComPtr<QzOrv::IOrvMgr> manager;
  /// The scene layers made so far (geometry/LayerRegistry.h).
  LayerRegistry layerRegistry;
  /// The document's materials in table order (entry i has index i); not owned.
  ON_SimpleArray<const CRhinoMaterial*> documentMaterials;
  CRhinoDoc* doc;
  /// Name of the scene heliodon; empty until the sun is exported.
  CString heliodonName;
  /// Accumulated block-instance transforms; the top applies to the current object.
  ON_SimpleArray<ON_Xform> transformStack;
  /// Names of the scene objects being built; the top names a new definition.
  CStringArray nameStack;
  /// Material indices contributed by enclosing block instances.
  ON_SimpleArray<int> materialStack;
  /// Document units to centimetres; set at construction, never changed.
  ON_Xform unitTransform;
  /// The texture images copied beside the scene file so far.
  TextureCopies textureCopies;
};

/// The uniform scale from the document's units to centimetres (the scene's unit): the exact
/// length of the unit in metres times 100 on all three axes. Custom units use the document's own
/// unit length when it is positive; a document without units, or whose unit length is unknown,
/// is taken as metres (scale 100).
ON_Xform unitScaleTransform(const CRhinoDoc& doc);
