#include "ActivityIndicator.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>

#include "RhinoHostServices.h"
#include "afxwin.h"

namespace {

using Clock = std::chrono::steady_clock;
using Stage = ActivityIndicator::Stage;

constexpr char kEraseLine[] = "\r\033[K";
constexpr std::string_view kWarning = "Warning: ";

// An export shorter than this shows nothing; ORV_PROGRESS_DELAY_MS changes it (tests use 0).
constexpr auto kDefaultDelay = std::chrono::milliseconds(1000);
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

/// Everything below is guarded by `mutex`: the ticker thread redraws while the export runs.
struct Indicator {
  std::mutex mutex;
  bool installed = false;
  bool showing = false;  // progress is drawn here (a terminal, warnings not silenced)
  int workerFd = -1;     // a batch worker: reports go to the parent instead
  int channelFd = -1;    // the parent's read end of the workers' channel
  Clock::time_point start;
  Clock::duration delay = kDefaultDelay;
  Clock::time_point lastDraw;

  int waitDepth = 0;  // nested begin-wait calls still open
  std::string name;   // the current model's file name; empty before the first
  std::size_t number = 0, count = 0;
  Stage stage = Stage::exporting;
  bool began = false;  // a model's progress has begun
  long long faces = 0;
  std::string writing;  // the file being written, whose size is shown

  bool shown = false;     // the line is on the terminal now
  bool lineOpen = false;  // command-line text left its line open: nothing may be drawn
  std::string drawn;      // the text shown last

  std::thread ticker;
  std::condition_variable wake;
  bool stopTicker = false;
};

Indicator& state() {
  static auto* instance = new Indicator;
  return *instance;
}

bool warningsSilenced = false;
bool atLineStart = true;  // the command line's next text starts a line
bool inWarning = false;   // the line being written is a warning

Clock::duration ConfiguredDelay() {
  const char* text = std::getenv("ORV_PROGRESS_DELAY_MS");
  if (text == nullptr || *text == '\0') return kDefaultDelay;
  char* end = nullptr;
  const long milliseconds = std::strtol(text, &end, 10);
  if (*end != '\0' || milliseconds < 0) return kDefaultDelay;
  return std::chrono::milliseconds(milliseconds);
}

std::string StageText(const Indicator& s) {
  switch (s.stage) {
    case Stage::reading:
      return "reading the model";
    case Stage::converting:
      return "converting the model";
    case Stage::loading:
      return "loading the document";
    case Stage::exporting:
      return s.faces > 0 ? "meshing: " + std::to_string(s.faces) + " faces" : "exporting";
    case Stage::writing: {
      struct stat info;
      if (s.writing.empty() || ::stat(s.writing.c_str(), &info) != 0) return "writing the scene";
      char megabytes[32];
      std::snprintf(megabytes, sizeof megabytes, "%.1f MB", double(info.st_size) / 1e6);
      return std::string("writing the scene: ") + megabytes;
    }
  }
  return {};
}

/// At most `columns - 1` columns of `text`, cut at a character boundary: a line that wraps
/// could no longer be erased.
std::string FitToTerminal(std::string text) {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col < 2) return text;
  std::size_t columns = 0, cut = text.size();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;  // inside a character
    if (++columns == size.ws_col) {
      cut = i;
      break;
    }
  }
  text.resize(cut);
  return text;
}

std::string LineText(const Indicator& s) {
  const long long seconds =
      std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - s.start).count();
  std::string text = "orvexport: ";
  if (s.count > 1) text += "[" + std::to_string(s.number) + "/" + std::to_string(s.count) + "] ";
  if (!s.name.empty()) text += s.name + ": ";
  text += s.began ? StageText(s) : "working";
  return FitToTerminal(text + " (" + std::to_string(seconds) + " s)");
}

void Erase(Indicator& s) {
  if (!s.shown) return;
  std::fputs(kEraseLine, stderr);
  std::fflush(stderr);
  s.shown = false;
}

/// Draws the line when there is something to show, the delay has passed and the text changed;
/// `now` draws at once, otherwise no more often than kRedrawEvery.
void Draw(Indicator& s, bool now) {
  if (!s.showing || s.lineOpen || (!s.began && s.waitDepth == 0)) return;
  const Clock::time_point time = Clock::now();
  if (time - s.start < s.delay) return;
  if (!now && s.shown && time - s.lastDraw < kRedrawEvery) return;
  const std::string text = LineText(s);
  if (s.shown && text == s.drawn) return;
  std::fputs(("\r" + text + "\033[K").c_str(), stderr);
  std::fflush(stderr);
  s.shown = true;
  s.drawn = text;
  s.lastDraw = time;
}

