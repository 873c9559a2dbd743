// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "orv/SceneFileReader.h"
#include "output/OutputFile.h"

namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& file, const std::string& contents) {
  std::ofstream(file, std::ios::binary) << contents;
}

// How a ScriptedManager's save ends.
enum class SaveEnd { AsTheLibrarySays, ReportsFailure, Throws };

// A real scene manager whose save first pushes `chunks` blocks of `chunkBytes` filler bytes
// through the stream (to reach file-size limits) and can be made to fail afterwards.
class ScriptedManager final : public QzOrv::IOrvMgr {
 public:
  ScriptedManager(QzOrv::IOrvMgr* inner, SaveEnd end, int chunks = 0, std::size_t chunkBytes = 0)
      : m_inner(inner), m_end(end), m_chunks(chunks), m_filler(chunkBytes, 'x') {}

  bool save(QzOrv::IOrvWriteStream* stream, int flags) override {
    for (int i = 0; i < m_chunks; ++i) stream->write(m_filler.data(), m_filler.size());
    const bool saved = m_inner->save(stream, flags);
    if (m_end == SaveEnd::Throws) throw std::runtime_error("the library gave up");
    return m_end == SaveEnd::ReportsFailure ? false : saved;
  }
  unsigned long release() override {
    m_inner->release();
    delete this;
    return 0;
  }
  bool setCreator(const char* application, const char* version) override {
    return m_inner->setCreator(application, version);
  }
  QzOrv::IOrvList<QzOrv::IOrvCamera>* cameras() override { return m_inner->cameras(); }
  QzOrv::IOrvList<QzOrv::IOrvLight>* lights() override { return m_inner->lights(); }
  QzOrv::IOrvList<QzOrv::IOrvView>* views() override { return m_inner->views(); }
  QzOrv::IOrvList<QzOrv::IOrvHeliodon>* heliodons() override { return m_inner->heliodons(); }
  QzOrv::IOrvList<QzOrv::IOrvObjectInstance>* objectInstances() override {
    return m_inner->objectInstances();
  }
  QzOrv::IOrvList<QzOrv::IOrvLayer>* layers() override { return m_inner->layers(); }
  QzOrv::IOrvList<QzOrv::IOrvObjectDefinition>* objectDefinitions() override {
    return m_inner->objectDefinitions();
  }

 private:
  QzOrv::IOrvMgr* m_inner;
  SaveEnd m_end;
  int m_chunks;
  std::string m_filler;
};

class OutputFile : public testing::Test {
 protected:
  void script(SaveEnd end, int chunks = 0, std::size_t chunkBytes = 0) {
    writer.manager.reset(new ScriptedManager(writer.manager.detach(), end, chunks, chunkBytes));
  }
  // The wide form of a path, converted as the plug-in converts (the file system takes UTF-8).
  static ON_wString wide(const fs::path& file) { return ON_wString(file.c_str()); }
  bool save(const fs::path& file) { return saveToFile(writer, wide(file)); }

  TempFolder folder{"orv-output"};
  fs::path target = folder.path / "a.orv";
  fs::path backup = folder.path / "a.orv.bak";
  CRhinoDoc doc;
  SceneWriter writer{doc};
};

TEST_F(OutputFile, KeepsThePreviousFileAsBackupReplacingAnOlderOne) {
  writeFile(target, "previous scene");
  writeFile(backup, "much older scene");
  ASSERT_TRUE(save(target));
  EXPECT_EQ(contentsOf(backup), "previous scene");
  const QzOrv::scene::Scene scene = QzOrv::scene::readSceneFile(target);
  ASSERT_TRUE(scene.creator.has_value());
  EXPECT_EQ(scene.creator->application, "RhinoORVExportPlugIn");
}

TEST_F(OutputFile, ANewPathMakesNoBackup) {
  ASSERT_TRUE(save(target));
  EXPECT_TRUE(fs::exists(target));
  EXPECT_FALSE(fs::exists(backup));
}

TEST_F(OutputFile, AMissingFolderFailsAndCreatesNothing) {
  EXPECT_FALSE(save(folder.path / "missing" / "a.orv"));
  EXPECT_FALSE(fs::exists(folder.path / "missing"));
  EXPECT_TRUE(fs::is_empty(folder.path));
}

