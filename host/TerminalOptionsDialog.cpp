// The terminal form of the options dialog behind --options: the dialog drawn as text and
// operated with the keyboard, in raw mode for as long as it is shown.
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iterator>
#include <vector>

#include "OptionsCommand.h"
#include "OptionsControls.h"

using namespace options_dialog;

namespace {

// Dialog units to character cells: four horizontal units are about 1.6 cells here (so captions
// fit their boxes), eight vertical units one line.
int Column(int x) {
  return 1 + x * 2 / 5;
}
int Row(int y) {
  return 1 + y / 8;
}

enum class Look { Plain, Dim, Reverse, Bold };

struct Cell {
  wchar_t ch = L' ';
  Look look = Look::Plain;
};

/// A character grid drawn to the terminal in one go.
class Canvas {
 public:
  Canvas(int columns, int rows) : m_columns(columns), m_cells(rows, std::vector<Cell>(columns)) {}

  void put(int column, int row, const std::wstring& text, Look look = Look::Plain) {
    if (row < 0 || row >= static_cast<int>(m_cells.size())) return;
    for (size_t i = 0; i < text.size(); ++i) {
      const int c = column + static_cast<int>(i);
      if (c >= 0 && c < m_columns) m_cells[row][c] = {text[i], look};
    }
  }

  void box(int left, int top, int right, int bottom, const std::wstring& title, Look titleLook) {
    for (int c = left; c <= right; ++c) {
      put(c, top, L"-");
      put(c, bottom, L"-");
    }
    for (int r = top; r <= bottom; ++r) {
      put(left, r, r == top || r == bottom ? L"+" : L"|");
      put(right, r, r == top || r == bottom ? L"+" : L"|");
    }
    if (!title.empty()) put(left + 2, top, L" " + title + L" ", titleLook);
  }

  /// The whole grid with its looks as terminal output (UTF-8, ANSI attributes).
  std::string render() const {
    std::string out = "\x1b[H\x1b[2J";
    for (const auto& row : m_cells) {
      Look current = Look::Plain;
      std::wstring run;
      const auto flush = [&] {
        out += Utf8(run.c_str());
        run.clear();
      };
      for (const Cell& cell : row) {
        if (cell.look != current) {
          flush();
          out += kAttributes[static_cast<int>(cell.look)];
          current = cell.look;
        }
        run += cell.ch;
      }
      flush();
      out += "\x1b[0m\r\n";
    }
    return out;
  }

 private:
  static constexpr const char* kAttributes[] = {"\x1b[0m", "\x1b[0;2m", "\x1b[0;7m", "\x1b[0;1m"};
  int m_columns;
  std::vector<std::vector<Cell>> m_cells;
};

std::wstring CaptionOf(const CWnd& window) {
  CString caption;
  window.GetWindowText(caption);
  return std::wstring(caption.GetString());
}

/// The window as a button, or null; DYNAMIC_DOWNCAST takes no const pointers.
const CButton* AsButton(const CWnd* window) {
  return DYNAMIC_DOWNCAST(CButton, const_cast<CWnd*>(window));
}

bool IsPushButton(const CWnd* window) {
  const CButton* button = AsButton(window);
  return button && (button->GetButtonStyle() == BS_PUSHBUTTON ||
                    button->GetButtonStyle() == BS_DEFPUSHBUTTON);
}

bool IsGroupBox(const CWnd* window) {
  const CButton* button = AsButton(window);
  return button && button->GetButtonStyle() == BS_GROUPBOX;
}

/// Controls the keyboard can reach: enabled buttons other than group boxes.
bool IsOperable(const CWnd* window) {
  return window && window->IsWindowEnabled() && AsButton(window) && !IsGroupBox(window);
}

/// The text a control shows: its check mark, caption and whether it is disabled.
std::wstring ControlText(const CWnd& control, int width) {
  const std::wstring caption = CaptionOf(control);
  const std::wstring disabled = control.IsWindowEnabled() ? L"" : L" (disabled)";
  const CButton* button = AsButton(&control);
  if (!button) return caption + disabled;
  switch (button->GetButtonStyle()) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON: {
      const int inner = std::max(static_cast<int>(caption.size()), width - 2);
      const int before = (inner - static_cast<int>(caption.size())) / 2;
      return L"[" + std::wstring(before, L' ') + caption +
             std::wstring(inner - before - caption.size(), L' ') + L"]" + disabled;
    }
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return std::wstring(button->GetCheck() == BST_CHECKED ? L"(*) " : L"( ) ") + caption +
             disabled;
    default: {
      static const wchar_t* const kMarks[] = {L"[ ] ", L"[x] ", L"[-] "};
      return kMarks[button->GetCheck()] + caption + disabled;
    }
  }
}

