// Export and save of a document already in memory, as one WriteFile does them after the
// document is loaded: the object, sun and view export into the scene library, then the library's
// save into a file. The yardstick, timed by turns with them in every iteration, writes the very
// bytes of the saved scene in pieces of the same size to another file and computes their CRC-32:
// what a save costs at the least.
// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchDocuments.h"
#include "RatioTiming.h"
#include "export/SceneExporter.h"
#include "orv/SceneFileWriter.h"
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

/// Where the files go, removed at exit: a memory file system where there is one, so that the
/// disk plays no part.
struct OutputFolder {
  OutputFolder() {
    const fs::path base =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    path = base / ("orv-scene-bench-" + std::to_string(getpid()));
    fs::create_directories(path);
  }
  ~OutputFolder() { fs::remove_all(path); }
  fs::path path;
};

fs::path outputFolder() {
  static const OutputFolder folder;
  return folder.path;
}

/// Every byte the library hands out, in one block.
class MemoryStream final : public QzOrv::IOrvWriteStream {
 public:
  void write(const void* piece, std::uint64_t count) override {
    const auto* first = static_cast<const std::uint8_t*>(piece);
    bytes.insert(bytes.end(), first, first + count);
  }
  std::vector<std::uint8_t> bytes;
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

/// Writes into a file that already holds as many bytes as will be written, from its start, with
/// the stdio calls the plug-in's byte sink makes: the file system need not find new pages, which
/// costs far more the first time than the writing itself and would blur the comparison.
class FileSink final : public QzOrv::IOrvWriteStream {
 public:
  /// Creates `path` holding `size` bytes when it does not exist, then opens it for rewriting.
  FileSink(const fs::path& path, std::size_t size) {
    if (!fs::exists(path) || fs::file_size(path) != size) {
      std::FILE* made = std::fopen(path.c_str(), "wb");
      const std::vector<char> zeros(size);
      std::fwrite(zeros.data(), 1, zeros.size(), made);
      std::fclose(made);
    }
    file_ = std::fopen(path.c_str(), "r+b");
  }
  ~FileSink() { std::fclose(file_); }
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;
  void write(const void* bytes, std::uint64_t count) override {
    std::fwrite(bytes, 1, static_cast<std::size_t>(count), file_);
  }

 private:
  std::FILE* file_;
};

/// The yardstick: `bytes` gathered piece by piece into one buffer of the size the library hands
/// to its byte sink, each piece written and its CRC-32 taken, as any writer that produces its bytes
/// into a buffer does. (Handing the system pieces of a large array directly costs far more on
/// some virtual machines, where the kernel's first reach into each page of the array traps.)
void writeRawWithCrc(const std::vector<std::uint8_t>& bytes, FileSink& sink) {
  static std::vector<std::uint8_t> piece(QzOrv::scene::kMaxPieceBytes);
  unsigned long crc = 0;
  for (std::size_t done = 0; done < bytes.size(); done += piece.size()) {
    const std::size_t count = std::min(piece.size(), bytes.size() - done);
    std::memcpy(piece.data(), bytes.data() + done, count);
    sink.write(piece.data(), count);
    crc = crc32_z(crc, piece.data(), count);
  }
  benchmark::DoNotOptimize(crc);
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
    {
      FileSink sink(target, saved.bytes.size());
      saveSeconds += bench::timed([&] { exporter.writer.manager->save(&sink, 0); });
    }
    FileSink rawSink(raw, saved.bytes.size());
    rawSeconds += bench::timed([&] { writeRawWithCrc(saved.bytes, rawSink); });
  }
  const double iterations = static_cast<double>(state.iterations());
  state.counters["triangles"] = static_cast<double>(counted);
  state.counters["export_Mtri_per_s"] = counted * iterations / exportSeconds / 1e6;
  state.counters["export_save_Mtri_per_s"] =
      counted * iterations / (exportSeconds + saveSeconds) / 1e6;
  state.counters["save_ms"] = 1e3 * saveSeconds / iterations;
  state.counters["raw_crc_ms"] = 1e3 * rawSeconds / iterations;
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
