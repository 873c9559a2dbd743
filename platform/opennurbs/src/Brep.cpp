// Brep topology: faces, loops, trims and edges that refer to one another by index, and the deep
// copy that keeps them pointing at their own brep.
#include <cassert>
#include <utility>

#include "opennurbs_brep.h"

namespace {

template <class T>
T* Copy(const T* object) {
  return object ? static_cast<T*>(object->Duplicate()) : nullptr;
}

template <class T>
T* At(ON_ClassArray<T>& array, int i) {
  return i >= 0 && i < array.Count() ? &array[i] : nullptr;
}

}  // namespace

// ---- edges, trims, loops

const ON_Curve* ON_BrepEdge::EdgeCurveOf() const {
  if (!m_brep || m_c3i < 0 || m_c3i >= m_brep->m_C3.Count()) return nullptr;
  return m_brep->m_C3[m_c3i];
}

ON_BrepEdge* ON_BrepTrim::Edge() const {
  return m_brep ? At(m_brep->m_E, m_ei) : nullptr;
}

ON_BrepLoop* ON_BrepTrim::Loop() const {
  return m_brep ? At(m_brep->m_L, m_li) : nullptr;
}

ON_BrepFace* ON_BrepTrim::Face() const {
  const ON_BrepLoop* loop = Loop();
  return loop ? loop->Face() : nullptr;
}

ON_BrepTrim* ON_BrepLoop::Trim(int lti) const {
  if (!m_brep || lti < 0 || lti >= m_ti.Count()) return nullptr;
  return At(m_brep->m_T, m_ti[lti]);
}

ON_BrepFace* ON_BrepLoop::Face() const {
  return m_brep ? At(m_brep->m_F, m_fi) : nullptr;
}

// ---- ON_BrepFace

ON_BrepFace::ON_BrepFace(const ON_BrepFace& other)
    : m_face_index(other.m_face_index),
      m_si(other.m_si),
      m_bRev(other.m_bRev),
      m_li(other.m_li),
      m_brep(other.m_brep),
      m_render_mesh(Copy(other.m_render_mesh)) {}

ON_BrepFace& ON_BrepFace::operator=(const ON_BrepFace& other) {
  if (this != &other) *this = ON_BrepFace(other);
  return *this;
}

ON_BrepFace::ON_BrepFace(ON_BrepFace&& other) noexcept
    : m_face_index(other.m_face_index),
      m_si(other.m_si),
      m_bRev(other.m_bRev),
      m_li(std::move(other.m_li)),
      m_brep(other.m_brep),
      m_render_mesh(std::exchange(other.m_render_mesh, nullptr)) {}

ON_BrepFace& ON_BrepFace::operator=(ON_BrepFace&& other) noexcept {
  std::swap(m_face_index, other.m_face_index);
  std::swap(m_si, other.m_si);
  std::swap(m_bRev, other.m_bRev);
  std::swap(m_li, other.m_li);
  std::swap(m_brep, other.m_brep);
  std::swap(m_render_mesh, other.m_render_mesh);
  return *this;
}

ON_BrepFace::~ON_BrepFace() {
  delete m_render_mesh;
}

const ON_Surface* ON_BrepFace::SurfaceOf() const {
  if (!m_brep || m_si < 0 || m_si >= m_brep->m_S.Count()) return nullptr;
  return m_brep->m_S[m_si];
}

ON_BrepLoop* ON_BrepFace::Loop(int fli) const {
  if (!m_brep || fli < 0 || fli >= m_li.Count()) return nullptr;
  return At(m_brep->m_L, m_li[fli]);
}

