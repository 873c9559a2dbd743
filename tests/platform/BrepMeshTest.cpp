// Breps with trimmed faces and their render meshes: curves, topology, and the mesher's promises
// (closed breps stay closed, holes stay holes, density stays bounded, bad topology is skipped).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "BrepBuilders.h"
#include "opennurbs.h"

namespace {

using namespace brep_builders;

constexpr double kPi = 3.14159265358979323846;

using Meshes = std::vector<std::unique_ptr<ON_Mesh>>;

/// One mesh per face (null where the face could not be meshed).
Meshes MeshFaces(const ON_Brep& brep,
                 const ON_MeshParameters& mp = ON_MeshParameters::QualityRenderMesh) {
  ON_SimpleArray<ON_Mesh*> made;
  const int count = brep.CreateMesh(mp, made);
  EXPECT_EQ(made.Count(), brep.FaceCount());
  Meshes meshes;
  int non_null = 0;
  for (int i = 0; i < made.Count(); ++i) {
    meshes.emplace_back(made[i]);
    non_null += made[i] != nullptr;
  }
  EXPECT_EQ(count, non_null);
  return meshes;
}

/// The meshes of a brep as one triangle soup whose equal points are one vertex, as an export
/// welds them.
struct Welded {
  std::vector<ON_3dPoint> points;
  std::vector<std::array<int, 3>> triangles;
  // How often each directed edge (a, b) is used by a triangle.
  std::map<std::pair<int, int>, int> DirectedEdges() const {
    std::map<std::pair<int, int>, int> edges;
    for (const auto& t : triangles)
      for (int k = 0; k < 3; ++k) ++edges[{t[k], t[(k + 1) % 3]}];
    return edges;
  }
  /// Undirected edges used by one triangle only.
  std::vector<std::pair<int, int>> OpenEdges() const {
    std::map<std::pair<int, int>, int> uses;
    for (const auto& [edge, count] : DirectedEdges())
      uses[{std::min(edge.first, edge.second), std::max(edge.first, edge.second)}] += count;
    std::vector<std::pair<int, int>> open;
    for (const auto& [edge, count] : uses)
      if (count == 1) open.push_back(edge);
    return open;
  }
  double Area() const {
    double area = 0;
    for (const auto& t : triangles) {
      const ON_3dVector a = points[t[1]] - points[t[0]], b = points[t[2]] - points[t[0]];
      area +=
          0.5 * std::sqrt(std::pow(a.y * b.z - a.z * b.y, 2) + std::pow(a.z * b.x - a.x * b.z, 2) +
                          std::pow(a.x * b.y - a.y * b.x, 2));
    }
    return area;
  }
  /// The volume enclosed, positive when the triangles face outward.
  double Volume() const {
    double volume = 0;
    for (const auto& t : triangles) {
      const ON_3dPoint &a = points[t[0]], &b = points[t[1]], &c = points[t[2]];
      volume += (a.x * (b.y * c.z - b.z * c.y) - a.y * (b.x * c.z - b.z * c.x) +
                 a.z * (b.x * c.y - b.y * c.x)) /
                6.0;
    }
    return volume;
  }
};

Welded Weld(const Meshes& meshes) {
  Welded welded;
  std::map<std::array<double, 3>, int> index;
  for (const auto& mesh : meshes) {
    if (!mesh) continue;
    std::vector<int> map(mesh->VertexCount());
    for (int i = 0; i < mesh->VertexCount(); ++i) {
      const ON_3dPoint p = mesh->Vertex(i);
      const auto [it, added] = index.try_emplace({p.x, p.y, p.z}, int(welded.points.size()));
      if (added) welded.points.push_back(p);
      map[i] = it->second;
    }
    for (int f = 0; f < mesh->FaceCount(); ++f) {
      const int* v = mesh->m_F[f].vi;
      welded.triangles.push_back({map[v[0]], map[v[1]], map[v[2]]});
      if (mesh->m_F[f].IsQuad()) welded.triangles.push_back({map[v[0]], map[v[2]], map[v[3]]});
    }
  }
  return welded;
}

/// Every edge used exactly once in each direction: closed, and oriented consistently.
void ExpectClosedAndOriented(const Welded& welded) {
  EXPECT_TRUE(welded.OpenEdges().empty()) << welded.OpenEdges().size() << " open edges";
  const auto edges = welded.DirectedEdges();
  for (const auto& [edge, count] : edges) {
    ASSERT_EQ(count, 1) << "edge " << edge.first << "-" << edge.second;
    ASSERT_EQ(edges.count({edge.second, edge.first}), 1u);
  }
  for (const auto& t : welded.triangles) EXPECT_TRUE(t[0] != t[1] && t[1] != t[2] && t[0] != t[2]);
}

int TriangleCount(const Meshes& meshes) {
  int count = 0;
  for (const auto& mesh : meshes)
    if (mesh)
      for (int f = 0; f < mesh->FaceCount(); ++f) count += mesh->m_F[f].IsQuad() ? 2 : 1;
  return count;
}

// ---- curves and surfaces

TEST(NurbsCurve, RationalCircleStaysOnTheCircleWithTheRightTangent) {
  std::unique_ptr<ON_NurbsCurve> circle(Circle({1, 2, 3}, 2.0));
  ASSERT_TRUE(circle->IsValid());
  EXPECT_EQ(circle->SpanCount(), 4);
  EXPECT_EQ(circle->Domain().m_t[1], 4.0);
  for (double t = 0; t <= 4.0; t += 0.125) {
    ON_3dPoint p;
    ON_3dVector d;
    ASSERT_TRUE(circle->Ev1Der(t, p, d));
    EXPECT_NEAR(std::hypot(p.x - 1, p.y - 2), 2.0, 1e-12) << t;
    EXPECT_NEAR(p.z, 3.0, 1e-15);
    // The derivative agrees with a central difference and is tangent to the circle.
    const double h = 1e-6;
    const ON_3dVector numeric = (circle->PointAt(t + h) - circle->PointAt(t - h)) * (0.5 / h);
    if (t > 0 && t < 4) {
      EXPECT_NEAR((numeric - d).Length(), 0.0, 1e-6 * d.Length()) << t;
    }
    EXPECT_NEAR((p.x - 1) * d.x + (p.y - 2) * d.y, 0.0, 1e-9);
  }
  EXPECT_EQ(circle->PointAtStart(), ON_3dPoint(3, 2, 3));

  ON_NurbsCurve bad(3, false, 3, 4);
  EXPECT_FALSE(bad.IsValid());  // all knots 0: empty domain
  EXPECT_FALSE(bad.SetWeight(0, 2.0));
  EXPECT_FALSE(ON_NurbsCurve().Create(3, false, 4, 3));
  EXPECT_FALSE(ON_NurbsCurve().Create(3, false, 17, 20));
}

TEST(NurbsSurface, DerivativesAgreeWithDifferencesAndSeamsAndPolesAreFound) {
  const std::unique_ptr<ON_Brep> sphere = Sphere(2.0);
  const ON_Surface& surface = *sphere->Face(0)->SurfaceOf();
  for (double u : {0.3, 1.0, 2.7})
    for (double v : {0.2, 1.0, 1.6}) {
      ON_3dPoint p;
      ON_3dVector du, dv;
      ASSERT_TRUE(surface.Ev1Der(u, v, p, du, dv));
      EXPECT_NEAR(p.DistanceTo(ON_3dPoint::Origin), 2.0, 1e-12);
      const double h = 1e-6;
      const ON_3dVector nu = (surface.PointAt(u + h, v) - surface.PointAt(u - h, v)) * (0.5 / h);
      const ON_3dVector nv = (surface.PointAt(u, v + h) - surface.PointAt(u, v - h)) * (0.5 / h);
      EXPECT_NEAR((nu - du).Length(), 0.0, 1e-6 * du.Length());
      EXPECT_NEAR((nv - dv).Length(), 0.0, 1e-6 * dv.Length());
    }
  EXPECT_TRUE(surface.IsClosed(0));
  EXPECT_FALSE(surface.IsClosed(1));
  EXPECT_TRUE(surface.IsSingular(0));
  EXPECT_TRUE(surface.IsSingular(2));
  EXPECT_FALSE(surface.IsSingular(1));
  EXPECT_FALSE(surface.IsSingular(3));

  const std::unique_ptr<ON_NurbsSurface> cylinder(CylinderSurface(1, 3));
  EXPECT_TRUE(cylinder->IsClosed(0));
  EXPECT_FALSE(cylinder->IsSingular(0));
  ON_PlaneSurface plane({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 1}, {0, 1});
  EXPECT_FALSE(plane.IsClosed(0));
  EXPECT_FALSE(plane.IsClosed(1));
}

// ---- topology

TEST(Brep, TopologyLinksFacesLoopsTrimsAndEdgesAndCopiesPointAtTheirOwnBrep) {
  std::unique_ptr<ON_Brep> box = Box(1, 2, 3);
  EXPECT_EQ(box->FaceCount(), 6);
  EXPECT_EQ(box->m_E.Count(), 12);
  EXPECT_EQ(box->m_T.Count(), 24);
  for (int ei = 0; ei < 12; ++ei) EXPECT_EQ(box->m_E[ei].TrimCount(), 2);
  const ON_BrepFace& top = *box->Face(1);
  ASSERT_EQ(top.LoopCount(), 1);
  EXPECT_EQ(top.OuterLoop(), top.Loop(0));
  EXPECT_EQ(top.Loop(0)->Trim(2)->Face(), &top);
  EXPECT_EQ(top.Loop(1), nullptr);
  EXPECT_EQ(top.Loop(0)->Trim(4), nullptr);

  auto copy = std::make_unique<ON_Brep>(*box);
  box.reset();
  ON_Xform up;
  up.Translation(0, 0, 10);
  ASSERT_TRUE(copy->Transform(up));
  const ON_BrepTrim& trim = *copy->Face(1)->Loop(0)->Trim(0);
  EXPECT_EQ(trim.Brep(), copy.get());
  ASSERT_NE(trim.Edge(), nullptr);
  // The top's first trim runs from corner 4 to corner 5, now 10 higher.
  const ON_Curve& curve = *trim.Edge()->EdgeCurveOf();
  EXPECT_EQ(trim.m_bRev3d ? curve.PointAtEnd() : curve.PointAtStart(), ON_3dPoint(0, 0, 13));
  EXPECT_EQ(copy->Face(1)->SurfaceOf()->PointAt(0, 0), ON_3dPoint(0, 0, 13));

  ON_Brep assigned;
  assigned = *copy;
  copy.reset();
  EXPECT_EQ(assigned.Face(5)->Loop(0)->Trim(3)->Edge()->Brep(), &assigned);
}

// ---- the mesher

TEST(BrepMesher, BoxFacesShareTheirEdgePointsSoTheMeshIsClosedAndFacesOutward) {
  const std::unique_ptr<ON_Brep> box = Box(2, 3, 4);
  const Meshes meshes = MeshFaces(*box);
  for (const auto& mesh : meshes) ASSERT_NE(mesh, nullptr);
  // The bottom (face 0) and the front (face 2) meet along y = 0, z = 0 at the same points.
  auto on_edge = [](const ON_Mesh& mesh) {
    std::set<double> xs;
    for (int i = 0; i < mesh.VertexCount(); ++i)
      if (mesh.Vertex(i).y == 0 && mesh.Vertex(i).z == 0) xs.insert(mesh.Vertex(i).x);
    return xs;
  };
  EXPECT_GT(on_edge(*meshes[0]).size(), 2u);
  EXPECT_EQ(on_edge(*meshes[0]), on_edge(*meshes[2]));

  const Welded welded = Weld(meshes);
  ExpectClosedAndOriented(welded);
  EXPECT_NEAR(welded.Area(), 2 * (6 + 8 + 12), 1e-9);
  EXPECT_NEAR(welded.Volume(), 24, 1e-9);
}

TEST(BrepMesher, CornersWhereEdgeEndsDisagreeInTheLastBitsStillClose) {
  // Edges that meet at a corner of a real model end within its tolerance of each other, rarely
  // on the same bits: nudge every edge's ends by a different hair.
  const std::unique_ptr<ON_Brep> box = Box(2, 3, 4);
  for (int i = 0; i < box->m_C3.Count(); ++i) {
    auto* line = dynamic_cast<ON_NurbsCurve*>(box->m_C3[i]);
    ASSERT_NE(line, nullptr);
    const double hair = (i + 1) * 1e-13;
    for (int k : {0, line->CVCount() - 1}) {
      ON_3dPoint p;
      line->GetCV(k, p);
      line->SetCV(k, p + ON_3dVector(hair, -hair, hair));
    }
  }
  ExpectClosedAndOriented(Weld(MeshFaces(*box)));
}

TEST(BrepMesher, HolesStayHolesAndTheOutlinesAreKept) {
  const std::vector<Hole> holes = {{5, 5, 2}, {1.5, 1.5, 0.5}, {8, 2, 1}};
  for (std::size_t count : {1u, 3u}) {
    SCOPED_TRACE(count);
    const std::unique_ptr<ON_Brep> plate =
        Plate(10, 10, std::vector<Hole>(holes.begin(), holes.begin() + count));
    const Welded welded = Weld(MeshFaces(*plate));
    double hole_area = 0;
    for (std::size_t h = 0; h < count; ++h) hole_area += kPi * holes[h].r * holes[h].r;
    // The holes' outlines are polygons inside the circles, so a little more area stays.
    EXPECT_GT(welded.Area(), 100 - hole_area);
    EXPECT_LT(welded.Area(), 100 - 0.97 * hole_area);
    for (const auto& t : welded.triangles) {
      const ON_3dPoint &a = welded.points[t[0]], &b = welded.points[t[1]], &c = welded.points[t[2]];
      const double cx = (a.x + b.x + c.x) / 3, cy = (a.y + b.y + c.y) / 3;
      for (std::size_t h = 0; h < count; ++h)
        ASSERT_GT(std::hypot(cx - holes[h].x, cy - holes[h].y), 0.9 * holes[h].r);
    }
    // The open edges are the outline: on the square's sides or on a hole's circle.
    const auto open = welded.OpenEdges();
    std::vector<int> on_hole(count, 0);
    int on_square = 0;
    for (const auto& [a, b] : open)
      for (int end : {a, b}) {
        const ON_3dPoint& p = welded.points[end];
        if (p.x == 0 || p.x == 10 || p.y == 0 || p.y == 10) {
          ++on_square;
          continue;
        }
        bool found = false;
        for (std::size_t h = 0; h < count; ++h)
          if (std::fabs(std::hypot(p.x - holes[h].x, p.y - holes[h].y) - holes[h].r) < 1e-12) {
            ++on_hole[h];
            found = true;
          }
        EXPECT_TRUE(found) << p.x << ", " << p.y;
      }
    EXPECT_GE(on_square, 8);
    for (std::size_t h = 0; h < count; ++h) EXPECT_GE(on_hole[h], 16) << "hole " << h;
  }
}

TEST(BrepMesher, TrimmedFacesKeepGridQuadsAwayFromTheTrimsAndTinyHolesStayOpen) {
  // A hole far smaller than a grid cell (cells are 0.5 wide here).
  const std::unique_ptr<ON_Brep> plate = Plate(10, 10, {{3.75, 3.75, 0.1}});
  ON_MeshParameters mp = ON_MeshParameters::QualityRenderMesh;
  mp.m_grid_min_count = 400;
  const Meshes meshes = MeshFaces(*plate, mp);
  ASSERT_NE(meshes[0], nullptr);
  int quads = 0;
  for (int f = 0; f < meshes[0]->FaceCount(); ++f) quads += meshes[0]->m_F[f].IsQuad();
  EXPECT_GT(quads, 18 * 18 - 4 * 4);
  const Welded welded = Weld(meshes);
  EXPECT_GT(welded.Area(), 100 - kPi * 0.01);
  EXPECT_LT(welded.Area(), 100 - 0.97 * kPi * 0.01);
  for (const auto& t : welded.triangles) {
    const ON_3dPoint &a = welded.points[t[0]], &b = welded.points[t[1]], &c = welded.points[t[2]];
    EXPECT_GT(std::hypot((a.x + b.x + c.x) / 3 - 3.75, (a.y + b.y + c.y) / 3 - 3.75), 0.09);
  }
}

TEST(BrepMesher, ClosedCylinderAndSphereAcrossSeamsAndPolesHaveNoOpenEdges) {
  const std::unique_ptr<ON_Brep> cylinder = Cylinder(1.5, 4);
  const Meshes cylinder_meshes = MeshFaces(*cylinder);
  for (int i = 0; i < cylinder_meshes[0]->VertexCount(); ++i) {
    const ON_3dPoint p = cylinder_meshes[0]->Vertex(i);
    ASSERT_NEAR(std::hypot(p.x, p.y), 1.5, 1e-9);
  }
  const Welded tube = Weld(cylinder_meshes);
  ExpectClosedAndOriented(tube);
  EXPECT_NEAR(tube.Volume(), kPi * 1.5 * 1.5 * 4, 0.02 * kPi * 1.5 * 1.5 * 4);

  const std::unique_ptr<ON_Brep> sphere = Sphere(2);
  const Meshes sphere_meshes = MeshFaces(*sphere);
  ASSERT_NE(sphere_meshes[0], nullptr);
  const Welded ball = Weld(sphere_meshes);
  for (const ON_3dPoint& p : ball.points) ASSERT_NEAR(p.DistanceTo(ON_3dPoint::Origin), 2, 1e-9);
  ExpectClosedAndOriented(ball);
  EXPECT_NEAR(ball.Volume(), 4.0 / 3 * kPi * 8, 0.03 * 4.0 / 3 * kPi * 8);
}

/// A dome of radius r over the origin closed by a round floor: the dome is a surface of
/// revolution (u around, 0 to 4; v up from the equator, 0 to 1, to a pole) whose loop starts at
/// the pole, runs down the seam at u = 0, around the equator and back up the seam at u = 4.
std::unique_ptr<ON_Brep> Dome(double r) {
  auto brep = std::make_unique<ON_Brep>();
  const std::pair<ON_3dPoint, double> meridian[3] = {
      {{r, 0, 0}, 1.0}, {{r, 0, r}, kHalfRoot2}, {{0, 0, r}, 1.0}};
  auto* surface = new ON_NurbsSurface(3, true, 3, 3, 9, 3);
  const auto circle = UnitCircle();
  for (int i = 0; i < 9; ++i)
    for (int j = 0; j < 3; ++j) {
      const ON_3dPoint& m = meridian[j].first;
      surface->SetCV(i, j, {circle[i].first.x * m.x, circle[i].first.y * m.x, m.z});
      surface->SetWeight(i, j, circle[i].second * meridian[j].second);
    }
  const double u_knots[10] = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4};
  for (int k = 0; k < 10; ++k) surface->SetKnot(0, k, u_knots[k]);
  surface->MakeClampedUniformKnotVector(1);
  auto* seam = new ON_NurbsCurve(3, true, 3, 3);
  for (int j = 0; j < 3; ++j) {
    seam->SetCV(j, meridian[j].first);
    seam->SetWeight(j, meridian[j].second);
  }
  seam->MakeClampedUniformKnotVector();
  const int seam_edge = AddEdge(*brep, seam);
  const int equator = AddEdge(*brep, Circle({0, 0, 0}, r));
  const int dome = brep->NewFace(surface).m_face_index;
  AddLoop(*brep, dome, ON_BrepLoop::outer,
          {{seam_edge, true}, {equator, false}, {seam_edge, false}});
  ON_BrepFace& floor = brep->NewFace(Rectangle({-r, -r, 0}, {1, 0, 0}, {0, 1, 0}, 2 * r, 2 * r));
  floor.m_bRev = true;
  AddLoop(*brep, floor.m_face_index, ON_BrepLoop::outer, {{equator, false}});
  return brep;
}

