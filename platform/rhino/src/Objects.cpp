// Host objects: attributes, selection, visibility through the layer tree, and render meshes.
#include <cassert>
#include <vector>

#include "../../common/src/HostObservers.h"
#include "rhinoSdkApp.h"
#include "rhinoSdkDoc.h"

namespace {

/// Calls visit(layer) for the layer at `index` and each of its parents, innermost first, until
/// visit returns true; returns whether it did. Stops at a missing parent and at a cycle.
template <class Visit>
bool AnyLayerUp(const CRhinoLayerTable& layers, int index, Visit visit) {
  std::vector<bool> seen(layers.LayerCount(), false);
  while (index >= 0 && index < layers.LayerCount() && !seen[index]) {
    seen[index] = true;
    const CRhinoLayer& layer = layers[index];
    if (visit(layer)) return true;
    if (ON_UuidIsNil(layer.m_parent_layer_id)) return false;
    index = layers.FindLayerFromId(layer.m_parent_layer_id);
  }
  return false;
}

}  // namespace

// ---- CRhinoObject

CRhinoObject::CRhinoObject(ON_Geometry* geometry) : m_geometry(geometry) {}

CRhinoObject::CRhinoObject(const CRhinoObject& other)
    : m_geometry(other.m_geometry ? static_cast<ON_Geometry*>(other.m_geometry->Duplicate())
                                  : nullptr),
      m_attributes(other.m_attributes),
      m_selected(other.m_selected) {}

CRhinoObject::~CRhinoObject() {
  delete m_geometry;
}

void CRhinoObject::SetAttributes(const ON_3dmObjectAttributes& attributes) {
  static_cast<ON_3dmObjectAttributes&>(m_attributes) = attributes;
}

int CRhinoObject::IsSelected(bool /*bCheckSubObjects*/) const {
  return m_selected;
}

void CRhinoObject::Select(bool on) {
  m_selected = on ? 1 : 0;
}

bool CRhinoObject::IsVisible() const {
  if (m_attributes.Mode() == ON_3dmObjectAttributes::hidden_object) return false;
  if (!m_doc) return true;
  return !AnyLayerUp(m_doc->m_layer_table, m_attributes.m_layer_index,
                     [](const CRhinoLayer& layer) { return !layer.IsVisible(); });
}

bool CRhinoObject::IsLocked() const {
  if (m_attributes.Mode() == ON_3dmObjectAttributes::locked_object) return true;
  if (!m_doc) return false;
  return AnyLayerUp(m_doc->m_layer_table, m_attributes.m_layer_index,
                    [](const CRhinoLayer& layer) { return layer.IsLocked(); });
}

int CRhinoObject::GetMeshes(ON::mesh_type, ON_SimpleArray<const ON_Mesh*>&) const {
  return 0;
}

int CRhinoObject::CreateMeshes(ON::mesh_type, const ON_MeshParameters&, bool) const {
  return 0;
}

bool CRhinoObject::IsRenderKind(ON::mesh_type type) {
  return type == ON::render_mesh || type == ON::default_mesh || type == ON::any_mesh;
}

// ---- CRhinoMeshObject

CRhinoMeshObject::CRhinoMeshObject(ON_Mesh* mesh) : CRhinoObject(mesh) {
  assert(mesh);
}

const ON_Mesh* CRhinoMeshObject::Mesh() const {
  return static_cast<const ON_Mesh*>(m_geometry);
}

int CRhinoMeshObject::GetMeshes(ON::mesh_type type, ON_SimpleArray<const ON_Mesh*>& meshes) const {
  if (!IsRenderKind(type)) return 0;
  meshes.Append(Mesh());
  return 1;
}

int CRhinoMeshObject::CreateMeshes(ON::mesh_type type, const ON_MeshParameters&, bool) const {
  return IsRenderKind(type) ? 1 : 0;
}

// ---- CRhinoBrepObject

