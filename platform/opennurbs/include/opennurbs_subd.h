// Geometry-library subdivision surfaces: ON_SubD, a control net of polygons with creases and
// corners whose smooth limit surface is the shape, and the render mesh refined from it.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "opennurbs_mesh.h"

/// A Catmull-Clark subdivision surface: its control points, its faces (polygons of at least three
/// different control points, consistently oriented), the edges kept sharp (creases) and the
/// control points kept as sharp points (corners). Boundary edges are always sharp. Owns one render
/// mesh once CreateRenderMesh has made it; copies and transforms carry it.
class ON_CLASS ON_SubD : public ON_Geometry {
 public:
  ON_Object* Duplicate() const override { return new ON_SubD(*this); }
  /// Moves the control points and the render mesh. Always true.
  bool Transform(const ON_Xform& xform) override;
  /// The box of the control points, which holds the limit surface; false without any.
  bool GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox = false,
                           const ON_Xform* xform = nullptr) const override;

  /// The limit surface as quads, refined by `parameters` like the brep mesher's grids: a face of
  /// the net gets at least m_grid_min_count cells (each refinement level splits a cell in four),
  /// more where neighbouring faces meet at a larger angle than m_refine_angle (each level halves
  /// it), and the whole surface at most 64 times MostCells(parameters) cells, never more than
  /// 2^20. Every vertex lies on the limit surface; creases and corners stay sharp. A net too
  /// large to refine once within that budget, or one the refiner refuses (a face using a point
  /// twice, an index out of range, a point or face of more than 65 535 edges), comes out as the
  /// control net itself, n-gons as fans of triangles. Null for a net without faces. The caller
  /// owns the mesh.
  ON_Mesh* CreateRenderMesh(const ON_MeshParameters& parameters) const;
  /// The refinement level CreateRenderMesh uses (0: the control net itself).
  int RenderMeshLevel(const ON_MeshParameters& parameters) const;

  /// The stored render mesh, or null; owned by the SubD.
  const ON_Mesh* RenderMesh() const { return m_render_mesh ? &*m_render_mesh : nullptr; }
  /// Stores `mesh` (owned from now on) as the render mesh; null removes it.
  void SetRenderMesh(ON_Mesh* mesh);

  std::vector<ON_3dPoint> m_points;
  /// Each face lists its control points (indices into m_points) in order around it.
  std::vector<std::vector<int>> m_faces;
  /// The sharp edges, as pairs of control point indices (in either order).
  std::vector<std::pair<int, int>> m_creases;
  /// Control points the surface passes through as sharp points.
  std::vector<int> m_corners;

 private:
  std::optional<ON_Mesh> m_render_mesh;
};
