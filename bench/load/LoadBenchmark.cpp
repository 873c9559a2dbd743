// Loading a document against the number-scan floor: the generated document of 1e4 to 4e6
// triangles loaded from JSON, or from JSON with its arrays in a sidecar, each load run beside a
// scan of the JSON form's numbers, and the ratio of the two reported (of the fastest runs and of
// the median ones); and the most heap memory the load holds at once, against the input's size.
// Beside them, on the JSON form: the load's first step alone (checking and indexing the text),
// and, where RapidJSON is installed, its SAX reader doing nothing per value, as a peer for that
// step (comments allowed; and once more reading doubles exactly and checking UTF-8, as the
// loader does).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "DocumentFile.h"
#include "DocumentParser.h"
#include "GeneratedDocument.h"
#include "NumberScan.h"
#include "RatioTiming.h"

#if HAVE_RAPIDJSON
#include <rapidjson/reader.h>
#endif

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

/// Reads `file` as the load does and checks and indexes its text, as the load does first.
bool ScanDocument(const std::filesystem::path& file) {
  std::string text(std::filesystem::file_size(file), '\0');
  std::ifstream(file, std::ios::binary).read(text.data(), std::streamsize(text.size()));
  return !document::ParseDocumentText(text, file.string()).entries.empty();
}

#if HAVE_RAPIDJSON
/// Reads `file` and passes it through RapidJSON's SAX reader, which keeps nothing of it; false
/// when the reader refuses the text.
template <unsigned Flags>
bool RapidJsonSax(const std::filesystem::path& file) {
  const benchdoc::FileText text = benchdoc::ReadWholeFile(file);
  rapidjson::Reader reader;
  rapidjson::StringStream stream(text.bytes.get());
  rapidjson::BaseReaderHandler<> nothing;
  return !reader.Parse<Flags>(stream, nothing).IsError();
}

/// Comments allowed, as documents have them.
constexpr unsigned kRapidJsonFlags = rapidjson::kParseCommentsFlag;
/// And, as the loader does, doubles read exactly and strings checked to be UTF-8.
constexpr unsigned kRapidJsonExactFlags = rapidjson::kParseCommentsFlag |
                                          rapidjson::kParseFullPrecisionFlag |
                                          rapidjson::kParseValidateEncodingFlag;
#endif

// Arguments: the triangle count and the form (0 JSON, 1 sidecar).
void LoadAgainstFloor(benchmark::State& state) {
  const std::size_t triangles = std::size_t(state.range(0));
  const bool sidecar = state.range(1) != 0;
  const benchdoc::GeneratedFiles& json = BenchDocument(triangles, false);
  const benchdoc::GeneratedFiles& input = sidecar ? BenchDocument(triangles, true) : json;
  std::vector<double> floors, loads, scans, peers, exactPeers;
  std::size_t heldAtOnce = 0;
  for (auto _ : state) {
    floors.push_back(
        bench::wallSeconds([&] { benchmark::DoNotOptimize(benchdoc::ScanNumbers(json.json)); }));
    if (!sidecar)
      scans.push_back(
          bench::wallSeconds([&] { benchmark::DoNotOptimize(ScanDocument(json.json)); }));
#if HAVE_RAPIDJSON
    if (!sidecar) {
      bool read = false, readExactly = false;
      peers.push_back(bench::wallSeconds([&] { read = RapidJsonSax<kRapidJsonFlags>(json.json); }));
      exactPeers.push_back(
          bench::wallSeconds([&] { readExactly = RapidJsonSax<kRapidJsonExactFlags>(json.json); }));
      if (!read || !readExactly) state.SkipWithError("RapidJSON refuses the document");
    }
#endif
    auto doc = std::make_unique<CRhinoDoc>();
    const std::size_t before = gLiveBytes;
    gPeakBytes = before;
    loads.push_back(bench::wallSeconds([&] { LoadDocumentFile(input.json.string(), *doc); }));
    heldAtOnce = std::max(heldAtOnce, gPeakBytes - before);
    state.SetIterationTime(loads.back());
    doc.reset();  // not timed: the command frees its document after the export
  }
  const double fastest = *std::min_element(loads.begin(), loads.end());
  const double floor = *std::min_element(floors.begin(), floors.end());
  state.counters["triangles"] = double(benchdoc::ShapeForTriangles(triangles).triangles());
  state.counters["input_MB"] = double(input.bytes) / 1e6;
  state.counters["floor_ms"] = floor * 1e3;
  state.counters["load_ms"] = fastest * 1e3;
  state.counters["Mtri_per_s"] = state.counters["triangles"] / fastest / 1e6;
  state.counters["vs_floor_min"] = fastest / floor;
  state.counters["vs_floor_median"] = bench::median(loads) / bench::median(floors);
  // Each as a ratio to the floor of the same run: the fastest runs, and the median ones.
  const auto againstFloor = [&](const std::string& name, const std::vector<double>& seconds) {
    if (seconds.empty()) return;
    state.counters[name + "_vs_floor_min"] =
        *std::min_element(seconds.begin(), seconds.end()) / floor;
    state.counters[name + "_vs_floor_median"] = bench::median(seconds) / bench::median(floors);
  };
  againstFloor("scan", scans);
  againstFloor("rapidjson", peers);
  againstFloor("rapidjson_exact", exactPeers);
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
