// The measures of mesh-compare on meshes whose answers are known: nearest points on triangles,
// the grid search against trying every triangle, welding and open edges, distances, area ratio and
// flipped triangles.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "MeshMeasures.h"
#include "NearestTriangle.h"
#include "TriangleSet.h"

namespace {

/// A mesh of quads over the square [0, 1] x [0, 1] at height z, n by n cells; `reversed` turns
/// the quads the other way round.
ON_Mesh Grid(int n, double z = 0.0, bool reversed = false) {
  ON_Mesh mesh;
  for (int i = 0; i <= n; ++i)
    for (int j = 0; j <= n; ++j)
      mesh.AppendVertex({static_cast<double>(i) / n, static_cast<double>(j) / n, z});
  auto at = [n](int i, int j) { return i * (n + 1) + j; };
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      if (reversed)
        mesh.SetQuad(mesh.FaceCount(), at(i, j), at(i, j + 1), at(i + 1, j + 1), at(i + 1, j));
      else
        mesh.SetQuad(mesh.FaceCount(), at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
    }
  return mesh;
}

/// The unit square as four triangles meeting at its centre, raised to `height`.
ON_Mesh Tent(double height) {
  ON_Mesh mesh;
  for (const ON_3dPoint& p : {ON_3dPoint(0, 0, 0), ON_3dPoint(1, 0, 0), ON_3dPoint(1, 1, 0),
                              ON_3dPoint(0, 1, 0), ON_3dPoint(0.5, 0.5, height)})
    mesh.AppendVertex(p);
  for (int k = 0; k < 4; ++k) mesh.SetTriangle(k, k, (k + 1) % 4, 4);
  return mesh;
}

TriangleSet Set(const ON_Mesh& mesh) {
  TriangleSet set;
  set.AddMesh(mesh, 0);
  return set;
}

TEST(NearestPointOnTriangle, FindsTheCornerSideOrInsideNearest) {
  const ON_3dPoint a(0, 0, 0), b(2, 0, 0), c(0, 2, 0);
  struct Case {
    ON_3dPoint p, nearest;
  } cases[] = {
      {{-1, -1, 5}, {0, 0, 0}},        // beyond corner a
      {{3, -1, 0}, {2, 0, 0}},         // beyond corner b
      {{-1, 3, 0}, {0, 2, 0}},         // beyond corner c
      {{1, -3, 1}, {1, 0, 0}},         // beside side ab
      {{-2, 1, 0}, {0, 1, 0}},         // beside side ca
      {{2, 2, 0}, {1, 1, 0}},          // beside side bc
      {{0.5, 0.5, 3}, {0.5, 0.5, 0}},  // above the inside
  };
  for (const Case& test : cases) {
    const ON_3dPoint q = NearestPointOnTriangle(test.p, a, b, c);
    EXPECT_NEAR((q - test.nearest).Length(), 0.0, 1e-12) << test.p.x << " " << test.p.y;
  }
  // A triangle whose corners lie on one line is its longest side.
  const ON_3dPoint q = NearestPointOnTriangle({1, 1, 0}, a, {1, 0, 0}, b);
  EXPECT_NEAR((q - ON_3dPoint(1, 0, 0)).Length(), 0.0, 1e-12);
}

TEST(NearestTriangle, AgreesWithTryingEveryTriangle) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> coordinate(-1.0, 1.0), size(0.0, 0.2);
  ON_Mesh mesh;
  for (int t = 0; t < 400; ++t) {
    const ON_3dPoint corner(coordinate(random), coordinate(random), 0.1 * coordinate(random));
    for (int k = 0; k < 3; ++k)
      mesh.AppendVertex(corner + ON_3dVector(size(random), size(random), size(random)));
    mesh.SetTriangle(t, 3 * t, 3 * t + 1, 3 * t + 2);
  }
  const TriangleSet set = Set(mesh);
  const NearestTriangle nearest(set);
  long hint = -1;
  for (int q = 0; q < 300; ++q) {
    // Points near the triangles and far outside their box alike.
    const double reach = q % 3 == 0 ? 4.0 : 1.2;
    const ON_3dPoint p(reach * coordinate(random), reach * coordinate(random),
                       reach * coordinate(random));
    double best = INFINITY;
    for (std::size_t t = 0; t < set.TriangleCount(); ++t)
      best = std::min(
          best,
          (NearestPointOnTriangle(p, set.Corner(t, 0), set.Corner(t, 1), set.Corner(t, 2)) - p)
              .Length());
    NearestTriangle::Hit hit;
    ASSERT_TRUE(nearest.Find(p, hit, hint));
    EXPECT_NEAR(hit.distance, best, 1e-12) << "query " << q;
    hint = static_cast<long>(hit.triangle);
  }
  TriangleSet empty;
  NearestTriangle::Hit hit;
  EXPECT_FALSE(NearestTriangle(empty).Find({0, 0, 0}, hit));
}

