// Brep meshing speed in triangles per second of processor time on one core (a quad counts as two
// triangles). Each benchmark also meshes the same surfaces without their trims (the plain quad
// grid) in the same run, and reports its own speed as a fraction of that yardstick
// ("vs_untrimmed").
#include <benchmark/benchmark.h>
#include <time.h>

#include <cmath>
#include <map>
#include <memory>
#include <tuple>

#include "BrepBuilders.h"
#include "opennurbs.h"

namespace {

using namespace brep_builders;

/// A wavy bicubic sheet over [0, size]², heights up to a tenth of its size.
ON_NurbsSurface* WavySheet(double size) {
  constexpr int kPoints = 12;
  auto* sheet = new ON_NurbsSurface(3, false, 4, 4, kPoints, kPoints);
  for (int i = 0; i < kPoints; ++i)
    for (int j = 0; j < kPoints; ++j) {
      const double x = size * i / (kPoints - 1), y = size * j / (kPoints - 1);
      sheet->SetCV(i, j, {x, y, 0.1 * size * std::sin(x / size * 6) * std::cos(y / size * 5)});
    }
  sheet->MakeClampedUniformKnotVector(0);
  sheet->MakeClampedUniformKnotVector(1);
  return sheet;
}

/// The sheet trimmed to its domain's square with holes × holes round holes, each an inner loop
/// along a closed polyline edge through 32 points of the surface.
std::unique_ptr<ON_Brep> SheetWithHoles(int holes) {
  auto brep = std::make_unique<ON_Brep>();
  const ON_Surface* sheet = brep->m_S[brep->AddSurface(WavySheet(100))];
  const int fi = brep->NewFace(0).m_face_index;
  const ON_Interval u = sheet->Domain(0), v = sheet->Domain(1);
  auto at = [&](double x, double y) { return sheet->PointAt(u.ParameterAt(x), v.ParameterAt(y)); };
  // The outer loop: the four sides of the domain, as polylines through the surface.
  constexpr int kSide = 64;
  std::vector<std::pair<int, bool>> outer;
  const double corners[5][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}};
  for (int side = 0; side < 4; ++side) {
    auto* edge = new ON_NurbsCurve(3, false, 2, kSide + 1);
    for (int k = 0; k <= kSide; ++k) {
      const double x = corners[side][0] + (corners[side + 1][0] - corners[side][0]) * k / kSide;
      const double y = corners[side][1] + (corners[side + 1][1] - corners[side][1]) * k / kSide;
      edge->SetCV(k, at(x, y));
    }
    edge->MakeClampedUniformKnotVector();
    outer.emplace_back(AddEdge(*brep, edge), false);
  }
  AddLoop(*brep, fi, ON_BrepLoop::outer, outer);
  constexpr int kRound = 32;
  const double pitch = 1.0 / holes, radius = 0.3 * pitch;
  for (int a = 0; a < holes; ++a)
    for (int b = 0; b < holes; ++b) {
      auto* rim = new ON_NurbsCurve(3, false, 2, kRound + 1);
      for (int k = 0; k <= kRound; ++k) {
        const double angle = 2 * 3.14159265358979323846 * (k % kRound) / kRound;
        rim->SetCV(k, at((a + 0.5) * pitch + radius * std::cos(angle),
                         (b + 0.5) * pitch + radius * std::sin(angle)));
      }
      rim->MakeClampedUniformKnotVector();
      AddLoop(*brep, fi, ON_BrepLoop::inner, {{AddEdge(*brep, rim), true}});
    }
  return brep;
}

