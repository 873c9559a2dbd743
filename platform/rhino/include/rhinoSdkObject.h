// Host objects (mesh, surface, SubD, curve, point, annotation, light, block instance) with
// attributes, render meshes, selection and visibility; block definitions; the walk over a
// document's objects.
#pragma once

#include "../../opennurbs/include/opennurbs.h"

class CRhinoDoc;
class CRhinoInstanceDefinition;
class CRhinoLayerTable;

class RHINO_SDK_CLASS CRhinoObjectAttributes : public ON_3dmObjectAttributes {
 public:
  CRhinoObjectAttributes() = default;
  explicit CRhinoObjectAttributes(const ON_3dmObjectAttributes& a) : ON_3dmObjectAttributes(a) {}
};

class RHINO_SDK_CLASS CRhinoObject {
 public:
  /// Takes ownership of `geometry` (may be null for objects without geometry).
  explicit CRhinoObject(ON_Geometry* geometry = nullptr);
  /// Deep copy: attributes, selection, and a copy of the geometry with its stored meshes. The
  /// copy is in no document.
  CRhinoObject(const CRhinoObject& other);
  CRhinoObject& operator=(const CRhinoObject&) = delete;
  virtual ~CRhinoObject();

  /// A heap copy of this object (same kind, attributes, geometry and render meshes), not in any
  /// document; the caller owns it. Transforming the copy's geometry moves the copy's meshes and
  /// leaves this object untouched.
  virtual CRhinoObject* Duplicate() const = 0;

  const CRhinoObjectAttributes& Attributes() const { return m_attributes; }
  void SetAttributes(const ON_3dmObjectAttributes& attributes);
  /// The geometry, owned by the object, or null. Plug-in code moves the geometry of its own
  /// duplicates in place (const_cast and Transform); the stored meshes move with it.
  const ON_Geometry* Geometry() const { return m_geometry; }

  /// The document holding the object (or, for an object of a block definition, the block's
  /// document); null for a duplicate and for an object not yet added.
  const CRhinoDoc* Document() const { return m_doc; }
  void SetDocument(const CRhinoDoc* doc) { m_doc = doc; }

  /// 0 not selected, 1 selected, 2 selected persistently. Objects have no sub-objects here, so
  /// bCheckSubObjects changes nothing.
  int IsSelected(bool bCheckSubObjects = false) const;
  /// Selects (1) or unselects (0) the object.
  void Select(bool on = true);
  /// False when the object's mode is hidden, or its layer or any parent layer is off. The layers
  /// are those of Document(); an object without a document, or whose layer index is not in the
  /// table, is judged by its mode alone.
  bool IsVisible() const;
  /// True when the object's mode is locked, or its layer or any parent layer is locked (layers
  /// looked up as for IsVisible).
  bool IsLocked() const;

  /// Appends the object's existing meshes of the given kind; returns how many. The meshes belong
  /// to the object and stay valid until it changes or is destroyed. Only render meshes exist:
  /// ON::render_mesh, ON::default_mesh and ON::any_mesh ask for them, other kinds get none.
  /// Objects that cannot have meshes (curves, points, annotation, lights, block instances) append
  /// none.
  virtual int GetMeshes(ON::mesh_type type, ON_SimpleArray<const ON_Mesh*>& meshes) const;
  /// Makes the object's meshes of the given kind from its geometry, replacing any it had, and
  /// keeps them for GetMeshes; returns how many were made (0 for objects that cannot be meshed).
  virtual int CreateMeshes(ON::mesh_type type, const ON_MeshParameters& parameters,
                           bool bIgnoreCustomParameters = false) const;

 protected:
  /// True for the mesh kinds that reach render meshes.
  static bool IsRenderKind(ON::mesh_type type);

  ON_Geometry* m_geometry;

 private:
  CRhinoObjectAttributes m_attributes;
  const CRhinoDoc* m_doc = nullptr;
  int m_selected = 0;
};

