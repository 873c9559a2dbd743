// Whole-program timing of orvexport: a generated document of many meshed objects on several
// layers and materials, with block instances, exported in each grouping mode.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// A side × side grid of quads on the height field z = sin(x) cos(y), moved to (x0, y0).
json gridMesh(int side, double x0, double y0) {
  json vertices = json::array();
  json faces = json::array();
  for (int i = 0; i <= side; ++i)
    for (int j = 0; j <= side; ++j) {
      const double x = x0 + i * 0.1, y = y0 + j * 0.1;
      vertices.push_back({x, y, std::sin(x) * std::cos(y)});
    }
  for (int i = 0; i < side; ++i)
    for (int j = 0; j < side; ++j) {
      const int a = i * (side + 1) + j;
      faces.push_back({a, a + side + 1, a + side + 2, a + 1});
    }
  return {{"vertices", vertices}, {"faces", faces}};
}

// `objects` grid meshes of side × side quads over 8 layers and 12 materials, plus a block of
// four of them placed ten times.
json generatedDocument(int objects, int side) {
  json doc = {{"units", "meters"}, {"materials", json::array()}, {"layers", json::array()}};
  for (int m = 0; m < 12; ++m)
    doc["materials"].push_back(
        {{"name", "Material " + std::to_string(m)}, {"diffuse", {m * 20, 90, 200 - m * 15}}});
  for (int l = 0; l < 8; ++l) doc["layers"].push_back({{"name", "Layer " + std::to_string(l)}});
  json block = {{"name", "Cluster"}, {"objects", json::array()}};
  for (int k = 0; k < 4; ++k)
    block["objects"].push_back(
        {{"name", "Part"}, {"layer", k % 8}, {"mesh", gridMesh(side, k, 0)}});
  doc["blocks"] = json::array({block});
  json list = json::array();
  for (int o = 0; o < objects; ++o)
    list.push_back({{"name", "Object " + std::to_string(o)},
                    {"layer", o % 8},
                    {"material_source", "object"},
                    {"material", o % 12},
                    {"mesh", gridMesh(side, o % 20, o / 20)}});
  for (int p = 0; p < 10; ++p)
    list.push_back(
        {{"layer", p % 8},
         {"instance", {{"block", "Cluster"}, {"transform", {{"translate", {p * 10.0, 50, 0}}}}}}});
  doc["objects"] = list;
  return doc;
}

// Runs orvexport to completion; false when it did not exit with 0.
bool runExport(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Times one whole export of the generated document (200 objects of 30 × 30 quads: about 200 000
// vertices) in the grouping mode named by the benchmark's argument.
void ExportGeneratedDocument(benchmark::State& state) {
  static const char* const kModes[] = {"single", "material", "layer", "object"};
  const fs::path folder = fs::temp_directory_path() / ("export_bench_" + std::to_string(getpid()));
  fs::create_directories(folder);
  const fs::path input = folder / "generated.json";
  std::ofstream(input) << generatedDocument(200, 30);
  const std::vector<std::string> args = {ORVEXPORT_PATH,
                                         "--grouping",
                                         kModes[state.range(0)],
                                         "--single-layer",
                                         "off",
                                         input.string(),
                                         "-o",
                                         (folder / "generated.orv").string()};
  for (auto _ : state) {
    if (!runExport(args)) {
      state.SkipWithError("orvexport failed");
      break;
    }
  }
  state.SetLabel(kModes[state.range(0)]);
  fs::remove_all(folder);
}
BENCHMARK(ExportGeneratedDocument)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