/// A closed cylinder whose side surface misses closing by `gap`: the side at u = 4 stands that
/// far off the seam edge, as in models saved with surfaces closed only to their tolerance. The
/// side's loop starts up the seam at u = 4, whose first point lies closer to the side at u = 0.
std::unique_ptr<ON_Brep> NearlyClosedCylinder(double r, double h, double gap) {
  std::unique_ptr<ON_Brep> brep = Cylinder(r, h);
  auto* side = dynamic_cast<ON_NurbsSurface*>(brep->m_S[brep->Face(0)->m_si]);
  for (int j = 0; j < 2; ++j) {
    ON_3dPoint p;
    side->GetCV(8, j, p);
    side->SetCV(8, j, p + ON_3dVector(0, gap, 0));
  }
  ON_BrepLoop& loop = *brep->Face(0)->Loop(0);
  const int bottom = loop.m_ti[0];
  for (int k = 0; k + 1 < loop.m_ti.Count(); ++k) loop.m_ti[k] = loop.m_ti[k + 1];
  loop.m_ti[loop.m_ti.Count() - 1] = bottom;
  return brep;
}

TEST(BrepMesher, LoopsAlongSeamsKeepTheirSidesThroughPolesAndOnNearlyClosedSurfaces) {
  {
    SCOPED_TRACE("a loop that leaves a pole down one side of the seam and returns up the other");
    const Welded dome = Weld(MeshFaces(*Dome(2)));
    ExpectClosedAndOriented(dome);
    EXPECT_NEAR(dome.Volume(), 2.0 / 3 * kPi * 8, 0.03 * 2.0 / 3 * kPi * 8);
  }
  for (double gap : {1e-6, 3e-3}) {
    SCOPED_TRACE(gap);
    const std::unique_ptr<ON_Brep> cylinder = NearlyClosedCylinder(1.5, 4, gap);
    ASSERT_FALSE(cylinder->Face(0)->SurfaceOf()->IsClosed(0));
    const Welded tube = Weld(MeshFaces(*cylinder));
    ExpectClosedAndOriented(tube);
    EXPECT_NEAR(tube.Volume(), kPi * 1.5 * 1.5 * 4, 0.02 * kPi * 1.5 * 1.5 * 4);
  }
}

