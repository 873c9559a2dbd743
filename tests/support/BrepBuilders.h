// Synthetic breps built in code for tests and benchmarks: lines and circles as NURBS edge curves,
// and boxes, plates with round holes, cylinders and spheres as faces trimmed by loops of edges.
#pragma once

#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "opennurbs.h"

namespace brep_builders {

inline const double kHalfRoot2 = std::sqrt(0.5);

inline ON_NurbsCurve* Line(const ON_3dPoint& a, const ON_3dPoint& b) {
  auto* line = new ON_NurbsCurve(3, false, 2, 2);
  line->SetCV(0, a);
  line->SetCV(1, b);
  line->MakeClampedUniformKnotVector();
  return line;
}

/// The nine control points and weights of a unit circle in the xy plane starting at (1, 0), as
/// a rational degree 2 curve with knots 0, 0, 1, 1, 2, 2, 3, 3, 4, 4.
inline std::array<std::pair<ON_3dPoint, double>, 9> UnitCircle() {
  std::array<std::pair<ON_3dPoint, double>, 9> cvs;
  const double corners[9][2] = {{1, 0},   {1, 1},  {0, 1},  {-1, 1}, {-1, 0},
                                {-1, -1}, {0, -1}, {1, -1}, {1, 0}};
  for (int i = 0; i < 9; ++i)
    cvs[i] = {ON_3dPoint(corners[i][0], corners[i][1], 0), i % 2 ? kHalfRoot2 : 1.0};
  return cvs;
}

inline void CircleKnots(ON_NurbsCurve& curve) {
  const double knots[10] = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4};
  for (int k = 0; k < 10; ++k) curve.SetKnot(k, knots[k]);
}

/// A circle about center, parallel to the xy plane, counter-clockwise seen from +z, starting at
/// center + (r, 0, 0).
inline ON_NurbsCurve* Circle(const ON_3dPoint& center, double r) {
  auto* circle = new ON_NurbsCurve(3, true, 3, 9);
  const auto cvs = UnitCircle();
  for (int i = 0; i < 9; ++i) {
    circle->SetCV(i, center + ON_3dVector(cvs[i].first.x * r, cvs[i].first.y * r, 0));
    circle->SetWeight(i, cvs[i].second);
  }
  CircleKnots(*circle);
  return circle;
}

/// Adds a loop of trims (edge index, against the edge's direction) to face fi.
inline void AddLoop(ON_Brep& brep, int fi, ON_BrepLoop::TYPE type,
                    const std::vector<std::pair<int, bool>>& trims) {
  ON_BrepLoop& loop = brep.NewLoop(type, *brep.Face(fi));
  for (const auto& [ei, reversed] : trims) brep.NewTrim(brep.m_E[ei], reversed, loop);
}

inline int AddEdge(ON_Brep& brep, ON_Curve* curve) {
  return brep.NewEdge(brep.AddEdgeCurve(curve)).m_edge_index;
}

/// The rectangle origin + [0, width] x_axis + [0, height] y_axis (unit axes).
inline ON_PlaneSurface* Rectangle(const ON_3dPoint& origin, const ON_3dVector& x_axis,
                                  const ON_3dVector& y_axis, double width, double height) {
  return new ON_PlaneSurface(origin, x_axis, y_axis, ON_Interval(0, width), ON_Interval(0, height));
}

/// The box [0, sx] × [0, sy] × [0, sz]: six plane faces, normals outward, each trimmed by a loop
/// of four of the twelve line edges, which every edge shares between two faces.
inline std::unique_ptr<ON_Brep> Box(double sx, double sy, double sz) {
  auto brep = std::make_unique<ON_Brep>();
  auto corner = [&](int i) { return ON_3dPoint(i & 1 ? sx : 0, i & 2 ? sy : 0, i & 4 ? sz : 0); };
  // Corners of each face, counter-clockwise seen from outside.
  const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                           {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  std::map<std::pair<int, int>, int> edges;
  for (const auto& f : faces) {
    const ON_3dPoint a = corner(f[0]), b = corner(f[1]), d = corner(f[3]);
    ON_3dVector x = b - a, y = d - a;
    const double width = x.Length(), height = y.Length();
    x.Unitize();
    y.Unitize();
    const int fi = brep->NewFace(Rectangle(a, x, y, width, height)).m_face_index;
    std::vector<std::pair<int, bool>> trims;
    for (int k = 0; k < 4; ++k) {
      const int from = f[k], to = f[(k + 1) % 4];
      const std::pair<int, int> key(std::min(from, to), std::max(from, to));
      auto it = edges.find(key);
      if (it == edges.end())
        it = edges.emplace(key, AddEdge(*brep, Line(corner(key.first), corner(key.second)))).first;
      trims.emplace_back(it->second, from > to);
    }
    AddLoop(*brep, fi, ON_BrepLoop::outer, trims);
  }
  return brep;
}

/// A hole of a plate: centre x, y and radius.
struct Hole {
  double x, y, r;
};

/// A width × height plate in the plane z = 0 (normal +z) with round holes, each an inner loop of
/// one circle edge.
inline std::unique_ptr<ON_Brep> Plate(double width, double height, const std::vector<Hole>& holes) {
  auto brep = std::make_unique<ON_Brep>();
  const int fi =
      brep->NewFace(Rectangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, width, height)).m_face_index;
  const ON_3dPoint c[4] = {{0, 0, 0}, {width, 0, 0}, {width, height, 0}, {0, height, 0}};
  std::vector<std::pair<int, bool>> outer;
  for (int k = 0; k < 4; ++k) outer.emplace_back(AddEdge(*brep, Line(c[k], c[(k + 1) % 4])), false);
  AddLoop(*brep, fi, ON_BrepLoop::outer, outer);
  for (const Hole& hole : holes)
    AddLoop(*brep, fi, ON_BrepLoop::inner,
            {{AddEdge(*brep, Circle({hole.x, hole.y, 0}, hole.r)), true}});
  return brep;
}

