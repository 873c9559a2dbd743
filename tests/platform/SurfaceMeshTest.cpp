// Meshes, surfaces and the grid mesher of the geometry library.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "opennurbs.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

ON_Xform Moved(double dx, double dy, double dz) {
  ON_Xform xform;
  xform.Translation(dx, dy, dz);
  return xform;
}

// A quarter of a unit cylinder about z, rational degree 2 around and degree 1 up: every point of
// it is exactly at radius 1, which only correct rational evaluation gives.
ON_NurbsSurface QuarterCylinder(double height) {
  ON_NurbsSurface s(3, true, 3, 2, 3, 2);
  const ON_3dPoint arc[3] = {{1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 2; ++j) {
      s.SetCV(i, j, arc[i] + ON_3dVector(0, 0, j * height));
      s.SetWeight(i, j, i == 1 ? std::sqrt(0.5) : 1.0);
    }
  s.MakeClampedUniformKnotVector(0);
  s.MakeClampedUniformKnotVector(1);
  return s;
}

// A bicubic patch over the unit square with `count` control points each way, heights z = x * y.
ON_NurbsSurface Bicubic(int count) {
  ON_NurbsSurface s(3, false, 4, 4, count, count);
  for (int i = 0; i < count; ++i)
    for (int j = 0; j < count; ++j) {
      const double x = double(i) / (count - 1), y = double(j) / (count - 1);
      s.SetCV(i, j, {x, y, x * y});
    }
  s.MakeClampedUniformKnotVector(0);
  s.MakeClampedUniformKnotVector(1);
  return s;
}

int QuadCount(const ON_Surface& surface, const ON_MeshParameters& mp) {
  ON_Brep brep;
  brep.NewFace(static_cast<ON_Surface*>(surface.Duplicate()));
  ON_SimpleArray<ON_Mesh*> meshes;
  EXPECT_EQ(brep.CreateMesh(mp, meshes), 1);
  const int count = meshes[0]->FaceCount();
  delete meshes[0];
  return count;
}

TEST(Mesh, VertexIsDoublePrecisionOnlyWhenTheMeshKeepsIt) {
  const ON_3dPoint precise(0.1, 1e8 + 0.5, -3.0);
  ON_Mesh single;
  single.AppendVertex(precise);
  EXPECT_FALSE(single.HasDoublePrecisionVertices());
  EXPECT_EQ(single.Vertex(0).x, double(0.1f));
  EXPECT_EQ(single.Vertex(0).y, double(float(1e8 + 0.5)));

  ON_Mesh exact;
  exact.m_V.Append(ON_3fPoint(0.1f, float(1e8 + 0.5), -3.0f));
  exact.m_dV.Append(precise);
  ASSERT_TRUE(exact.HasDoublePrecisionVertices());
  EXPECT_EQ(exact.Vertex(0), precise);
  exact.AppendVertex({1, 2, 3});
  EXPECT_EQ(exact.m_dV.Count(), 2);

  // A double array that does not match the float one is not used.
  exact.m_dV.Remove();
  exact.m_dV.Remove();
  exact.m_dV.Append(precise);
  EXPECT_FALSE(exact.HasDoublePrecisionVertices());
}

TEST(Mesh, TransformMovesBothArraysAndTheBoxFollowsTheTrueVertices) {
  ON_Mesh mesh;
  mesh.m_V.Append(ON_3fPoint(0, 0, 0));
  mesh.m_V.Append(ON_3fPoint(1, 2, 3));
  mesh.m_dV.Append({0, 0, 0});
  mesh.m_dV.Append({1, 2, 3.0000000001});
  ASSERT_TRUE(mesh.Transform(Moved(1e7, 0, 0)));
  EXPECT_EQ(mesh.Vertex(1), ON_3dPoint(1e7 + 1, 2, 3.0000000001));
  EXPECT_EQ(mesh.m_V[1].x, float(1e7 + 1));

  ON_BoundingBox box;
  ASSERT_TRUE(mesh.GetTightBoundingBox(box));
  EXPECT_EQ(box.m_min, ON_3dPoint(1e7, 0, 0));
  EXPECT_EQ(box.m_max, ON_3dPoint(1e7 + 1, 2, 3.0000000001));
  const ON_Xform back = Moved(-1e7, 0, 0);
  ASSERT_TRUE(mesh.GetTightBoundingBox(box, false, &back));
  EXPECT_EQ(box.m_max, ON_3dPoint(1, 2, 3.0000000001));
  ON_BoundingBox grown(ON_3dPoint(-5, -5, -5), ON_3dPoint(-4, -4, -4));
  ASSERT_TRUE(mesh.GetTightBoundingBox(grown, true));
  EXPECT_EQ(grown.m_min, ON_3dPoint(-5, -5, -5));
  EXPECT_EQ(grown.m_max.x, 1e7 + 1);
  EXPECT_FALSE(ON_Mesh().GetTightBoundingBox(box));
}

TEST(Mesh, FacesMustUseExistingVerticesAndAppendAtTheEnd) {
  ON_Mesh mesh;
  for (int i = 0; i < 4; ++i) mesh.AppendVertex({double(i), 0, 0});
  EXPECT_TRUE(mesh.SetQuad(0, 0, 1, 2, 3));
  EXPECT_TRUE(mesh.SetTriangle(1, 0, 1, 2));
  EXPECT_TRUE(mesh.m_F[1].IsTriangle());
  EXPECT_EQ(mesh.m_F[1].vi[3], 2);
  EXPECT_FALSE(mesh.SetTriangle(3, 0, 1, 2));  // would leave a gap
  EXPECT_FALSE(mesh.SetQuad(2, 0, 1, 2, 4));   // no vertex 4
  EXPECT_FALSE(mesh.SetTriangle(2, -1, 1, 2));
  EXPECT_EQ(mesh.FaceCount(), 2);
  EXPECT_TRUE(mesh.SetTriangle(0, 3, 2, 1));  // replaces
  EXPECT_EQ(mesh.m_F[0].vi[0], 3);
}

TEST(PlaneSurface, PointsSizeAndBoxFollowTheAxesAndExtents) {
  ON_PlaneSurface plane({1, 2, 3}, {0, 1, 0}, {0, 0, 1}, ON_Interval(0, 4), ON_Interval(-1, 1));
  EXPECT_EQ(plane.PointAt(4, 1), ON_3dPoint(1, 6, 4));
  double width = 0, height = 0;
  ASSERT_TRUE(plane.GetSurfaceSize(&width, &height));
  EXPECT_EQ(width, 4);
  EXPECT_EQ(height, 2);
  ON_BoundingBox box;
  ASSERT_TRUE(plane.GetTightBoundingBox(box));
  EXPECT_EQ(box.m_min, ON_3dPoint(1, 2, 2));
  EXPECT_EQ(box.m_max, ON_3dPoint(1, 6, 4));

  ON_Xform twice;
  twice.Scale(2, 2, 2);
  plane.Transform(twice);
  EXPECT_EQ(plane.PointAt(4, 1), ON_3dPoint(2, 12, 8));
  ASSERT_TRUE(plane.GetSurfaceSize(&width, nullptr));
  EXPECT_EQ(width, 8);
}

TEST(NurbsSurface, DegreeOneIsBilinearAndRationalArcsStayOnTheCircle) {
  ON_NurbsSurface bilinear(3, false, 2, 2, 2, 2);
  bilinear.SetCV(0, 0, {0, 0, 0});
  bilinear.SetCV(1, 0, {2, 0, 0});
  bilinear.SetCV(0, 1, {0, 2, 0});
  bilinear.SetCV(1, 1, {2, 2, 4});
  bilinear.MakeClampedUniformKnotVector(0);
  bilinear.MakeClampedUniformKnotVector(1);
  ASSERT_TRUE(bilinear.IsValid());
  const ON_3dPoint p = bilinear.PointAt(0.25, 0.5);
  EXPECT_DOUBLE_EQ(p.x, 0.5);
  EXPECT_DOUBLE_EQ(p.y, 1.0);
  EXPECT_DOUBLE_EQ(p.z, 0.5);

  const ON_NurbsSurface cylinder = QuarterCylinder(3);
  ASSERT_TRUE(cylinder.IsValid());
  EXPECT_EQ(cylinder.Domain(0).m_t[1], 1.0);
  for (double u : {0.0, 0.1, 0.37, 0.5, 0.9, 1.0}) {
    const ON_3dPoint q = cylinder.PointAt(u, 0.5);
    EXPECT_NEAR(std::hypot(q.x, q.y), 1.0, 1e-12) << u;
    EXPECT_NEAR(q.z, 1.5, 1e-12);
  }
  EXPECT_NEAR(cylinder.PointAt(0.5, 0).x, std::sqrt(0.5), 1e-12);  // the arc's middle
  double width = 0, height = 0;
  ASSERT_TRUE(cylinder.GetSurfaceSize(&width, &height));
  EXPECT_NEAR(width, kPi / 2, 1e-3);
  EXPECT_NEAR(height, 3, 1e-12);
}

// The B-spline basis function N(i, p) at t over the full knot vector U, by the Cox-de Boor
// recursion; the last span is closed at the domain's end.
double Basis(const std::vector<double>& U, int i, int p, double t) {
  if (p == 0) {
    if (U[i] <= t && t < U[i + 1]) return 1.0;
    return t == U.back() && U[i] < U[i + 1] && U[i + 1] == U.back() ? 1.0 : 0.0;
  }
  double value = 0.0;
  if (U[i + p] > U[i]) value += (t - U[i]) / (U[i + p] - U[i]) * Basis(U, i, p - 1, t);
  if (U[i + p + 1] > U[i + 1])
    value += (U[i + p + 1] - t) / (U[i + p + 1] - U[i + 1]) * Basis(U, i + 1, p - 1, t);
  return value;
}

TEST(NurbsSurface, AgreesWithTheBasisFunctionsOnUnevenKnotsAndRejectsBadData) {
  // Degree 2 by 3 with uneven and repeated interior knots and scattered heights.
  ON_NurbsSurface s(3, false, 3, 4, 6, 5);
  const double u_knots[] = {0, 0, 0.5, 0.5, 2, 3, 3};  // order + count - 2 = 7
  const double v_knots[] = {1, 1, 1, 1.2, 4, 4, 4};
  for (int k = 0; k < 7; ++k) {
    s.SetKnot(0, k, u_knots[k]);
    s.SetKnot(1, k, v_knots[k]);
  }
  for (int i = 0; i < 6; ++i)
    for (int j = 0; j < 5; ++j) s.SetCV(i, j, {double(i), double(j), std::sin(i * 1.7 + j * 0.9)});
  ASSERT_TRUE(s.IsValid());
  EXPECT_EQ(s.SpanCount(0), 3);
  EXPECT_EQ(s.SpanCount(1), 2);
  // The full knot vectors repeat the end knots once more.
  const std::vector<double> U = {0, 0, 0, 0.5, 0.5, 2, 3, 3, 3};
  const std::vector<double> V = {1, 1, 1, 1, 1.2, 4, 4, 4, 4};
  for (double u : {0.0, 0.3, 0.5, 1.1, 2.0, 2.9, 3.0})
    for (double v : {1.0, 1.1, 1.2, 3.3, 4.0}) {
      double z = 0.0;
      for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 5; ++j) {
          ON_3dPoint cv;
          s.GetCV(i, j, cv);
          z += Basis(U, i, 2, u) * Basis(V, j, 3, v) * cv.z;
        }
      EXPECT_NEAR(s.PointAt(u, v).z, z, 1e-12) << u << ", " << v;
    }

  ON_NurbsSurface bad = Bicubic(4);
  bad.SetKnot(0, 3, -1.0);  // decreasing
  EXPECT_FALSE(bad.IsValid());
  ON_NurbsSurface plain = Bicubic(4);
  EXPECT_FALSE(plain.SetWeight(0, 0, 2.0));  // not rational
  EXPECT_FALSE(plain.SetCV(4, 0, {0, 0, 0}));
  EXPECT_FALSE(ON_NurbsSurface().Create(3, false, 4, 4, 3, 4));  // fewer points than the order
}

