// DocumentWalk: the walk over a document's objects that every grouping mode makes, and the one
// walk through block instances that places their objects in model space.
#pragma once

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
/// then the enclosing ones (`outer`, the placement of the block holding it; null outside any).
inline ON_Xform placementOf(const CRhinoInstanceObject& instance, const ON_Xform* outer) {
  return (outer != nullptr ? *outer : ON_Xform::IdentityTransformation) * instance.InstanceXform();
}

/// Walks the block of `instance` in block order, without visibility or selection tests:
/// visitor.enterBlock(instance, block, placement) first, then visitor.placed(object, placement)
/// for every object that is not a block instance, descending into nested block instances (their
/// placements compose outermost last), then visitor.leaveBlock(). `outer` is the placement of
/// the block holding `instance` (null outside any). False, with nothing visited, when the
/// instance has no block definition; a nested one without a definition contributes nothing.
/// Both the grouped passes and the object-by-object export flatten blocks through this walk.
template <class Visitor>
bool walkBlockInstance(const CRhinoInstanceObject& instance, const ON_Xform* outer,
                       Visitor& visitor) {
  const CRhinoInstanceDefinition* block = instance.InstanceDefinition();
  if (block == nullptr) return false;
  const ON_Xform placement = placementOf(instance, outer);
  visitor.enterBlock(instance, *block, placement);
  ON_SimpleArray<const CRhinoObject*> objects;
  block->GetObjects(objects);
  for (int i = 0; i < objects.Count(); ++i) {
    const CRhinoObject* object = objects[i];
    if (object == nullptr) continue;
    if (const CRhinoInstanceObject* nested = CRhinoInstanceObject::Cast(object))
      walkBlockInstance(*nested, &placement, visitor);
    else
      visitor.placed(*object, placement);
  }
  visitor.leaveBlock();
  return true;
}
