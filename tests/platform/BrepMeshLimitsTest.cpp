// The brep mesher on degenerate and extreme input: every face is meshed or skipped with its
// reason, never a crash, and what it makes stays within the face's cell and point budgets.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BrepBuilders.h"
#include "opennurbs.h"

namespace {

using namespace brep_builders;

constexpr double kPi = 3.14159265358979323846;

/// A plane face w × h at `origin`, trimmed by one loop through `corners` (as line edges) unless
/// there are none.
std::unique_ptr<ON_Brep> PlaneFace(double w, double h, const std::vector<ON_3dPoint>& corners,
                                   const ON_3dPoint& origin = {0, 0, 0}) {
  auto brep = std::make_unique<ON_Brep>();
  const int fi = brep->NewFace(Rectangle(origin, {1, 0, 0}, {0, 1, 0}, w, h)).m_face_index;
  if (corners.empty()) return brep;
  std::vector<std::pair<int, bool>> trims;
  for (std::size_t k = 0; k < corners.size(); ++k) {
    const ON_3dPoint a = origin + (corners[k] - ON_3dPoint());
    const ON_3dPoint b = origin + (corners[(k + 1) % corners.size()] - ON_3dPoint());
    trims.emplace_back(AddEdge(*brep, Line(a, b)), false);
  }
  AddLoop(*brep, fi, ON_BrepLoop::outer, trims);
  return brep;
}

std::vector<ON_3dPoint> Rect(double w, double h) {
  return {{0, 0, 0}, {w, 0, 0}, {w, h, 0}, {0, h, 0}};
}

/// A degree-2 NURBS surface over the unit square with the given u knots (count + 1 of them).
std::unique_ptr<ON_Brep> NurbsFace(const std::vector<double>& u_knots, double weight) {
  const int count = static_cast<int>(u_knots.size()) - 1;
  auto* surface = new ON_NurbsSurface(3, weight != 1.0, 3, 3, count, 3);
  for (int i = 0; i < count; ++i)
    for (int j = 0; j < 3; ++j) {
      surface->SetCV(i, j, {double(i) / (count - 1), j / 2.0, std::sin(i + j)});
      if (weight != 1.0) surface->SetWeight(i, j, weight);
    }
  for (int k = 0; k < int(u_knots.size()); ++k) surface->SetKnot(0, k, u_knots[k]);
  surface->MakeClampedUniformKnotVector(1);
  auto brep = std::make_unique<ON_Brep>();
  brep->NewFace(surface);
  return brep;
}

/// A star polygon {n/m} of radius 1 round (1, 1): each side crosses many others.
std::vector<ON_3dPoint> Star(int n, int m) {
  std::vector<ON_3dPoint> points;
  for (int k = 0; k < n; ++k) {
    const double a = 2 * kPi * k * m / n;
    points.push_back({1 + std::cos(a), 1 + std::sin(a), 0});
  }
  return points;
}

double Area(const ON_Mesh& mesh) {
  double area = 0;
  for (int f = 0; f < mesh.FaceCount(); ++f) {
    const int* v = mesh.m_F[f].vi;
    for (int t = 0; t < (mesh.m_F[f].IsQuad() ? 2 : 1); ++t) {
      const ON_3dVector a = mesh.Vertex(v[t + 1]) - mesh.Vertex(v[0]);
      const ON_3dVector b = mesh.Vertex(v[t + 2]) - mesh.Vertex(v[0]);
      area +=
          0.5 * std::sqrt(std::pow(a.y * b.z - a.z * b.y, 2) + std::pow(a.z * b.x - a.x * b.z, 2) +
                          std::pow(a.x * b.y - a.y * b.x, 2));
    }
  }
  return area;
}

TEST(BrepMeshLimits, DegenerateFacesAreMeshedWithinBudgetOrSkippedWithTheirReason) {
  ON_MeshParameters coarse = ON_MeshParameters::QualityRenderMesh;
  coarse.m_grid_max_count = 4096;
  struct Case {
    const char* what;
    std::function<std::unique_ptr<ON_Brep>()> make;
    const ON_MeshParameters& mp;
    std::string failure;  // part of the reason; empty when the face is meshed
    double area;          // of a meshed face; negative: not checked
  };
  const ON_MeshParameters& quality = ON_MeshParameters::QualityRenderMesh;
  const Case cases[] = {
      {"an outer loop there and back along one line",
       [] {
         return PlaneFace(4, 2, {{0, 0, 0}, {2, 1, 0}, {4, 2, 0}, {2, 1, 0}});
       },
       quality, "its loops enclose no area on its surface", 0},
      {"an outer loop of one point",
       [] {
         return PlaneFace(4, 2, {{1, 1, 0}, {1, 1, 0}});
       },
       quality, "loop 0 has shrunk to a point", 0},
      {"a square loop run round twice",
       [] {
         std::vector<ON_3dPoint> twice = Rect(2, 2);
         twice.insert(twice.end(), twice.begin(), twice.end());
         return PlaneFace(2, 2, twice);
       },
       quality, "", 4},
      {"a star whose sides cross one another more often than they have points",
       [] { return PlaneFace(2, 2, Star(201, 100)); }, coarse,
       "its loops cross one another more often than they have points", 0},
      {"an untrimmed plane 1 wide and 200 000 high", [] { return PlaneFace(1, 2e5, {}); }, quality,
       "", 2e5},
      {"a trimmed plane 1e-6 wide and 1 high", [] { return PlaneFace(1e-6, 1, Rect(1e-6, 1)); },
       quality, "", 1e-6},
      {"a trimmed plane 1e-9 by 1e9", [] { return PlaneFace(1e-9, 1e9, Rect(1e-9, 1e9)); }, quality,
       "", 1},
      {"a plane beyond single precision",
       [] {
         return PlaneFace(1e300, 1e300, Rect(1e300, 1e300), {-1e300, 0, 0});
       },
       quality, "beyond single precision", 0},
      {"knots repeated beyond the degree",
       [] {
         return NurbsFace({0, 0, 1, 1, 1, 1, 2, 2}, 1);
       },
       quality, "", -1},
      {"weights too small to divide by",
       [] {
         return NurbsFace({0, 0, 1, 2, 2}, 5e-324);
       },
       quality, "its surface gives points that are not finite numbers", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::unique_ptr<ON_Brep> brep = c.make();
    ON_SimpleArray<ON_Mesh*> meshes;
    ON_ClassArray<ON_String> failures;
    EXPECT_EQ(brep->CreateMesh(c.mp, meshes, &failures), c.failure.empty() ? 1 : 0);
    ASSERT_EQ(meshes.Count(), 1);
    ASSERT_EQ(failures.Count(), 1);
    const std::unique_ptr<ON_Mesh> mesh(meshes[0]);
    EXPECT_NE(std::string(failures[0].Array()).find(c.failure), std::string::npos)
        << failures[0].Array();
    if (!mesh) continue;
    EXPECT_TRUE(c.failure.empty());
    EXPECT_EQ(failures[0].Array(), std::string());
    // Grid nodes and loop points: at most the most cells of each, and a few more.
    EXPECT_LE(mesh->VertexCount(), 3 * c.mp.m_grid_max_count);
    if (c.area >= 0) {
      EXPECT_NEAR(Area(*mesh), c.area, 1e-3 * c.area);
    }
  }
}

TEST(BrepMeshLimits, FacesSharingLongEdgesKeepTheirLoopsWithinTheirBudget) {
  // A circle of radius 100 bounds a plane 1e-3 wide, whose cells are tiny, and a large plate:
  // cut at the narrow face's cells it would take millions of points.
  auto brep = std::make_unique<ON_Brep>();
  const int circle = AddEdge(*brep, Circle({0, 0, 0}, 100));
  for (double width : {1e-3, 300.0}) {
    const int fi =
        brep->NewFace(Rectangle({-150, -150, 0}, {1, 0, 0}, {0, 1, 0}, width, 300)).m_face_index;
    AddLoop(*brep, fi, ON_BrepLoop::outer, {{circle, false}});
  }
  for (const ON_MeshParameters* mp :
       {&ON_MeshParameters::QualityRenderMesh, &ON_MeshParameters::FastRenderMesh}) {
    ON_SimpleArray<ON_Mesh*> meshes;
    ON_ClassArray<ON_String> failures;
    brep->CreateMesh(*mp, meshes, &failures);
    ASSERT_EQ(meshes.Count(), 2);
    EXPECT_EQ(failures[1].Array(), std::string());
    const std::unique_ptr<ON_Mesh> narrow(meshes[0]), plate(meshes[1]);
    ASSERT_NE(plate, nullptr);
    EXPECT_NEAR(Area(*plate), kPi * 1e4, 0.01 * kPi * 1e4);
    for (const ON_Mesh* mesh : {narrow.get(), plate.get()})
      if (mesh) {
        EXPECT_LE(mesh->VertexCount(), 3 * mp->m_grid_max_count);
      }
  }
}

TEST(BrepMeshLimits, ALoopStandingOffItsFaceGetsNoMorePointsThanOnIt) {
  // Whatever is inserted near a loop point that stands off the surface, the triangles round it
  // stay that far off: counting that gap would pile points up there until the budget ran out.
  auto vertices_with_loop_at = [](double lift) {
    auto brep = std::make_unique<ON_Brep>();
    const int fi = brep->NewFace(Rectangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 2, 2)).m_face_index;
    std::vector<std::pair<int, bool>> trims;
    const std::vector<ON_3dPoint> corners = {{0.5, 0, lift}, {2, 0.5, lift}, {1, 2, lift}};
    for (std::size_t k = 0; k < corners.size(); ++k)
      trims.emplace_back(AddEdge(*brep, Line(corners[k], corners[(k + 1) % corners.size()])),
                         false);
    AddLoop(*brep, fi, ON_BrepLoop::outer, trims);
    ON_SimpleArray<ON_Mesh*> meshes;
    brep->CreateMesh(ON_MeshParameters::QualityRenderMesh, meshes, nullptr);
    const std::unique_ptr<ON_Mesh> mesh(meshes.Count() == 1 ? meshes[0] : nullptr);
    return mesh ? mesh->VertexCount() : -1;
  };
  const int on_it = vertices_with_loop_at(0);
  ASSERT_GT(on_it, 0);
  for (double lift : {0.1, 10.0, 1e4}) {
    SCOPED_TRACE(lift);
    EXPECT_EQ(vertices_with_loop_at(lift), on_it);
  }
}

}  // namespace
