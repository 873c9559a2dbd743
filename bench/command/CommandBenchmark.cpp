// The whole orvexport command on the generated documents of 1e4 to 4e6 triangles, from JSON or
// from JSON with a sidecar: its time (against the number-scan floor of the JSON form, measured in
// the same run) and its peak memory (against twice the input plus the scene file it writes, the
// memory an empty document costs taken off).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "GeneratedDocument.h"
#include "NumberScan.h"
#include "RatioTiming.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using benchdoc::BenchDocument;

struct Run {
  double seconds = 0;
  double peakBytes = 0;  // the largest resident set of the process
};

/// Runs orvexport on `input`, writing `output`; fails the benchmark unless it exits with 0.
Run Export(const fs::path& input, const fs::path& output, benchmark::State& state) {
  std::vector<std::string> args = {ORVEXPORT_PATH, input.string(), "-o", output.string()};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  struct rusage usage {};
  if (spawned != 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0)
    state.SkipWithError("orvexport failed");
  Run run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.peakBytes = double(usage.ru_maxrss) * 1024;
  return run;
}

/// What the command holds for an empty document: the program, its libraries and the module.
double EmptyDocumentPeak(benchmark::State& state) {
  static double peak = 0;
  if (peak == 0) {
    const fs::path folder = BenchDocument(10'000, false).json.parent_path();
    std::ofstream(folder / "empty.json") << "{}";
    peak = Export(folder / "empty.json", folder / "empty.orv", state).peakBytes;
  }
  return peak;
}

// Arguments: the triangle count and the form (0 JSON, 1 sidecar).
void WholeCommand(benchmark::State& state) {
  const std::size_t triangles = std::size_t(state.range(0));
  const bool sidecar = state.range(1) != 0;
  const benchdoc::GeneratedFiles& json = BenchDocument(triangles, false);
  const benchdoc::GeneratedFiles& input = sidecar ? BenchDocument(triangles, true) : json;
  const fs::path scene = input.json.parent_path() / (input.json.stem().string() + ".orv");
  const double empty = EmptyDocumentPeak(state);
  std::vector<double> floors, times, peaks;
  for (auto _ : state) {
    floors.push_back(
        bench::wallSeconds([&] { benchmark::DoNotOptimize(benchdoc::ScanNumbers(json.json)); }));
    const Run run = Export(input.json, scene, state);
    times.push_back(run.seconds);
    peaks.push_back(run.peakBytes);
    state.SetIterationTime(run.seconds);
  }
  const double count = double(benchdoc::ShapeForTriangles(triangles).triangles());
  const double fastest = *std::min_element(times.begin(), times.end());
  const double peak = bench::median(peaks), sceneBytes = double(fs::file_size(scene));
  state.counters["triangles"] = count;
  state.counters["input_MB"] = double(input.bytes) / 1e6;
  state.counters["scene_MB"] = sceneBytes / 1e6;
  state.counters["Mtri_per_s"] = count / fastest / 1e6;
  state.counters["vs_floor_min"] = fastest / *std::min_element(floors.begin(), floors.end());
  state.counters["vs_floor_median"] = bench::median(times) / bench::median(floors);
  state.counters["peak_MB"] = peak / 1e6;
  state.counters["B_per_tri"] = (peak - empty) / count;
  state.counters["vs_memory_goal"] = (peak - empty) / (2 * double(input.bytes) + sceneBytes);
  state.SetLabel(sidecar ? "sidecar" : "json");
}

const bool kRegistered = [] {
  for (const std::int64_t triangles : {10'000, 100'000, 1'000'000, 4'000'000})
    for (const std::int64_t sidecar : {0, 1})
      benchmark::RegisterBenchmark("WholeCommand", WholeCommand)
          ->Args({triangles, sidecar})
          ->Iterations(triangles >= 4'000'000 ? 3 : 5)
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond);
  return true;
}();

}  // namespace
