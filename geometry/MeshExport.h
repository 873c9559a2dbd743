// MeshExport: host render meshes into scene object definitions. Owns the copying of an object's
// render meshes, placing and welding their points, and delivering points and polygons.
#pragma once

#include "export/SceneWriter.h"
#include "geometry/PointWelder.h"
#include "orv/ORV6.h"
#include "plugin/stdafx.h"

/// Appends to `meshes` a heap copy of each render mesh of `object` (null: nothing), after asking
/// the object to make them with the quality render-mesh settings when it has none yet. The
/// caller owns the copies. Throws only std::bad_alloc: any other failure ends the collection
/// quietly and the copies already appended stay. Objects that cannot be meshed (curves, points,
/// lights) append nothing.
void collectRenderMeshes(const CRhinoObject* object, ON_SimpleArray<ON_Mesh*>& meshes);

/// The points, polygons and box gathered for one scene definition. A vertex lands at
/// unitTransform × blockTransform × p (centimetres); with welding, vertices with exactly the same
/// bytes become one point, across all meshes added. Polygons are mesh faces rewritten to point
/// indices, so a quad whose last two corners weld becomes a triangle.
class DefinitionMeshes {
 public:
  /// Both transforms are copied; an exact identity is skipped.
  DefinitionMeshes(const ON_Xform& blockTransform, const ON_Xform& unitTransform, bool weld);

  /// Makes room for meshes of `vertices` vertices and `faces` faces in all, so that adding them
  /// never regrows the points, the polygons or the weld index.
  void Reserve(int vertices, int faces);

  /// Adds the mesh's box, its vertices, then its faces. Throws std::range_error, adding nothing,
  /// when a vertex or the box is not finite in scene units; std::out_of_range for a face that
  /// refers to a missing vertex (the mesh's points stay, none of its faces); std::bad_alloc when
  /// memory runs out.
  void AddMesh(const ON_Mesh& mesh);

  const ON_SimpleArray<ON_3dPoint>& Points() const { return m_weld ? m_welder.Points() : m_plain; }
  const ON_SimpleArray<ON_MeshFace>& Polygons() const { return m_polygons; }
  /// Union of the meshes' own boxes scaled to centimetres, without the block transform (the
  /// place the block definition keeps them), counted from the first mesh with faces on. Invalid
  /// until a mesh with faces was added.
  const ON_BoundingBox& Box() const { return m_box; }

  /// Writes into `definition`: one new material slot filled by FillSceneMaterial (with
  /// `attributes`, Box() and `object`, which may be null), every point, and every polygon with
  /// `materialIndex` and its point indices plus `vertexBase`. A null list from the library skips
  /// its step.
  void Deliver(SceneWriter& writer, QzOrv::IOrvObjectDefinition& definition,
               const ON_3dmObjectAttributes& attributes, const CRhinoObject* object,
               int materialIndex, int vertexBase) const;

 private:
  ON_3dPoint ScenePoint(ON_3dPoint p) const;
  /// Grows Box() by a mesh's own box (valid), scaled to centimetres; false, changing nothing,
  /// when that is not finite.
  bool AddBox(ON_BoundingBox box);

  ON_Xform m_block;
  ON_Xform m_unit;
  bool m_moveByBlock;
  bool m_scaleToUnits;
  bool m_unitOnlyScales;  // m_unit is a plain scale, applied factor by factor
  bool m_weld;
  PointWelder m_welder;
  ON_SimpleArray<ON_3dPoint> m_plain;
  ON_SimpleArray<ON_MeshFace> m_polygons;
  // What AddMesh holds for one welded mesh at a time, kept so that each mesh reuses the room.
  ON_SimpleArray<ON_3dPoint> m_placed;  // its vertices in scene units
  ON_SimpleArray<int> m_pointOf;        // the point each of its vertices became
  ON_BoundingBox m_box;
  bool m_boxStarted = false;
};

/// A new definition made from the render meshes of `object` (not null), welded, named after the
/// object under the top of nameStack, with one material slot from the object's own attributes;
/// null when the object has no render mesh (nothing is made then). A definition whose meshes
/// have no faces stays empty. Each mesh that fails (a vertex not finite in scene units, a face
/// naming a missing vertex) is left out with a warning on the command line naming the
/// definition; the others are still exported. Running out of memory throws std::bad_alloc.
/// Leaves nameStack as found.
QzOrv::IOrvObjectDefinition* exportObjectMeshes(SceneWriter& writer, const CRhinoObject* object);

/// Puts `meshes` (entries may be null; not deleted here) unwelded into `definition`, or into a
/// new definition when it is null (named "<exportBaseName> Definition" in the SingleObject mode,
/// else after the top of nameStack). Each call appends one material slot and one block of
/// points: its polygons use the slot count and the point count from before the call. Meshes
/// that fail are left out as exportObjectMeshes leaves them out. Returns the definition; null
/// only when none was given and there is nothing to put in it.
QzOrv::IOrvObjectDefinition* exportMeshGroup(SceneWriter& writer,
                                             const ON_SimpleArray<ON_Mesh*>& meshes,
                                             const ON_3dmObjectAttributes& attributes,
                                             QzOrv::IOrvObjectDefinition* definition);

/// Appends to `polygons` one polygon on material slot `materialIndex` with the `count` (3 or 4)
/// point indices at `vertexIndices`, in order.
void addPolygon(QzOrv::IOrvList<QzOrv::IOrvPolygon>& polygons, int materialIndex,
                const int* vertexIndices, int count);
