// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "lighting/Lights.h"

#include "export/SceneWriter.h"

void collectVisibleLights(const CRhinoDoc& doc, ON_SimpleArray<const CRhinoLight*>& lights) {
  CRhinoObjectIterator it(doc, CRhinoObjectIterator::undeleted_objects,
                          CRhinoObjectIterator::active_and_reference_objects);
  it.IncludeLights(true);
  it.IncludeGrips(false);
  for (const CRhinoObject* object = it.First(); object != nullptr; object = it.Next()) {
    const CRhinoLight* light = CRhinoLight::Cast(object);
    if (light != nullptr && object->IsVisible()) lights.Append(light);
  }
}

bool SceneWriter::exportLight(const CRhinoLight* /*light*/) {
  // Lights reach the scene with the lighting work; until then none is exported.
  return false;
}
