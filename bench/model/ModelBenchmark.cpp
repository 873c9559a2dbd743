// .3dm models end to end. A generated model of about a million triangles (100 meshes of 9 800
// triangles, 10 materials, 5 layers) is timed through its stages: the reader alone opening it,
// the reader also giving every mesh's arrays, the converter (reading, conversion, document
// written), orvexport on the converted document (load, export, save), saving the scene alone, and
// the whole command; against it, the same package reading it and a common JavaScript exporter
// writing it as glTF; and the whole command by turns with those two yardsticks. The mesher is timed
// on the teapot of the shared models. Every case runs several times and reports its minimum and
// median.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "ModelFile.h"
#include "orv/SceneFileReader.h"
#include "orv/SceneFileWriter.h"
#include "rhinoSdk.h"

namespace {

namespace fs = std::filesystem;

const std::string kTools = TOOLS_3DM_DIR;

std::string Quoted(const fs::path& path) {
  return "'" + path.string() + "'";
}

/// Runs a shell command with its output discarded; throws when it fails.
void Run(const std::string& command) {
  if (std::system((command + " > /dev/null 2>&1").c_str()) != 0)
    throw std::runtime_error("failed: " + command);
}

/// Processor seconds (user and system) of the finished child processes so far, theirs included.
double ChildProcessorSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  const auto seconds = [](const timeval& t) { return double(t.tv_sec) + 1e-6 * double(t.tv_usec); };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

/// Runs `command` once per iteration; besides the time, counts its processor seconds (all its
/// processes), which moves less than the time on a machine shared with other work.
void RunTimed(benchmark::State& state, const std::string& command) {
  const double before = ChildProcessorSeconds();
  for (auto _ : state) Run(command);
  state.counters["processor_s"] =
      benchmark::Counter(ChildProcessorSeconds() - before, benchmark::Counter::kAvgIterations);
}

/// The generated model, its converted document and the outputs, in a folder removed at exit.
struct Workspace {
  Workspace() : folder(fs::temp_directory_path() / ("model_bench_" + std::to_string(getpid()))) {
    fs::create_directories(folder / "converted");
    Run("node " + Quoted(kTools + "/bench/make-model.js") + " " + Quoted(model()));
    Run("node " + Quoted(kTools + "/convert3dm.js") + " " + Quoted(model()) + " --out " +
        Quoted(folder / "converted"));
    Run(std::string(ORVEXPORT_PATH) + " " + Quoted(document()) + " -o " + Quoted(scene()));
  }
  ~Workspace() { fs::remove_all(folder); }
  fs::path model() const { return folder / "million.3dm"; }
  fs::path document() const { return folder / "converted" / "document.json"; }
  fs::path scene() const { return folder / "million.orv"; }
  fs::path folder;
};

const Workspace& workspace() {
  static const Workspace instance;
  return instance;
}

void ReaderOpensTheModel(benchmark::State& state) {
  const std::string command =
      "node " + Quoted(kTools + "/bench/read-only.js") + " " + Quoted(workspace().model());
  RunTimed(state, command);
}

void ReaderGivesTheMeshArrays(benchmark::State& state) {
  const std::string command = "node " + Quoted(kTools + "/bench/read-only.js") + " " +
                              Quoted(workspace().model()) + " --arrays";
  RunTimed(state, command);
}

void ConverterWritesTheDocument(benchmark::State& state) {
  const std::string command = "node " + Quoted(kTools + "/convert3dm.js") + " " +
                              Quoted(workspace().model()) + " --out " +
                              Quoted(workspace().folder / "converted");
  RunTimed(state, command);
  state.counters["document_bytes"] = double(fs::file_size(workspace().document()));
}

void OrvexportLoadsExportsAndSaves(benchmark::State& state) {
  const fs::path target = workspace().folder / "from-document.orv";
  const std::string command =
      std::string(ORVEXPORT_PATH) + " " + Quoted(workspace().document()) + " -o " + Quoted(target);
  RunTimed(state, command);
}

class FileStream final : public QzOrv::IOrvWriteStream {
 public:
  explicit FileStream(const fs::path& path) : file_(path, std::ios::binary) {}
  void write(const void* bytes, std::uint64_t count) override {
    file_.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(count));
  }

 private:
  std::ofstream file_;
};

void SceneSaveAlone(benchmark::State& state) {
  const QzOrv::scene::Scene scene = QzOrv::scene::readSceneFile(workspace().scene());
  const fs::path target = workspace().folder / "saved-again.orv";
  for (auto _ : state) {
    FileStream stream(target);
    QzOrv::scene::writeSceneFile(scene, stream, {});
  }
  state.counters["scene_bytes"] = double(fs::file_size(target));
}