void TickerLoop() {
  Indicator& s = state();
  std::unique_lock lock(s.mutex);
  while (!s.stopTicker) {
    s.wake.wait_for(lock, kRedrawEvery);
    if (!s.stopTicker) Draw(s, false);
  }
}

void StartTicker(Indicator& s) {
  s.stopTicker = false;
  s.ticker = std::thread(TickerLoop);
}

void StopTicker(std::unique_lock<std::mutex>& lock) {
  Indicator& s = state();
  if (!s.ticker.joinable()) return;
  s.stopTicker = true;
  s.wake.notify_all();
  lock.unlock();
  s.ticker.join();
  lock.lock();
}

// Wait cursors nest: the plug-in's export is under way from the outermost begin to its end.
void OnWaitCursor(int code) {
  Indicator& s = state();
  const std::lock_guard lock(s.mutex);
  if (code > 0) ++s.waitDepth;
  if (code < 0 && s.waitDepth > 0) --s.waitDepth;
  if (s.waitDepth > 0 && s.began && s.stage < Stage::exporting) s.stage = Stage::exporting;
  if (s.waitDepth == 0 && !s.began) Erase(s);
  Draw(s, true);
}

void OnMeshed(int faces) {
  Indicator& s = state();
  const std::lock_guard lock(s.mutex);
  const bool first = s.faces == 0;  // meshing begins: a stage of its own, drawn at once
  s.faces += faces;
  Draw(s, first);
}

void OnNewFile(const std::string& path) {
  Indicator& s = state();
  const std::lock_guard lock(s.mutex);
  if (s.began) s.stage = Stage::writing;
  s.writing = path;
  Draw(s, true);
}

/// Writes all of `text` to `fd`, again after an interruption; a parent that is gone is ignored.
void WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    text.remove_prefix(std::size_t(n));
  }
}

// A worker's reports to its parent are frames "KIND LENGTH\n" and LENGTH bytes: 's' the file
// name of the model it starts, 'o' and 'e' text for standard output and standard error. Each
// frame goes in one write of at most kFrameBytes, which a pipe keeps whole among the frames of
// other workers.
constexpr std::size_t kFrameBytes = 4000;

void SendFrames(int fd, char kind, std::string_view text) {
  do {
    const std::string_view piece = text.substr(0, kFrameBytes);
    text.remove_prefix(piece.size());
    WriteAll(fd,
             std::string(1, kind) + " " + std::to_string(piece.size()) + "\n" + std::string(piece));
  } while (!text.empty());
}

/// Writes `out` to standard output and `err` to standard error, erasing the line first; a
/// worker sends them to its parent instead.
void Emit(Indicator& s, std::string_view out, std::string_view err) {
  if (s.workerFd >= 0) {
    if (!out.empty()) SendFrames(s.workerFd, 'o', out);
    if (!err.empty()) SendFrames(s.workerFd, 'e', err);
    return;
  }
  if (out.empty() && err.empty()) return;
  Erase(s);
  if (!out.empty()) std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  if (!err.empty()) std::fwrite(err.data(), 1, err.size(), stderr);
  std::fflush(stderr);
}

/// Takes the complete frames off the front of `pending` and acts on them in the parent.
void Replay(Indicator& s, std::string& pending, std::size_t count) {
  for (;;) {
    const std::size_t header = pending.find('\n');
    if (header == std::string::npos || header < 3) return;
    const std::size_t length = std::strtoul(pending.c_str() + 2, nullptr, 10);
    if (pending.size() < header + 1 + length) return;
    const std::string_view body = std::string_view(pending).substr(header + 1, length);
    if (pending[0] == 's') {
      s.number = std::min(s.number + 1, count);
      s.name = std::string(body);
    } else {
      Emit(s, pending[0] == 'o' ? body : std::string_view(),
           pending[0] == 'e' ? body : std::string_view());
    }
    pending.erase(0, header + 1 + length);
  }
}

}  // namespace

ActivityIndicator::ActivityIndicator() {
  Indicator& s = state();
  std::unique_lock lock(s.mutex);
  assert(!s.installed);
  s.installed = true;
  s.start = Clock::now();
  s.delay = ConfiguredDelay();
  s.showing = isatty(STDERR_FILENO) && !warningsSilenced;
  if (!s.showing) return;
  AfxSetWaitCursorHandler(OnWaitCursor);
  RhinoHost::SetMeshingObserver(OnMeshed);
  RhinoHost::SetNewFileObserver(OnNewFile);
  StartTicker(s);
}

