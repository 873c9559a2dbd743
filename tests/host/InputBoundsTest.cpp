// orvexport against inputs made to hang it or flood its memory, each made here at run time: every
// one ends with its exit status and its message, far within the tests' hang guard; and a signal
// during a conversion ends the converter too and leaves nothing behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Subprocess.h"
#include "TempFolder.h"

namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

/// `levels` blocks, each placing the one below twice; the lowest holds a quad; one instance of
/// the highest: 2^(levels-1) quads once expanded.
std::string NestedBlocks(int levels) {
  std::string blocks =
      R"({"name": "b0", "objects": [{"mesh": {"vertices": [[0, 0, 0], [1, 0, 0], [1, 1, 0],
          [0, 1, 0]], "faces": [[0, 1, 2, 3]]}}]})";
  for (int i = 1; i < levels; ++i) {
    const std::string below = "\"b" + std::to_string(i - 1) + "\"";
    blocks += R"(, {"name": "b)" + std::to_string(i) + R"(", "objects": [{"instance": {"block": )" +
              below + R"(}}, {"instance": {"block": )" + below +
              R"(, "transform": {"translate": [1, 0, 0]}}}]})";
  }
  return R"({"blocks": [)" + blocks + R"(], "objects": [{"instance": {"block": "b)" +
         std::to_string(levels - 1) + R"("}}]})";
}

/// `count` layers, each the child of the one before when `nested`, each with a triangle on it
/// that names its layer.
std::string ManyLayers(int count, bool nested) {
  std::string layers, objects;
  for (int i = 0; i < count; ++i) {
    const std::string name = "L" + std::to_string(i);
    layers += (i ? ", " : "") + std::string(R"({"name": ")") + name + "\"" +
              (nested && i > 0 ? R"(, "parent": )" + std::to_string(i - 1) : "") + "}";
    objects +=
        (i ? ", " : "") + std::string(R"({"layer": )") +
        (nested ? std::to_string(i) : "\"" + name + "\"") +
        R"(, "mesh": {"vertices": [[0, 0, 0], [1, 0, 0], [0, 1, 0]], "faces": [[0, 1, 2]]}})";
  }
  return R"({"layers": [)" + layers + R"(], "objects": [)" + objects + "]}";
}

/// `objects` meshes whose vertices are all the same binary array of 1 MiB (16 bytes short).
std::string SharedArrays(int objects) {
  constexpr int kPoints = (1 << 20) / 24;
  std::string list;
  for (int i = 0; i < objects; ++i)
    list += (i ? ", " : "") +
            std::string(R"({"mesh": {"vertices": {"binary": "f64", "offset": 0, "shape": [)") +
            std::to_string(kPoints) + R"(, 3]}, "faces": [[0, 1, 2]]}})";
  return R"({"binary": "arrays.bin", "objects": [)" + list + "]}";
}

/// x ^= x >> shift undone.
std::uint64_t Unshift(std::uint64_t x, int shift) {
  std::uint64_t y = x;
  for (int i = 0; i < 64 / shift; ++i) y = x ^ (y >> shift);
  return y;
}

/// The inverse of an odd number modulo 2^64 (Newton's iteration).
std::uint64_t Inverse(std::uint64_t a) {
  std::uint64_t x = a;
  for (int i = 0; i < 5; ++i) x *= 2 - a * x;
  return x;
}

