// `orvexport --options` on a real terminal: tmux runs it, the keys are typed with send-keys and
// the screen is read with capture-pane, as a person would see it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  std::array<char, 4096> buffer;
  for (size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
    out.append(buffer.data(), n);
  pclose(pipe);
  return out;
}

/// A tmux server of its own running one command in an 80x30 window; killed when done.
class TmuxSession {
 public:
  explicit TmuxSession(const std::string& command)
      : m_tmux("tmux -L orvdialog" + std::to_string(getpid()) + "-" + std::to_string(++s_count) +
               " -f /dev/null ") {
    Output(m_tmux + "new-session -d -s options -x 80 -y 30 '" + command + "'");
  }
  ~TmuxSession() { Output(m_tmux + "kill-server 2>/dev/null"); }

  void keys(const std::string& keys) { Output(m_tmux + "send-keys -t options " + keys); }

  std::string screen() { return Output(m_tmux + "capture-pane -p -t options"); }

  /// Whether the screen comes to show `text` within ten seconds (giving up early once it shows
  /// `unlessEnded`, if given); `screen` gets the last one.
  bool shows(const std::string& text, std::string& screen, const std::string& unlessEnded = {}) {
    for (int i = 0; i < 200; ++i) {
      screen = this->screen();
      if (screen.find(text) != std::string::npos) return true;
      if (!unlessEnded.empty() && screen.find(unlessEnded) != std::string::npos) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

 private:
  static inline int s_count = 0;  // one server per session: a killed one may linger a moment
  std::string m_tmux;
};

bool Shows(const std::string& screen, const std::string& text) {
  return screen.find(text) != std::string::npos;
}

class TerminalOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    m_exe = ORVEXPORT_PATH;
    if (m_exe.empty() || !std::filesystem::exists(m_exe)) GTEST_SKIP() << "orvexport is not built";
    if (Output("command -v tmux").empty()) GTEST_SKIP() << "tmux is not installed";
    if (!Shows(Output("'" + m_exe + "' --help 2>&1"), "--options"))
      GTEST_SKIP() << "orvexport has no --options yet";
  }

  /// Starts `orvexport --options` (after `arguments`, already quoted) in tmux; after it ends the
  /// shell reports its status and whether the terminal is back in line mode with echo. Null when
  /// the dialog never shows (the test is then skipped or failed).
  std::unique_ptr<TmuxSession> Start(const std::string& arguments = "") {
    auto session = std::make_unique<TmuxSession>(
        "\"" + m_exe + "\" " + arguments + " --options; echo \"status=$?\"; " +
        "stty -a | grep -o -- \"-*icanon\"; stty -a | grep -o -- \"-*echo \"; sleep 60");
    std::string screen;
    if (session->shows("Orvelle options", screen, "status=")) return session;
    // A host that ends without running the dialog, and without a word from the dialog code, has
    // not been wired to it yet.
    const bool fromDialogCode = Shows(screen, "options dialog") ||
                                Shows(screen, "needs a terminal") ||
                                Shows(screen, "Orvelle6ExportOptionsDialog");
    if (Shows(screen, "status=") && !fromDialogCode)
      Skip("orvexport does not run the options dialog yet:\n" + screen);
    else
      ADD_FAILURE() << "the dialog did not appear:\n" << screen;
    return nullptr;
  }

  static void Skip(const std::string& why) { GTEST_SKIP() << why; }

  std::string m_exe;
};

TEST_F(TerminalOptions, KeysChooseByLayerAndOkPrintsTheOptions) {
  auto session = Start();
  if (!session) return;
  std::string screen = session->screen();
  EXPECT_TRUE(Shows(screen, "> [x] Use a single layer output")) << screen;
  EXPECT_TRUE(Shows(screen, "[x] Single object")) << screen;
  EXPECT_TRUE(Shows(screen, "(*) By material (disabled)")) << screen;
  EXPECT_TRUE(Shows(screen, "( ) By object (disabled)")) << screen;
  EXPECT_TRUE(Shows(screen, "Orvelle Material Defined (disabled)")) << screen;
  EXPECT_TRUE(Shows(screen, "OK") && Shows(screen, "Cancel")) << screen;

  session->keys("Tab Space");
  EXPECT_TRUE(session->shows("> [ ] Single object", screen)) << screen;
  EXPECT_TRUE(Shows(screen, "(*) By material ")) << screen;
  EXPECT_FALSE(Shows(screen, "(disabled)")) << screen;

  session->keys("Tab Down Space");
  EXPECT_TRUE(session->shows("> (*) By layer", screen)) << screen;
  EXPECT_TRUE(Shows(screen, "( ) By material")) << screen;

  session->keys("Enter");
  EXPECT_TRUE(session->shows("status=0", screen)) << screen;
  EXPECT_TRUE(Shows(screen, "Options: --grouping layer --single-layer on")) << screen;
  EXPECT_TRUE(session->shows("\necho", screen)) << "echo restored:\n" << screen;
  EXPECT_TRUE(Shows(screen, "\nicanon")) << "line mode restored:\n" << screen;
}

TEST_F(TerminalOptions, ShiftTabWrapsToCancelAndCancelKeepsTheOptions) {
  auto session = Start();
  if (!session) return;
  std::string screen;
  session->keys("Space BTab");
  EXPECT_TRUE(session->shows("> [      Cancel", screen)) << screen;
  EXPECT_TRUE(Shows(screen, "[ ] Use a single layer output")) << screen;
  session->keys("Enter");
  EXPECT_TRUE(session->shows("status=0", screen)) << screen;
  EXPECT_TRUE(Shows(screen, "Cancelled; the options stay: --grouping single --single-layer on"))
      << screen;
}

TEST_F(TerminalOptions, EscapeCancelsAndRestoresTheTerminal) {
  auto session = Start();
  if (!session) return;
  std::string screen;
  session->keys("Tab Space Escape");
  EXPECT_TRUE(session->shows("\necho", screen)) << screen;
  EXPECT_TRUE(Shows(screen, "Cancelled; the options stay: --grouping single")) << screen;
  EXPECT_TRUE(Shows(screen, "\nicanon")) << screen;
}

TEST_F(TerminalOptions, CtrlCEndsTheProgramWithStatus130AndExportsNothing) {
  const std::filesystem::path folder =
      ::testing::TempDir() + "orv-dialog-" + std::to_string(getpid());
  std::filesystem::create_directories(folder);
  const std::filesystem::path document = folder / "doc.json";
  const std::filesystem::path scene = folder / "doc.orv";
  std::ofstream(document) << "{}";
  auto session = Start("\"" + document.string() + "\" -o \"" + scene.string() + "\"");
  if (!session) return;
  std::string screen;
  session->keys("Tab Space C-c");
  EXPECT_TRUE(session->shows("status=130", screen)) << screen;
  EXPECT_TRUE(Shows(screen, "orvexport: interrupted; nothing was exported")) << screen;
  EXPECT_FALSE(Shows(screen, "Cancelled")) << screen;
  EXPECT_FALSE(Shows(screen, "Exporting")) << screen;
  EXPECT_TRUE(session->shows("\necho", screen)) << "echo restored:\n" << screen;
  EXPECT_TRUE(Shows(screen, "\nicanon")) << "line mode restored:\n" << screen;
  EXPECT_FALSE(std::filesystem::exists(scene));
  std::filesystem::remove_all(folder);
}

}  // namespace
