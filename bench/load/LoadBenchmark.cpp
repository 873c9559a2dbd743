// Loading a document against the number-scan floor: the generated document of 1e4 to 4e6
// triangles loaded from JSON, or from JSON with its arrays in a sidecar, each load run beside a
// scan of the JSON form's numbers, and the ratio of the two reported (of the fastest runs and of
// the median ones); and the most heap memory the load holds at once, against the input's size.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "DocumentFile.h"
#include "GeneratedDocument.h"
#include "NumberScan.h"

// Every allocation of the program is counted, so that the load's high-water mark can be read.
std::atomic<std::size_t> gLiveBytes{0}, gPeakBytes{0};

void* operator new(std::size_t size) {
  void* block = std::malloc(size ? size : 1);
  if (!block) throw std::bad_alloc();
  const std::size_t live = gLiveBytes += malloc_usable_size(block);
  std::size_t peak = gPeakBytes;
  while (live > peak && !gPeakBytes.compare_exchange_weak(peak, live)) {
  }
  return block;
}

// The blocks come from malloc (operator new above), which the compiler cannot see.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* block) noexcept {
  if (block) gLiveBytes -= malloc_usable_size(block);
  std::free(block);
}
#pragma GCC diagnostic pop

void operator delete(void* block, std::size_t) noexcept {
  operator delete(block);
}

namespace {

using benchdoc::BenchDocument;

template <class Work>
double SecondsOf(Work work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Arguments: the triangle count and the form (0 JSON, 1 sidecar).
void LoadAgainstFloor(benchmark::State& state) {
  const std::size_t triangles = std::size_t(state.range(0));
  const bool sidecar = state.range(1) != 0;
  const benchdoc::GeneratedFiles& json = BenchDocument(triangles, false);
  const benchdoc::GeneratedFiles& input = sidecar ? BenchDocument(triangles, true) : json;
  std::vector<double> floors, loads;
  std::size_t heldAtOnce = 0;
  for (auto _ : state) {
    floors.push_back(
        SecondsOf([&] { benchmark::DoNotOptimize(benchdoc::ScanNumbers(json.json)); }));
    auto doc = std::make_unique<CRhinoDoc>();
    const std::size_t before = gLiveBytes;
    gPeakBytes = before;
    loads.push_back(SecondsOf([&] { LoadDocumentFile(input.json.string(), *doc); }));
    heldAtOnce = std::max(heldAtOnce, gPeakBytes - before);
    state.SetIterationTime(loads.back());
    doc.reset();  // not timed: the command frees its document after the export
  }
  const double fastest = *std::min_element(loads.begin(), loads.end());
  state.counters["triangles"] = double(benchdoc::ShapeForTriangles(triangles).triangles());
  state.counters["input_MB"] = double(input.bytes) / 1e6;
  state.counters["floor_ms"] = *std::min_element(floors.begin(), floors.end()) * 1e3;
  state.counters["load_ms"] = fastest * 1e3;
  state.counters["Mtri_per_s"] = state.counters["triangles"] / fastest / 1e6;
  state.counters["vs_floor_min"] = fastest / *std::min_element(floors.begin(), floors.end());
  state.counters["vs_floor_median"] = Median(loads) / Median(floors);
  state.counters["peak_vs_input"] = double(heldAtOnce) / double(input.bytes);
  state.SetLabel(sidecar ? "sidecar" : "json");
}

const bool kRegistered = [] {
  for (const std::int64_t triangles : {10'000, 100'000, 1'000'000, 4'000'000})
    for (const std::int64_t sidecar : {0, 1})
      benchmark::RegisterBenchmark("LoadAgainstFloor", LoadAgainstFloor)
          ->Args({triangles, sidecar})
          ->Iterations(std::clamp<std::int64_t>(20'000'000 / triangles, 5, 30))
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond);
  return true;
}();

}  // namespace
