// How closely brep render meshes follow their surfaces: every triangle's interior within half a
// percent of the brep's diagonal on uneven knot spans, closed surfaces of revolution and trimmed
// faces with holes, and closed surfaces meshed without open edges along their seams.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BrepBuilders.h"
#include "SurfaceDeviation.h"
#include "opennurbs.h"

namespace {

using namespace brep_builders;
using surface_deviation::Uv;

constexpr double kPi = 3.14159265358979323846;
constexpr double kTolerance = 0.005;  // of the brep's diagonal

void SetKnots(ON_NurbsSurface& surface, int dir, const std::vector<double>& knots) {
  ASSERT_EQ(int(knots.size()), surface.KnotCount(dir));
  for (std::size_t k = 0; k < knots.size(); ++k) surface.SetKnot(dir, int(k), knots[k]);
}

/// A sheet bent by 90 degrees inside its first u span [0, 0.1] of [0, 10]: a quarter circle of
/// radius 1, then a flat run of 10, extruded 2 along z.
ON_NurbsSurface* Bend() {
  auto* s = new ON_NurbsSurface(3, true, 3, 2, 5, 2);
  const ON_3dPoint cv[5] = {{1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {-5, 1, 0}, {-10, 1, 0}};
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 2; ++j) {
      s->SetCV(i, j, cv[i] + ON_3dVector(0, 0, 2.0 * j));
      s->SetWeight(i, j, i == 1 ? kHalfRoot2 : 1.0);
    }
  SetKnots(*s, 0, {0, 0, 0.1, 0.1, 10, 10});
  s->MakeClampedUniformKnotVector(1);
  return s;
}

/// A rational circle of radius r in the plane through `center` spanned by x and y, starting at
/// center + r x, with quarters of parameter length 1, 4, 1, 4 (knots 0, 1, 5, 6, 10).
std::array<std::pair<ON_3dPoint, double>, 9> UnevenCircle(const ON_3dPoint& center,
                                                          const ON_3dVector& x,
                                                          const ON_3dVector& y, double r) {
  std::array<std::pair<ON_3dPoint, double>, 9> out = UnitCircle();
  for (auto& [p, w] : out) p = center + x * (r * p.x) + y * (r * p.y);
  return out;
}
const std::vector<double> kUnevenCircleKnots = {0, 0, 1, 1, 5, 5, 6, 6, 10, 10};

/// A torus (tube radius 1 about a circle of radius 3 round z), closed in both directions: u
/// around z with its seam at 180 degrees, v around the tube, both with spans 4 times apart.
ON_NurbsSurface* Torus() {
  auto* s = new ON_NurbsSurface(3, true, 3, 3, 9, 9);
  const auto tube = UnevenCircle({3, 0, 0}, {1, 0, 0}, {0, 0, 1}, 1);
  const auto around = UnitCircle();
  for (int i = 0; i < 9; ++i)
    for (int j = 0; j < 9; ++j) {
      // Rotated by 180 degrees: the seam lies on the -x side.
      const double c = -around[i].first.x, sn = -around[i].first.y;
      const ON_3dPoint& p = tube[j].first;
      s->SetCV(i, j, {c * p.x, sn * p.x, p.z});
      s->SetWeight(i, j, around[i].second * tube[j].second);
    }
  SetKnots(*s, 0, kUnevenCircleKnots);
  SetKnots(*s, 1, kUnevenCircleKnots);
  return s;
}

/// A wavy bicubic sheet over [0, 4]², heights 0.6 sin x cos y, with knots bunched towards x = 0.
ON_NurbsSurface* Wave() {
  auto* s = new ON_NurbsSurface(3, false, 4, 4, 10, 10);
  for (int i = 0; i < 10; ++i)
    for (int j = 0; j < 10; ++j) {
      const double x = 4.0 * i * i / 81.0, y = 4.0 * j / 9.0;
      s->SetCV(i, j, {x, y, 0.6 * std::sin(2 * x) * std::cos(2 * y)});
    }
  SetKnots(*s, 0, {0, 0, 0, 0.2, 0.5, 1, 2, 4, 6, 8, 8, 8});
  s->MakeClampedUniformKnotVector(1);
  return s;
}

/// A polyline through n + 1 points of the surface at (u, v) = f(k / n).
ON_NurbsCurve* CurveOn(const ON_Surface& surface, const std::function<Uv(double)>& f, int n = 200) {
  auto* curve = new ON_NurbsCurve(3, false, 2, n + 1);
  for (int k = 0; k <= n; ++k) {
    const Uv uv = f(double(k) / n);
    curve->SetCV(k, surface.PointAt(uv.u, uv.v));
  }
  curve->MakeClampedUniformKnotVector();
  return curve;
}

/// How the polylines along a face's sides spread their points: evenly over each knot span, or
/// evenly over the parameters (few points in short spans).
enum class Sides { per_span, even };

/// The surface as one face trimmed by its natural boundary: four side edges, a closed direction's
/// two sides one seam edge used twice; plus round holes (centre and radius in parameters).
std::unique_ptr<ON_Brep> Trimmed(ON_Surface* surface, Sides sides,
                                 const std::vector<Hole>& holes = {}) {
  auto brep = std::make_unique<ON_Brep>();
  const int fi = brep->NewFace(surface).m_face_index;
  const ON_Interval u = surface->Domain(0), v = surface->Domain(1);
  auto side = [&](Uv a, Uv b) {
    const int dir = a.u == b.u ? 1 : 0;
    std::vector<double> spans(surface->SpanCount(dir) + 1);
    surface->GetSpanVector(dir, spans.data());
    if (sides == Sides::even) spans = {spans.front(), spans.back()};
    const int per_span = sides == Sides::even ? 200 : 48, n = per_span * int(spans.size() - 1);
    return AddEdge(*brep, CurveOn(
                              *surface,
                              [=](double t) {
                                const int s = std::min(int(t * n), n - 1) / per_span;
                                const double x = (t * n - s * per_span) / per_span;
                                const double at = spans[s] + (spans[s + 1] - spans[s]) * x;
                                return dir == 0 ? Uv{at, a.v} : Uv{a.u, at};
                              },
                              n));
  };
  const Uv c[4] = {{u[0], v[0]}, {u[1], v[0]}, {u[1], v[1]}, {u[0], v[1]}};
  const int south = side(c[0], c[1]), east = side(c[1], c[2]);
  const int north = surface->IsClosed(1) ? south : side(c[3], c[2]);
  const int west = surface->IsClosed(0) ? east : side(c[0], c[3]);
  AddLoop(*brep, fi, ON_BrepLoop::outer,
          {{south, false}, {east, false}, {north, true}, {west, true}});
  for (const Hole& hole : holes)
    AddLoop(*brep, fi, ON_BrepLoop::inner,
            {{AddEdge(*brep, CurveOn(*surface,
                                     [=](double t) {
                                       return Uv{hole.x + hole.r * std::cos(2 * kPi * t),
                                                 hole.y - hole.r * std::sin(2 * kPi * t)};
                                     })),
              false}});
  return brep;
}

std::unique_ptr<ON_Brep> Untrimmed(ON_Surface* surface) {
  auto brep = std::make_unique<ON_Brep>();
  brep->NewFace(surface);
  return brep;
}

double Diagonal(const ON_Brep& brep) {
  ON_BoundingBox box;
  for (int fi = 0; fi < brep.FaceCount(); ++fi) {
    brep.Face(fi)->SurfaceOf()->GetTightBoundingBox(box, fi > 0);
  }
  return box.m_min.DistanceTo(box.m_max);
}

struct DeviationCase {
  const char* name;
  std::function<std::unique_ptr<ON_Brep>()> make;
  bool closed;  // every edge of the welded mesh used by two triangles
};

const DeviationCase kCases[] = {
    {"bend_in_a_short_span_untrimmed", [] { return Untrimmed(Bend()); }, false},
    {"bend_in_a_short_span_trimmed", [] { return Trimmed(Bend(), Sides::per_span); }, false},
    {"torus_seams_at_180_and_0_untrimmed", [] { return Untrimmed(Torus()); }, true},
    // Loop points a few per cell in the short spans, many in the long ones: each must pull back
    // to its own place on both sides of the seams.
    {"torus_seams_at_180_and_0_trimmed", [] { return Trimmed(Torus(), Sides::even); }, true},
    {"torus_trimmed_along_its_spans", [] { return Trimmed(Torus(), Sides::per_span); }, true},
    {"torus_with_a_hole",
     [] {
       return Trimmed(Torus(), Sides::even, {{2.5, 5.5, 1.2}});
     },
     false},
    {"wave_with_uneven_spans_untrimmed", [] { return Untrimmed(Wave()); }, false},
    {"wave_with_holes",
     [] {
       return Trimmed(Wave(), Sides::per_span, {{1, 1, 0.6}, {4.5, 2.5, 1.5}, {6.5, 0.5, 0.3}});
     },
     false},
};

void PrintTo(const DeviationCase& c, std::ostream* out) {
  *out << c.name;
}

class MeshDeviation : public ::testing::TestWithParam<DeviationCase> {};

TEST_P(MeshDeviation, EveryTriangleStaysWithinTheToleranceAndClosedSurfacesClose) {
  const std::unique_ptr<ON_Brep> brep = GetParam().make();
  ON_SimpleArray<ON_Mesh*> made;
  ON_ClassArray<ON_String> failures;
  ASSERT_EQ(brep->CreateMesh(ON_MeshParameters::QualityRenderMesh, made, &failures),
            brep->FaceCount())
      << failures[0].Array();
  std::vector<std::unique_ptr<ON_Mesh>> owned;
  std::vector<const ON_Mesh*> meshes;
  for (int i = 0; i < made.Count(); ++i) owned.emplace_back(made[i]), meshes.push_back(made[i]);
  const double diagonal = Diagonal(*brep);
  for (int fi = 0; fi < brep->FaceCount(); ++fi) {
    const double farthest =
        surface_deviation::FarthestInteriorSample(*brep->Face(fi)->SurfaceOf(), *meshes[fi]);
    EXPECT_LE(farthest / diagonal, kTolerance) << "face " << fi;
  }
  int open = 0, overused = 0;
  for (const auto& [edge, count] :
       surface_deviation::WeldedEdgeUses(meshes.data(), int(meshes.size()))) {
    open += count == 1;
    overused += count > 2;
  }
  EXPECT_EQ(overused, 0);
  if (GetParam().closed) {
    EXPECT_EQ(open, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Surfaces, MeshDeviation, ::testing::ValuesIn(kCases),
                         [](const auto& c) { return std::string(c.param.name); });

}  // namespace