ON_BrepLoop* ON_BrepFace::OuterLoop() const {
  for (int fli = 0; fli < LoopCount(); ++fli)
    if (ON_BrepLoop* loop = Loop(fli); loop && loop->m_type == ON_BrepLoop::outer) return loop;
  return nullptr;
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

ON_Brep::ON_Brep(const ON_Brep& other)
    : ON_Geometry(other), m_E(other.m_E), m_T(other.m_T), m_L(other.m_L), m_F(other.m_F) {
  for (int i = 0; i < other.m_S.Count(); ++i) m_S.Append(Copy(other.m_S[i]));
  for (int i = 0; i < other.m_C3.Count(); ++i) m_C3.Append(Copy(other.m_C3[i]));
  Adopt();
}

ON_Brep& ON_Brep::operator=(const ON_Brep& other) {
  if (this != &other) {
    ON_Brep copy(other);
    Clear();
    std::swap(m_S, copy.m_S);
    std::swap(m_C3, copy.m_C3);
    std::swap(m_E, copy.m_E);
    std::swap(m_T, copy.m_T);
    std::swap(m_L, copy.m_L);
    std::swap(m_F, copy.m_F);
    Adopt();
  }
  return *this;
}

ON_Brep::~ON_Brep() {
  Clear();
}

void ON_Brep::Clear() {
  for (int i = 0; i < m_S.Count(); ++i) delete m_S[i];
  for (int i = 0; i < m_C3.Count(); ++i) delete m_C3[i];
  m_S.Empty();
  m_C3.Empty();
  m_E.Empty();
  m_T.Empty();
  m_L.Empty();
  m_F.Empty();
}

void ON_Brep::Adopt() {
  for (int i = 0; i < m_E.Count(); ++i) m_E[i].m_brep = this;
  for (int i = 0; i < m_T.Count(); ++i) m_T[i].m_brep = this;
  for (int i = 0; i < m_L.Count(); ++i) m_L[i].m_brep = this;
  for (int i = 0; i < m_F.Count(); ++i) m_F[i].m_brep = this;
}

bool ON_Brep::Transform(const ON_Xform& xform) {
  bool moved = true;
  for (int i = 0; i < m_S.Count(); ++i)
    if (m_S[i]) moved = m_S[i]->Transform(xform) && moved;
  for (int i = 0; i < m_C3.Count(); ++i)
    if (m_C3[i]) moved = m_C3[i]->Transform(xform) && moved;
  for (int i = 0; i < FaceCount(); ++i)
    if (ON_Mesh* mesh = m_F[i].m_render_mesh) moved = mesh->Transform(xform) && moved;
  return moved;
}

bool ON_Brep::GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox, const ON_Xform* xform) const {
  bool grow = bGrowBox, found = false;
  for (int i = 0; i < FaceCount(); ++i)
    if (const ON_Surface* surface = m_F[i].SurfaceOf())
      if (surface->GetTightBoundingBox(box, grow, xform)) grow = found = true;
  return found;
}

int ON_Brep::AddSurface(ON_Surface* surface) {
  assert(surface);
  m_S.Append(surface);
  return m_S.Count() - 1;
}

int ON_Brep::AddEdgeCurve(ON_Curve* curve) {
  assert(curve);
  m_C3.Append(curve);
  return m_C3.Count() - 1;
}

ON_BrepFace& ON_Brep::NewFace(int si) {
  ON_BrepFace& face = m_F.AppendNew();
  face.m_brep = this;
  face.m_si = si;
  face.m_face_index = FaceCount() - 1;
  return face;
}

ON_BrepFace& ON_Brep::NewFace(ON_Surface* surface) {
  return NewFace(AddSurface(surface));
}

ON_BrepEdge& ON_Brep::NewEdge(int c3i) {
  ON_BrepEdge& edge = m_E.AppendNew();
  edge.m_brep = this;
  edge.m_c3i = c3i;
  edge.m_edge_index = m_E.Count() - 1;
  return edge;
}

ON_BrepLoop& ON_Brep::NewLoop(ON_BrepLoop::TYPE loop_type, ON_BrepFace& face) {
  ON_BrepLoop& loop = m_L.AppendNew();
  loop.m_brep = this;
  loop.m_type = loop_type;
  loop.m_fi = face.m_face_index;
  loop.m_loop_index = m_L.Count() - 1;
  face.m_li.Append(loop.m_loop_index);
  return loop;
}

ON_BrepTrim& ON_Brep::NewTrim(ON_BrepEdge& edge, bool bRev3d, ON_BrepLoop& loop, int c2i) {
  ON_BrepTrim& trim = m_T.AppendNew();
  trim.m_brep = this;
  trim.m_ei = edge.m_edge_index;
  trim.m_li = loop.m_loop_index;
  trim.m_bRev3d = bRev3d;
  trim.m_c2i = c2i;
  trim.m_trim_index = m_T.Count() - 1;
  edge.m_ti.Append(trim.m_trim_index);
  loop.m_ti.Append(trim.m_trim_index);
  return trim;
}

ON_BrepFace* ON_Brep::Face(int i) {
  return At(m_F, i);
}

const ON_BrepFace* ON_Brep::Face(int i) const {
  return i >= 0 && i < FaceCount() ? &m_F[i] : nullptr;
}
