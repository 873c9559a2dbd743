// ON_Mesh and the meshing settings.
#include <cmath>
#include <limits>

#include "PointBox.h"
#include "opennurbs_mesh.h"

namespace {

// Converting a double beyond the float range is undefined: such values become infinities here.
float RoundedCoordinate(double x) {
  constexpr double kMost = std::numeric_limits<float>::max();
  if (x > kMost) return std::numeric_limits<float>::infinity();
  if (x < -kMost) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(x);
}

ON_MeshParameters Settings(int grid_min_count, int grid_max_count, double refine_angle) {
  ON_MeshParameters mp;
  mp.m_grid_min_count = grid_min_count;
  mp.m_grid_max_count = grid_max_count;
  mp.m_refine_angle = refine_angle;
  return mp;
}

constexpr double kPi = 3.14159265358979323846;

}  // namespace

ON_3fPoint::ON_3fPoint(const ON_3dPoint& p)
    : x(RoundedCoordinate(p.x)), y(RoundedCoordinate(p.y)), z(RoundedCoordinate(p.z)) {}

// Fast meshes follow the knot spans only; quality meshes cut every span so that a cell bends by at
// most 15 degrees, and start from a finer grid. Both bound the cells of one face, so that a huge
// thin surface cannot ask for millions of them.
const ON_MeshParameters ON_MeshParameters::FastRenderMesh = Settings(4, 4096, 0.0);
const ON_MeshParameters ON_MeshParameters::QualityRenderMesh = Settings(16, 16384, kPi / 12.0);

ON_3dPoint ON_Mesh::Vertex(int i) const {
  if (HasDoublePrecisionVertices()) return m_dV[i];
  const ON_3fPoint& v = m_V[i];
  return {v.x, v.y, v.z};
}

bool ON_Mesh::Transform(const ON_Xform& xform) {
  const bool exact = HasDoublePrecisionVertices();
  for (int i = 0; i < VertexCount(); ++i) {
    const ON_3dPoint moved = xform * Vertex(i);
    if (exact) m_dV[i] = moved;
    m_V[i] = ON_3fPoint(moved);
  }
  return true;
}

bool ON_Mesh::GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox, const ON_Xform* xform) const {
  return on_detail::BoxOfPoints(
      VertexCount(), [this](int i) { return Vertex(i); }, box, bGrowBox, xform);
}

bool ON_Mesh::SetVertex(int i, const ON_3dPoint& p) {
  if (i < 0 || i >= VertexCount()) return false;
  if (HasDoublePrecisionVertices()) m_dV[i] = p;
  m_V[i] = ON_3fPoint(p);
  return true;
}

int ON_Mesh::AppendVertex(const ON_3dPoint& p) {
  if (HasDoublePrecisionVertices()) m_dV.Append(p);
  m_V.Append(ON_3fPoint(p));
  return VertexCount() - 1;
}

bool ON_Mesh::SetTriangle(int face_index, int a, int b, int c) {
  return SetFace(face_index, {{a, b, c, c}});
}

bool ON_Mesh::SetQuad(int face_index, int a, int b, int c, int d) {
  return SetFace(face_index, {{a, b, c, d}});
}

bool ON_Mesh::SetFace(int face_index, const ON_MeshFace& face) {
  if (face_index < 0 || face_index > FaceCount()) return false;
  for (int vi : face.vi)
    if (vi < 0 || vi >= VertexCount()) return false;
  if (face_index == FaceCount())
    m_F.Append(face);
  else
    m_F[face_index] = face;
  return true;
}
