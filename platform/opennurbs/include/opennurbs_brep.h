// Geometry-library breps: ON_Brep, faces on surfaces trimmed by loops of trims, each trim running
// along an edge's 3-D curve; with ON_BrepFace, ON_BrepLoop, ON_BrepTrim, ON_BrepEdge.
#pragma once

#include "opennurbs_mesh.h"
#include "opennurbs_nurbscurve.h"
#include "opennurbs_string.h"
#include "opennurbs_surface.h"

class ON_Brep;
class ON_BrepFace;
class ON_BrepLoop;

/// An edge: one of the brep's 3-D curves (m_c3i into ON_Brep::m_C3), and the trims that run along
/// it (two where two faces meet, one on the brep's open boundary).
class ON_CLASS ON_BrepEdge {
 public:
  /// The edge's curve, or null when m_c3i names none. Owned by the brep.
  const ON_Curve* EdgeCurveOf() const;
  int TrimCount() const { return m_ti.Count(); }
  ON_Brep* Brep() const { return m_brep; }

  int m_edge_index = -1;
  int m_c3i = -1;
  ON_SimpleArray<int> m_ti;  // trims using the edge, into ON_Brep::m_T

 private:
  friend class ON_Brep;
  ON_Brep* m_brep = nullptr;
};

/// A piece of a loop that runs along an edge, in the edge curve's direction or against it
/// (m_bRev3d). Trims here carry no 2-D curve (m_c2i is -1): where the trim lies in the face's
/// parameters follows from its edge.
class ON_CLASS ON_BrepTrim {
 public:
  /// The edge, loop and face of the trim; null when the index names none.
  ON_BrepEdge* Edge() const;
  ON_BrepLoop* Loop() const;
  ON_BrepFace* Face() const;
  ON_Brep* Brep() const { return m_brep; }

  int m_trim_index = -1;
  int m_c2i = -1;
  int m_ei = -1;
  int m_li = -1;
  bool m_bRev3d = false;

 private:
  friend class ON_Brep;
  ON_Brep* m_brep = nullptr;
};

/// A closed chain of trims bounding a face: the outer loop, or an inner loop around a hole. Its
/// trims follow one another end to start, in m_ti order.
class ON_CLASS ON_BrepLoop {
 public:
  enum TYPE { unknown = 0, outer = 1, inner = 2 };

  int TrimCount() const { return m_ti.Count(); }
  /// The lti-th trim of the loop, or null for a bad index.
  ON_BrepTrim* Trim(int lti) const;
  ON_BrepFace* Face() const;
  ON_Brep* Brep() const { return m_brep; }

  int m_loop_index = -1;
  ON_SimpleArray<int> m_ti;  // into ON_Brep::m_T
  TYPE m_type = unknown;
  int m_fi = -1;

 private:
  friend class ON_Brep;
  ON_Brep* m_brep = nullptr;
};

/// A face: the part of a surface (m_si into ON_Brep::m_S) inside its outer loop and outside its
/// inner loops; a face without loops is the whole surface. m_bRev turns its normal around. It owns
/// the render mesh stored for it; copying a face copies the mesh.
class ON_CLASS ON_BrepFace {
 public:
  ON_BrepFace() = default;
  ON_BrepFace(const ON_BrepFace& other);
  ON_BrepFace& operator=(const ON_BrepFace& other);
  /// Moving hands the mesh over; the moved-from face has none.
  ON_BrepFace(ON_BrepFace&& other) noexcept;
  ON_BrepFace& operator=(ON_BrepFace&& other) noexcept;
  ~ON_BrepFace();

  /// The face's surface, owned by the brep; null when m_si names none.
  const ON_Surface* SurfaceOf() const;
  int LoopCount() const { return m_li.Count(); }
  /// The fli-th loop of the face, or null for a bad index.
  ON_BrepLoop* Loop(int fli) const;
  /// The loop whose type is outer, or null.
  ON_BrepLoop* OuterLoop() const;
  ON_Brep* Brep() const { return m_brep; }

  /// The stored mesh of that kind: only render meshes are kept, so null for any other kind and
  /// for a face without one.
  const ON_Mesh* Mesh(ON::mesh_type type) const;
  /// Stores mesh (taking ownership, may be null) as the face's render mesh, deleting the old
  /// one. type must be ON::render_mesh.
  void SetMesh(ON::mesh_type type, ON_Mesh* mesh);