TEST_F(OutputFile, NonAsciiPathsReachTheSameFile) {
  const fs::path named =
      folder.path / fs::u8path("maison \xC3\xA9t\xC3\xA9 \xE4\xB8\xAD \xF0\x9D\x84\x9E.orv");
  ASSERT_TRUE(save(named));
  EXPECT_NO_THROW(QzOrv::scene::readSceneFile(named));

  // Failing on the same path deletes that very file, keeping its backup.
  script(SaveEnd::ReportsFailure);
  EXPECT_FALSE(save(named));
  EXPECT_FALSE(fs::exists(named));
  EXPECT_TRUE(fs::exists(named.string() + ".bak"));
}

TEST_F(OutputFile, AManagerReportingFailureLeavesNoTargetButKeepsTheBackup) {
  writeFile(target, "previous scene");
  script(SaveEnd::ReportsFailure);
  EXPECT_FALSE(save(target));
  EXPECT_FALSE(fs::exists(target));
  EXPECT_EQ(contentsOf(backup), "previous scene");
}

TEST_F(OutputFile, AManagerThatThrowsLeavesNoPartialTarget) {
  writeFile(target, "previous scene");
  script(SaveEnd::Throws, 3, 1000);
  EXPECT_FALSE(save(target));
  EXPECT_FALSE(fs::exists(target));
  EXPECT_EQ(contentsOf(backup), "previous scene");
}

TEST_F(OutputFile, ABackupThatCannotBeReplacedDoesNotStopTheExport) {
  writeFile(target, "previous scene");
  writeFile(backup, "read-only backup");
  fs::permissions(backup, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_TRUE(save(target));

  fs::remove(backup);
  fs::create_directory(backup);  // not even a file: the copy must fail
  EXPECT_TRUE(save(target));
  EXPECT_TRUE(fs::is_directory(backup));
  EXPECT_NO_THROW(QzOrv::scene::readSceneFile(target));
}

TEST_F(OutputFile, WithoutAManagerTheSaveFailsAndLeavesNoTarget) {
  writeFile(target, "previous scene");
  writer.manager.reset();
  try {
    saveScene(writer.manager, target.string().c_str());
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "TOrvComPtr::operator->() - Dereferencing NULL");
  }
  EXPECT_FALSE(fs::exists(target));
  EXPECT_FALSE(save(target));
}

// What a save under a file-size limit did, run in a child process so the limit stays there.
struct LimitedSave {
  bool saved;
  std::string printed;  // the child's standard output
};

LimitedSave saveUnderSizeLimit(SceneWriter& writer, const fs::path& target, rlim_t limit) {
  const fs::path printedFile = target.string() + ".stdout";
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    FILE* out = std::freopen(printedFile.c_str(), "w", stdout);
    signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails instead of killing us
    const rlimit size{limit, limit};
    setrlimit(RLIMIT_FSIZE, &size);
    const bool saved = saveToFile(writer, ON_wString(target.c_str()));
    std::fflush(out);
    _exit(saved ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status));
  LimitedSave result{WEXITSTATUS(status) == 0, contentsOf(printedFile)};
  fs::remove(printedFile);
  return result;
}

TEST_F(OutputFile, AShortWriteFailsTheSaveAndIsReportedOnce) {
  writeFile(target, "previous scene");
  script(SaveEnd::AsTheLibrarySays, 4, 16 * 1024);
  const LimitedSave result = saveUnderSizeLimit(writer, target, 8 * 1024);
  EXPECT_FALSE(result.saved);
  EXPECT_EQ(result.printed, "COrvFileWriteStream::write - Unable to write in file\n");
  EXPECT_FALSE(fs::exists(target));
  EXPECT_EQ(contentsOf(backup), "previous scene");
}

TEST_F(OutputFile, BytesThatCannotBeFlushedAtCloseFailTheSave) {
  script(SaveEnd::AsTheLibrarySays, 1, 600);
  const LimitedSave result = saveUnderSizeLimit(writer, target, 512);
  EXPECT_FALSE(result.saved);
  EXPECT_EQ(result.printed, "");  // every write fitted the stream's buffer
  EXPECT_FALSE(fs::exists(target));
}

}  // namespace
