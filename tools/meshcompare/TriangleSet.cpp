// Welding, areas and open edges of an object's triangles.
#include "TriangleSet.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <utility>

std::size_t TriangleSet::PointHash::operator()(const ON_3dPoint& p) const {
  std::size_t hash = 1469598103934665603ull;
  for (double c : {p.x, p.y, p.z}) {
    const double value = c == 0.0 ? 0.0 : c;  // -0 and 0 are equal, so they weld
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    hash = (hash ^ bits) * 1099511628211ull;
  }
  return hash;
}

int TriangleSet::Weld(const ON_3dPoint& p) {
  const auto [it, added] = m_index.try_emplace(p, static_cast<int>(m_points.size()));
  if (added) m_points.push_back(p);
  return it->second;
}

void TriangleSet::AddMesh(const ON_Mesh& mesh, int part) {
  std::vector<int> welded(static_cast<std::size_t>(mesh.VertexCount()));
  for (int i = 0; i < mesh.VertexCount(); ++i)
    welded[static_cast<std::size_t>(i)] = Weld(mesh.Vertex(i));
  for (int f = 0; f < mesh.FaceCount(); ++f) {
    const ON_MeshFace& face = mesh.m_F[f];
    // The polygon's corners once welded, without a corner repeating the one before it.
    std::vector<int> corners;
    for (int k = 0; k < (face.IsQuad() ? 4 : 3); ++k) {
      const int point = welded[static_cast<std::size_t>(face.vi[k])];
      if (corners.empty() || corners.back() != point) corners.push_back(point);
    }
    if (corners.size() > 1 && corners.back() == corners.front()) corners.pop_back();
    if (corners.size() < 3) continue;
    m_triangles.push_back({corners[0], corners[1], corners[2]});
    m_parts.push_back(part);
    if (corners.size() == 4) {
      m_triangles.push_back({corners[0], corners[2], corners[3]});
      m_parts.push_back(part);
    }
  }
}

ON_3dVector TriangleSet::AreaVector(std::size_t t) const {
  const ON_3dPoint& a = Corner(t, 0);
  return ON_CrossProduct(Corner(t, 1) - a, Corner(t, 2) - a);
}

double TriangleSet::Area() const {
  double area = 0.0;
  for (std::size_t t = 0; t < m_triangles.size(); ++t) area += 0.5 * AreaVector(t).Length();
  return area;
}

ON_BoundingBox TriangleSet::Box() const {
  ON_BoundingBox box;
  for (const ON_3dPoint& p : m_points) box.Set(p, box.IsValid());
  return box;
}

std::size_t TriangleSet::OpenEdgeCount() const {
  std::map<std::pair<int, int>, int> uses;
  for (const auto& t : m_triangles)
    for (int k = 0; k < 3; ++k) {
      const int a = t[k], b = t[(k + 1) % 3];
      ++uses[{std::min(a, b), std::max(a, b)}];
    }
  std::size_t open = 0;
  for (const auto& [edge, count] : uses) open += count != 2 ? 1 : 0;
  return open;
}
