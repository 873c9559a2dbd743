// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "RatioTiming.h"
#include "geometry/MeshExport.h"
#include "geometry/PointWelder.h"

#ifdef ORV_HAVE_MESHOPTIMIZER
#include <meshoptimizer.h>
#endif

namespace {

// A side × side grid of separate quads, as a surface's render meshes arrive: every quad has its
// own four vertices, so an inner grid point appears in four faces and welds back into one.
std::unique_ptr<ON_Mesh> quadGrid(int side) {
  auto mesh = std::make_unique<ON_Mesh>();
  const double step = 0.1;
  auto add = [&](int i, int j) {
    const ON_3dPoint p(i * step, j * step, std::sin(i * step) * std::cos(j * step));
    mesh->m_dV.Append(p);
    mesh->m_V.Append(
        ON_3fPoint(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)));
    return mesh->VertexCount() - 1;
  };
  for (int i = 0; i < side; ++i)
    for (int j = 0; j < side; ++j) {
      const int a = add(i, j), b = add(i + 1, j), c = add(i + 1, j + 1), d = add(i, j + 1);
      mesh->m_F.Append(ON_MeshFace{{a, b, c, d}});
    }
  return mesh;
}

// Welds one grid mesh of about state.range(0) vertices as exportObjectMeshes does, scaling
// metres to centimetres. The counter is seconds per vertex: flat when welding is linear.
void WeldGridMesh(benchmark::State& state) {
  const int side = static_cast<int>(std::lround(std::sqrt(state.range(0) / 4.0)));
  const std::unique_ptr<ON_Mesh> mesh = quadGrid(side);
  ON_Xform metres;
  metres.Scale(100, 100, 100);
  int points = 0;
  for (auto _ : state) {
    DefinitionMeshes gathered(ON_Xform::IdentityTransformation, metres, true);
    gathered.AddMesh(*mesh);
    points = gathered.Points().Count();
    benchmark::DoNotOptimize(points);
  }
  state.counters["vertices"] = mesh->VertexCount();
  state.counters["points"] = points;
  state.counters["per_vertex"] =
      benchmark::Counter(mesh->VertexCount(), benchmark::Counter::kIsIterationInvariantRate |
                                                  benchmark::Counter::kInvert);
}

// The first-occurrence linear search that welding must agree with, on the same grids: its time
// per vertex grows with the point count, which is what the index above avoids.
void LinearSearchReference(benchmark::State& state) {
  const int side = static_cast<int>(std::lround(std::sqrt(state.range(0) / 4.0)));
  const std::unique_ptr<ON_Mesh> mesh = quadGrid(side);
  for (auto _ : state) {
    ON_SimpleArray<ON_3dPoint> points;
    for (int i = 0; i < mesh->VertexCount(); ++i) {
      const ON_3dPoint p = mesh->Vertex(i);
      if (points.Search(p) < 0) points.Append(p);
    }
    benchmark::DoNotOptimize(points.Count());
  }
  state.counters["per_vertex"] =
      benchmark::Counter(mesh->VertexCount(), benchmark::Counter::kIsIterationInvariantRate |
                                                  benchmark::Counter::kInvert);
}

// A triangle soup of about `vertices` vertices: a wavy grid surface cut into triangles that each
// have their own three vertices, so an inner grid point appears six times.
std::vector<ON_3dPoint> triangleSoup(long vertices) {
  const int side = std::max(1, static_cast<int>(std::lround(std::sqrt(vertices / 6.0))));
  std::vector<ON_3dPoint> soup;
  soup.reserve(static_cast<std::size_t>(6) * side * side);
  auto point = [](int i, int j) {
    return ON_3dPoint(i * 0.1, j * 0.1, std::sin(i * 0.1) * std::cos(j * 0.1));
  };
  for (int i = 0; i < side; ++i) {
    for (int j = 0; j < side; ++j) {
      for (const ON_3dPoint& p : {point(i, j), point(i + 1, j), point(i + 1, j + 1), point(i, j),
                                  point(i + 1, j + 1), point(i, j + 1)})
        soup.push_back(p);
    }
  }
  return soup;
}

// Welds a soup as exportObjectMeshes does (the index sized once from the vertex count), and
// where meshoptimizer is installed, remaps the same soup with meshopt_generateVertexRemap by
// turns: ns_per_vertex is the weld's, ratio the weld's time over the remap's.
void WeldSoup(benchmark::State& state) {
  const std::vector<ON_3dPoint> soup = triangleSoup(state.range(0));
  const int count = static_cast<int>(soup.size());
  std::vector<int> pointOf(soup.size());
  double weldSeconds = 0;
  [[maybe_unused]] double remapSeconds = 0;
  [[maybe_unused]] std::vector<unsigned> remap(soup.size());
  for (auto _ : state) {
    weldSeconds += bench::timed([&] {
      PointWelder welder;
      welder.Reserve(count);
      for (int i = 0; i < count; ++i) pointOf[i] = welder.Add(soup[i]);
      benchmark::DoNotOptimize(pointOf.data());
    });
#ifdef ORV_HAVE_MESHOPTIMIZER
    remapSeconds += bench::timed([&] {
      benchmark::DoNotOptimize(meshopt_generateVertexRemap(
          remap.data(), nullptr, soup.size(), soup.data(), soup.size(), sizeof(ON_3dPoint)));
    });
#endif
  }
  const double iterations = static_cast<double>(state.iterations());
  state.counters["vertices"] = count;
  state.counters["ns_per_vertex"] = 1e9 * weldSeconds / iterations / count;
#ifdef ORV_HAVE_MESHOPTIMIZER
  state.counters["meshopt_ns_per_vertex"] = 1e9 * remapSeconds / iterations / count;
  state.counters["ratio"] = weldSeconds / remapSeconds;
#endif
}

BENCHMARK(WeldSoup)->Apply([](benchmark::internal::Benchmark* run) {
  bench::asRatioRuns(run)->RangeMultiplier(10)->Range(1000, 10000000);
});

BENCHMARK(WeldGridMesh)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);

BENCHMARK(LinearSearchReference)
    ->RangeMultiplier(10)
    ->Range(1000, 10000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
