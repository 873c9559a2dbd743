// orvdump's output files, written by the scene save's rules: a link followed and kept, the
// permissions of a replaced file kept, devices and pipes written in place, "-" standard output.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <set>
#include <span>
#include <string>

#include "ExportTestSupport.h"
#include "TempFolder.h"
#include "common/OutputReplacement.h"

namespace {

namespace fs = std::filesystem;
using QzOrv::scene::OutputError;
using namespace QzOrv::test;

void writeText(const fs::path& file, const std::string& text) {
  QzOrv::scene::writeWholeFile(file, {std::as_bytes(std::span(text.data(), text.size()))});
}

std::set<std::string> entries(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

TEST(OutputReplacement, FollowsALinkKeepingItAndKeepsThePermissionsOfTheFileReplaced) {
  TempFolder folder("orvdump-output");
  const fs::path real = folder.path / "real.glb";
  const fs::path link = folder.path / "link.glb";
  std::ofstream(real) << "previous";
  // Permissions the usual mask would narrow: only the writer's own change of mode keeps them.
  const auto shared = fs::perms(0664);
  fs::permissions(real, shared);
  fs::create_symlink("real.glb", link);
  const mode_t usual = umask(022);
  writeText(link, "new");
  umask(usual);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(contentsOf(real), "new");
  EXPECT_EQ(fs::status(real).permissions(), shared);
  EXPECT_EQ(entries(folder.path), (std::set<std::string>{"real.glb", "link.glb"}));
}

TEST(OutputReplacement, WritesDevicesInPlaceAndRefusesWhatCannotBeReplaced) {
  writeText("/dev/null", "into nothing");
  EXPECT_TRUE(fs::is_character_file("/dev/null"));

  TempFolder folder("orvdump-output");
  const fs::path readOnly = folder.path / "read-only.glb";
  std::ofstream(readOnly) << "kept";
  fs::permissions(readOnly, fs::perms::owner_read);
  fs::create_directory(folder.path / "folder.glb");
  const fs::path pipe = folder.path / "unread.glb";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const struct {
    fs::path file;
    std::string reason;
  } refused[] = {{readOnly, "the file is read-only"},
                 {folder.path / "folder.glb", "Is a directory"},
                 {pipe, "No such device or address"}};  // a pipe nobody reads: no waiting
  for (const auto& c : refused) {
    try {
      writeText(c.file, "new");
      ADD_FAILURE() << c.file << " was written";
    } catch (const OutputError& error) {
      EXPECT_EQ(std::string(error.what()), c.file.string() + ": cannot write: " + c.reason);
    }
  }
  EXPECT_EQ(contentsOf(readOnly), "kept");
  EXPECT_EQ(entries(folder.path),
            (std::set<std::string>{"read-only.glb", "folder.glb", "unread.glb"}));
}

TEST(OutputReplacement, DashAndDevStdoutAreStandardOutput) {
  TempFolder folder("orvdump-output");
  const fs::path sceneFile = folder.path / "scene.orv";
  saveScene(QzOrv::scene::Scene{}, sceneFile);
  for (const char* output : {"-", "/dev/stdout"}) {
    const Finished run =
        runOrvdump({"--preview", "--size", "4x3", sceneFile.string(), "-o", output});
    EXPECT_EQ(run.status, 0) << output << ": " << run.err;
    EXPECT_EQ(run.out.substr(0, 8), "\x89PNG\r\n\x1a\n") << output;
  }
  EXPECT_EQ(entries(folder.path), std::set<std::string>{"scene.orv"});
}

}  // namespace
