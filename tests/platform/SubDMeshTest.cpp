// SubD render meshes: the control net refined to its smooth limit surface, as dense as the mesh
// parameters ask, creases and corners kept sharp, and the polygon count bounded.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

#include "opennurbs.h"

namespace {

/// The cube [-1, 1]³ as a cage of six outward quads.
ON_SubD Cube() {
  ON_SubD cube;
  for (int i = 0; i < 8; ++i)
    cube.m_points.emplace_back(i & 1 ? 1.0 : -1.0, i & 2 ? 1.0 : -1.0, i & 4 ? 1.0 : -1.0);
  cube.m_faces = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                  {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  return cube;
}

/// A flat open sheet of n × n quads over [0, n]², in the plane z = 0.
ON_SubD Sheet(int n) {
  ON_SubD sheet;
  for (int j = 0; j <= n; ++j)
    for (int i = 0; i <= n; ++i) sheet.m_points.emplace_back(i, j, 0.0);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const int a = j * (n + 1) + i;
      sheet.m_faces.push_back({a, a + 1, a + n + 2, a + n + 1});
    }
  return sheet;
}

std::unique_ptr<ON_Mesh> Refined(const ON_SubD& subd, const ON_MeshParameters& mp) {
  return std::unique_ptr<ON_Mesh>(subd.CreateRenderMesh(mp));
}

ON_MeshParameters AtLeast(int cells) {
  ON_MeshParameters mp = ON_MeshParameters::QualityRenderMesh;
  mp.m_grid_min_count = cells;
  return mp;
}

double PointToSegment(const ON_3dPoint& p, const ON_3dPoint& a, const ON_3dPoint& b) {
  const ON_3dVector ab = b - a, ap = p - a;
  const double length = ab.x * ab.x + ab.y * ab.y + ab.z * ab.z;
  const double t =
      length > 0 ? std::clamp((ap.x * ab.x + ap.y * ab.y + ap.z * ab.z) / length, 0.0, 1.0) : 0.0;
  return p.DistanceTo(a + ON_3dVector(ab.x * t, ab.y * t, ab.z * t));
}

ON_3dVector Cross(const ON_3dVector& a, const ON_3dVector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double Dot(const ON_3dVector& a, const ON_3dVector& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

/// The distance from p to the triangle a b c.
double PointToTriangle(const ON_3dPoint& p, const ON_3dPoint& a, const ON_3dPoint& b,
                       const ON_3dPoint& c) {
  const ON_3dVector n = Cross(b - a, c - a);
  const double area = std::sqrt(Dot(n, n));
  if (area > 0) {
    const double d = Dot(p - a, n) / area;
    const ON_3dPoint q = p - ON_3dVector(n.x * d / area, n.y * d / area, n.z * d / area);
    if (Dot(Cross(b - a, q - a), n) >= 0 && Dot(Cross(c - b, q - b), n) >= 0 &&
        Dot(Cross(a - c, q - c), n) >= 0)
      return std::fabs(d);
  }
  return std::min({PointToSegment(p, a, b), PointToSegment(p, b, c), PointToSegment(p, c, a)});
}

/// How far the point is from the mesh's polygons (quads as two triangles).
double DistanceToMesh(const ON_3dPoint& p, const ON_Mesh& mesh) {
  double nearest = 1e300;
  for (int f = 0; f < mesh.FaceCount(); ++f) {
    const int* v = mesh.m_F[f].vi;
    nearest = std::min(nearest,
                       PointToTriangle(p, mesh.Vertex(v[0]), mesh.Vertex(v[1]), mesh.Vertex(v[2])));
    if (mesh.m_F[f].IsQuad())
      nearest = std::min(
          nearest, PointToTriangle(p, mesh.Vertex(v[0]), mesh.Vertex(v[2]), mesh.Vertex(v[3])));
  }
  return nearest;
}

double Diagonal(const ON_Mesh& mesh) {
  ON_BoundingBox box;
  mesh.GetTightBoundingBox(box);
  return box.m_min.DistanceTo(box.m_max);
}

ON_3dVector Normal(const ON_Mesh& mesh, int f) {
  const int* v = mesh.m_F[f].vi;
  ON_3dVector n =
      Cross(mesh.Vertex(v[2]) - mesh.Vertex(v[0]), mesh.Vertex(v[3]) - mesh.Vertex(v[1]));
  const double length = std::sqrt(Dot(n, n));
  return {n.x / length, n.y / length, n.z / length};
}

/// The largest angle, in degrees, between the normals of two quads sharing an edge, among the
/// edges that `counts` accepts (given the edge's two end points).
template <class Counts>
double LargestFold(const ON_Mesh& mesh, Counts counts) {
  std::map<std::pair<int, int>, std::vector<int>> edges;
  for (int f = 0; f < mesh.FaceCount(); ++f)
    for (int k = 0; k < 4; ++k) {
      const int a = mesh.m_F[f].vi[k], b = mesh.m_F[f].vi[(k + 1) % 4];
      edges[{std::min(a, b), std::max(a, b)}].push_back(f);
    }
  double largest = 0;
  for (const auto& [edge, faces] : edges) {
    if (faces.size() != 2 || !counts(mesh.Vertex(edge.first), mesh.Vertex(edge.second))) continue;
    const double cosine =
        std::clamp(Dot(Normal(mesh, faces[0]), Normal(mesh, faces[1])), -1.0, 1.0);
    largest = std::max(largest, std::acos(cosine) * 180 / 3.14159265358979323846);
  }
  return largest;
}

TEST(SubDMesh, TheCubeCageRefinesToARoundedShapeOnItsLimitSurface) {
  const ON_SubD cube = Cube();
  // Quality: at least 16 cells per face, and 90 degrees between faces halved to at most 15.
  EXPECT_EQ(cube.RenderMeshLevel(ON_MeshParameters::QualityRenderMesh), 3);
  EXPECT_EQ(cube.RenderMeshLevel(ON_MeshParameters::FastRenderMesh), 1);
  const auto mesh = Refined(cube, ON_MeshParameters::QualityRenderMesh);
  ASSERT_EQ(mesh->FaceCount(), 6 * 64);
  for (int f = 0; f < mesh->FaceCount(); ++f) ASSERT_TRUE(mesh->m_F[f].IsQuad());
  // Rounded: no point stays at the cage's corners, all lie nearly as far from the centre.
  double nearest = 1e300, farthest = 0;
  for (int i = 0; i < mesh->VertexCount(); ++i) {
    const double r = mesh->Vertex(i).DistanceTo(ON_3dPoint(0, 0, 0));
    nearest = std::min(nearest, r);
    farthest = std::max(farthest, r);
  }
  EXPECT_LT(farthest / nearest, 1.15);
  EXPECT_LT(farthest, 1.0);
  EXPECT_LT(LargestFold(*mesh, [](auto&&...) { return true; }), 15.0);

  // Against the limit surface sampled 8 times finer in each direction: every vertex is one of
  // its points, and every point of it is within 0.5% of the diagonal of the polygons.
  const auto limit = Refined(cube, AtLeast(4096));
  ASSERT_EQ(limit->FaceCount(), 6 * 4096);
  const double tolerance = 0.005 * Diagonal(*limit);
  for (int i = 0; i < mesh->VertexCount(); ++i) {
    double d = 1e300;
    for (int j = 0; j < limit->VertexCount(); ++j)
      d = std::min(d, mesh->Vertex(i).DistanceTo(limit->Vertex(j)));
    ASSERT_LT(d, 1e-12) << "vertex " << i;
  }
  double farthestAway = 0;
  for (int j = 0; j < limit->VertexCount(); j += 7)
    farthestAway = std::max(farthestAway, DistanceToMesh(limit->Vertex(j), *mesh));
  EXPECT_LT(farthestAway, tolerance);
}

TEST(SubDMesh, CreasesAndCornersStaySharp) {
  // The top face's four edges creased: the top stays flat at z = 1 and meets the rounded sides
  // at a sharp fold, while the sides stay smooth.
  ON_SubD creased = Cube();
  creased.m_creases = {{4, 5}, {7, 5}, {7, 6}, {4, 6}};
  const auto mesh = Refined(creased, ON_MeshParameters::QualityRenderMesh);
  int onTop = 0;
  for (int i = 0; i < mesh->VertexCount(); ++i) {
    EXPECT_LE(mesh->Vertex(i).z, 1 + 1e-12);
    onTop += std::fabs(mesh->Vertex(i).z - 1) < 1e-12;
  }
  EXPECT_GE(onTop, 9 * 9);  // the top face's grid, 8 × 8 cells
  const auto onCrease = [](const ON_3dPoint& a, const ON_3dPoint& b) {
    return std::fabs(a.z - 1) < 1e-12 && std::fabs(b.z - 1) < 1e-12;
  };
  EXPECT_GT(LargestFold(*mesh, onCrease), 60.0);
  EXPECT_LT(LargestFold(*mesh, [&](const auto& a, const auto& b) { return !onCrease(a, b); }),
            20.0);

  // A flat sheet's boundary corners: tagged ones stay where the cage has them, others round off.
  for (const bool tagged : {true, false}) {
    ON_SubD sheet = Sheet(3);
    if (tagged) sheet.m_corners = {0, 3, 12, 15};
    const auto flat = Refined(sheet, ON_MeshParameters::QualityRenderMesh);
    int atCorners = 0;
    for (int i = 0; i < flat->VertexCount(); ++i)
      for (int c : {0, 3, 12, 15})
        atCorners += flat->Vertex(i).DistanceTo(sheet.m_points[c]) < 1e-12;
    EXPECT_EQ(atCorners, tagged ? 4 : 0) << tagged;
  }
}

TEST(SubDMesh, ThePolygonCountIsBoundedByTheCage) {
  struct Case {
    int n;  // an n × n sheet
    ON_MeshParameters mp;
    int level;
  };
  const Case cases[] = {
      {4, ON_MeshParameters::FastRenderMesh, 1},       // flat: the least level
      {4, ON_MeshParameters::QualityRenderMesh, 2},    // 16 cells per face
      {4, AtLeast(1 << 30), 6},                        // never deeper than 6
      {100, ON_MeshParameters::QualityRenderMesh, 2},  // 160 000 quads
      {300, ON_MeshParameters::QualityRenderMesh, 1},  // 1 440 000 at level 2 is too many
      {300, ON_MeshParameters::FastRenderMesh, 0},     // 360 000 is more than Fast allows
      {600, ON_MeshParameters::QualityRenderMesh, 0},  // even one level is too many
  };
  for (const Case& c : cases) {
    const ON_SubD sheet = Sheet(c.n);
    EXPECT_EQ(sheet.RenderMeshLevel(c.mp), c.level) << c.n;
    if (c.n > 100) continue;
    const auto mesh = Refined(sheet, c.mp);
    EXPECT_EQ(mesh->FaceCount(), c.n * c.n << (2 * c.level)) << c.n;
  }
  // At level 0 the net is its own mesh; n-gons become fans, faces the refiner refuses too.
  ON_SubD pentagon;
  for (int k = 0; k < 5; ++k)
    pentagon.m_points.emplace_back(std::cos(k * 1.2566), std::sin(k * 1.2566), 0);
  pentagon.m_faces = {{0, 1, 2, 3, 4}};
  EXPECT_EQ(Refined(pentagon, ON_MeshParameters::FastRenderMesh)->FaceCount(), 5);
  pentagon.m_faces = {{0, 1, 2, 1, 4}};
  EXPECT_EQ(Refined(pentagon, ON_MeshParameters::FastRenderMesh)->FaceCount(), 3);
  EXPECT_EQ(Refined(ON_SubD(), ON_MeshParameters::FastRenderMesh), nullptr);
}

// Nets a modeller would not make still refine: faces meeting at a point only, an edge of three
// faces, neighbours turning opposite ways, a point of no face, a face shrunk to a point.
TEST(SubDMesh, OddNetsStillRefine) {
  std::vector<std::vector<std::vector<int>>> nets = {
      {{0, 1, 2, 3}, {2, 4, 5, 6}},   {{0, 1, 2, 3}, {1, 0, 4, 5}, {0, 1, 6, 7}},
      {{0, 1, 2, 3}, {0, 1, 5, 4}},   {{0, 1, 2}},
      {{0, 1, 2, 3}, {8, 9, 10, 11}},
  };
  // One face of more points than the refiner takes around one point.
  std::vector<int> huge(100000);
  for (int i = 0; i < 100000; ++i) huge[std::size_t(i)] = i;
  nets.push_back({huge});
  for (const auto& faces : nets) {
    ON_SubD net;
    for (int i = 0; i < 100000; ++i)
      net.m_points.emplace_back(i < 8 ? i % 3 : 5, i < 8 ? i / 3 : i < 12 ? 5 : i, 0);
    net.m_faces = faces;
    net.m_creases = {{0, 1}};
    const auto mesh = Refined(net, ON_MeshParameters::QualityRenderMesh);
    ASSERT_NE(mesh, nullptr);
    EXPECT_GT(mesh->FaceCount(), 0);
    for (int i = 0; i < mesh->VertexCount(); ++i) ASSERT_TRUE(std::isfinite(mesh->Vertex(i).x));
  }
}

}  // namespace
