// orvexport's progress line: on a terminal, the model (which of how many in a batch) and its stage
// (reading, converting, loading, meshing N faces, writing the scene); erased before every other
// line reaches the terminal; nothing on a standard error that is no terminal, nor with -q.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Subprocess.h"
#include "TempFolder.h"

namespace {

namespace fs = std::filesystem;

const std::string kModels = FIXTURES_DIR "/3dm/";
// The line shows at once instead of after a second, so that small models show it too.
const std::vector<std::string> kAtOnce{"ORV_PROGRESS_DELAY_MS=0"};

/// What a terminal shows after `bytes`: the lines ended by a newline, and the line the cursor is
/// on. Understands what orvexport sends: a carriage return, erase to the end of the line.
struct Screen {
  std::vector<std::string> lines;
  std::string current;
};

Screen Show(const std::string& bytes) {
  Screen screen;
  std::size_t column = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r') {
      column = 0;
    } else if (c == '\n') {
      screen.lines.push_back(screen.current);
      screen.current.clear();
      column = 0;
    } else if (bytes.compare(i, 3, "\033[K") == 0) {
      screen.current.resize(std::min(column, screen.current.size()));
      i += 2;
    } else {
      if (column < screen.current.size())
        screen.current[column] = c;
      else
        screen.current += c;
      ++column;
    }
  }
  return screen;
}

struct ProgressCase {
  const char* name;
  std::vector<std::string> arguments;  // OUT stands for the output folder
  int status;
  std::vector<std::string> drawn;  // texts the progress line shows on the way
  std::vector<std::string> lines;  // lines left on the terminal, in order
};

class Progress : public ::testing::TestWithParam<ProgressCase> {
 protected:
  Progress() {
    std::ofstream(folder.path / "points.json") << R"({"objects": [{"point": [0, 0, 0]}]})";
  }
  /// `text` with every OUT replaced by the output folder.
  std::string InFolder(std::string text) const {
    for (std::size_t at; (at = text.find("OUT")) != std::string::npos;)
      text.replace(at, 3, folder.path.string());
    return text;
  }
  std::vector<std::string> Command() const {
    std::vector<std::string> argv{ORVEXPORT_PATH};
    for (const std::string& argument : GetParam().arguments) argv.push_back(InFolder(argument));
    return argv;
  }
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    for (const std::string& line : GetParam().lines) lines.push_back(InFolder(line));
    return lines;
  }
  TempFolder folder{"orv-progress"};
};

TEST_P(Progress, ShowsTheStagesOnATerminalAndLeavesOnlyWholeLines) {
  const ProgressCase& c = GetParam();
  const Finished run = RunOnTerminal(Command(), kAtOnce);
  EXPECT_EQ(run.status, c.status) << run.err;
  for (const std::string& text : c.drawn)
    EXPECT_NE(run.err.find(text), std::string::npos) << "no \"" << text << "\" in " << run.err;
  const Screen screen = Show(run.err);
  EXPECT_EQ(screen.current, "") << "the progress line was left on the terminal";
  EXPECT_EQ(screen.lines, Lines()) << run.err;
}

TEST_P(Progress, WritesNoProgressWhereStandardErrorIsNoTerminal) {
  const ProgressCase& c = GetParam();
  const Finished run = WaitFor(StartProgram(Command(), kAtOnce));
  EXPECT_EQ(run.status, c.status) << run.err;
  EXPECT_EQ(run.err.find_first_of("\r\033"), std::string::npos) << run.err;
  std::string lines;
  for (const std::string& line : Lines()) lines += line + "\n";
  EXPECT_EQ(run.err, lines);
}

const ProgressCase kCases[] = {
    {"document",
     {EXAMPLES_DIR "/house.json", "-o", "OUT/house.orv"},
     0,
     {"orvexport: house.json: loading the document", "orvexport: house.json: exporting"},
     {}},
    {"document with a warning",
     {"OUT/points.json", "-o", "OUT/points.orv"},
     0,
     {"orvexport: points.json: exporting"},
     {"orvexport: warning: nothing with geometry to export (1 point)"}},
    {"quiet", {"-q", kModels + "trimmed.3dm", "-o", "OUT/trimmed.orv"}, 0, {}, {}},
    {"model",
     {kModels + "trimmed.3dm", "-o", "OUT/trimmed.orv"},
     0,
     {"orvexport: trimmed.3dm: reading the model", "trimmed.3dm: converting the model",
      "trimmed.3dm: loading the document", "trimmed.3dm: exporting",
      "trimmed.3dm: writing the scene"},
     {}},
    {"breps the host meshes",
     {FIXTURES_DIR "/breps.json", "-o", "OUT/breps.orv"},
     0,
     {"orvexport: breps.json: meshing: 6 faces", "breps.json: writing the scene"},
     {}},
    {"batch in one process",
     {"--output-dir", "OUT", "-j", "1", kModels + "house.3dm", kModels + "trimmed.3dm"},
     0,
     {"orvexport: [1/2] house.3dm: reading the model", "[1/2] house.3dm: writing the scene",
      "[2/2] trimmed.3dm: reading the model", "[2/2] trimmed.3dm: writing the scene"},
     {}},
    {"batch in two workers, one model missing",
     {"--output-dir", "OUT", "-j", "2", kModels + "house.3dm", "OUT/missing.3dm",
      kModels + "trimmed.3dm"},
     1,
     {"orvexport: [", "/3] "},
     {"orvexport: OUT/missing.3dm: cannot open: no such file"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, Progress, ::testing::ValuesIn(kCases), [](const auto& test) {
  std::string name = test.param.name;
  for (char& ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return name;
});

}  // namespace
