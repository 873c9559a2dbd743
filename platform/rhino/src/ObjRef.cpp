// Object references.
#include "rhinoSdkObjRef.h"

const ON_Surface* CRhinoObjRef::Surface() const {
  const auto* object = dynamic_cast<const CRhinoBrepObject*>(m_object);
  if (object == nullptr || object->Brep() == nullptr) return nullptr;
  const ON_Brep& brep = *object->Brep();
  if (!brep.IsSurface()) return nullptr;
  const ON_BrepFace* face = brep.Face(0);
  return face != nullptr ? face->SurfaceOf() : nullptr;
}
