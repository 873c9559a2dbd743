// Breps of untrimmed faces, and the grid mesher that makes their render meshes.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <utility>

#include "opennurbs_surface.h"

namespace {

constexpr double kQuarterTurn = 3.14159265358979323846 / 4.0;
// A thin sliver with a strict aspect ratio could otherwise ask for any number of cells.
constexpr int kMostCells = 1 << 20;

/// Cells of one direction before the size rules: every span is cut into degree cells, and a curved
/// direction's spans into more the smaller the refine angle.
int SpanCells(const ON_Surface& surface, int dir, const ON_MeshParameters& mp) {
  const int degree = std::max(1, surface.Degree(dir));
  int per_span = degree;
  if (degree > 1 && mp.m_refine_angle > 0.0)
    per_span *= static_cast<int>(std::ceil(kQuarterTurn / mp.m_refine_angle));
  return std::max(1, surface.SpanCount(dir)) * per_span;
}

/// Raises `count` until a cell's side along it (size / count) is no more than `ratio` times the
/// other side (other_size / other_count).
int NotTooLong(int count, double size, double other_size, int other_count, double ratio) {
  if (!(ratio > 0.0) || !(other_size > 0.0)) return count;
  const double needed = std::ceil(size * other_count / (other_size * ratio));
  return needed > count ? static_cast<int>(std::min(needed, double(kMostCells))) : count;
}

/// The number of grid cells in u and v for meshing the surface with mp.
void GridSize(const ON_Surface& surface, const ON_MeshParameters& mp, int& nu, int& nv) {
  const int least = static_cast<int>(std::ceil(std::sqrt(std::max(1, mp.m_grid_min_count))));
  nu = std::max(least, SpanCells(surface, 0, mp));
  nv = std::max(least, SpanCells(surface, 1, mp));
  double width = 0.0, height = 0.0;
  if (surface.GetSurfaceSize(&width, &height)) {
    nu = NotTooLong(nu, width, height, nv, mp.m_grid_aspect_ratio);
    nv = NotTooLong(nv, height, width, nu, mp.m_grid_aspect_ratio);
  }
  const double most =
      mp.m_grid_max_count > 0 ? std::min(mp.m_grid_max_count, kMostCells) : kMostCells;
  if (static_cast<double>(nu) * nv > most) {
    // Shrink both directions by the same factor, keeping at least one cell each.
    const double shrink = std::sqrt(most / (double(nu) * nv));
    nu = std::max(1, static_cast<int>(nu * shrink));
    nv = std::max(1, static_cast<int>(nv * shrink));
  }
}

/// The surface sampled on an (nu + 1) × (nv + 1) grid of parameters, one quad per cell.
ON_Mesh* GridMesh(const ON_Surface& surface, int nu, int nv) {
  auto* mesh = new ON_Mesh();
  const ON_Interval u = surface.Domain(0), v = surface.Domain(1);
  for (int i = 0; i <= nu; ++i)
    for (int j = 0; j <= nv; ++j)
      mesh->AppendVertex(
          surface.PointAt(u.ParameterAt(double(i) / nu), v.ParameterAt(double(j) / nv)));
  auto at = [nv](int i, int j) { return i * (nv + 1) + j; };
  for (int i = 0; i < nu; ++i)
    for (int j = 0; j < nv; ++j)
      mesh->SetQuad(mesh->FaceCount(), at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
  return mesh;
}

template <class T>
T* Copy(const T* object) {
  return object ? static_cast<T*>(object->Duplicate()) : nullptr;
}

}  // namespace

// ---- ON_BrepFace

ON_BrepFace::ON_BrepFace(const ON_BrepFace& other)
    : m_face_index(other.m_face_index),
      m_surface(Copy(other.m_surface)),
      m_render_mesh(Copy(other.m_render_mesh)) {}

ON_BrepFace& ON_BrepFace::operator=(const ON_BrepFace& other) {
  if (this != &other) *this = ON_BrepFace(other);
  return *this;
}

ON_BrepFace::ON_BrepFace(ON_BrepFace&& other) noexcept
    : m_face_index(other.m_face_index),
      m_surface(std::exchange(other.m_surface, nullptr)),
      m_render_mesh(std::exchange(other.m_render_mesh, nullptr)) {}

ON_BrepFace& ON_BrepFace::operator=(ON_BrepFace&& other) noexcept {
  std::swap(m_face_index, other.m_face_index);
  std::swap(m_surface, other.m_surface);
  std::swap(m_render_mesh, other.m_render_mesh);
  return *this;
}

ON_BrepFace::~ON_BrepFace() {
  delete m_surface;
  delete m_render_mesh;
}

const ON_Mesh* ON_BrepFace::Mesh(ON::mesh_type type) const {
  return type == ON::render_mesh ? m_render_mesh : nullptr;
}

void ON_BrepFace::SetMesh(ON::mesh_type type, ON_Mesh* mesh) {
  assert(type == ON::render_mesh);
  (void)type;
  if (mesh == m_render_mesh) return;
  delete m_render_mesh;
  m_render_mesh = mesh;
}

// ---- ON_Brep

bool ON_Brep::Transform(const ON_Xform& xform) {
  bool moved = true;
  for (int i = 0; i < FaceCount(); ++i) {
    ON_BrepFace& face = m_F[i];
    moved = face.m_surface->Transform(xform) && moved;
    if (face.m_render_mesh) moved = face.m_render_mesh->Transform(xform) && moved;
  }
  return moved;
}

bool ON_Brep::GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox, const ON_Xform* xform) const {
  bool grow = bGrowBox, found = false;
  for (int i = 0; i < FaceCount(); ++i)
    if (m_F[i].m_surface->GetTightBoundingBox(box, grow, xform)) grow = found = true;
  return found;
}

ON_BrepFace& ON_Brep::NewFace(ON_Surface* surface) {
  assert(surface);
  ON_BrepFace& face = m_F.AppendNew();
  face.m_surface = surface;
  face.m_face_index = FaceCount() - 1;
  return face;
}

ON_BrepFace* ON_Brep::Face(int i) {
  return i >= 0 && i < FaceCount() ? &m_F[i] : nullptr;
}

const ON_BrepFace* ON_Brep::Face(int i) const {
  return i >= 0 && i < FaceCount() ? &m_F[i] : nullptr;
}

int ON_Brep::CreateMesh(const ON_MeshParameters& mp, ON_SimpleArray<ON_Mesh*>& meshes) const {
  for (int i = 0; i < FaceCount(); ++i) {
    int nu = 1, nv = 1;
    GridSize(*m_F[i].m_surface, mp, nu, nv);
    meshes.Append(GridMesh(*m_F[i].m_surface, nu, nv));
  }
  return FaceCount();
}
