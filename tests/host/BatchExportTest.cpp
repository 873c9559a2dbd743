// orvexport --output-dir end to end: many models in one command, each scene exactly as a single
// export writes it, one line for each model that fails, the statuses, -j, and the converter's
// time limit and the stop signals holding for the whole batch.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "Subprocess.h"
#include "TempFolder.h"

namespace {

namespace fs = std::filesystem;

const std::string kModels = FIXTURES_DIR "/3dm/";
const std::vector<std::string> kFixtures{"house", "blocks-lights", "trimmed", "views-sun",
                                         "custom-units"};

int CountLines(const std::string& text) {
  return int(std::count(text.begin(), text.end(), '\n'));
}

class BatchExport : public ::testing::Test {
 protected:
  fs::path Model(const std::string& name) const { return kModels + name + ".3dm"; }
  std::vector<std::string> Batch(const std::vector<std::string>& inputs,
                                 const std::vector<std::string>& options = {}) const {
    std::vector<std::string> argv{ORVEXPORT_PATH, "--output-dir", out.string()};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.insert(argv.end(), inputs.begin(), inputs.end());
    return argv;
  }
  std::vector<std::string> FixtureModels() const {
    std::vector<std::string> models;
    for (const std::string& name : kFixtures) models.push_back(Model(name).string());
    return models;
  }
  /// The scenes in the output folder, by file name.
  std::map<std::string, std::string> Scenes() const {
    std::map<std::string, std::string> scenes;
    for (const auto& entry : fs::directory_iterator(out))
      if (entry.path().extension() == ".orv")
        scenes[entry.path().filename().string()] = contentsOf(entry.path());
    return scenes;
  }
  std::string Write(const std::string& name, const std::string& bytes) const {
    const fs::path file = folder.path / name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file.string();
  }

  TempFolder folder{"orv-batch"};
  const fs::path out = [this] {
    fs::create_directories(folder.path / "out");
    return folder.path / "out";
  }();
};

// The scenes name their texture files by full path, so the single exports go to the same paths.
TEST_F(BatchExport, EachSceneIsByteForByteWhatASingleExportWritesWithOneJobOrTwo) {
  std::vector<std::string> models = FixtureModels();
  const std::string shared = SHARED_3DM_DIR "/v5_my_mesh_with_material.3dm";
  if (fs::exists(shared)) models.push_back(shared);
  std::map<std::string, std::string> batched[2];
  for (int jobs : {1, 2}) {
    const Finished run = RunProgram(Batch(models, {"-j", std::to_string(jobs)}));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    batched[jobs - 1] = Scenes();
    fs::remove_all(out);
    fs::create_directories(out);
  }
  ASSERT_EQ(batched[0].size(), models.size());
  for (const std::string& model : models) {
    const std::string scene = fs::path(model).stem().string() + ".orv";
    const Finished run = RunProgram({ORVEXPORT_PATH, model, "-o", (out / scene).string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string single = contentsOf(out / scene);
    EXPECT_EQ(batched[0][scene], single) << scene << " with -j 1";
    EXPECT_EQ(batched[1][scene], single) << scene << " with -j 2";
  }
}

// Whatever fails, the others are written, and each model that fails has its one line.
TEST_F(BatchExport, AModelThatFailsIsNamedOnItsLineAndTheOthersAreStillWritten) {
  const std::string notAModel = Write("not-a-model.3dm", "hello");
  const std::string truncated = Write("truncated.3dm", contentsOf(Model("house")).substr(0, 4000));
  const std::string missing = (folder.path / "missing.3dm").string();
  const std::string fifo = (folder.path / "pipe.3dm").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  struct Row {
    std::string bad;
    std::string reason;
  };
  for (const Row& row : std::vector<Row>{{notAModel, ": not a .3dm file"},
                                         {truncated, ": "},
                                         {missing, ": cannot open: no such file"},
                                         {fifo, ": is not a regular file"}}) {
    for (const char* jobs : {"1", "2"}) {
      SCOPED_TRACE(row.bad + " -j " + jobs);
      fs::remove_all(out);
      fs::create_directories(out);
      const Finished run = RunProgram(
          Batch({Model("house").string(), row.bad, Model("trimmed").string()}, {"-j", jobs}));
      EXPECT_EQ(run.status, 1);
      EXPECT_EQ(CountLines(run.err), 1) << run.err;
      EXPECT_EQ(run.err.rfind("orvexport: " + row.bad + row.reason, 0), 0u) << run.err;
      EXPECT_TRUE(fs::exists(out / "house.orv"));
      EXPECT_TRUE(fs::exists(out / "trimmed.orv"));
      EXPECT_EQ(Scenes().size(), 2u);
    }
  }
}

TEST_F(BatchExport, AFolderStandsForEveryModelInItAndEachSceneIsNamedAfterItsModel) {
  const fs::path models = folder.path / "models";
  fs::create_directories(models);
  fs::copy_file(Model("house"), models / "One.3DM");
  fs::copy_file(Model("trimmed"), models / "two.3dm");
  std::ofstream(models / "notes.txt") << "not a model";
  const Finished run =
      RunProgram(Batch({models.string(), Model("custom-units").string()}, {"-j", "2"}));
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> names;
  for (const auto& [name, bytes] : Scenes()) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"One.orv", "custom-units.orv", "two.orv"}));
}