ActivityIndicator::~ActivityIndicator() {
  Indicator& s = state();
  std::unique_lock lock(s.mutex);
  StopTicker(lock);
  AfxSetWaitCursorHandler(nullptr);
  RhinoHost::SetMeshingObserver({});
  RhinoHost::SetNewFileObserver({});
  Erase(s);
  s.installed = s.showing = s.began = s.lineOpen = false;
  s.waitDepth = 0;
  s.name.clear();
}

void ActivityIndicator::WriteCommandLine(const std::string& utf8) {
  Indicator& s = state();
  const std::lock_guard lock(s.mutex);
  std::string out, err;
  for (std::size_t start = 0; start < utf8.size();) {
    const std::size_t newline = utf8.find('\n', start);
    const std::size_t end = newline == std::string::npos ? utf8.size() : newline + 1;
    std::string_view line(utf8.data() + start, end - start);
    if (atLineStart) {
      inWarning = line.starts_with(kWarning);
      if (inWarning) {
        line.remove_prefix(kWarning.size());
        if (!warningsSilenced) err += "orvexport: warning: ";
      }
    }
    if (!inWarning) {
      out += line;
    } else if (!warningsSilenced) {
      err += line;
    }
    atLineStart = line.ends_with('\n');
    start = end;
  }
  Emit(s, out, err);
  // Text that leaves its line open would run into the progress line; it comes back after a
  // newline.
  if (!utf8.empty()) s.lineOpen = utf8.back() != '\n';
  Draw(s, true);
}

void ActivityIndicator::SilenceWarnings() {
  warningsSilenced = true;
}

void ActivityIndicator::WriteError(const std::string& text) {
  Indicator& s = state();
  const std::lock_guard lock(s.mutex);
  Emit(s, {}, text);
  Draw(s, true);
}

bool ActivityIndicator::Active() {
  Indicator& s = state();
  const std::lock_guard lock(s.mutex);
  return s.showing || s.workerFd >= 0;
}

void ActivityIndicator::BeginModel(std::size_t number, std::size_t count, const std::string& name,
                                   Stage stage) {
  Indicator& s = state();
  const std::lock_guard lock(s.mutex);
  std::string shown = std::filesystem::path(name).filename().string();
  for (char& c : shown)
    if (c == '\n' || c == '\r' || c == '\033') c = ' ';
  if (s.workerFd >= 0) {
    SendFrames(s.workerFd, 's', shown);
    return;
  }
  s.name = shown;
  s.number = number;
  s.count = count;
  s.stage = stage;
  s.began = true;
  s.faces = 0;
  s.writing.clear();
  Draw(s, true);
}

void ActivityIndicator::SetStage(Stage stage) {
  Indicator& s = state();
  const std::lock_guard lock(s.mutex);
  if (s.stage == Stage::writing && stage == Stage::exporting) return;
  s.stage = stage;
  Draw(s, true);
}

int ActivityIndicator::OpenWorkerChannel() {
  Indicator& s = state();
  std::unique_lock lock(s.mutex);
  int fds[2];
  if (!s.showing || pipe2(fds, O_CLOEXEC) != 0) return -1;
  StopTicker(lock);  // no thread may hold the lock while the process forks
  s.channelFd = fds[0];
  return fds[1];
}

void ActivityIndicator::ReportToParent(int fd) {
  Indicator& s = state();
  const std::lock_guard lock(s.mutex);
  if (s.channelFd >= 0) ::close(std::exchange(s.channelFd, -1));  // the parent's read end
  s.workerFd = fd;
  s.showing = false;
  s.shown = false;  // the parent's line is the parent's to erase
}

void ActivityIndicator::FollowWorkers(int fd, std::size_t count) {
  Indicator& s = state();
  int readEnd = -1;
  {
    std::unique_lock lock(s.mutex);
    readEnd = std::exchange(s.channelFd, -1);
    ::close(fd);
    s.count = count;
    s.number = 0;
    s.began = true;
    s.stage = Stage::exporting;
    StartTicker(s);
  }
  std::string pending;
  for (char buffer[4096];;) {
    const ssize_t n = ::read(readEnd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    pending.append(buffer, std::size_t(n));
    const std::lock_guard lock(s.mutex);
    Replay(s, pending, count);
    Draw(s, true);
  }
  ::close(readEnd);
}