/// A mesh of `count` distinct finite points that all fall into one slot of a hash table of up to
/// 2^16 slots under a fixed hash of their bytes (each word added to the hash so far and mixed by
/// the splitmix64 finaliser, from the usual constant), which welding them once used: there,
/// quadratic time. Solved backwards from the wanted hashes, the last coordinate free.
std::string CollidingPoints(int count) {
  constexpr std::uint64_t kStart = 0x9E3779B97F4A7C15ull, kFirst = 0xBF58476D1CE4E5B9ull,
                          kSecond = 0x94D049BB133111EBull;
  auto mix = [](std::uint64_t z) {
    z = (z ^ (z >> 30)) * kFirst;
    z = (z ^ (z >> 27)) * kSecond;
    return z ^ (z >> 31);
  };
  const std::uint64_t one = std::bit_cast<std::uint64_t>(1.0);
  const std::uint64_t beforeLast = mix(one + mix(one + kStart));  // after x = y = 1
  std::string vertices;
  int made = 0;
  for (std::uint64_t wanted = 1; made < count; ++wanted) {
    std::uint64_t z = Unshift(wanted << 16, 31) * Inverse(kSecond);
    z = Unshift(z, 27) * Inverse(kFirst);
    const double last = std::bit_cast<double>(Unshift(z, 30) - beforeLast);
    if (!std::isfinite(last)) continue;
    char number[32];
    std::snprintf(number, sizeof number, "%.17g", last);
    vertices += std::string(made++ ? ", " : "") + "[1, 1, " + number + "]";
  }
  return R"({"units": "centimeters", "objects": [{"mesh": {"precision": "double", "vertices": [)" +
         vertices + R"(], "faces": [[0, 1, 2]]}}]})";
}

class InputBounds : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) const {
    const fs::path path = folder.path / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  std::string Fifo(const std::string& name) const {
    const fs::path path = folder.path / name;
    EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
    return path.string();
  }
  std::string LinkToZero(const std::string& name) const {
    const fs::path path = folder.path / name;
    fs::create_symlink("/dev/zero", path);
    return path.string();
  }
  /// A stand-in for Node.js that notes its process id in converter.pid and never ends, in a
  /// folder to put first on the PATH.
  std::string SlowConverterFolder() const {
    const fs::path bin = folder.path / "bin";
    fs::create_directories(bin);
    std::ofstream(bin / "node") << "#!/bin/sh\necho $$ > " << (folder.path / "converter.pid")
                                << "\nexec sleep 600\n";
    fs::permissions(bin / "node", fs::perms::owner_all);
    return bin.string();
  }
  std::vector<std::string> ExportCommand(const std::string& input,
                                         const std::vector<std::string>& options) const {
    std::vector<std::string> argv{ORVEXPORT_PATH, input, "-o", target};
    argv.insert(argv.end(), options.begin(), options.end());
    return argv;
  }

  TempFolder folder{"orv-bounds"};
  const std::string target = (folder.path / "out.orv").string();
};

TEST_F(InputBounds, EachInputEndsWithItsStatusAndMessage) {
  Write("arrays.bin", std::string(1 << 20, '\0'));
  struct Row {
    std::string input;
    std::vector<std::string> options;
    int status;
    std::string message;  // a part of standard error
  };
  const Row rows[] = {
      {Fifo("fifo.json"), {}, 2, "fifo.json: is not a regular file, so not a document file"},
      {Fifo("fifo"), {}, 2, "fifo: is not a regular file, so not a document file"},
      {Fifo("fifo.3dm"), {}, 2, "fifo.3dm: is not a regular file, so not a .3dm model"},
      {LinkToZero("zero.3dm"), {}, 2, "zero.3dm: is not a regular file, so not a .3dm model"},
      {LinkToZero("zero"), {}, 2, "zero: is not a regular file, so not a document file"},
      {Write("blocks.json", NestedBlocks(22)),
       {},
       2,
       "blocks.json: /objects/0: with this object the document places more than the budget of "
       "1000000 objects once its blocks are expanded (each counted once for every place it "
       "stands); --max-objects raises it"},
      {Write("quads.json", NestedBlocks(14)),
       {"--max-polygons", "8191"},
       2,
       "budget of 8191 polygons once its blocks are expanded"},
      {Write("quads-allowed.json", NestedBlocks(14)), {"--max-polygons", "8192"}, 0, ""},
      {Write("shared.json", SharedArrays(16)), {}, 0, ""},
      {Write("shared-over.json", SharedArrays(16)),
       {"--max-array-mib", "8"},
       2,
       "shared-over.json: /objects/8/mesh/vertices: the binary arrays referred to come to more "
       "than the budget of 8 MiB (8388608 bytes, each reference counted) with this one; "
       "--max-array-mib raises it"},
      {Write("deep-layers.json", ManyLayers(20000, true)),
       {},
       2,
       "/parent: the full paths of the layers come to more than the 64 MiB allowed with this "
       "layer (layers nested too deep)"},
      {Write("layers.json", ManyLayers(20000, false)), {"--grouping", "layer"}, 0, ""},
      {Write("deep-but-short.json", ManyLayers(2000, true)), {"--grouping", "layer"}, 0, ""},
      {Write("colliding.json", CollidingPoints(40000)), {}, 0, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.input);
    const Finished run = RunProgram(ExportCommand(row.input, row.options));
    EXPECT_EQ(run.status, row.status) << run.err;
    EXPECT_TRUE(Contains(run.err, row.message)) << run.err;
    EXPECT_EQ(fs::exists(target), row.status == 0);
    fs::remove(target);
  }
}

