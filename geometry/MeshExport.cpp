// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "geometry/MeshExport.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "export/ElementFailure.h"
#include "export/Utf8Converter.h"
#include "geometry/BlockInstances.h"
#include "geometry/OwnedArray.h"
#include "plugin/ExportOptions.h"

namespace {

// The current block transform: the top of the stack, or the identity outside block instances.
ON_Xform blockTransformOf(const SceneWriter& writer) {
  const ON_Xform* top = writer.transformStack.Last();
  return top != nullptr ? *top : ON_Xform::IdentityTransformation;
}

// An object's own name put under the enclosing block path: "Room Chair", or either alone.
CString composedObjectName(const SceneWriter& writer, const ON_wString& objectName) {
  const int depth = writer.nameStack.GetSize();
  if (depth == 0) return CString(objectName.Array());
  CString name = writer.nameStack[depth - 1];
  if (!objectName.IsEmpty()) {
    name += L" ";
    name += objectName.Array();
  }
  return name;
}

// Name of a definition made for a group: the file's name in the SingleObject mode, where one
// definition holds everything, else the name on top of the stack.
CString groupDefinitionName(const SceneWriter& writer) {
  if (GroupingMode == SingleObject) {
    if (exportBaseName.IsEmpty()) return CString(L"Object Definition");
    return exportBaseName + L" Definition";
  }
  const int depth = writer.nameStack.GetSize();
  return depth > 0 ? writer.nameStack[depth - 1] : CString(L"Unnamed object definition");
}

// A new, named definition at the end of the scene's list; null when the library gives none.
QzOrv::IOrvObjectDefinition* newDefinition(SceneWriter& writer, const CString& name) {
  QzOrv::IOrvList<QzOrv::IOrvObjectDefinition>* definitions = writer.manager->objectDefinitions();
  if (definitions == nullptr) return nullptr;
  QzOrv::IOrvObjectDefinition* definition = definitions->insert(-1);
  if (definition != nullptr) definition->identity()->setName(toUtf8(name));
  return definition;
}

// The failure of a face that names a vertex the mesh does not have.
std::out_of_range missingVertex(int face, int vertex, int vertexCount) {
  return std::out_of_range("mesh face " + std::to_string(face) + " refers to vertex " +
                           std::to_string(vertex) + " of " + std::to_string(vertexCount));
}

bool isFinite(const ON_3dPoint& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Appends the faces of `mesh` to `polygons`, each vertex index vi rewritten to pointOf(vi). A
// face naming a vertex the mesh does not have takes back the polygons appended before it and
// throws, so that a bad mesh adds no polygon at all.
template <class PointOf>
void appendPolygons(const ON_Mesh& mesh, PointOf pointOf, ON_SimpleArray<ON_MeshFace>& polygons) {
  const int polygonsBefore = polygons.Count();
  const int vertexCount = mesh.VertexCount();
  const int faceCount = mesh.FaceCount();
  for (int f = 0; f < faceCount; ++f) {
    const ON_MeshFace& face = mesh.m_F[f];
    ON_MeshFace& polygon = polygons.AppendNew();
    for (int k = 0; k < 4; ++k) {
      const int vi = face.vi[k];
      if (vi < 0 || vi >= vertexCount) {
        polygons.SetCount(polygonsBefore);
        throw missingVertex(f, vi, vertexCount);
      }
      polygon.vi[k] = pointOf(vi);
    }
  }
}

// Makes room in `gathered` for every vertex and face of `meshes` (null entries count nothing).
void reserveFor(DefinitionMeshes& gathered, const ON_SimpleArray<ON_Mesh*>& meshes) {
  std::size_t vertices = 0, faces = 0;
  for (int i = 0; i < meshes.Count(); ++i) {
    if (meshes[i] == nullptr) continue;
    vertices += static_cast<std::size_t>(meshes[i]->VertexCount());
    faces += static_cast<std::size_t>(meshes[i]->FaceCount());
  }
  // Beyond an int the scene cannot index the points anyway; the arrays then grow as they go.
  constexpr std::size_t kMost = std::numeric_limits<int>::max() / 2;
  gathered.Reserve(static_cast<int>(std::min(vertices, kMost)),
                   static_cast<int>(std::min(faces, kMost)));
}

// Adds one mesh (null: none) to the definition named `definitionName`. A mesh that fails is
// abandoned, keeping what it already added, the command line says so, and the export goes on
// with the next one. Running out of memory ends the export instead: a scene missing what could
// not be held must not pass for the whole document.
void addMeshOrSkip(DefinitionMeshes& gathered, const ON_Mesh* mesh, const CString& definitionName) {
  if (mesh == nullptr) return;
  writeOrLeaveOut([&] { gathered.AddMesh(*mesh); },
                  [&](const char* reason) {
                    if (reason != nullptr)
                      RhinoApp().Print(L"Warning: a mesh of \"%ls\" was left out: %s\n",
                                       static_cast<const wchar_t*>(definitionName), reason);
                    else
                      RhinoApp().Print(L"Warning: a mesh of \"%ls\" was left out\n",
                                       static_cast<const wchar_t*>(definitionName));
                  });
}

}  // namespace

void collectRenderMeshes(const CRhinoObject* object, ON_SimpleArray<ON_Mesh*>& meshes) {
  if (object == nullptr) return;
  // Meshing is the host's business; an object it cannot mesh simply brings no geometry.
  writeOrLeaveOut([&] {
    ON_SimpleArray<const ON_Mesh*> found;
    object->GetMeshes(ON::render_mesh, found);
    if (found.Count() == 0) {
      object->CreateMeshes(ON::render_mesh, ON_MeshParameters::QualityRenderMesh, false);
      object->GetMeshes(ON::render_mesh, found);
    }
    for (int i = 0; i < found.Count(); ++i)
      if (found[i] != nullptr) meshes.Append(new ON_Mesh(*found[i]));
  });
}

namespace {

// True when `xform` only scales, as ON_Xform::Scale makes it: finite factors on the diagonal,
// +0.0 everywhere else and 1 at the bottom right. Its product with a finite point is then, bit
// for bit, each factor times its coordinate plus +0.0: the other terms are zeros, which leave a
// sum that is not zero as it is, and the last one, +0.0, turns a -0.0 sum into +0.0.
bool onlyScales(const ON_Xform& xform) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      const double entry = xform.m_xform[i][j];
      if (i == j ? !std::isfinite(entry) : (entry != 0.0 || std::signbit(entry))) return false;
    }
  return xform.m_xform[3][3] == 1.0;
}

}  // namespace