TEST(NurbsSurface, TransformMovesControlPointsAndKeepsTheSurfaceOnTheMovedCircle) {
  ON_NurbsSurface cylinder = QuarterCylinder(1);
  ON_Xform xform;
  xform.Rotation(kPi / 2, {0, 0, 1}, {0, 0, 0});
  cylinder.Transform(Moved(5, 0, 0) * xform);
  const ON_3dPoint q = cylinder.PointAt(0.3, 1);
  EXPECT_NEAR(std::hypot(q.x - 5, q.y), 1.0, 1e-12);
  EXPECT_LE(q.x, 5.0);  // the quarter now lies in the second quadrant
  EXPECT_NEAR(q.z, 1.0, 1e-12);
}

TEST(GridMesher, PlaneMeshesLieOnTheRectangleAndCoverIt) {
  ON_PlaneSurface plane({0, 0, 1}, {1, 0, 0}, {0, 1, 0}, ON_Interval(0, 2), ON_Interval(0, 1));
  ON_Brep brep;
  brep.NewFace(static_cast<ON_Surface*>(plane.Duplicate()));
  ON_SimpleArray<ON_Mesh*> meshes;
  ASSERT_EQ(brep.CreateMesh(ON_MeshParameters::QualityRenderMesh, meshes), 1);
  const ON_Mesh& mesh = *meshes[0];
  ASSERT_GE(mesh.FaceCount(), ON_MeshParameters::QualityRenderMesh.m_grid_min_count);
  for (int f = 0; f < mesh.FaceCount(); ++f) EXPECT_TRUE(mesh.m_F[f].IsQuad());
  ON_BoundingBox box;
  ASSERT_TRUE(mesh.GetTightBoundingBox(box));
  EXPECT_EQ(box.m_min, ON_3dPoint(0, 0, 1));
  EXPECT_EQ(box.m_max, ON_3dPoint(2, 1, 1));
  // The quads tile the rectangle: their areas add up to its area.
  double area = 0;
  for (int f = 0; f < mesh.FaceCount(); ++f) {
    const int* v = mesh.m_F[f].vi;
    const ON_3dPoint a = mesh.Vertex(v[0]), c = mesh.Vertex(v[2]);
    area += std::fabs((c.x - a.x) * (c.y - a.y));
  }
  EXPECT_NEAR(area, 2.0, 1e-6);
  delete meshes[0];
}