/// A polygon mesh; its render mesh is the mesh itself.
class RHINO_SDK_CLASS CRhinoMeshObject : public CRhinoObject {
 public:
  /// Takes ownership of mesh (not null).
  explicit CRhinoMeshObject(ON_Mesh* mesh);
  CRhinoObject* Duplicate() const override { return new CRhinoMeshObject(*this); }
  const ON_Mesh* Mesh() const;
  int GetMeshes(ON::mesh_type type, ON_SimpleArray<const ON_Mesh*>& meshes) const override;
  /// Nothing to make: the mesh is already its render mesh. Returns 1 for the render kinds.
  int CreateMeshes(ON::mesh_type type, const ON_MeshParameters& parameters,
                   bool bIgnoreCustomParameters = false) const override;
};

/// A surface (one face) or polysurface (several faces). Its render meshes are the ones stored on
/// its faces, one per face that has one.
class RHINO_SDK_CLASS CRhinoBrepObject : public CRhinoObject {
 public:
  /// Takes ownership of brep (not null).
  explicit CRhinoBrepObject(ON_Brep* brep);
  CRhinoObject* Duplicate() const override { return new CRhinoBrepObject(*this); }
  const ON_Brep* Brep() const;
  int GetMeshes(ON::mesh_type type, ON_SimpleArray<const ON_Mesh*>& meshes) const override;
  /// Meshes every face from its surface and trims (ON_Brep::CreateMesh) and stores the meshes on
  /// the faces, replacing the ones they had (a face that cannot be meshed is left without one,
  /// and the command line says so: `Warning: a face of "NAME" could not be meshed: face 2: ...`);
  /// returns the number of faces meshed.
  int CreateMeshes(ON::mesh_type type, const ON_MeshParameters& parameters,
                   bool bIgnoreCustomParameters = false) const override;
};

/// A subdivision surface. Its render mesh is the one stored on its SubD: the smooth limit surface
/// refined by the mesh parameters (ON_SubD::CreateRenderMesh).
class RHINO_SDK_CLASS CRhinoSubDObject : public CRhinoObject {
 public:
  /// Takes ownership of subd (not null).
  explicit CRhinoSubDObject(ON_SubD* subd);
  CRhinoObject* Duplicate() const override { return new CRhinoSubDObject(*this); }
  const ON_SubD* SubD() const;
  int GetMeshes(ON::mesh_type type, ON_SimpleArray<const ON_Mesh*>& meshes) const override;
  /// Refines the SubD into its render mesh, replacing the one it had; returns 1 when one was
  /// made (0 for a SubD without faces or a kind that is not a render kind).
  int CreateMeshes(ON::mesh_type type, const ON_MeshParameters& parameters,
                   bool bIgnoreCustomParameters = false) const override;
};

/// A curve, point or annotation: no render meshes. Their geometry is an ON_PolylineCurve or an
/// ON_Point, or null.
class RHINO_SDK_CLASS CRhinoCurveObject : public CRhinoObject {
 public:
  using CRhinoObject::CRhinoObject;
  CRhinoObject* Duplicate() const override { return new CRhinoCurveObject(*this); }
};
class RHINO_SDK_CLASS CRhinoPointObject : public CRhinoObject {
 public:
  using CRhinoObject::CRhinoObject;
  CRhinoObject* Duplicate() const override { return new CRhinoPointObject(*this); }
};
class RHINO_SDK_CLASS CRhinoAnnotationObject : public CRhinoObject {
 public:
  using CRhinoObject::CRhinoObject;
  CRhinoObject* Duplicate() const override { return new CRhinoAnnotationObject(*this); }
};

class RHINO_SDK_CLASS CRhinoLight : public CRhinoObject {
 public:
  /// Takes ownership of light (not null).
  explicit CRhinoLight(ON_Light* light);
  CRhinoObject* Duplicate() const override { return new CRhinoLight(*this); }
  /// The object as a light, or null when it is not one (or is null).
  static const CRhinoLight* Cast(const CRhinoObject* object);
  const ON_Light& Light() const;
};

