// The triangles of one object's meshes, their points welded as the export welds them (exactly
// equal coordinates become one point), each triangle tagged with the face it was meshed for.
#pragma once

#include <array>
#include <cstddef>
#include <unordered_map>
#include <vector>

#include "opennurbs.h"

class TriangleSet {
 public:
  /// Appends the faces of `mesh` as triangles of face `part` (0 or more): a quad is cut along
  /// its first diagonal, and a polygon with fewer than three different points once welded (no
  /// area) is left out. Points come from ON_Mesh::Vertex (double precision where the mesh has it).
  void AddMesh(const ON_Mesh& mesh, int part);

  std::size_t TriangleCount() const { return m_triangles.size(); }
  const std::array<int, 3>& Triangle(std::size_t t) const { return m_triangles[t]; }
  int Part(std::size_t t) const { return m_parts[t]; }
  const ON_3dPoint& Point(int i) const { return m_points[static_cast<std::size_t>(i)]; }
  std::size_t PointCount() const { return m_points.size(); }
  /// Corner k (0 to 2) of triangle t.
  const ON_3dPoint& Corner(std::size_t t, int k) const { return Point(m_triangles[t][k]); }

  /// Twice the area of triangle t along its normal by the right hand (corner order).
  ON_3dVector AreaVector(std::size_t t) const;
  double Area() const;
  /// The box around the points; not valid when there are none.
  ON_BoundingBox Box() const;
  /// The edges (pairs of welded points) that are not used by exactly two triangles: 0 for a
  /// closed surface.
  std::size_t OpenEdgeCount() const;

 private:
  int Weld(const ON_3dPoint& p);

  struct PointHash {
    std::size_t operator()(const ON_3dPoint& p) const;
  };
  std::vector<ON_3dPoint> m_points;
  std::unordered_map<ON_3dPoint, int, PointHash> m_index;
  std::vector<std::array<int, 3>> m_triangles;
  std::vector<int> m_parts;
};
