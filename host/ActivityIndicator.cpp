#include "ActivityIndicator.h"

#include <unistd.h>

#include <cassert>
#include <cstdio>
#include <string_view>

#include "afxwin.h"

namespace {

constexpr char kLine[] = "orvexport: working...";
constexpr char kEraseLine[] = "\r\033[K";

bool installed = false;
int waitDepth = 0;   // nested begin-wait calls still open
bool shown = false;  // the line is on the terminal now

constexpr std::string_view kWarning = "Warning: ";
bool warningsSilenced = false;
bool atLineStart = true;  // the command line's next text starts a line
bool inWarning = false;   // the line being written is a warning

void Show() {
  if (shown || waitDepth == 0) return;
  std::fputs(kLine, stderr);
  std::fflush(stderr);
  shown = true;
}

void Erase() {
  if (!shown) return;
  std::fputs(kEraseLine, stderr);
  std::fflush(stderr);
  shown = false;
}

// Wait cursors nest: the line shows from the outermost begin to its end.
void OnWaitCursor(int code) {
  if (code > 0) ++waitDepth;
  if (code < 0 && waitDepth > 0) --waitDepth;
  if (waitDepth > 0)
    Show();
  else
    Erase();
}

}  // namespace

ActivityIndicator::ActivityIndicator() {
  assert(!installed);
  installed = true;
  if (isatty(STDERR_FILENO)) AfxSetWaitCursorHandler(OnWaitCursor);
}

ActivityIndicator::~ActivityIndicator() {
  AfxSetWaitCursorHandler(nullptr);
  Erase();
  waitDepth = 0;
  installed = false;
}

void ActivityIndicator::WriteCommandLine(const std::string& utf8) {
  Erase();
  for (std::size_t start = 0; start < utf8.size();) {
    const std::size_t newline = utf8.find('\n', start);
    const std::size_t end = newline == std::string::npos ? utf8.size() : newline + 1;
    std::string_view line(utf8.data() + start, end - start);
    if (atLineStart) {
      inWarning = line.starts_with(kWarning);
      if (inWarning) {
        line.remove_prefix(kWarning.size());
        if (!warningsSilenced) std::fputs("orvexport: warning: ", stderr);
      }
    }
    if (!inWarning) {
      std::fwrite(line.data(), 1, line.size(), stdout);
    } else if (!warningsSilenced) {
      std::fwrite(line.data(), 1, line.size(), stderr);
    }
    atLineStart = line.ends_with('\n');
    start = end;
  }
  std::fflush(stdout);
  std::fflush(stderr);
  // Text that leaves its line open would run into the indicator; it comes back after a newline.
  if (!utf8.empty() && utf8.back() == '\n') Show();
}

void ActivityIndicator::SilenceWarnings() {
  warningsSilenced = true;
}
