#include "ActivityIndicator.h"

#include <unistd.h>

#include <cassert>
#include <cstdio>

#include "afxwin.h"

namespace {

constexpr char kLine[] = "orvexport: working...";
constexpr char kEraseLine[] = "\r\033[K";

bool installed = false;
int waitDepth = 0;   // nested begin-wait calls still open
bool shown = false;  // the line is on the terminal now

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
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fflush(stdout);
  // Text that leaves its line open would run into the indicator; it comes back after a newline.
  if (!utf8.empty() && utf8.back() == '\n') Show();
}