TEST(TriangleSet, WeldsExactlyEqualPointsAsTheExportDoes) {
  // A cube of six quads whose corners each face lists again.
  auto cube = [](double nudge, double zero) {
    const double v[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                            {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    const int faces[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
                             {2, 3, 7, 6}, {1, 2, 6, 5}, {0, 4, 7, 3}};
    TriangleSet set;
    for (int f = 0; f < 6; ++f) {
      ON_Mesh mesh;
      for (int k = 0; k < 4; ++k) {
        const double* p = v[faces[f][k]];
        double x = p[0] + (f == 5 ? nudge : 0.0);
        if (f == 0 && x == 0.0) x = zero;  // the other faces keep +0
        mesh.AppendVertex({x, p[1], p[2]});
      }
      mesh.SetQuad(0, 0, 1, 2, 3);
      set.AddMesh(mesh, f);
    }
    return set;
  };
  struct Case {
    const char* what;
    double nudge, zero;
    std::size_t points, openEdges;
  } cases[] = {
      {"exactly equal corners", 0.0, 0.0, 8, 0},
      {"-0 and 0 are equal", 0.0, -0.0, 8, 0},
      {"corners a hair apart are not welded", 1e-12, 0.0, 12, 8},
  };
  for (const Case& test : cases) {
    const TriangleSet set = cube(test.nudge, test.zero);
    EXPECT_EQ(set.PointCount(), test.points) << test.what;
    EXPECT_EQ(set.TriangleCount(), 12u) << test.what;
    EXPECT_EQ(set.OpenEdgeCount(), test.openEdges) << test.what;
    EXPECT_NEAR(set.Area(), 6.0, 1e-9) << test.what;
  }
}

TEST(TriangleSet, QuadsWhoseCornersWeldBecomeTrianglesOrNothing) {
  ON_Mesh mesh;
  for (const ON_3dPoint& p : {ON_3dPoint(0, 0, 0), ON_3dPoint(1, 0, 0), ON_3dPoint(1, 1, 0),
                              ON_3dPoint(1, 1, 0), ON_3dPoint(0, 0, 0)})
    mesh.AppendVertex(p);
  mesh.SetQuad(0, 0, 1, 2, 3);  // corners 2 and 3 weld: a triangle
  mesh.SetQuad(1, 0, 1, 4, 0);  // corners 0, 4 and 0 weld: a segment, left out
  mesh.SetTriangle(2, 0, 4, 1);
  const TriangleSet set = Set(mesh);
  EXPECT_EQ(set.TriangleCount(), 1u);
  EXPECT_NEAR(set.Area(), 0.5, 1e-12);
}

TEST(CompareMeshes, MeasuresKnownDifferences) {
  const double diagonal = std::sqrt(2.0);  // of the host's flat unit square
  struct Case {
    const char* what;
    ON_Mesh ours, host;
    double areaRatio, maxPercent, p99AtMostPercent;
    std::size_t flipped;
  } cases[] = {
      {"the same mesh", Grid(1), Grid(1), 1.0, 0.0, 0.0, 0},
      {"a finer mesh of the same square", Grid(8), Grid(1), 1.0, 0.0, 0.0, 0},
      {"raised by 0.01", Grid(4, 0.01), Grid(1), 1.0, 100 * 0.01 / diagonal, 100 * 0.01 / diagonal,
       0},
      {"turned the other way round", Grid(2, 0.0, true), Grid(1), 1.0, 0.0, 0.0, 8},
      // The tent's apex is 0.1 above the square: the largest distance, which little area nears.
      // The tent's box is 0.1 high, so its diagonal is a little longer than the square's.
      {"a flat square against a tent", Grid(1), Tent(0.1), 1.0 / (4 * 0.5 * std::hypot(0.5, 0.1)),
       10 / std::sqrt(2.01), 10 / std::sqrt(2.01), 0},
  };
  for (const Case& test : cases) {
    const MeshMeasures m = CompareMeshes(Set(test.ours), Set(test.host));
    EXPECT_NEAR(m.AreaRatio(), test.areaRatio, 1e-9) << test.what;
    EXPECT_NEAR(m.MaxPercent(), test.maxPercent, 1e-6) << test.what;
    EXPECT_LE(m.P99Percent(), test.p99AtMostPercent + 1e-6) << test.what;
    EXPECT_EQ(m.flipped, test.flipped) << test.what;
  }
  // 1% of the tent's area lies higher than 90% of its height: the 99th percentile is below the
  // largest distance, though near it.
  const MeshMeasures tent = CompareMeshes(Set(Grid(1)), Set(Tent(0.1)));
  EXPECT_GT(tent.P99Percent(), 0.5 * tent.MaxPercent());
  EXPECT_LT(tent.P99Percent(), 0.99 * tent.MaxPercent());
}

TEST(CompareMeshes, AMissingFaceShowsAsItsDistanceAndArea) {
  // The host has the unit square and one beside it 1 away; ours only the first.
  TriangleSet host = Set(Grid(2)), ours = Set(Grid(2));
  ON_Mesh beside = Grid(2);
  for (int i = 0; i < beside.VertexCount(); ++i)
    beside.SetVertex(i, beside.Vertex(i) + ON_3dVector(2, 0, 0));
  host.AddMesh(beside, 1);
  const MeshMeasures m = CompareMeshes(ours, host);
  EXPECT_NEAR(m.AreaRatio(), 0.5, 1e-12);
  ASSERT_EQ(m.faceMaxDistance.size(), 2u);
  EXPECT_NEAR(m.faceMaxDistance[1], 2.0, 1e-9);  // the far side x = 3 from the side x = 1
  EXPECT_NEAR(m.maxDistance, 2.0, 1e-9);
  EXPECT_NEAR(m.faceMaxDistance[0], 0.0, 1e-12);
}

}  // namespace