DefinitionMeshes::DefinitionMeshes(const ON_Xform& blockTransform, const ON_Xform& unitTransform,
                                   bool weld)
    : m_block(blockTransform),
      m_unit(unitTransform),
      m_moveByBlock(!blockTransform.IsIdentity(0.0)),
      m_scaleToUnits(!unitTransform.IsIdentity(0.0)),
      m_unitOnlyScales(onlyScales(unitTransform)),
      m_weld(weld) {}

void DefinitionMeshes::Reserve(int vertices, int faces) {
  if (m_weld)
    m_welder.Reserve(vertices);
  else
    m_plain.Reserve(vertices);
  m_polygons.Reserve(faces);
}

ON_3dPoint DefinitionMeshes::ScenePoint(ON_3dPoint p) const {
  if (m_moveByBlock) p.Transform(m_block);
  if (!m_scaleToUnits) return p;
  // A point that is not finite may come out otherwise than by the full product, but not finite
  // either way, which is all that is asked of it then.
  if (m_unitOnlyScales) {
    const auto& m = m_unit.m_xform;
    return {m[0][0] * p.x + 0.0, m[1][1] * p.y + 0.0, m[2][2] * p.z + 0.0};
  }
  p.Transform(m_unit);
  return p;
}

bool DefinitionMeshes::AddBox(ON_BoundingBox box) {
  if (m_scaleToUnits) box.Transform(m_unit);
  if (!isFinite(box.m_min) || !isFinite(box.m_max)) return false;
  // Until a mesh with faces arrives, the box is replaced rather than grown, so leading meshes
  // without faces do not widen it.
  if (m_boxStarted)
    m_box.Union(box);
  else
    m_box = box;
  return true;
}

void DefinitionMeshes::AddMesh(const ON_Mesh& mesh) {
  // Every point is placed and checked before any is welded: the scene never receives a value
  // that is not a finite number, which huge units, transforms or float overflows can make. The
  // same pass takes the mesh's own box, point by point as ON_Mesh::GetTightBoundingBox does.
  // Unwelded points are placed where they stay, and taken back when a point or the box fails;
  // a face naming a missing vertex keeps them but adds no polygon.
  const int vertexCount = mesh.VertexCount();
  ON_SimpleArray<ON_3dPoint>& placed = m_weld ? m_placed : m_plain;
  if (m_weld) {
    m_placed.Empty();
    m_placed.Reserve(vertexCount);
  }
  const int base = placed.Count();
  ON_BoundingBox own;
  for (int i = 0; i < vertexCount; ++i) {
    const ON_3dPoint p = mesh.Vertex(i);
    own.Set(p, i > 0);
    placed.Append(ScenePoint(p));
    if (!isFinite(*placed.Last())) {
      placed.SetCount(base);
      throw std::range_error("vertex " + std::to_string(i) +
                             " is not a finite number in scene units (centimetres)");
    }
  }
  if (vertexCount > 0 && !AddBox(own)) {  // no vertices, no extent
    placed.SetCount(base);
    throw std::range_error("its box is not finite in scene units (centimetres)");
  }
  if (m_weld) {
    m_pointOf.Empty();
    m_pointOf.Reserve(vertexCount);
    for (int i = 0; i < vertexCount; ++i) m_pointOf.Append(m_welder.Add(m_placed[i]));
    appendPolygons(
        mesh, [this](int vi) { return m_pointOf[vi]; }, m_polygons);
  } else {
    appendPolygons(
        mesh, [base](int vi) { return base + vi; }, m_polygons);
  }
  if (m_polygons.Count() > 0) m_boxStarted = true;
}