TEST(BrepMesher, ALoopThatCrossesItselfGetsNoVertexOfItsOwnWhereItCrosses) {
  // A bow tie: the diagonal from (0, 0) to (4, 4) crosses the side from (4, 0) to (0, 3) at
  // x = y = 12 / 7, where no edge has a point.
  auto brep = std::make_unique<ON_Brep>();
  const int fi = brep->NewFace(Rectangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 4, 4)).m_face_index;
  const ON_3dPoint corners[4] = {{0, 0, 0}, {4, 4, 0}, {4, 0, 0}, {0, 3, 0}};
  std::vector<std::pair<int, bool>> trims;
  for (int k = 0; k < 4; ++k)
    trims.emplace_back(AddEdge(*brep, Line(corners[k], corners[(k + 1) % 4])), false);
  AddLoop(*brep, fi, ON_BrepLoop::outer, trims);
  const Meshes meshes = MeshFaces(*brep);
  ASSERT_NE(meshes[0], nullptr);
  const ON_3dPoint crossing(12.0 / 7, 12.0 / 7, 0);
  for (int i = 0; i < meshes[0]->VertexCount(); ++i)
    EXPECT_GT(ON_3dPoint(meshes[0]->Vertex(i)).DistanceTo(crossing), 1e-6);
  // The two triangles the loop encloses, give or take the cells next to the crossing.
  EXPECT_NEAR(Weld(meshes).Area(), 50.0 / 7, 0.15 * 50.0 / 7);
}

