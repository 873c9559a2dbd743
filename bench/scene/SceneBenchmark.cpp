// Export and save of a document already in memory, as one WriteFile does them after the
// document is loaded: the object, sun and view export into the scene library, then its save
// through the plug-in's file byte sink. The yardstick, timed by turns with them in every
// iteration, writes the very bytes of the saved scene in pieces of the same size to a file and
// computes their CRC-32: what a save costs at the least.
// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchDocuments.h"
#include "RatioTiming.h"
#include "export/SceneExporter.h"
#include "orv/SceneFileWriter.h"
#include "output/OutputFile.h"
#include "plugin/ExportOptions.h"

namespace {

namespace fs = std::filesystem;

/// The benchmark documents, each built once: 100 quad-grid objects, 10 materials, 5 layers.
const CRhinoDoc& documentOf(long triangles) {
  static std::map<long, std::unique_ptr<CRhinoDoc>> documents;
  std::unique_ptr<CRhinoDoc>& doc = documents[triangles];
  if (!doc) doc = bench::makeDocument({.objects = 100, .triangles = triangles});
  return *doc;
}

fs::path outputFolder() {
  static const fs::path folder = [] {
    fs::path made = fs::temp_directory_path() / ("orv-scene-bench-" + std::to_string(getpid()));
    fs::create_directories(made);
    return made;
  }();
  return folder;
}

/// Bytes in memory, in the pieces the library hands out.
class MemoryStream final : public QzOrv::IOrvWriteStream {
 public:
  void write(const void* bytes, std::uint64_t count) override {
    const auto* first = static_cast<const std::uint8_t*>(bytes);
    pieces.emplace_back(first, first + count);
  }
  std::vector<std::vector<std::uint8_t>> pieces;
};

/// One export of `doc` in `mode` into a fresh scene (what SceneExporter::run does before it
/// saves). The exporter holds the scene manager.
void exportInto(SceneExporter& exporter, int mode, const fs::path& target) {
  splitExportPath(target.wstring().c_str());
  exporter.collectDocumentMaterials();
  exporter.exportObjects(mode);
  exporter.writer.exportSun();
  exporter.writer.exportViews();
}

/// The yardstick: the pieces written to a new file with the stdio calls the plug-in's byte sink
/// makes, and the CRC-32 of every byte.
void writeRawWithCrc(const std::vector<std::vector<std::uint8_t>>& pieces, const fs::path& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  unsigned long crc = 0;
  for (const auto& piece : pieces) {
    std::fwrite(piece.data(), 1, piece.size(), file);
    crc = crc32_z(crc, piece.data(), piece.size());
  }
  benchmark::DoNotOptimize(crc);
  std::fclose(file);
}

/// Heap bytes in use, from the allocator's own books (small blocks and mapped ones).
double heapBytes() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<double>(info.uordblks + info.hblkhd);
}

void ExportAndSave(benchmark::State& state) {
  const long triangles = state.range(0);
  const int mode = static_cast<int>(state.range(1));
  const CRhinoDoc& doc = documentOf(triangles);
  const long counted = bench::triangleCount(doc);
  GroupingMode = mode;
  const fs::path target = outputFolder() / "bench.orv";
  const fs::path raw = outputFolder() / "raw.bin";

  // The bytes the yardstick writes: those of this very scene.
  MemoryStream saved;
  double modelBytes = 0;
  {
    SceneExporter exporter(const_cast<CRhinoDoc&>(doc));
    const double before = heapBytes();
    exportInto(exporter, mode, target);
    modelBytes = heapBytes() - before;
    exporter.writer.manager->save(&saved, 0);
  }

  double exportSeconds = 0, saveSeconds = 0, rawSeconds = 0;
  for (auto _ : state) {
    SceneExporter exporter(const_cast<CRhinoDoc&>(doc));
    exportSeconds += bench::timed([&] { exportInto(exporter, mode, target); });
    COrvFileWriteStream stream(target.c_str());
    saveSeconds += bench::timed([&] { exporter.writer.manager->save(&stream, 0); });
    stream.discard();
    rawSeconds += bench::timed([&] { writeRawWithCrc(saved.pieces, raw); });
    fs::remove(raw);
  }
  const double iterations = static_cast<double>(state.iterations());
  state.counters["triangles"] = static_cast<double>(counted);
  state.counters["export_Mtri_per_s"] = counted * iterations / exportSeconds / 1e6;
  state.counters["export_save_Mtri_per_s"] =
      counted * iterations / (exportSeconds + saveSeconds) / 1e6;
  state.counters["save_vs_raw_crc"] = saveSeconds / rawSeconds;
  state.counters["model_bytes_per_tri"] = modelBytes / counted;
}

void sizesAndModes(benchmark::internal::Benchmark* run) {
  bench::asRatioRuns(run)->ArgNames({"triangles", "mode"});
  for (long triangles : {10000L, 100000L, 1000000L, 4000000L})
    for (int mode : {SingleObject, ByObject}) run->Args({triangles, mode});
}

BENCHMARK(ExportAndSave)->Apply(sizesAndModes);

}  // namespace