void DefinitionMeshes::Deliver(SceneWriter& writer, QzOrv::IOrvObjectDefinition& definition,
                               const ON_3dmObjectAttributes& attributes, const CRhinoObject* object,
                               int materialIndex, int vertexBase) const {
  if (QzOrv::IOrvList<QzOrv::IOrvMaterial>* materials = definition.materials()) {
    if (QzOrv::IOrvMaterial* material = materials->insert(-1))
      writer.FillSceneMaterial(attributes, material, &m_box, object);
  }
  const ON_SimpleArray<ON_3dPoint>& points = Points();
  if (QzOrv::IOrvList<QzOrv::OrvPoint>* vertices = definition.vertices()) {
    for (int i = 0; i < points.Count(); ++i) {
      QzOrv::OrvPoint* stored = vertices->insert(-1);
      if (stored == nullptr) continue;
      *stored = {points[i].x, points[i].y, points[i].z};
    }
  }
  if (QzOrv::IOrvList<QzOrv::IOrvPolygon>* polygons = definition.polygons()) {
    for (int i = 0; i < m_polygons.Count(); ++i) {
      const ON_MeshFace& face = m_polygons[i];
      const int indices[4] = {face.vi[0] + vertexBase, face.vi[1] + vertexBase,
                              face.vi[2] + vertexBase, face.vi[3] + vertexBase};
      addPolygon(*polygons, materialIndex, indices, face.IsQuad() ? 4 : 3);
    }
  }
}

QzOrv::IOrvObjectDefinition* exportObjectMeshes(SceneWriter& writer, const CRhinoObject* object) {
  assert(object != nullptr);
  OwnedArray<ON_Mesh> meshes;
  collectRenderMeshes(object, meshes);
  if (meshes.Count() == 0) return nullptr;

  const bool pushed = pushName(writer, composedObjectName(writer, object->Attributes().m_name));
  const int depth = writer.nameStack.GetSize();
  const CString name =
      depth > 0 ? writer.nameStack[depth - 1] : CString(L"Unnamed object definition");
  QzOrv::IOrvObjectDefinition* definition = newDefinition(writer, name);
  if (definition != nullptr) {
    DefinitionMeshes gathered(blockTransformOf(writer), writer.unitTransform, true);
    reserveFor(gathered, meshes);
    // Each copy is freed as soon as it is read, so only one object's meshes are held at a time.
    for (int i = 0; i < meshes.Count(); ++i) {
      addMeshOrSkip(gathered, meshes[i], name);
      delete meshes[i];
      meshes[i] = nullptr;
    }
    if (gathered.Polygons().Count() > 0)
      gathered.Deliver(writer, *definition, object->Attributes(), object, 0, 0);
  }
  if (pushed) popName(writer);
  return definition;
}

QzOrv::IOrvObjectDefinition* exportMeshGroup(SceneWriter& writer,
                                             const ON_SimpleArray<ON_Mesh*>& meshes,
                                             const ON_3dmObjectAttributes& attributes,
                                             QzOrv::IOrvObjectDefinition* definition) {
  if (meshes.Count() == 0) return definition;
  const CString name = groupDefinitionName(writer);
  if (definition == nullptr) {
    definition = newDefinition(writer, name);
    if (definition == nullptr) return nullptr;
  }
  DefinitionMeshes gathered(blockTransformOf(writer), writer.unitTransform, false);
  reserveFor(gathered, meshes);
  for (int i = 0; i < meshes.Count(); ++i) addMeshOrSkip(gathered, meshes[i], name);
  if (gathered.Polygons().Count() > 0) {
    // Read before anything is inserted: this call's polygons refer to its own slot and points.
    QzOrv::IOrvList<QzOrv::IOrvMaterial>* materials = definition->materials();
    QzOrv::IOrvList<QzOrv::OrvPoint>* vertices = definition->vertices();
    const int materialIndex = materials != nullptr ? materials->count() : 0;
    const int vertexBase = vertices != nullptr ? vertices->count() : 0;
    gathered.Deliver(writer, *definition, attributes, nullptr, materialIndex, vertexBase);
  }
  return definition;
}

void addPolygon(QzOrv::IOrvList<QzOrv::IOrvPolygon>& polygons, int materialIndex,
                const int* vertexIndices, int count) {
  assert(vertexIndices != nullptr && (count == 3 || count == 4));
  QzOrv::IOrvPolygon* polygon = polygons.insert(-1);
  if (polygon == nullptr) return;
  polygon->setMaterialIndex(materialIndex);
  polygon->setFlag(true);
  QzOrv::IOrvList<int>* indices = polygon->vertexIndices();
  if (indices == nullptr) return;
  for (int i = 0; i < count; ++i) {
    if (int* stored = indices->insert(-1)) *stored = vertexIndices[i];
  }
}