/// A closed box whose six sides are each cut into n × n square plane faces, every edge shared
/// by two faces.
std::unique_ptr<ON_Brep> TiledBox(int n, double size) {
  auto brep = std::make_unique<ON_Brep>();
  // Sides as in Box: corners counter-clockwise seen from outside, on the lattice {0, n}³.
  const int sides[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                           {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  using Lattice = std::tuple<int, int, int>;
  auto corner = [n](int i) { return Lattice(i & 1 ? n : 0, i & 2 ? n : 0, i & 4 ? n : 0); };
  const double step = size / n;
  auto point = [step](const Lattice& p) {
    return ON_3dPoint(std::get<0>(p) * step, std::get<1>(p) * step, std::get<2>(p) * step);
  };
  std::map<std::pair<Lattice, Lattice>, int> edges;
  for (const auto& side : sides) {
    const Lattice a = corner(side[0]), b = corner(side[1]), d = corner(side[3]);
    auto lattice = [&](int s, int t) {
      return Lattice(std::get<0>(a) + (std::get<0>(b) - std::get<0>(a)) / n * s +
                         (std::get<0>(d) - std::get<0>(a)) / n * t,
                     std::get<1>(a) + (std::get<1>(b) - std::get<1>(a)) / n * s +
                         (std::get<1>(d) - std::get<1>(a)) / n * t,
                     std::get<2>(a) + (std::get<2>(b) - std::get<2>(a)) / n * s +
                         (std::get<2>(d) - std::get<2>(a)) / n * t);
    };
    ON_3dVector x = point(b) - point(a), y = point(d) - point(a);
    x.Unitize();
    y.Unitize();
    for (int s = 0; s < n; ++s)
      for (int t = 0; t < n; ++t) {
        const Lattice c[4] = {lattice(s, t), lattice(s + 1, t), lattice(s + 1, t + 1),
                              lattice(s, t + 1)};
        const int fi = brep->NewFace(Rectangle(point(c[0]), x, y, step, step)).m_face_index;
        std::vector<std::pair<int, bool>> trims;
        for (int k = 0; k < 4; ++k) {
          const Lattice from = c[k], to = c[(k + 1) % 4];
          const auto key = from < to ? std::make_pair(from, to) : std::make_pair(to, from);
          auto it = edges.find(key);
          if (it == edges.end())
            it =
                edges.emplace(key, AddEdge(*brep, Line(point(key.first), point(key.second)))).first;
          trims.emplace_back(it->second, to < from);
        }
        AddLoop(*brep, fi, ON_BrepLoop::outer, trims);
      }
  }
  return brep;
}

/// The same faces on the same surfaces without loops.
std::unique_ptr<ON_Brep> Untrimmed(const ON_Brep& brep) {
  auto bare = std::make_unique<ON_Brep>();
  for (int fi = 0; fi < brep.FaceCount(); ++fi)
    bare->NewFace(static_cast<ON_Surface*>(brep.Face(fi)->SurfaceOf()->Duplicate()));
  return bare;
}

/// Meshes the brep once; returns the triangle count (a quad counts as two).
long MeshOnce(const ON_Brep& brep, const ON_MeshParameters& mp) {
  ON_SimpleArray<ON_Mesh*> meshes;
  brep.CreateMesh(mp, meshes);
  long triangles = 0;
  for (int i = 0; i < meshes.Count(); ++i) {
    if (!meshes[i]) continue;
    for (int f = 0; f < meshes[i]->FaceCount(); ++f)
      triangles += meshes[i]->m_F[f].IsQuad() ? 2 : 1;
    delete meshes[i];
  }
  return triangles;
}

/// Processor time of this thread in seconds: the machine may be shared, so wall time would
/// count other work.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
}

/// Triangles per second of meshing the brep, over at least a quarter of a second.
double Speed(const ON_Brep& brep, const ON_MeshParameters& mp) {
  const double start = ThreadSeconds();
  long triangles = 0;
  double seconds = 0;
  do {
    triangles += MeshOnce(brep, mp);
    seconds = ThreadSeconds() - start;
  } while (seconds < 0.25);
  return triangles / seconds;
}

void Run(benchmark::State& state, const ON_Brep& brep, const ON_MeshParameters& mp) {
  const double yardstick = Speed(*Untrimmed(brep), mp);
  long triangles = 0;
  const double start = ThreadSeconds();
  for (auto _ : state) {
    triangles = MeshOnce(brep, mp);
    benchmark::DoNotOptimize(triangles);
  }
  const double seconds = ThreadSeconds() - start;
  const double speed = triangles * double(state.iterations()) / seconds;
  state.counters["triangles"] = double(triangles);
  state.counters["triangles_per_s"] = speed;
  state.counters["vs_untrimmed"] = speed / yardstick;
}

// A wavy sheet with holes² round holes meshed with quality settings on a fine grid.
void SheetWithRoundHoles(benchmark::State& state) {
  const std::unique_ptr<ON_Brep> brep = SheetWithHoles(int(state.range(0)));
  ON_MeshParameters mp = ON_MeshParameters::QualityRenderMesh;
  mp.m_grid_min_count = 250000;
  mp.m_grid_max_count = 1 << 20;
  Run(state, *brep, mp);
}

// A closed box of 6 n² plane faces meshed with quality settings.
void ClosedTiledBox(benchmark::State& state) {
  const std::unique_ptr<ON_Brep> brep = TiledBox(int(state.range(0)), 100);
  Run(state, *brep, ON_MeshParameters::QualityRenderMesh);
}

// An untrimmed bicubic sheet of n × n control points meshed on a fixed 256 × 256 grid: the time
// per triangle stays flat as n grows, because a point is evaluated from its 4 × 4 nearby control
// points only.
void UntrimmedSheetByControlPoints(benchmark::State& state) {
  const int n = int(state.range(0));
  auto* sheet = new ON_NurbsSurface(3, false, 4, 4, n, n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      sheet->SetCV(i, j, {double(i), double(j), std::sin(i * 0.3) * std::cos(j * 0.2)});
  sheet->MakeClampedUniformKnotVector(0);
  sheet->MakeClampedUniformKnotVector(1);
  ON_Brep brep;
  brep.NewFace(sheet);
  ON_MeshParameters mp = ON_MeshParameters::FastRenderMesh;
  mp.m_grid_min_count = 256 * 256;
  mp.m_grid_max_count = 256 * 256;
  mp.m_grid_aspect_ratio = 0;
  long triangles = 0;
  for (auto _ : state) triangles = MeshOnce(brep, mp);
  state.counters["triangles"] = double(triangles);
  state.counters["per_triangle"] =
      benchmark::Counter(double(triangles), benchmark::Counter::kIsIterationInvariantRate |
                                                benchmark::Counter::kInvert);
}

BENCHMARK(UntrimmedSheetByControlPoints)->Arg(16)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond);
BENCHMARK(SheetWithRoundHoles)->Arg(4)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(ClosedTiledBox)->Arg(10)->Arg(40)->Unit(benchmark::kMillisecond);

}  // namespace