TEST_F(InputBounds, AConverterThatRunsPastItsTimeLimitIsEnded) {
  const std::string model = Write("model.3dm", "3D Geometry File Format        3");
  const Finished run =
      WaitFor(StartProgram(ExportCommand(model, {"--converter-time-limit", "0.5"}),
                           {"PATH=" + SlowConverterFolder() + ":" + std::getenv("PATH")}));
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "orvexport: " + model +
                         ": the .3dm converter did not finish within 0.5 s, so the model may be "
                         "damaged (--converter-time-limit raises the limit)\n");
  std::ifstream pidFile(folder.path / "converter.pid");
  pid_t converter = 0;
  ASSERT_TRUE(pidFile >> converter);
  EXPECT_EQ(kill(converter, 0), -1) << "the converter still runs";
  EXPECT_FALSE(fs::exists(target));
}

// A damaged model on which the reader spends half a minute: refused within the limit given.
TEST_F(InputBounds, AModelTheReaderIsSlowOnIsRefusedWithinTheLimit) {
  const fs::path original = fs::path(SHARED_3DM_DIR) / "v5_my_brep.3dm";
  if (!fs::exists(original)) GTEST_SKIP() << original << " is not here";
  std::string bytes = contentsOf(original);
  for (const auto& [at, value] : {std::pair{3998, 66},
                                  {6161, 242},
                                  {10351, 33},
                                  {10022, 6},
                                  {14990, 240},
                                  {4349, 119},
                                  {3241, 240},
                                  {8963, 243}})
    bytes[at] = char(value);
  const std::string model = Write("mutated.3dm", bytes);
  const Finished run = RunProgram(ExportCommand(model, {"--converter-time-limit", "2"}));
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(Contains(run.err, model + ": the .3dm converter did not finish within 2 s") ||
              (Contains(run.err, model + ": ") && Contains(run.err, "damaged or truncated")))
      << run.err;
}

// SIGTERM and SIGINT while the converter runs: the status a shell reports, the converter ended,
// the temporary folder gone, nothing written.
TEST_F(InputBounds, ASignalDuringTheConversionEndsTheConverterAndLeavesNothing) {
  const std::string model = Write("model.3dm", "3D Geometry File Format        3");
  const fs::path temporary = folder.path / "tmp";
  const std::string converterFolder = SlowConverterFolder();
  for (const auto& [signal, status] : {std::pair{SIGTERM, 143}, {SIGINT, 130}}) {
    SCOPED_TRACE(signal);
    fs::create_directories(temporary);
    fs::remove(folder.path / "converter.pid");
    const Started started = StartProgram(
        ExportCommand(model, {}),
        {"PATH=" + converterFolder + ":" + std::getenv("PATH"), "TMPDIR=" + temporary.string()});
    ASSERT_GT(started.pid, 0);
    pid_t converter = 0;
    for (int tries = 0; converter == 0 && tries < 10000; ++tries) {
      std::ifstream pidFile(folder.path / "converter.pid");
      if (!(pidFile >> converter)) usleep(10000);
    }
    ASSERT_NE(converter, 0) << "the converter never started";
    EXPECT_FALSE(fs::is_empty(temporary)) << "the conversion has its folder";
    kill(started.pid, signal);
    const Finished run = WaitFor(started);
    EXPECT_EQ(run.status, status) << run.err;
    EXPECT_EQ(run.err, "orvexport: interrupted; nothing was exported\n");
    EXPECT_EQ(kill(converter, 0), -1) << "the converter still runs";
    EXPECT_TRUE(fs::is_empty(temporary)) << "the temporary folder was left";
    EXPECT_FALSE(fs::exists(target));
  }
}

}  // namespace
