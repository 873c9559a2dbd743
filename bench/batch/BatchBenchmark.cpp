// Many .3dm models in one command against one command per model: every .3dm model of the shared
// models (the two of file version 1, which are refused, included) and of the test fixtures. Each
// iteration runs, by turns, one `orvexport MODEL -o OUT/MODEL.orv` per model, then
// `orvexport MODELS... --output-dir OUT -j 1`, then the same with -j 2; the counters are the wall
// seconds per model of each and the ratios of the single commands to the batches, min and median
// of five repetitions (the machine is shared, so only ratios from the same run are compared).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "RatioTiming.h"

namespace {

namespace fs = std::filesystem;

std::string Quoted(const fs::path& path) {
  return "'" + path.string() + "'";
}

/// Runs a shell command, its output discarded; a model that is refused does not stop the timing.
void Run(const std::string& command) {
  [[maybe_unused]] const int status = std::system((command + " > /dev/null 2>&1").c_str());
}

std::vector<fs::path> Models() {
  std::vector<fs::path> models;
  for (const char* folder : {SHARED_3DM_DIR, FIXTURES_3DM_DIR}) {
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored))
      if (entry.path().extension() == ".3dm") models.push_back(entry.path());
  }
  std::sort(models.begin(), models.end());
  return models;
}

void BatchAgainstOneCommandPerModel(benchmark::State& state) {
  const std::vector<fs::path> models = Models();
  if (models.empty()) {
    state.SkipWithError("no .3dm models found");
    return;
  }
  const fs::path out = fs::temp_directory_path() / ("batch_bench_" + std::to_string(getpid()));
  fs::create_directories(out);
  std::string batch = std::string(ORVEXPORT_PATH) + " --output-dir " + Quoted(out);
  for (const fs::path& model : models) batch += " " + Quoted(model);
  double single = 0, one = 0, two = 0;
  for (auto _ : state) {
    single += bench::wallSeconds([&] {
      for (const fs::path& model : models)
        Run(std::string(ORVEXPORT_PATH) + " " + Quoted(model) + " -o " +
            Quoted(out / model.filename().replace_extension(".orv")));
    });
    one += bench::wallSeconds([&] { Run(batch + " -j 1"); });
    two += bench::wallSeconds([&] { Run(batch + " -j 2"); });
  }
  fs::remove_all(out);
  const double perModel = double(state.iterations()) * double(models.size());
  state.counters["models"] = double(models.size());
  state.counters["single_s_per_model"] = single / perModel;
  state.counters["batch_j1_s_per_model"] = one / perModel;
  state.counters["batch_j2_s_per_model"] = two / perModel;
  state.counters["single_over_batch_j1"] = single / one;
  state.counters["single_over_batch_j2"] = single / two;
}

BENCHMARK(BatchAgainstOneCommandPerModel)->Apply([](benchmark::internal::Benchmark* run) {
  bench::asRatioRuns(run)->Iterations(1)->UseRealTime();
});

}  // namespace