TEST(BrepMesher, DensityFollowsTheParametersAndStaysBoundedOnHugeThinPlanes) {
  const std::unique_ptr<ON_Brep> plate = Plate(10, 10, {{5, 5, 2}});
  ON_MeshParameters dense = ON_MeshParameters::QualityRenderMesh;
  dense.m_grid_min_count = 2500;
  EXPECT_GT(TriangleCount(MeshFaces(*plate, dense)),
            4 * TriangleCount(MeshFaces(*plate, ON_MeshParameters::QualityRenderMesh)));
  // Tall, so that the refine angle and not the tolerance sets the cells around it.
  const std::unique_ptr<ON_Brep> cylinder = Cylinder(1, 50);
  ON_MeshParameters coarse = ON_MeshParameters::QualityRenderMesh;
  coarse.m_refine_angle = kPi / 4;
  EXPECT_LT(TriangleCount(MeshFaces(*cylinder, coarse)), TriangleCount(MeshFaces(*cylinder)));

  // A plane a million units long and one wide, trimmed and untrimmed.
  const std::unique_ptr<ON_Brep> strip = Plate(1e6, 1, {});
  ON_Brep untrimmed;
  untrimmed.NewFace(Rectangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 1e6, 1));
  const int most = ON_MeshParameters::QualityRenderMesh.m_grid_max_count;
  ASSERT_GT(most, 0);
  EXPECT_LE(TriangleCount(MeshFaces(untrimmed)), 2 * most);
  const Meshes strip_meshes = MeshFaces(*strip);
  EXPECT_LE(TriangleCount(strip_meshes), 3 * most);
  EXPECT_NEAR(Weld(strip_meshes).Area(), 1e6, 1e-3);
  ON_MeshParameters capped = ON_MeshParameters::QualityRenderMesh;
  capped.m_grid_max_count = 50;
  EXPECT_LE(TriangleCount(MeshFaces(*strip, capped)), 300);
}