/// A placement of a block definition by a transform. It has no geometry of its own.
class RHINO_SDK_CLASS CRhinoInstanceObject : public CRhinoObject {
 public:
  /// `definition` is not owned (the document's block table owns it) and may be null.
  CRhinoInstanceObject(const CRhinoInstanceDefinition* definition, const ON_Xform& xform);
  CRhinoObject* Duplicate() const override { return new CRhinoInstanceObject(*this); }
  /// The object as a block instance, or null when it is not one (or is null).
  static const CRhinoInstanceObject* Cast(const CRhinoObject* object);
  /// The placed block definition, or null.
  const CRhinoInstanceDefinition* InstanceDefinition() const { return m_definition; }
  /// Block definition space to model space.
  ON_Xform InstanceXform() const { return m_xform; }

 private:
  const CRhinoInstanceDefinition* m_definition;
  ON_Xform m_xform;
};

/// A block definition: a name and the objects it owns, in the order they were added. Its objects
/// are in no document's object table; they report the document whose block table holds the
/// definition.
class RHINO_SDK_CLASS CRhinoInstanceDefinition : public ON_InstanceDefinition {
 public:
  CRhinoInstanceDefinition() = default;
  CRhinoInstanceDefinition(const CRhinoInstanceDefinition&) = delete;
  CRhinoInstanceDefinition& operator=(const CRhinoInstanceDefinition&) = delete;
  ~CRhinoInstanceDefinition() override;
  /// Takes ownership of the object (not null) and gives it the definition's document. Once the
  /// definition is in a document's block table, an object naming a layer that document does not
  /// have is put on its default layer (see CRhinoLayerTable::DefaultLayerIndex).
  void AddObject(CRhinoObject* object);
  /// Appends the block's objects in definition order; returns how many. They stay owned by the
  /// definition.
  int GetObjects(ON_SimpleArray<const CRhinoObject*>& objects) const;
  int ObjectCount() const { return m_objects.Count(); }

  /// The document whose block table holds this definition, or null.
  const CRhinoDoc* Document() const { return m_doc; }
  /// Sets the document of the definition and of all its objects (done by the block table).
  void SetDocument(const CRhinoDoc* doc);

 private:
  friend class CRhinoInstanceDefinitionTable;
  ON_SimpleArray<CRhinoObject*> m_objects;
  const CRhinoDoc* m_doc = nullptr;
  CRhinoLayerTable* m_layer_table = nullptr;  // the document's, set by its block table
};

/// Walks a document's object table in the order the objects were added, returning those that
/// match the object states, the category and the light and grip settings. An object's states:
/// normal when it is visible and not locked, locked when it is locked (IsLocked), hidden when it is
/// not visible (IsVisible); a hidden object on a locked layer is both hidden and locked. Objects of
/// block definitions are never returned.
class RHINO_SDK_CLASS CRhinoObjectIterator {
 public:
  enum object_state : unsigned int {
    normal_objects = 1,  // visible, not locked
    locked_objects = 2,  // locked, or on a locked layer
    hidden_objects = 4,  // hidden, or on an off layer
    normal_or_locked_objects = 3,
    undeleted_objects = 7,
  };
  enum object_category : unsigned int {
    active_objects = 1,     // added without the reference flag
    reference_objects = 2,  // added as reference objects
    active_and_reference_objects = 3,
  };

  /// The document must outlive the iterator; objects added during the walk are met when the walk
  /// reaches them.
  CRhinoObjectIterator(const CRhinoDoc& doc, object_state state,
                       object_category category = active_objects);
  /// Lights are included by default.
  void IncludeLights(bool include = true) { m_include_lights = include; }
  /// Grips are included by default. Documents hold no grip objects, so this only keeps the
  /// setting.
  void IncludeGrips(bool include = true) { m_include_grips = include; }
  bool GripsIncluded() const { return m_include_grips; }
  /// The first matching object, or null; restarts the walk.
  CRhinoObject* First();
  /// The next matching object, or null at the end.
  CRhinoObject* Next();

 private:
  bool Matches(int index) const;
  const CRhinoDoc& m_doc;
  unsigned int m_state;
  unsigned int m_category;
  bool m_include_lights = true;
  bool m_include_grips = true;
  int m_next = 0;
};
