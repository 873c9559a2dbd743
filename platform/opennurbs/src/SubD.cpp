// ON_SubD as geometry: moving its control net and render mesh, its box, the stored render mesh.
#include "PointBox.h"
#include "opennurbs_subd.h"

bool ON_SubD::Transform(const ON_Xform& xform) {
  for (ON_3dPoint& p : m_points) p = xform * p;
  if (m_render_mesh) m_render_mesh->Transform(xform);
  return true;
}

bool ON_SubD::GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox, const ON_Xform* xform) const {
  return on_detail::BoxOfPoints(
      int(m_points.size()), [this](int i) { return m_points[std::size_t(i)]; }, box, bGrowBox,
      xform);
}

void ON_SubD::SetRenderMesh(ON_Mesh* mesh) {
  m_render_mesh.reset();
  if (mesh == nullptr) return;
  m_render_mesh.emplace(std::move(*mesh));
  delete mesh;
}