  int m_face_index = -1;
  int m_si = -1;
  bool m_bRev = false;
  ON_SimpleArray<int> m_li;  // into ON_Brep::m_L; the outer loop first

 private:
  friend class ON_Brep;
  ON_Brep* m_brep = nullptr;
  ON_Mesh* m_render_mesh = nullptr;
};

/// A surface (one face) or a polysurface (several), as faces on surfaces with their loops, trims
/// and edges. Owns everything: surfaces, edge curves, the topology and the faces' stored render
/// meshes; a copy is deep. The New... functions return references that stay valid until the next
/// call that adds an element of the same kind.
class ON_CLASS ON_Brep : public ON_Geometry {
 public:
  ON_Brep() = default;
  ON_Brep(const ON_Brep& other);
  ON_Brep& operator=(const ON_Brep& other);
  ~ON_Brep() override;

  ON_Object* Duplicate() const override { return new ON_Brep(*this); }
  /// Moves the surfaces, the edge curves and the stored render meshes.
  bool Transform(const ON_Xform& xform) override;
  /// The union of the faces' surface boxes; false for a brep without faces.
  bool GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox = false,
                           const ON_Xform* xform = nullptr) const override;

  /// Takes ownership of a surface (not null); returns its index in m_S.
  int AddSurface(ON_Surface* surface);
  /// Takes ownership of a 3-D edge curve (not null); returns its index in m_C3.
  int AddEdgeCurve(ON_Curve* curve);
  /// A face on surface m_S[si], without loops (the whole surface) until loops are added.
  ON_BrepFace& NewFace(int si);
  /// Adds the surface (owned from now on, not null) and a face on it.
  ON_BrepFace& NewFace(ON_Surface* surface);
  /// An edge along curve m_C3[c3i].
  ON_BrepEdge& NewEdge(int c3i);
  /// A loop of the face, appended to its loops.
  ON_BrepLoop& NewLoop(ON_BrepLoop::TYPE loop_type, ON_BrepFace& face);
  /// A trim along edge, against the edge's direction when bRev3d, appended to loop; c2i stays -1
  /// here (no 2-D curves).
  ON_BrepTrim& NewTrim(ON_BrepEdge& edge, bool bRev3d, ON_BrepLoop& loop, int c2i = -1);

  int FaceCount() const { return m_F.Count(); }
  /// Face i, or null for a bad index.
  ON_BrepFace* Face(int i);
  const ON_BrepFace* Face(int i) const;
  bool IsSurface() const { return FaceCount() == 1; }

  /// Meshes every face (the stored meshes play no part) and appends one entry per face, in face
  /// order: a new mesh the caller owns, or null for a face that cannot be meshed (a loop that
  /// names a missing edge or does not close, encloses no area or crosses itself too often, a
  /// missing surface, a brep too large for single precision). A face without loops becomes a
  /// grid of quads over its whole surface; a trimmed face becomes triangles inside its outer loop
  /// and around its inner loops, whose boundary points are the edges' own points, shared with
  /// the neighbouring faces. Density follows mp and each surface's size and curvature, with at
  /// most mp.m_grid_max_count grid cells per face and a quarter as many points on its loops (at
  /// least 256; edges are cut more coarsely where a face would need more). The work is bounded by
  /// those counts, whatever the shapes. With `failures` (this stand-in's addition, may be null),
  /// appends one entry per face too: empty for a meshed face, else why it could not be meshed.
  /// Returns the number of meshes made.
  int CreateMesh(const ON_MeshParameters& mp, ON_SimpleArray<ON_Mesh*>& meshes,
                 ON_ClassArray<ON_String>* failures = nullptr) const;

  ON_SimpleArray<ON_Surface*> m_S;  // owned
  ON_SimpleArray<ON_Curve*> m_C3;   // owned
  ON_ClassArray<ON_BrepEdge> m_E;
  ON_ClassArray<ON_BrepTrim> m_T;
  ON_ClassArray<ON_BrepLoop> m_L;
  ON_ClassArray<ON_BrepFace> m_F;

 private:
  void Adopt();  // points every element at this brep
  void Clear();
};
