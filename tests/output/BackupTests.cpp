// The backup of the previous file: whatever stands in its place, the export goes on, and either
// the backup holds the whole previous file or the command line says why no backup was kept.
#include <sys/wait.h>
#include <unistd.h>

#include "FileFaults.h"
#include "SaveFixture.h"
#include "orv/SceneFileReader.h"

namespace output_test {
namespace {

class Backup : public SaveTest {
 protected:
  void TearDown() override { clearFaults(); }

  /// Saves over "previous scene" and checks that the export went on and replaced the target.
  void saveOverPrevious() {
    writeFile(target, "previous scene");
    ASSERT_TRUE(save(target));
    EXPECT_NO_THROW(QzOrv::scene::readSceneFile(target));
  }
  std::string warning(const fs::path& kept, const std::string& reason) const {
    return "Warning: no backup was kept: " + kept.string() + ": " + reason + "\n";
  }
  /// The temporary files the save may make are all gone.
  void expectNoTemporaryFile() const {
    for (const std::string& name : entries())
      EXPECT_EQ(name.rfind(".orv-", 0), std::string::npos) << name;
  }
};

TEST_F(Backup, AReadOnlyBackupIsLeftAloneWithAWarning) {
  writeFile(backup, "protected backup");
  fs::permissions(backup, fs::perms::owner_read | fs::perms::group_read);
  saveOverPrevious();
  EXPECT_EQ(contentsOf(backup), "protected backup");
  EXPECT_EQ(commandLine, warning(backup, "the file is read-only"));
  expectNoTemporaryFile();
}

TEST_F(Backup, AFolderInThePlaceOfTheBackupIsLeftAloneWithAWarning) {
  fs::create_directory(backup);
  writeFile(backup / "inside", "kept");
  saveOverPrevious();
  EXPECT_EQ(contentsOf(backup / "inside"), "kept");
  EXPECT_EQ(commandLine, warning(backup, "Is a directory"));
  expectNoTemporaryFile();
}

TEST_F(Backup, ABackupThatCannotBeRenamedIntoPlaceIsReportedAndCleanedUp) {
  // An immutable backup refuses to be replaced, as does one that its folder protects.
  writeFile(backup, "immutable backup");
  planFaults({{FileCall::rename, 2, FaultAction::fail, EPERM}});
  saveOverPrevious();
  EXPECT_EQ(contentsOf(backup), "immutable backup");
  EXPECT_EQ(commandLine, warning(backup, "Operation not permitted"));
  expectNoTemporaryFile();
}

TEST_F(Backup, ABackupNameOverTheFileNameLimitIsReported) {
  const std::string name(static_cast<std::size_t>(pathconf(folder.path.c_str(), _PC_NAME_MAX)) - 6,
                         'n');
  target = folder.path / (name + ".orv");  // fits; the backup name does not
  backup = target.string() + ".bak";
  saveOverPrevious();
  EXPECT_EQ(commandLine, warning(backup, "File name too long"));
  EXPECT_EQ(entries(), std::set<std::string>{target.filename().string()});
}

TEST_F(Backup, LinksInThePlaceOfTheBackupAreReplacedNeverWrittenThrough) {
  fs::create_symlink("nowhere.orv", backup);  // dangling
  saveOverPrevious();
  EXPECT_FALSE(fs::is_symlink(backup));
  EXPECT_EQ(contentsOf(backup), "previous scene");
  EXPECT_FALSE(fs::exists(folder.path / "nowhere.orv"));

  const fs::path precious = folder.path / "precious.txt";
  writeFile(precious, "not a backup");
  fs::remove(backup);
  fs::create_symlink("precious.txt", backup);
  saveOverPrevious();
  EXPECT_EQ(contentsOf(precious), "not a backup");
  EXPECT_FALSE(fs::is_symlink(backup));
  EXPECT_EQ(contentsOf(backup), "previous scene");
  EXPECT_EQ(commandLine, "");
}

TEST_F(Backup, ACopyStandsInWhereTheFileSystemRefusesAHardLink) {
  writeFile(target, std::string(200 * 1024, 'p'));  // several blocks of the copy
  planFaults({{FileCall::link, 1, FaultAction::fail, EXDEV}});
  ASSERT_TRUE(save(target));
  EXPECT_EQ(contentsOf(backup), std::string(200 * 1024, 'p'));
  EXPECT_GE(callsSincePlan(FileCall::write), 4);
  EXPECT_EQ(commandLine, "");
  expectNoTemporaryFile();
}

TEST_F(Backup, ACopyThatFailsCostsOnlyTheBackup) {
  struct Case {
    FileFault fault;
    std::string reason;
  };
  const Case cases[] = {
      {{FileCall::write, 2, FaultAction::fail, ENOSPC}, "No space left on device"},
      {{FileCall::read, 1, FaultAction::fail, EIO}, "Input/output error"},
      {{FileCall::fsync, 2, FaultAction::fail, EIO}, "Input/output error"}};
  for (const Case& failure : cases) {
    SCOPED_TRACE(describe(failure.fault));
    commandLine.clear();
    writeFile(target, std::string(200 * 1024, 'p'));
    writeFile(backup, "older scene");
    // The link fails first; the fault under test comes from the copy that follows.
    planFaults({{FileCall::link, 1, FaultAction::fail, EXDEV}, failure.fault});
    ASSERT_TRUE(save(target));
    EXPECT_EQ(commandLine, warning(backup, failure.reason));
    EXPECT_EQ(contentsOf(backup), "older scene");
    EXPECT_NO_THROW(QzOrv::scene::readSceneFile(target));
    expectNoTemporaryFile();
  }
}

TEST_F(Backup, ABackupThatIsAlreadyALinkOfTheTargetLeavesNoTemporaryFile) {
  // Two exports to one target at once can leave the backup a hard link of the target; keeping
  // the backup then renames one link of a file over another, which the system does not do.
  writeFile(target, "previous scene");
  fs::create_hard_link(target, backup);
  ASSERT_TRUE(save(target));
  EXPECT_EQ(contentsOf(backup), "previous scene");
  EXPECT_EQ(entries(), (std::set<std::string>{"a.orv", "a.orv.bak"}));
}

TEST_F(Backup, ExportsToOneTargetAtOnceLeaveOnlyTheTargetAndItsBackup) {
  writeFile(target, "previous scene");
  const pid_t other = fork();
  ASSERT_GE(other, 0);
  for (int i = 0; i < 40; ++i) save(target);
  if (other == 0) _exit(0);
  int status = 0;
  ASSERT_EQ(waitpid(other, &status, 0), other);
  EXPECT_NO_THROW(QzOrv::scene::readSceneFile(target));
  EXPECT_EQ(entries(), (std::set<std::string>{"a.orv", "a.orv.bak"}));
}

}  // namespace
}  // namespace output_test