TEST(BrepMesher, FacesWithBrokenTopologyAreSkippedAndTheOthersMeshed) {
  {
    SCOPED_TRACE("a trim naming a missing edge");
    std::unique_ptr<ON_Brep> box = Box(1, 1, 1);
    box->m_T[box->Face(3)->Loop(0)->m_ti[1]].m_ei = 99;
    const Meshes meshes = MeshFaces(*box);
    for (int fi = 0; fi < 6; ++fi) EXPECT_EQ(meshes[fi] == nullptr, fi == 3) << fi;
  }
  {
    SCOPED_TRACE("a loop that does not close, and a face whose surface is missing");
    std::unique_ptr<ON_Brep> plate = Plate(4, 4, {});
    ON_BrepLoop& outer = *plate->Face(0)->Loop(0);
    outer.m_ti.Remove();
    EXPECT_EQ(MeshFaces(*plate)[0], nullptr);
    plate->Face(0)->m_si = 7;
    EXPECT_EQ(MeshFaces(*plate)[0], nullptr);
  }
  {
    SCOPED_TRACE("an empty loop");
    std::unique_ptr<ON_Brep> plate = Plate(4, 4, {});
    plate->NewLoop(ON_BrepLoop::inner, *plate->Face(0));
    EXPECT_EQ(MeshFaces(*plate)[0], nullptr);
  }
  {
    SCOPED_TRACE("a zero-length edge between two trims");
    std::unique_ptr<ON_Brep> plate = Plate(4, 4, {});
    const int point = AddEdge(*plate, Line({4, 0, 0}, {4, 0, 0}));
    ON_BrepLoop& outer = *plate->Face(0)->Loop(0);
    plate->NewTrim(plate->m_E[point], false, outer);
    // Move the new trim between the first and the second.
    const int added = outer.m_ti[4];
    outer.m_ti.Remove();
    outer.m_ti.Insert(1, added);
    const Meshes meshes = MeshFaces(*plate);
    ASSERT_NE(meshes[0], nullptr);
    EXPECT_NEAR(Weld(meshes).Area(), 16, 1e-12);
  }
}

}  // namespace
