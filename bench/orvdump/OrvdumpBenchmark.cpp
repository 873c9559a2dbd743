// orvdump --gltf and --preview against the cost of reading the scene file they start from: a
// scene of one million triangles (100 definitions of 5000 quads in three materials, one of them
// textured), read, and read then written as glTF or drawn and written as PNG. orvdump --json on
// twice that scene (one million quads), timed by turns with reading it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "RatioTiming.h"
#include "common/Picture.h"
#include "gltf/GltfExport.h"
#include "json/SceneJson.h"
#include "orv/SceneFileReader.h"
#include "orv/SceneFileWriter.h"
#include "preview/Preview.h"

namespace {

namespace fs = std::filesystem;
using namespace QzOrv;
using namespace QzOrv::scene;

constexpr int kDefinitions = 100;
constexpr int kColumns = 100, kRows = 50;  // quads per definition: 5000, two triangles each

class FileStream final : public IOrvWriteStream {
 public:
  explicit FileStream(const fs::path& path) : file_(path, std::ios::binary) {}
  void write(const void* bytes, std::uint64_t count) override {
    file_.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(count));
  }

 private:
  std::ofstream file_;
};

/// A wavy sheet of kColumns × kRows quads at (x0, y0), in three material slots by row.
ObjectDefinition sheet(int index, double x0, double y0, const std::string& textureUrl) {
  ObjectDefinition definition;
  definition.id.bytes[0] = static_cast<std::uint8_t>(index);
  definition.id.bytes[1] = static_cast<std::uint8_t>(index >> 8);
  definition.name = "Sheet " + std::to_string(index);
  for (int m = 0; m < 3; ++m) {
    Material material;
    material.name = "Material " + std::to_string(m);
    material.diffuse = OrvColor{0, static_cast<std::uint8_t>(60 * m + 40), 120, 90};
    definition.materials.push_back(material);
  }
  definition.materials[2].textureFile = textureUrl;
  definition.materials[2].mappingKind = 0;
  definition.materials[2].textureSize = TextureSize{100, 100};
  for (int i = 0; i <= kColumns; ++i) {
    for (int j = 0; j <= kRows; ++j) {
      const double x = x0 + i * 10, y = y0 + j * 10;
      definition.vertices.push_back({x, y, 50 * std::sin(x / 100) * std::cos(y / 100)});
    }
  }
  for (int i = 0; i < kColumns; ++i) {
    for (int j = 0; j < kRows; ++j) {
      const int a = i * (kRows + 1) + j;
      Polygon polygon;
      polygon.materialIndex = j % 3;
      polygon.vertexIndices = {a, a + kRows + 1, a + kRows + 2, a + 1};
      definition.polygons.push_back(polygon);
    }
  }
  return definition;
}

/// The generated scene file, its texture and the outputs, in a folder removed at exit.
struct Workspace {
  Workspace() : folder(fs::temp_directory_path() / ("orvdump_bench_" + std::to_string(getpid()))) {
    fs::create_directories(folder);
    writePng(Picture(64, 64, {180, 90, 60}), folder / "texture.png");
    Scene scene;
    for (int d = 0; d < kDefinitions; ++d) {
      scene.objectDefinitions.push_back(sheet(d, (d % 10) * 1000.0, (d / 10) * 500.0,
                                              "file:///" + (folder / "texture.png").string()));
      ObjectInstance instance;
      instance.id = scene.objectDefinitions[d].id;
      instance.id.bytes[2] = 1;
      instance.definitionLink.definition = scene.objectDefinitions[d].id;
      scene.objectInstances.push_back(instance);
    }
    {
      FileStream stream(sceneFile());
      writeSceneFile(scene, stream, {});
    }
    // The same sheets twice over, moved up: one million quads.
    for (int d = 0; d < kDefinitions; ++d) {
      ObjectDefinition copy = scene.objectDefinitions[d];
      copy.id.bytes[3] = 1;
      for (OrvPoint& point : copy.vertices) point.z += 1000;
      scene.objectDefinitions.push_back(std::move(copy));
    }
    FileStream stream(millionQuadsFile());
    writeSceneFile(scene, stream, {});
  }
  ~Workspace() { fs::remove_all(folder); }
  fs::path sceneFile() const { return folder / "sheets.orv"; }
  fs::path millionQuadsFile() const { return folder / "million-quads.orv"; }

  fs::path folder;
};

const Workspace& workspace() {
  static const Workspace instance;
  return instance;
}

void ReadSceneFile(benchmark::State& state) {
  const fs::path file = workspace().sceneFile();
  for (auto _ : state) benchmark::DoNotOptimize(readSceneFile(file));
}

void ReadAndWriteGltf(benchmark::State& state) {
  const fs::path file = workspace().sceneFile();
  const fs::path glb = workspace().folder / "sheets.glb";
  for (auto _ : state) {
    const Scene scene = readSceneFile(file);
    benchmark::DoNotOptimize(writeGltf(scene, file, glb, GltfOptions{}));
  }
  state.counters["bytes"] = static_cast<double>(fs::file_size(glb));
}

void ReadAndWritePreview(benchmark::State& state) {
  const fs::path file = workspace().sceneFile();
  const fs::path png = workspace().folder / "sheets.png";
  for (auto _ : state) {
    const Scene scene = readSceneFile(file);
    std::vector<std::string> warnings;
    writePng(renderPreview(scene, PictureSize{}, warnings), png);
  }
}

// orvdump --json: the scene read, then printed as JSON into a file as the shell would redirect
// it; ratio is reading and printing over reading alone.
void ReadAndPrintJson(benchmark::State& state) {
  const fs::path file = workspace().millionQuadsFile();
  const fs::path json = workspace().folder / "million-quads.json";
  double readSeconds = 0, readAndPrintSeconds = 0;
  for (auto _ : state) {
    readSeconds += bench::timed([&] { benchmark::DoNotOptimize(readSceneFile(file)); });
    readAndPrintSeconds += bench::timed([&] {
      const Scene scene = readSceneFile(file);
      std::ofstream out(json, std::ios::binary);
      printSceneJson(out, scene);
    });
  }
  state.counters["read_s"] = readSeconds / static_cast<double>(state.iterations());
  state.counters["ratio"] = readAndPrintSeconds / readSeconds;
  state.counters["json_bytes"] = static_cast<double>(fs::file_size(json));
}

BENCHMARK(ReadAndPrintJson)->Apply([](benchmark::internal::Benchmark* run) {
  bench::asRatioRuns(run);
});
BENCHMARK(ReadSceneFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ReadAndWriteGltf)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ReadAndWritePreview)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
