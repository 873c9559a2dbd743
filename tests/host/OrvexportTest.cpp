// orvexport run as a program, against the built plug-in module beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "Subprocess.h"
#include "TempFolder.h"

namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class Orvexport : public ::testing::Test {
 protected:
  static Finished Run(std::vector<std::string> args) {
    args.insert(args.begin(), ORVEXPORT_PATH);
    return RunProgram(args);
  }

  std::string Write(const std::string& name, const std::string& text) const {
    const fs::path path = folder / name;
    std::ofstream(path) << text;
    return path.string();
  }

  TempFolder temp{"orvexport"};
  const fs::path folder = temp.path;
};

TEST_F(Orvexport, LoadsThePlugInBesideItAndListsItsFileTypeAndInformation) {
  const Finished types = Run({"--list-file-types"});
  EXPECT_EQ(types.status, 0) << types.err;
  EXPECT_EQ(types.out, "Orvelle 6 (*.orv)\n");

  const Finished info = Run({"--info"});
  EXPECT_EQ(info.status, 0) << info.err;
  EXPECT_TRUE(Contains(info.out, "Orvelle6 Export")) << info.out;
  EXPECT_TRUE(Contains(info.out, "1.0.16.31")) << info.out;
  EXPECT_TRUE(Contains(info.out, "201103035")) << info.out;
}

TEST_F(Orvexport, ExportsTheExampleHouseToAReadableSceneFile) {
  const std::string target = (folder / "house.orv").string();
  const Finished run = Run({EXAMPLES_DIR "/house.json", "-o", target});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "Exporting model to Orvelle 6...")) << run.out;
  EXPECT_EQ(run.err, "");  // not a terminal: no activity line
  ASSERT_TRUE(fs::is_regular_file(target));
  EXPECT_GT(fs::file_size(target), 0u);

  const Finished dump = RunProgram({ORVDUMP_PATH, target});
  EXPECT_EQ(dump.status, 0) << dump.err;
}

TEST_F(Orvexport, AFailedExportExitsOneWithTheReasonAndWritesNothing) {
  const fs::path target = folder / "missing" / "house.orv";
  const Finished run = Run({EXAMPLES_DIR "/house.json", "-o", target.string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.err, "orvexport: export failed: ")) << run.err;
  EXPECT_TRUE(Contains(run.err, "does not exist")) << run.err;
  EXPECT_FALSE(fs::exists(target));
}

TEST_F(Orvexport, RefusesBadInputWithStatusTwoAndWritesNothing) {
  const std::string target = (folder / "house.orv").string();
  const std::string bad = Write("bad.json", R"({"materials": [{}, {"diffuse": [1, 2, 256]}]})");

  const Finished badDocument = Run({bad, "-o", target});
  EXPECT_EQ(badDocument.status, 2);
  EXPECT_TRUE(Contains(badDocument.err, bad + ": /materials/1/diffuse/2: ")) << badDocument.err;
  EXPECT_TRUE(Contains(badDocument.err, "got 256")) << badDocument.err;

  const Finished wrongExtension = Run({EXAMPLES_DIR "/house.json", "-o", target + ".obj"});
  EXPECT_EQ(wrongExtension.status, 2);
  EXPECT_TRUE(Contains(wrongExtension.err, "must end in .orv")) << wrongExtension.err;

  const Finished noOutput = Run({EXAMPLES_DIR "/house.json"});
  EXPECT_EQ(noOutput.status, 2);

  const Finished missingDocument = Run({(folder / "none.json").string(), "-o", target});
  EXPECT_EQ(missingDocument.status, 2);
  EXPECT_TRUE(Contains(missingDocument.err, "cannot open")) << missingDocument.err;

  const Finished faultyPlugIn = Run({"--plugin", FAULTY_PLUGIN_DIR "/faulty_wrong_sdk_version.rhp",
                                     EXAMPLES_DIR "/house.json", "-o", target});
  EXPECT_EQ(faultyPlugIn.status, 2);
  EXPECT_TRUE(Contains(faultyPlugIn.err, "SDK version")) << faultyPlugIn.err;

  EXPECT_FALSE(fs::exists(target));
  EXPECT_FALSE(fs::exists(target + ".obj"));
}

TEST_F(Orvexport, HelpAndVersionExitZero) {
  const Finished help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(Contains(help.out, "--grouping")) << help.out;
  // The plug-in's version is the loaded module's.
  const Finished version = Run({"--version"});
  EXPECT_EQ(version.status, 0) << version.err;
  EXPECT_EQ(version.out, "orvexport 1.0.16.31\nplug-in 1.0.16.31\nscene format 2.0\n");
}

TEST_F(Orvexport, CommandLineMistakesAreNamedAfterTheProgramWithStatusTwo) {
  const std::vector<std::vector<std::string>> mistakes = {
      {"--bogus"}, {"--grouping", "sideways"}, {"a.json", "b.json", "-o", "x.orv"}, {"-o"}};
  for (const std::vector<std::string>& arguments : mistakes) {
    SCOPED_TRACE(arguments.front());
    const Finished run = Run(arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("orvexport: ", 0), 0u) << run.err;
    EXPECT_TRUE(Contains(run.err, "\nRun with --help for more information.\n")) << run.err;
  }
}

}  // namespace
