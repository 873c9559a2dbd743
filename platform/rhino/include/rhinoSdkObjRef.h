// References to host objects: CRhinoObjRef, a handle on an object through which commands and
// plug-ins reach its geometry as a surface, a mesh and so on. It does not own the object.
#pragma once

#include "rhinoSdkObject.h"

class RHINO_SDK_CLASS CRhinoObjRef {
 public:
  /// A reference to nothing.
  CRhinoObjRef() = default;
  /// A reference to `object` (may be null), which must outlive the reference.
  explicit CRhinoObjRef(const CRhinoObject* object) : m_object(object) {}

  /// The referenced object, or null.
  const CRhinoObject* Object() const { return m_object; }
  /// The object's geometry as one surface: the surface of a brep with exactly one face. Null for
  /// a polysurface (several faces), for objects that are not breps and for no object. The
  /// surface belongs to the object.
  const ON_Surface* Surface() const;

 private:
  const CRhinoObject* m_object = nullptr;
};
