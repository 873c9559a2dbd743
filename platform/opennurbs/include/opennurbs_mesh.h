// Geometry-library meshes: ON_Mesh (vertices in single or double precision, triangle and quad
// faces) with ON_MeshFace, and the meshing settings ON_MeshParameters.
#pragma once

#include "opennurbs_array.h"
#include "opennurbs_object.h"

class ON_CLASS ON_3fPoint {
 public:
  float x = 0, y = 0, z = 0;
  ON_3fPoint() = default;
  ON_3fPoint(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
  /// p rounded to single precision; a coordinate beyond the float range becomes an infinity of
  /// its sign (as the hardware rounds it), NaN stays NaN.
  explicit ON_3fPoint(const ON_3dPoint& p);
};

/// Four vertex indices; a triangle repeats its third index in the fourth place.
struct ON_CLASS ON_MeshFace {
  int vi[4];
  bool IsTriangle() const { return vi[2] == vi[3]; }
  bool IsQuad() const { return vi[2] != vi[3]; }
};

/// A polygon mesh in document units. A mesh always has single-precision vertices (m_V); it may
/// also keep the same vertices in double precision (m_dV, same count), which then are the true
/// positions and m_V their rounding.
class ON_CLASS ON_Mesh : public ON_Geometry {
 public:
  ON_Object* Duplicate() const override { return new ON_Mesh(*this); }
  /// Moves every vertex: the double-precision ones exactly, the single-precision ones as the
  /// rounding of the moved true position. Always true.
  bool Transform(const ON_Xform& xform) override;
  /// The exact box of the vertices (in double precision when the mesh has them), after xform when
  /// one is given; grown into box when bGrowBox and box is valid. False for a mesh without
  /// vertices (box is then unchanged).
  bool GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox = false,
                           const ON_Xform* xform = nullptr) const override;

  int VertexCount() const { return m_V.Count(); }
  int FaceCount() const { return m_F.Count(); }
  /// Vertex i (0 to VertexCount() - 1) in double precision: from m_dV when the mesh has
  /// double-precision vertices, otherwise m_V widened.
  ON_3dPoint Vertex(int i) const;
  bool HasDoublePrecisionVertices() const {
    return m_dV.Count() > 0 && m_dV.Count() == m_V.Count();
  }

  /// Sets vertex i in both arrays (the double one only when the mesh has it); false for a bad i.
  bool SetVertex(int i, const ON_3dPoint& p);
  /// Appends a vertex (in double precision too when the mesh keeps it); returns its index.
  int AppendVertex(const ON_3dPoint& p);
  /// Sets face face_index (0 to FaceCount(); FaceCount() appends) to a triangle or a quad. False,
  /// and nothing changed, for a bad face index or a vertex index that is not below VertexCount().
  bool SetTriangle(int face_index, int a, int b, int c);
  bool SetQuad(int face_index, int a, int b, int c, int d);

  ON_SimpleArray<ON_3fPoint> m_V;   // single-precision vertices
  ON_SimpleArray<ON_3dPoint> m_dV;  // double-precision vertices, same count as m_V when used
  ON_SimpleArray<ON_MeshFace> m_F;

 private:
  bool SetFace(int face_index, const ON_MeshFace& face);
};

/// Settings for turning surfaces into render meshes. A surface is meshed over a grid of cells: at
/// least m_grid_min_count of them, each knot span cut into more cells the more it bends (by
/// m_refine_angle, and so that the cells stay within half a percent of the brep's diagonal, or
/// m_tolerance when tighter, of the surface), cells no more elongated than m_grid_aspect_ratio
/// allows, and at most m_grid_max_count cells per face when that is set (never more than 2^20).
class ON_CLASS ON_MeshParameters {
 public:
  /// The host's quality render-mesh settings: denser than FastRenderMesh.
  static const ON_MeshParameters QualityRenderMesh;
  /// The host's fast render-mesh settings.
  static const ON_MeshParameters FastRenderMesh;

  /// Kept as a setting; the grid mesher does not measure deviation from the surface.
  double m_relative_tolerance = 0.0;
  /// Farthest, in model units, a brep's mesh may stand off its surfaces, when tighter than half
  /// a percent of the brep's diagonal (which always holds); 0: that half percent only.
  double m_tolerance = 0.0;
  /// Largest bend, in radians, one cell may follow: each span gets ceil(bend / m_refine_angle)
  /// cells, where bend is how far the surface's tangent or normal turns across it (and an edge's
  /// span as many pieces by its tangent). 0: degree cells per span.
  double m_refine_angle = 0.0;
  /// Least number of cells per face: both directions get at least ceil(sqrt(count)) cells.
  int m_grid_min_count = 16;
  /// Most cells per face; 0: no limit but the mesher's own (2^20). Wins over every other setting.
  int m_grid_max_count = 0;
  /// Longest ratio of a cell's long side to its short side, measured with the surface's size;
  /// 0: any ratio.
  double m_grid_aspect_ratio = 6.0;
};
