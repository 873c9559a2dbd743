// The SingleObject, ByMaterial and ByLayer modes gather objects material by material or layer by
// layer; on a document of 20,000 small objects in 2,000 materials and 2,000 layers each mode's
// export is timed by turns with the ByObject export of the same document, which visits every
// object once. The ratio is what the grouping costs beyond the objects themselves.
// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <benchmark/benchmark.h>

#include <memory>

#include "BenchDocuments.h"
#include "RatioTiming.h"
#include "export/SceneExporter.h"
#include "plugin/ExportOptions.h"

namespace {

const CRhinoDoc& manyMaterials() {
  static const std::unique_ptr<CRhinoDoc> doc = bench::makeDocument(
      {.objects = 20000, .triangles = 360000, .materials = 2000, .layers = 2000});
  return *doc;
}

/// Thread CPU seconds of one export of the document in `mode` into a fresh scene.
double exportSeconds(int mode) {
  CRhinoDoc& doc = const_cast<CRhinoDoc&>(manyMaterials());
  GroupingMode = mode;
  SceneExporter exporter(doc);
  splitExportPath(L"/tmp/grouping.orv");
  exporter.collectDocumentMaterials();
  return bench::timed([&] { exporter.exportObjects(mode); });
}

void GroupingAgainstByObject(benchmark::State& state) {
  const int mode = static_cast<int>(state.range(0));
  double modeSeconds = 0, byObjectSeconds = 0;
  for (auto _ : state) {
    byObjectSeconds += exportSeconds(ByObject);
    modeSeconds += exportSeconds(mode);
  }
  const double iterations = static_cast<double>(state.iterations());
  state.counters["mode_s"] = modeSeconds / iterations;
  state.counters["by_object_s"] = byObjectSeconds / iterations;
  state.counters["ratio"] = modeSeconds / byObjectSeconds;
}

BENCHMARK(GroupingAgainstByObject)->Apply([](benchmark::internal::Benchmark* run) {
  bench::asRatioRuns(run)->ArgName("mode")->Iterations(3);
  for (int mode : {SingleObject, ByMaterial, ByLayer}) run->Arg(mode);
});

}  // namespace