CRhinoBrepObject::CRhinoBrepObject(ON_Brep* brep) : CRhinoObject(brep) {
  assert(brep);
}

const ON_Brep* CRhinoBrepObject::Brep() const {
  return static_cast<const ON_Brep*>(m_geometry);
}

int CRhinoBrepObject::GetMeshes(ON::mesh_type type, ON_SimpleArray<const ON_Mesh*>& meshes) const {
  if (!IsRenderKind(type)) return 0;
  int found = 0;
  for (int i = 0; i < Brep()->FaceCount(); ++i)
    if (const ON_Mesh* mesh = Brep()->Face(i)->Mesh(ON::render_mesh)) {
      meshes.Append(mesh);
      ++found;
    }
  return found;
}

int CRhinoBrepObject::CreateMeshes(ON::mesh_type type, const ON_MeshParameters& parameters,
                                   bool) const {
  if (!IsRenderKind(type)) return 0;
  // The stored meshes are a cache of the surface data, so a const object may refresh them.
  auto* brep = static_cast<ON_Brep*>(m_geometry);
  ON_SimpleArray<ON_Mesh*> made;
  ON_ClassArray<ON_String> failures;
  const int count = brep->CreateMesh(parameters, made, &failures);
  host_observers::NoteMeshedFaces(brep->FaceCount());
  for (int i = 0; i < made.Count(); ++i) brep->Face(i)->SetMesh(ON::render_mesh, made[i]);
  const ON_wString& name = Attributes().m_name;
  for (int i = 0; i < failures.Count(); ++i) {
    if (failures[i].IsEmpty()) continue;
    if (name.IsEmpty())
      RhinoApp().Print(L"Warning: a face of an unnamed object could not be meshed: face %d: %s\n",
                       i, failures[i].Array());
    else
      RhinoApp().Print(L"Warning: a face of \"%ls\" could not be meshed: face %d: %s\n",
                       name.Array(), i, failures[i].Array());
  }
  return count;
}

// ---- CRhinoSubDObject

CRhinoSubDObject::CRhinoSubDObject(ON_SubD* subd) : CRhinoObject(subd) {
  assert(subd);
}

const ON_SubD* CRhinoSubDObject::SubD() const {
  return static_cast<const ON_SubD*>(m_geometry);
}

int CRhinoSubDObject::GetMeshes(ON::mesh_type type, ON_SimpleArray<const ON_Mesh*>& meshes) const {
  if (!IsRenderKind(type) || SubD()->RenderMesh() == nullptr) return 0;
  meshes.Append(SubD()->RenderMesh());
  return 1;
}

int CRhinoSubDObject::CreateMeshes(ON::mesh_type type, const ON_MeshParameters& parameters,
                                   bool) const {
  if (!IsRenderKind(type)) return 0;
  // The stored mesh is a cache of the control net, so a const object may refresh it.
  auto* subd = static_cast<ON_SubD*>(m_geometry);
  subd->SetRenderMesh(subd->CreateRenderMesh(parameters));
  host_observers::NoteMeshedFaces(int(subd->m_faces.size()));
  return subd->RenderMesh() != nullptr ? 1 : 0;
}

// ---- lights and block instances

CRhinoLight::CRhinoLight(ON_Light* light) : CRhinoObject(light) {
  assert(light);
}

const CRhinoLight* CRhinoLight::Cast(const CRhinoObject* object) {
  return dynamic_cast<const CRhinoLight*>(object);
}

const ON_Light& CRhinoLight::Light() const {
  return *static_cast<const ON_Light*>(m_geometry);
}

CRhinoInstanceObject::CRhinoInstanceObject(const CRhinoInstanceDefinition* definition,
                                           const ON_Xform& xform)
    : m_definition(definition), m_xform(xform) {}

const CRhinoInstanceObject* CRhinoInstanceObject::Cast(const CRhinoObject* object) {
  return dynamic_cast<const CRhinoInstanceObject*>(object);
}