/// The side of a cylinder of radius r and height h standing on the origin: u runs around (0 to
/// 4, from +x towards +y), v up (0 to 1); its normal points outward.
inline ON_NurbsSurface* CylinderSurface(double r, double h) {
  auto* surface = new ON_NurbsSurface(3, true, 3, 2, 9, 2);
  const auto cvs = UnitCircle();
  for (int i = 0; i < 9; ++i)
    for (int j = 0; j < 2; ++j) {
      surface->SetCV(i, j, {cvs[i].first.x * r, cvs[i].first.y * r, j * h});
      surface->SetWeight(i, j, cvs[i].second);
    }
  const double knots[10] = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4};
  for (int k = 0; k < 10; ++k) surface->SetKnot(0, k, knots[k]);
  surface->MakeClampedUniformKnotVector(1);
  return surface;
}

/// A closed cylinder: its side, one NURBS face closed across a seam edge, and two round plane
/// caps; the caps share the circle edges with the side.
inline std::unique_ptr<ON_Brep> Cylinder(double r, double h) {
  auto brep = std::make_unique<ON_Brep>();
  const int bottom = AddEdge(*brep, Circle({0, 0, 0}, r));
  const int top = AddEdge(*brep, Circle({0, 0, h}, r));
  const int seam = AddEdge(*brep, Line({r, 0, 0}, {r, 0, h}));
  const int side = brep->NewFace(CylinderSurface(r, h)).m_face_index;
  // Counter-clockwise in (u, v): along the bottom, up the seam at u = 4, back along the top, down
  // the seam at u = 0.
  AddLoop(*brep, side, ON_BrepLoop::outer,
          {{bottom, false}, {seam, false}, {top, true}, {seam, true}});
  ON_BrepFace& under = brep->NewFace(Rectangle({-r, -r, 0}, {1, 0, 0}, {0, 1, 0}, 2 * r, 2 * r));
  under.m_bRev = true;
  AddLoop(*brep, under.m_face_index, ON_BrepLoop::outer, {{bottom, false}});
  const int lid =
      brep->NewFace(Rectangle({-r, -r, h}, {1, 0, 0}, {0, 1, 0}, 2 * r, 2 * r)).m_face_index;
  AddLoop(*brep, lid, ON_BrepLoop::outer, {{top, false}});
  return brep;
}

/// A sphere of radius r about the origin as one face: a surface of revolution with poles at
/// v = 0 (south) and v = 2 (north), trimmed by one loop that runs up and down its seam edge.
inline std::unique_ptr<ON_Brep> Sphere(double r) {
  auto brep = std::make_unique<ON_Brep>();
  // The meridian: a half circle in the xz plane from the south pole to the north pole.
  const std::pair<ON_3dPoint, double> meridian[5] = {{{0, 0, -r}, 1.0},
                                                     {{r, 0, -r}, kHalfRoot2},
                                                     {{r, 0, 0}, 1.0},
                                                     {{r, 0, r}, kHalfRoot2},
                                                     {{0, 0, r}, 1.0}};
  auto* surface = new ON_NurbsSurface(3, true, 3, 3, 9, 5);
  const auto circle = UnitCircle();
  for (int i = 0; i < 9; ++i)
    for (int j = 0; j < 5; ++j) {
      const ON_3dPoint& m = meridian[j].first;
      surface->SetCV(i, j, {circle[i].first.x * m.x, circle[i].first.y * m.x, m.z});
      surface->SetWeight(i, j, circle[i].second * meridian[j].second);
    }
  const double u_knots[10] = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4}, v_knots[6] = {0, 0, 1, 1, 2, 2};
  for (int k = 0; k < 10; ++k) surface->SetKnot(0, k, u_knots[k]);
  for (int k = 0; k < 6; ++k) surface->SetKnot(1, k, v_knots[k]);
  auto* seam = new ON_NurbsCurve(3, true, 3, 5);
  for (int j = 0; j < 5; ++j) {
    seam->SetCV(j, meridian[j].first);
    seam->SetWeight(j, meridian[j].second);
  }
  for (int k = 0; k < 6; ++k) seam->SetKnot(k, v_knots[k]);
  const int edge = AddEdge(*brep, seam);
  const int fi = brep->NewFace(surface).m_face_index;
  AddLoop(*brep, fi, ON_BrepLoop::outer, {{edge, false}, {edge, true}});
  return brep;
}

}  // namespace brep_builders