void WholeCommand(benchmark::State& state) {
  const fs::path target = workspace().folder / "whole.orv";
  const std::string command =
      std::string(ORVEXPORT_PATH) + " " + Quoted(workspace().model()) + " -o " + Quoted(target);
  RunTimed(state, command);
  state.counters["scene_bytes"] = double(fs::file_size(target));
}

void ReaderAndGltfExporter(benchmark::State& state) {
  const fs::path target = workspace().folder / "million.glb";
  const std::string command = "node " + Quoted(kTools + "/bench/to-gltf.js") + " " +
                              Quoted(workspace().model()) + " " + Quoted(target);
  RunTimed(state, command);
  state.counters["glb_bytes"] = double(fs::file_size(target));
}

/// Seconds `command` takes.
double SecondsOf(const std::string& command) {
  const auto start = std::chrono::steady_clock::now();
  Run(command);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// The whole command and its two yardsticks by turns in each iteration, so that load from other
/// work weighs on all three alike: the whole command's time over the reader's with its bulk array
/// call and over the glTF path's.
void WholeCommandByTurns(benchmark::State& state) {
  const std::string reader = "node " + Quoted(kTools + "/bench/read-only.js") + " " +
                             Quoted(workspace().model()) + " --arrays";
  const std::string gltf = "node " + Quoted(kTools + "/bench/to-gltf.js") + " " +
                           Quoted(workspace().model()) + " " +
                           Quoted(workspace().folder / "turns.glb");
  const std::string whole = std::string(ORVEXPORT_PATH) + " " + Quoted(workspace().model()) +
                            " -o " + Quoted(workspace().folder / "turns.orv");
  double readerSeconds = 0, gltfSeconds = 0, wholeSeconds = 0;
  for (auto _ : state) {
    readerSeconds += SecondsOf(reader);
    gltfSeconds += SecondsOf(gltf);
    wholeSeconds += SecondsOf(whole);
  }
  state.counters["reader_s"] = readerSeconds;
  state.counters["gltf_s"] = gltfSeconds;
  state.counters["whole_s"] = wholeSeconds;
  state.counters["whole_per_reader"] = wholeSeconds / readerSeconds;
  state.counters["whole_per_gltf"] = wholeSeconds / gltfSeconds;
}

/// The host's mesher on the teapot's three breps (97 faces, no saved render meshes): triangles
/// made per second of processor time, a quad counting two.
void MesherOnTheTeapot(benchmark::State& state) {
  const std::string teapot = std::string(SHARED_3DM_DIR) + "/v5_teapot.3dm";
  if (!fs::exists(teapot)) {
    state.SkipWithError("no shared teapot model");
    return;
  }
  CRhinoDoc doc;
  const TemporaryFolder converted = LoadModelFile(teapot, doc);
  double triangles = 0;
  for (auto _ : state) {
    for (int i = 0; i < doc.m_object_table.ObjectCount(); ++i) {
      const CRhinoObject* object = doc.m_object_table.Object(i);
      object->CreateMeshes(ON::render_mesh, ON_MeshParameters::QualityRenderMesh);
      ON_SimpleArray<const ON_Mesh*> meshes;
      object->GetMeshes(ON::render_mesh, meshes);
      for (int m = 0; m < meshes.Count(); ++m)
        for (int f = 0; f < meshes[m]->FaceCount(); ++f)
          triangles += meshes[m]->m_F[f].IsQuad() ? 2 : 1;
    }
  }
  state.counters["triangles_per_second"] =
      benchmark::Counter(triangles, benchmark::Counter::kIsRate);
}

double Minimum(const std::vector<double>& values) {
  return *std::min_element(values.begin(), values.end());
}

#define ORV_MODEL_BENCHMARK(name)         \
  BENCHMARK(name)                         \
      ->Unit(benchmark::kMillisecond)     \
      ->UseRealTime()                     \
      ->Iterations(1)                     \
      ->Repetitions(5)                    \
      ->ComputeStatistics("min", Minimum) \
      ->ReportAggregatesOnly(true)

ORV_MODEL_BENCHMARK(ReaderOpensTheModel);
ORV_MODEL_BENCHMARK(ReaderGivesTheMeshArrays);
ORV_MODEL_BENCHMARK(ConverterWritesTheDocument);
ORV_MODEL_BENCHMARK(OrvexportLoadsExportsAndSaves);
ORV_MODEL_BENCHMARK(SceneSaveAlone);
ORV_MODEL_BENCHMARK(WholeCommand);
ORV_MODEL_BENCHMARK(ReaderAndGltfExporter);
ORV_MODEL_BENCHMARK(WholeCommandByTurns);
BENCHMARK(MesherOnTheTeapot)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ComputeStatistics("min", Minimum)
    ->ReportAggregatesOnly(true);

}  // namespace