constexpr wchar_t kKeysHelp[] = L"Tab/arrows: move  Space: toggle  Enter: press (OK)  Esc: cancel";

Canvas Draw(const CDialog& dialog) {
  const AFX_DLGTEMPLATE& t = *dialog.GetDlgTemplate();
  const int right = Column(t.cx) + 1;
  const int bottom = Row(t.cy) + 1;
  Canvas canvas(std::max(right + 1, static_cast<int>(std::size(kKeysHelp))), bottom + 2);
  canvas.box(0, 0, right, bottom, CaptionOf(dialog), Look::Bold);
  CWnd* focus = CWnd::GetFocus();
  // Group boxes first, so the controls inside are drawn over their frames.
  for (int pass = 0; pass < 2; ++pass) {
    for (CWnd* w = dialog.GetWindow(GW_CHILD); w; w = w->GetWindow(GW_HWNDNEXT)) {
      const AFX_DLGITEMTEMPLATE& item = *w->GetDlgItemTemplate();
      const Look look = !w->IsWindowEnabled() ? Look::Dim
                        : w == focus          ? Look::Reverse
                                              : Look::Plain;
      if (IsGroupBox(w) && pass == 0) {
        const std::wstring title = CaptionOf(*w) + (w->IsWindowEnabled() ? L"" : L" (disabled)");
        canvas.box(Column(item.x), Row(item.y), Column(item.x + item.cx), Row(item.y + item.cy),
                   title, look);
      } else if (!IsGroupBox(w) && pass == 1) {
        if (w == focus) canvas.put(Column(item.x) - 2, Row(item.y), L">");
        canvas.put(Column(item.x), Row(item.y), ControlText(*w, item.cx * 2 / 5), look);
      }
    }
  }
  canvas.put(0, bottom + 1, kKeysHelp);
  return canvas;
}

enum class Key { Next, Previous, Space, Enter, Escape, Interrupt, Other };

// Set while the terminal is raw, for the signal handler.
termios g_savedTerminal;
volatile std::sig_atomic_t g_terminalIsRaw = 0;
constexpr char kEnterScreen[] = "\x1b[?1049h\x1b[?25l";
constexpr char kLeaveScreen[] = "\x1b[0m\x1b[?25h\x1b[?1049l";
constexpr int kRestoredSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void WriteAll(const char* text, size_t size) {
  while (size > 0) {
    const ssize_t n = write(STDOUT_FILENO, text, size);
    if (n <= 0) return;
    text += n;
    size -= static_cast<size_t>(n);
  }
}

// Async-signal-safe: only tcsetattr and write.
void RestoreTerminal() {
  if (!g_terminalIsRaw) return;
  g_terminalIsRaw = 0;
  tcsetattr(STDIN_FILENO, TCSANOW, &g_savedTerminal);
  WriteAll(kLeaveScreen, sizeof kLeaveScreen - 1);
}

extern "C" void RestoreTerminalAndDie(int signal) {
  RestoreTerminal();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

/// Raw keyboard input and the alternate screen for its lifetime; the terminal comes back as it
/// was however the program leaves (return, exception or a terminating signal).
class RawTerminal {
 public:
  RawTerminal() {
    tcgetattr(STDIN_FILENO, &g_savedTerminal);
    termios raw = g_savedTerminal;
    raw.c_iflag &= ~static_cast<tcflag_t>(BRKINT | ICRNL | INPCK | ISTRIP | IXON);
    // ISIG off: Ctrl-C arrives as a key, so the dialog can close before the program ends.
    raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | IEXTEN | ISIG);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    struct sigaction action = {};
    action.sa_handler = RestoreTerminalAndDie;
    for (size_t i = 0; i < std::size(kRestoredSignals); ++i)
      sigaction(kRestoredSignals[i], &action, &m_previousActions[i]);
    g_terminalIsRaw = 1;
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    WriteAll(kEnterScreen, sizeof kEnterScreen - 1);
  }

  ~RawTerminal() {
    RestoreTerminal();
    for (size_t i = 0; i < std::size(kRestoredSignals); ++i)
      sigaction(kRestoredSignals[i], &m_previousActions[i], nullptr);
  }

  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;

  /// The next key; Escape also for the end of input.
  Key readKey() {
    const int c = readByte(-1);
    switch (c) {
      case '\t':
        return Key::Next;
      case ' ':
        return Key::Space;
      case '\r':
      case '\n':
        return Key::Enter;
      case 0x1b:
        return escapeSequence();
      case 0x03:
        return Key::Interrupt;
      case -1:
        return Key::Escape;
      default:
        return Key::Other;
    }
  }

 private:
  /// A byte of input, or -1 at the end of input or when none comes within `timeoutMs` (-1: wait).
  static int readByte(int timeoutMs) {
    pollfd pending = {STDIN_FILENO, POLLIN, 0};
    for (;;) {
      const int ready = poll(&pending, 1, timeoutMs);
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) return -1;
      unsigned char c = 0;
      const ssize_t n = read(STDIN_FILENO, &c, 1);
      if (n < 0 && errno == EINTR) continue;
      return n == 1 ? c : -1;
    }
  }

  // A lone Esc, or the arrow and Shift-Tab sequences (ESC [ A..D, ESC O A..D, ESC [ Z).
  static Key escapeSequence() {
    const int introducer = readByte(50);
    if (introducer == -1) return Key::Escape;
    if (introducer != '[' && introducer != 'O') return Key::Other;
    int final = readByte(50);
    while (final != -1 && (final < 0x40 || final > 0x7e)) final = readByte(50);
    switch (final) {
      case 'A':
      case 'D':
      case 'Z':
        return Key::Previous;
      case 'B':
      case 'C':
        return Key::Next;
      default:
        return Key::Other;
    }
  }

  struct sigaction m_previousActions[std::size(kRestoredSignals)];
};