// Bad usage writes nothing.
TEST_F(BatchExport, BadUsageIsRefusedWithStatusTwoBeforeAnythingIsWritten) {
  const fs::path empty = folder.path / "empty";
  fs::create_directories(empty);
  fs::create_directories(folder.path / "again");
  fs::copy_file(Model("house"), folder.path / "again" / "house.3dm");
  const std::string house = Model("house").string();
  struct Row {
    std::vector<std::string> argv;
    std::string message;
  };
  const std::vector<Row> rows{
      {{ORVEXPORT_PATH, house, Model("trimmed").string()}, "several INPUTs need --output-dir"},
      {{ORVEXPORT_PATH, "--output-dir", out.string()}, "--output-dir needs one or more INPUT"},
      {Batch({house}, {"-o", (out / "x.orv").string()}), "-o names one scene"},
      {{ORVEXPORT_PATH, "--output-dir", (folder.path / "nowhere").string(), house},
       "no such folder"},
      {Batch({empty.string()}), "the folder holds no .3dm model"},
      {Batch({house, (folder.path / "again" / "house.3dm").string()}), "would both be written"},
      {Batch({house}, {"-j", "0"}), "-j"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message);
    const Finished run = RunProgram(row.argv);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(row.message), std::string::npos) << run.err;
    EXPECT_TRUE(fs::is_empty(out));
  }
}

// A converter that never answers: the limit holds for each model, which fails alone, and the
// temporary folders go.
TEST_F(BatchExport, TheConverterTimeLimitHoldsForEachModelOfTheBatch) {
  const fs::path bin = folder.path / "bin";
  const fs::path temporary = folder.path / "tmp";
  fs::create_directories(bin);
  fs::create_directories(temporary);
  std::ofstream(bin / "node") << "#!/bin/sh\nexec sleep 600\n";
  fs::permissions(bin / "node", fs::perms::owner_all);
  const Started started = StartProgram(
      Batch(FixtureModels(), {"-j", "2", "--converter-time-limit", "0.2"}),
      {"PATH=" + bin.string() + ":" + std::getenv("PATH"), "TMPDIR=" + temporary.string()});
  const Finished run = WaitFor(started);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(CountLines(run.err), int(kFixtures.size())) << run.err;
  for (const std::string& model : FixtureModels())
    EXPECT_NE(run.err.find(model + ": the .3dm converter did not finish within 0.2 s"),
              std::string::npos)
        << run.err;
  EXPECT_TRUE(fs::is_empty(temporary));
  EXPECT_TRUE(fs::is_empty(out));
}

// SIGTERM to orvexport alone reaches every worker; each ends its converter and removes its
// folders.
TEST_F(BatchExport, ASignalEndsEveryWorkerAndConverterAndLeavesNoTemporaryFolder) {
  const fs::path bin = folder.path / "bin";
  const fs::path temporary = folder.path / "tmp";
  fs::create_directories(bin);
  fs::create_directories(temporary);
  std::ofstream(bin / "node") << "#!/bin/sh\necho $$ >> " << (folder.path / "converters")
                              << "\nexec sleep 600\n";
  fs::permissions(bin / "node", fs::perms::owner_all);
  const Started started = StartProgram(
      Batch(FixtureModels(), {"-j", "2"}),
      {"PATH=" + bin.string() + ":" + std::getenv("PATH"), "TMPDIR=" + temporary.string()});
  ASSERT_GT(started.pid, 0);
  std::vector<pid_t> converters;
  for (int tries = 0; converters.size() < 2 && tries < 10000; ++tries) {
    converters.clear();
    std::ifstream pids(folder.path / "converters");
    for (pid_t pid; pids >> pid;) converters.push_back(pid);
    if (converters.size() < 2) usleep(10000);
  }
  ASSERT_EQ(converters.size(), 2u) << "both workers start their converter";
  kill(started.pid, SIGTERM);
  const Finished run = WaitFor(started);
  EXPECT_EQ(run.status, 143) << run.err;
  EXPECT_EQ(run.err, "orvexport: interrupted; the scenes written so far stay\n");
  for (pid_t converter : converters) EXPECT_EQ(kill(converter, 0), -1) << "a converter runs";
  EXPECT_TRUE(fs::is_empty(temporary));
}

}  // namespace
