// DocumentWalk: the walk over a document's objects that every grouping mode makes, and the
// flattening of block instances into their objects placed in model space.
#pragma once

#include "export/SceneExporter.h"
#include "plugin/stdafx.h"

/// Every walk sees normal, locked and hidden objects, active and referenced, never grips; the
/// callers decide on lights.
inline CRhinoObjectIterator documentWalk(const CRhinoDoc& doc, bool includeLights) {
  CRhinoObjectIterator it(doc, CRhinoObjectIterator::undeleted_objects,
                          CRhinoObjectIterator::active_and_reference_objects);
  it.IncludeGrips(false);
  it.IncludeLights(includeLights);
  return it;
}

/// Only the objects of the document's own table are tested; the objects of a block definition
/// travel with the block instance that holds them.
inline bool isEligible(const CRhinoObject& object, bool selectedOnly) {
  return (!selectedOnly || object.IsSelected(false) != 0) && object.IsVisible();
}

/// The transform from `instance`'s block definition to model space: its own transform first,
/// then the enclosing ones (`outer`, null outside any block).
inline ON_Xform placementOf(const CRhinoInstanceObject& instance, const ON_Xform* outer) {
  return (outer != nullptr ? *outer : ON_Xform::IdentityTransformation) * instance.InstanceXform();
}

/// Calls visit(object, parent material, block-to-model transform) for every object of the
/// instance's block, in block order, descending into nested block instances (whose transforms
/// compose outermost last). The parent material is the material index of the instance holding
/// the object, which it takes from its own parent in turn (`outerMaterial`, null outside any
/// block). A block instance without a definition contributes nothing.
template <class Visit>
void forEachPlacedObject(const SceneExporter& exporter, const CRhinoInstanceObject& instance,
                         const ON_Xform* outer, const int* outerMaterial, Visit&& visit) {
  const CRhinoInstanceDefinition* block = instance.InstanceDefinition();
  if (block == nullptr) return;
  ON_SimpleArray<const CRhinoObject*> objects;
  block->GetObjects(objects);
  const ON_Xform xform = placementOf(instance, outer);
  const int material = exporter.materialIndexOf(&instance, outerMaterial);
  for (int i = 0; i < objects.Count(); ++i) {
    const CRhinoObject* object = objects[i];
    if (object == nullptr) continue;
    if (const CRhinoInstanceObject* nested = CRhinoInstanceObject::Cast(object))
      forEachPlacedObject(exporter, *nested, &xform, &material, visit);
    else
      visit(*object, material, xform);
  }
}
