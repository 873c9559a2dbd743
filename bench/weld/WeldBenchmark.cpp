// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "geometry/MeshExport.h"

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

BENCHMARK(WeldGridMesh)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);

BENCHMARK(LinearSearchReference)
    ->RangeMultiplier(10)
    ->Range(1000, 10000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