TEST(GridMesher, NurbsMeshesLieOnTheSurfaceAndGrowWithTheParameters) {
  const ON_NurbsSurface cylinder = QuarterCylinder(1);
  ON_Brep brep;
  brep.NewFace(static_cast<ON_Surface*>(cylinder.Duplicate()));
  ON_SimpleArray<ON_Mesh*> meshes;
  brep.CreateMesh(ON_MeshParameters::QualityRenderMesh, meshes);
  for (int i = 0; i < meshes[0]->VertexCount(); ++i) {
    const ON_3dPoint p = meshes[0]->Vertex(i);
    EXPECT_NEAR(std::hypot(p.x, p.y), 1.0, 1e-6);
  }
  delete meshes[0];

  const ON_MeshParameters& fast = ON_MeshParameters::FastRenderMesh;
  const ON_MeshParameters& quality = ON_MeshParameters::QualityRenderMesh;
  EXPECT_LT(QuadCount(cylinder, fast), QuadCount(cylinder, quality));
  EXPECT_LT(QuadCount(Bicubic(4), quality), QuadCount(Bicubic(8), quality));
  // The saddle's normal turns by about 35 degrees across it, the cylinder's by 90 (tall, so that
  // its size and not the tolerance sets its cells).
  EXPECT_LT(QuadCount(Bicubic(4), quality), QuadCount(QuarterCylinder(20), quality));

  ON_MeshParameters dense = fast;
  dense.m_grid_min_count = 400;
  EXPECT_GE(QuadCount(cylinder, dense), 400);
  ON_MeshParameters capped = quality;
  capped.m_grid_max_count = 10;
  EXPECT_LE(QuadCount(Bicubic(8), capped), 10);
  EXPECT_GE(QuadCount(Bicubic(8), capped), 1);
}

