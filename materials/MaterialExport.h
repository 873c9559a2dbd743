// MaterialExport: scene materials from host materials. Owns the choice of the host material that
// applies to an object or group, inside or outside block instances.
#pragma once

#include "export/SceneWriter.h"
#include "plugin/stdafx.h"

/// The host material chosen for a scene material, and whether it is the host default.
struct HostMaterialChoice {
  const ON_Material* material;  // never null; a document row or the host default material
  bool isDefault;               // no document material applied
};

/// The host material for `attributes`: an enclosing block instance's material (top of
/// materialStack, when 0 or more) wins; otherwise the material source decides (the layer's
/// render material, made on demand in the layer registry; the parent's from materialStack, or
/// the layer's outside any block instance; or the object's own index). An index outside
/// documentMaterials gives the host default.
HostMaterialChoice chooseHostMaterial(SceneWriter& writer,
                                      const ON_3dmObjectAttributes& attributes);