/// The person at the terminal: shows the dialog and turns keys into focus moves and clicks.
class TerminalDriver : public CDialogDriver {
 public:
  void run(CDialog& dialog) override {
    m_shown = true;
    RawTerminal terminal;
    const CWnd* focus = CWnd::GetFocus();
    if (!IsOperable(focus) || focus->GetParent() != &dialog) moveFocus(dialog, true);
    while (!dialog.IsEnded()) {
      const std::string screen = Draw(dialog).render();
      WriteAll(screen.data(), screen.size());
      const Key key = terminal.readKey();
      m_interrupted = key == Key::Interrupt;
      if (!handle(dialog, key)) return;  // Esc or Ctrl-C: closed as Cancel
    }
    m_ok = dialog.GetModalResult() == IDOK;
  }

  bool shown() const { return m_shown; }
  bool ok() const { return m_ok; }
  bool interrupted() const { return m_interrupted; }

 private:
  /// Acts on one key; false when the user leaves the dialog.
  bool handle(CDialog& dialog, Key key) {
    CWnd* focus = CWnd::GetFocus();
    switch (key) {
      case Key::Next:
      case Key::Previous:
        moveFocus(dialog, key == Key::Next);
        break;
      case Key::Space:
        dialog.ClickDlgItem(focus);
        break;
      case Key::Enter:
        dialog.ClickDlgItem(IsPushButton(focus) ? focus : dialog.GetDefaultButton());
        break;
      case Key::Escape:
      case Key::Interrupt:
        return false;
      case Key::Other:
        break;
    }
    // A click may have disabled the focused control.
    if (!dialog.IsEnded() && !IsOperable(CWnd::GetFocus())) moveFocus(dialog, true);
    return true;
  }

  /// Moves the focus to the next (or previous) operable control in tab order, wrapping round.
  static void moveFocus(CDialog& dialog, bool forward) {
    std::vector<CWnd*> controls;
    for (CWnd* w = dialog.GetWindow(GW_CHILD); w; w = w->GetWindow(GW_HWNDNEXT))
      controls.push_back(w);
    const int n = static_cast<int>(controls.size());
    const auto focused = std::find(controls.begin(), controls.end(), CWnd::GetFocus());
    const int at = focused != controls.end() ? static_cast<int>(focused - controls.begin())
                                             : (forward ? -1 : n);
    for (int step = 1; step <= n; ++step) {
      CWnd* candidate = controls[(((forward ? at + step : at - step) % n) + n) % n];
      if (IsOperable(candidate)) {
        candidate->SetFocus();
        return;
      }
    }
  }

  bool m_shown = false;
  bool m_ok = false;
  bool m_interrupted = false;
};

}  // namespace

TerminalDialogOutcome runOptionsDialogInTerminal() {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO))
    return {
        "--options needs a terminal on standard input and output (scripts use --grouping and "
        "--single-layer)"};
  std::fflush(stdout);
  TerminalDriver driver;
  if (std::string refused = RunOptionsCommand(driver); !refused.empty()) return {refused};
  if (!driver.shown()) return {kNotShown};
  if (driver.interrupted()) return {{}, true};
  const std::string options = describeOptions();
  std::printf(driver.ok() ? "Options: %s\n" : "Cancelled; the options stay: %s\n", options.c_str());
  std::fflush(stdout);
  return {};
}