TEST(GridMesher, LongThinPlanesGetCellsWithinTheAspectRatio) {
  ON_PlaneSurface strip({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, ON_Interval(0, 100), ON_Interval(0, 1));
  ON_MeshParameters mp = ON_MeshParameters::FastRenderMesh;  // 2 x 2 cells before the ratio
  mp.m_grid_aspect_ratio = 5;
  EXPECT_EQ(QuadCount(strip, mp), 40 * 2);  // 100/40 = 2.5 long, 0.5 wide
  mp.m_grid_aspect_ratio = 0;
  EXPECT_EQ(QuadCount(strip, mp), 4);
}

TEST(Brep, CopiesAreDeepAndTransformMovesSurfacesAndStoredMeshes) {
  ON_Brep brep;
  brep.NewFace(new ON_PlaneSurface({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 1}, {0, 1}));
  ON_BrepFace& second =
      brep.NewFace(new ON_PlaneSurface({0, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 1}, {0, 1}));
  auto* mesh = new ON_Mesh();
  mesh->AppendVertex({0, 0.5, 0.5});
  second.SetMesh(ON::render_mesh, mesh);
  EXPECT_EQ(brep.Face(0)->Mesh(ON::render_mesh), nullptr);
  EXPECT_EQ(brep.Face(1)->Mesh(ON::analysis_mesh), nullptr);
  EXPECT_EQ(brep.Face(2), nullptr);

  ON_Brep copy(brep);
  ASSERT_TRUE(copy.Transform(Moved(0, 0, 10)));
  EXPECT_EQ(copy.Face(1)->Mesh(ON::render_mesh)->Vertex(0), ON_3dPoint(0, 0.5, 10.5));
  EXPECT_EQ(copy.Face(0)->SurfaceOf()->PointAt(1, 1), ON_3dPoint(1, 1, 10));
  EXPECT_EQ(brep.Face(1)->Mesh(ON::render_mesh)->Vertex(0), ON_3dPoint(0, 0.5, 0.5));
  EXPECT_EQ(brep.Face(0)->SurfaceOf()->PointAt(1, 1), ON_3dPoint(1, 1, 0));
  ON_BoundingBox box;
  ASSERT_TRUE(copy.GetTightBoundingBox(box));
  EXPECT_EQ(box.m_min, ON_3dPoint(0, 0, 10));
  EXPECT_EQ(box.m_max, ON_3dPoint(1, 1, 11));
}

TEST(Xform, RotationTurnsRightHandedAboutTheCenter) {
  ON_Xform quarter;
  quarter.Rotation(kPi / 2, {0, 0, 2}, {1, 1, 0});
  const ON_3dPoint p = quarter * ON_3dPoint(2, 1, 5);
  EXPECT_NEAR(p.x, 1, 1e-15);
  EXPECT_NEAR(p.y, 2, 1e-15);
  EXPECT_NEAR(p.z, 5, 1e-15);
  ON_Xform none;
  none.Rotation(1.0, {0, 0, 0}, {1, 1, 1});
  EXPECT_TRUE(none.IsIdentity());
}

}  // namespace
