// The save against a real file system in temporary folders: the backup, failures that leave
// everything as it was, links, permissions and targets that cannot be replaced.
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iterator>

#include "SaveFixture.h"
#include "orv/SceneFileReader.h"
#include "output/StagedFiles.h"

namespace output_test {
namespace {

using OutputFile = SaveTest;

TEST_F(OutputFile, KeepsThePreviousFileAsBackupReplacingAnOlderOne) {
  writeFile(target, "previous scene");
  writeFile(backup, "much older scene");
  ASSERT_TRUE(save(target));
  EXPECT_EQ(contentsOf(backup), "previous scene");
  const QzOrv::scene::Scene scene = QzOrv::scene::readSceneFile(target);
  ASSERT_TRUE(scene.creator.has_value());
  EXPECT_EQ(scene.creator->application, "RhinoORVExportPlugIn");
  EXPECT_EQ(entries(), (std::set<std::string>{"a.orv", "a.orv.bak"}));
  EXPECT_EQ(commandLine, "");
}

TEST_F(OutputFile, ANewPathMakesNoBackupAndLeavesAnOldOneAlone) {
  ASSERT_TRUE(save(target));
  EXPECT_TRUE(fs::exists(target));
  EXPECT_FALSE(fs::exists(backup));

  fs::remove(target);
  writeFile(backup, "backup of a file since deleted");
  ASSERT_TRUE(save(target));
  EXPECT_EQ(contentsOf(backup), "backup of a file since deleted");
}

TEST_F(OutputFile, AMissingFolderFailsWithTheReasonAndCreatesNothing) {
  const fs::path missing = folder.path / "missing" / "a.orv";
  bool saved = true;
  EXPECT_EQ(saveReportingTo(missing, saved),
            "Unable to open file: " + missing.string() + ": No such file or directory\n");
  EXPECT_FALSE(saved);
  EXPECT_TRUE(fs::is_empty(folder.path));
}

TEST_F(OutputFile, NonAsciiPathsReachTheSameFile) {
  const fs::path named =
      folder.path / fs::u8path("maison \xC3\xA9t\xC3\xA9 \xE4\xB8\xAD \xF0\x9D\x84\x9E.orv");
  ASSERT_TRUE(save(named));
  const std::string first = contentsOf(named);
  EXPECT_NO_THROW(QzOrv::scene::readSceneFile(named));
  ASSERT_TRUE(save(named));
  EXPECT_EQ(contentsOf(named.string() + ".bak"), first);

  // Failing on the same path leaves that very file and its backup as they were.
  script(SaveEnd::ReportsFailure);
  bool saved = true;
  const std::string reason = saveReportingTo(named, saved);
  EXPECT_FALSE(saved);
  EXPECT_NE(reason.find(named.string()), std::string::npos) << reason;
  EXPECT_EQ(contentsOf(named), first);
  EXPECT_EQ(contentsOf(named.string() + ".bak"), first);
}

TEST_F(OutputFile, AFailedSaveLeavesTargetAndBackupAsTheyWere) {
  struct Failure {
    const char* what;
    std::function<void()> arrange;
    std::string reason;
  };
  const Failure failures[] = {
      {"the manager reports failure", [&] { script(SaveEnd::ReportsFailure); },
       "Error while writing the file: " + target.string() +
           ": the scene library could not write the scene\n"},
      {"the manager throws after writing", [&] { script(SaveEnd::Throws, 3, 1000); },
       "the library gave up\n"},
      {"there is no manager", [&] { writer.manager.reset(); },
       "TOrvComPtr::operator->() - Dereferencing NULL\n"},
  };
  for (const Failure& failure : failures) {
    SCOPED_TRACE(failure.what);
    writeFile(target, "previous scene");
    writeFile(backup, "older scene");
    failure.arrange();
    bool saved = true;
    EXPECT_EQ(saveReportingTo(target, saved), failure.reason);
    EXPECT_FALSE(saved);
    EXPECT_EQ(contentsOf(target), "previous scene");
    EXPECT_EQ(contentsOf(backup), "older scene");
    EXPECT_EQ(entries(), (std::set<std::string>{"a.orv", "a.orv.bak"}));
  }
}

// What a save under a file-size limit did, run in a child process so the limit stays there.
struct LimitedSave {
  bool saved;
  std::string printed;  // what the child printed on the command line
};

LimitedSave saveUnderSizeLimit(SceneWriter& writer, const fs::path& target, rlim_t limit) {
  const fs::path printedFile = target.string() + ".printed";
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    std::string printed;
    RhinoHost::SetCommandLineSink([&](const std::string& text) { printed += text; });
    signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails instead of killing us
    const rlimit size{limit, limit};
    setrlimit(RLIMIT_FSIZE, &size);
    const bool saved = saveToFile(writer, ON_wString(target.c_str()));
    // The limit is lifted so the report can be written in full.
    const rlimit none{RLIM_INFINITY, RLIM_INFINITY};
    setrlimit(RLIMIT_FSIZE, &none);
    std::FILE* out = std::fopen(printedFile.c_str(), "wb");
    if (out != nullptr) std::fputs(printed.c_str(), out);
    if (out != nullptr) std::fclose(out);
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
  writeFile(backup, "older scene");
  script(SaveEnd::AsTheLibrarySays, 4, 16 * 1024);
  const LimitedSave result = saveUnderSizeLimit(writer, target, 8 * 1024);
  EXPECT_FALSE(result.saved);
  EXPECT_EQ(result.printed,
            "COrvFileWriteStream::write - Unable to write in file\n"
            "Error while writing the file: " +
                target.string() + ": File too large\n");
  EXPECT_EQ(contentsOf(target), "previous scene");
  EXPECT_EQ(contentsOf(backup), "older scene");
  EXPECT_EQ(entries(), (std::set<std::string>{"a.orv", "a.orv.bak"}));
}

TEST_F(OutputFile, BytesThatCannotBeFlushedAtCloseFailTheSave) {
  script(SaveEnd::AsTheLibrarySays, 1, 600);
  const LimitedSave result = saveUnderSizeLimit(writer, target, 512);
  EXPECT_FALSE(result.saved);
  // Every write fitted the stream's buffer: only the failed flush is told.
  EXPECT_EQ(result.printed,
            "Error while writing the file: " + target.string() + ": File too large\n");
  EXPECT_TRUE(fs::is_empty(folder.path));
}

TEST_F(OutputFile, ATargetThatIsALinkIsResolvedAndTheFileItNamesReplaced) {
  fs::create_directory(folder.path / "scenes");
  const fs::path real = folder.path / "scenes" / "b.orv";
  writeFile(real, "previous scene");
  fs::create_symlink("scenes/b.orv", folder.path / "middle.orv");
  fs::create_symlink("middle.orv", target);  // a chain of two relative links

  ASSERT_TRUE(save(target));
  EXPECT_EQ(fs::read_symlink(target), "middle.orv");
  EXPECT_EQ(fs::read_symlink(folder.path / "middle.orv"), "scenes/b.orv");
  EXPECT_NO_THROW(QzOrv::scene::readSceneFile(real));
  // The backup is kept under the name the save was given.
  EXPECT_FALSE(fs::is_symlink(backup));
  EXPECT_EQ(contentsOf(backup), "previous scene");
  EXPECT_EQ(entries(), (std::set<std::string>{"a.orv", "a.orv.bak", "middle.orv", "scenes"}));
  EXPECT_EQ(fs::directory_iterator(folder.path / "scenes")->path().filename(), "b.orv");

  // A dangling link names the file to create.
  fs::create_symlink("c.orv", folder.path / "d.orv");
  ASSERT_TRUE(save(folder.path / "d.orv"));
  EXPECT_TRUE(fs::is_symlink(folder.path / "d.orv"));
  EXPECT_NO_THROW(QzOrv::scene::readSceneFile(folder.path / "c.orv"));
  EXPECT_FALSE(fs::exists(folder.path / "d.orv.bak"));
}

TEST_F(OutputFile, AReplacedFileKeepsItsPermissions) {
  // Permissions the usual mask would narrow: only the save's own change of mode keeps them.
  constexpr fs::perms kShared = fs::perms::owner_read | fs::perms::owner_write |
                                fs::perms::group_read | fs::perms::group_write |
                                fs::perms::others_read;
  writeFile(target, "previous scene");
  fs::permissions(target, kShared);
  const mode_t usual = umask(022);
  const bool replaced = save(target);
  umask(usual);
  ASSERT_TRUE(replaced);
  EXPECT_EQ(fs::status(target).permissions(), kShared);
  EXPECT_EQ(fs::status(backup).permissions(), kShared);

  // A new file gets what the process's file-creation mask allows.
  const mode_t mask = umask(027);
  const fs::path fresh = folder.path / "fresh.orv";
  const bool saved = save(fresh);
  umask(mask);
  ASSERT_TRUE(saved);
  EXPECT_EQ(fs::status(fresh).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(OutputFile, TargetsThatCannotBeReplacedAreRefusedAndLeftAlone) {
  writeFile(target, "previous scene");
  fs::permissions(target, fs::perms::owner_read | fs::perms::group_read);
  bool saved = true;
  EXPECT_EQ(saveReportingTo(target, saved),
            "Unable to open file: " + target.string() + ": the file is read-only\n");
  EXPECT_FALSE(saved);
  EXPECT_EQ(contentsOf(target), "previous scene");

  const fs::path folderTarget = folder.path / "folder.orv";
  fs::create_directory(folderTarget);
  EXPECT_EQ(saveReportingTo(folderTarget, saved),
            "Unable to open file: " + folderTarget.string() + ": Is a directory\n");
  EXPECT_TRUE(fs::is_empty(folderTarget));

  const fs::path pipe = folder.path / "pipe.orv";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(saveReportingTo(pipe, saved),
            "Unable to open file: " + pipe.string() + ": not a regular file\n");

  const fs::path loop = folder.path / "loop.orv";
  fs::create_symlink("loop.orv", loop);
  EXPECT_EQ(saveReportingTo(loop, saved),
            "Unable to open file: " + loop.string() + ": Too many levels of symbolic links\n");
  EXPECT_FALSE(saved);
  EXPECT_EQ(entries(), (std::set<std::string>{"a.orv", "folder.orv", "pipe.orv", "loop.orv"}));
}

TEST_F(OutputFile, StagedCopiesTakeTheirNamesOnlyWithTheSavedScene) {
  const fs::path images = folder.path / "a";
  fs::create_directory(images);
  writeFile(folder.path / "wood.png", "wood");
  StagedFiles& staged = writer.textureCopies.staged;
  staged.stage((folder.path / "wood.png").string(), (images / "wood.png").string());
  ASSERT_TRUE(save(target));
  EXPECT_EQ(contentsOf(images / "wood.png"), "wood");
  const std::string saved = contentsOf(target);

  // A name taken meanwhile by other bytes fails the save: the scene would refer to someone
  // else's file. Taken by the same bytes (another export of the image), it is that file's.
  staged.stage((folder.path / "wood.png").string(), (images / "oak.png").string());
  staged.stage((folder.path / "wood.png").string(), (images / "ash.png").string());
  writeFile(images / "oak.png", "wood");
  writeFile(images / "ash.png", "someone else's");
  bool replaced = true;
  EXPECT_EQ(saveReportingTo(target, replaced), "Error while writing the file: " + target.string() +
                                                   ": " + (images / "ash.png").string() +
                                                   ": File exists\n");
  EXPECT_FALSE(replaced);
  EXPECT_EQ(contentsOf(target), saved);
  EXPECT_EQ(contentsOf(images / "ash.png"), "someone else's");
  EXPECT_EQ(contentsOf(images / "oak.png"), "wood");
  EXPECT_EQ(std::distance(fs::directory_iterator(images), fs::directory_iterator()), 3);
}

TEST_F(OutputFile, AFailedSaveRemovesItsStagedCopiesAndTheFoldersMadeForThem) {
  const fs::path images = folder.path / "a";
  writeFile(folder.path / "wood.png", "wood");
  StagedFiles& staged = writer.textureCopies.staged;
  ASSERT_EQ(staged.makeFolder(images.string()), 0);
  staged.stage((folder.path / "wood.png").string(), (images / "wood.png").string());
  script(SaveEnd::ReportsFailure);
  EXPECT_FALSE(save(target));
  EXPECT_EQ(entries(), std::set<std::string>{"wood.png"});
}

}  // namespace
}  // namespace output_test
