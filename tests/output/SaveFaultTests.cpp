// Faults injected into every file call of the save, and the process killed at chosen points of
// it: the target is always the whole previous file or the whole new one, the backup the previous
// backup or the whole previous target, and a failed save leaves no file behind.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FileFaults.h"
#include "SaveFixture.h"

namespace output_test {
namespace {

class SaveFaults : public SaveTest {
 protected:
  void SetUp() override {
    // Enough bytes for several pieces of the scene library and several blocks of a copy.
    script(SaveEnd::AsTheLibrarySays, 5, 50 * 1024);
    expectedNew = newBytes();
  }
  void TearDown() override { clearFaults(); }

  void writePrevious() {
    writeFile(target, previous);
    writeFile(backup, olderBackup);
  }

  const std::string previous = "previous scene " + std::string(100 * 1024, 'p');
  const std::string olderBackup = "older scene";
  std::string expectedNew;
};

TEST_F(SaveFaults, EveryFailingCallLeavesTargetAndBackupAsTheyWere) {
  struct Case {
    FileFault fault;
    const char* message;  // before the target's path
    const char* reason;
  };
  const Case cases[] = {
      {{FileCall::open, 1, FaultAction::fail, EACCES}, "Unable to open file", "Permission denied"},
      {{FileCall::open, 1, FaultAction::fail, EROFS},
       "Unable to open file",
       "Read-only file system"},
      {{FileCall::open, 1, FaultAction::fail, ENOSPC},
       "Unable to open file",
       "No space left on device"},
      {{FileCall::fwrite, 2, FaultAction::fail, ENOSPC},
       "Error while writing the file",
       "No space left on device"},
      {{FileCall::fflush, 1, FaultAction::fail, ENOSPC},
       "Error while writing the file",
       "No space left on device"},
      {{FileCall::fsync, 1, FaultAction::fail, EIO},
       "Error while writing the file",
       "Input/output error"},
      {{FileCall::fclose, 1, FaultAction::fail, EDQUOT},
       "Error while writing the file",
       "Disk quota exceeded"},
      {{FileCall::rename, 1, FaultAction::fail, EXDEV},
       "Error while writing the file",
       "Invalid cross-device link"},
  };
  for (const Case& failure : cases) {
    SCOPED_TRACE(describe(failure.fault));
    writePrevious();
    planFaults({failure.fault});
    bool saved = true;
    const std::string reported = saveReportingTo(target, saved);
    EXPECT_FALSE(saved);
    const std::string shortWrite = failure.fault.call == FileCall::fwrite
                                       ? "COrvFileWriteStream::write - Unable to write in file\n"
                                       : "";
    EXPECT_EQ(reported,
              shortWrite + failure.message + ": " + target.string() + ": " + failure.reason + "\n");
    EXPECT_EQ(contentsOf(target), previous);
    EXPECT_EQ(contentsOf(backup), olderBackup);
    EXPECT_EQ(entries(), (std::set<std::string>{"a.orv", "a.orv.bak"}));
    EXPECT_EQ(commandLine, "");
  }
}

// Where a kill leaves the files: true when the target must already be the new file, and when
// the backup must already be the previous target.
struct KillPoint {
  FileFault fault;
  bool targetIsNew;
  bool backupIsPrevious;
};

TEST_F(SaveFaults, AKillAtAnyPointLeavesWholeFiles) {
  const KillPoint points[] = {
      {{FileCall::open, 1, FaultAction::killAfter}, false, false},
      {{FileCall::fwrite, 3, FaultAction::killAfter}, false, false},
      {{FileCall::fflush, 1, FaultAction::killAfter}, false, false},
      {{FileCall::fsync, 1, FaultAction::killAfter}, false, false},
      {{FileCall::link, 1, FaultAction::killAfter}, false, false},
      {{FileCall::rename, 1, FaultAction::killBefore}, false, false},
      {{FileCall::rename, 1, FaultAction::killAfter}, true, false},
      {{FileCall::rename, 2, FaultAction::killBefore}, true, false},
      {{FileCall::rename, 2, FaultAction::killAfter}, true, true},
  };
  for (const KillPoint& point : points) {
    SCOPED_TRACE(describe(point.fault));
    writePrevious();
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
      planFaults({point.fault});
      _exit(save(target) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the point was not reached";
    EXPECT_EQ(contentsOf(target), point.targetIsNew ? expectedNew : previous);
    EXPECT_EQ(contentsOf(backup), point.backupIsPrevious ? previous : olderBackup);
    // Only temporary files may be left over, and none is a file the user knows.
    for (const std::string& name : entries()) {
      if (name == "a.orv" || name == "a.orv.bak") continue;
      EXPECT_EQ(name.rfind(".orv-", 0), 0u) << name;
      fs::remove(folder.path / name);
    }
  }
}

TEST_F(SaveFaults, AKillWhileCopyingTheBackupLeavesWholeFiles) {
  for (int write = 1; write <= 2; ++write) {
    SCOPED_TRACE(write);
    writePrevious();
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
      planFaults({{FileCall::link, 1, FaultAction::fail, EXDEV},
                  {FileCall::write, write, FaultAction::killAfter}});
      _exit(save(target) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(contentsOf(target), previous);
    EXPECT_EQ(contentsOf(backup), olderBackup);
  }
}

}  // namespace
}  // namespace output_test
