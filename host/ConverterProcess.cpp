#include "ConverterProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cassert>
#include <cerrno>
#include <utility>

extern char** environ;

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM};

// The write end gets one byte per stop signal, so that the poll loop wakes up for it.
int gSignalPipe[2] = {-1, -1};

extern "C" void NoteStopSignal(int signal) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t ignored = write(gSignalPipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

/// Catches the stop signals for its lifetime, into gSignalPipe; restores what was there before.
class StopSignalWatch {
 public:
  StopSignalWatch() {
    m_ready = pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) == 0;
    if (!m_ready) return;
    struct sigaction action = {};
    action.sa_handler = NoteStopSignal;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i)
      sigaction(kStopSignals[i], &action, &m_previous[i]);
  }
  ~StopSignalWatch() {
    if (!m_ready) return;
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i)
      sigaction(kStopSignals[i], &m_previous[i], nullptr);
    for (int& fd : gSignalPipe) close(std::exchange(fd, -1));
  }
  StopSignalWatch(const StopSignalWatch&) = delete;
  StopSignalWatch& operator=(const StopSignalWatch&) = delete;

  /// The descriptor that becomes readable once a stop signal arrived; -1 when none could be made
  /// (the signals then keep their usual effect).
  int fd() const { return m_ready ? gSignalPipe[0] : -1; }
  /// The first stop signal that arrived, or 0.
  int caught() const {
    unsigned char byte = 0;
    return m_ready && read(gSignalPipe[0], &byte, 1) == 1 ? byte : 0;
  }

 private:
  bool m_ready = false;
  struct sigaction m_previous[std::size(kStopSignals)];
};

namespace {

/// Starts `argv` in a process group of its own, its output into the write ends `out` and `err`.
/// Returns 0 or the error number.
int Spawn(const std::vector<std::string>& argv, int out, int err, pid_t& pid) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out, 1);
  posix_spawn_file_actions_adddup2(&actions, err, 2);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // Its own group: a Ctrl-C at the terminal reaches orvexport alone, which then ends the group.
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const int spawned = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return spawned;
}

/// Milliseconds left until `deadline`, as poll takes them (0 once it has passed).
int MillisecondsUntil(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return static_cast<int>(std::clamp<std::int64_t>(left.count() + 1, 0, 1 << 30));
}

constexpr std::string_view kProgress = "progress ";

/// Hands the complete lines of `out` that start with kProgress to `progress` and removes them.
void TakeProgressLines(std::string& out, const ConverterProcess::LineHandler& progress) {
  if (out.find(kProgress) == std::string::npos) return;
  std::string kept;
  std::size_t start = 0;
  for (std::size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string_view line(out.data() + start, end - start);
    if (line.starts_with(kProgress))
      progress(line.substr(kProgress.size()));
    else
      kept.append(out, start, end + 1 - start);
  }
  kept.append(out, start);
  out.swap(kept);
}

}  // namespace

ConverterProcess::ConverterProcess() = default;

ConverterProcess::~ConverterProcess() {
  End();
  for (int fd : {m_out, m_err})
    if (fd >= 0) close(fd);
}

void ConverterProcess::End() {
  if (m_pid <= 0) return;
  kill(-m_pid, SIGKILL);
  while (waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
  }
  m_pid = 0;
}

bool ConverterProcess::Run(const std::vector<std::string>& argv, std::string_view doneMarker,
                           std::chrono::milliseconds limit, ChildOutcome& outcome) {
  return Gather(argv, doneMarker, {}, limit, outcome);
}

bool ConverterProcess::RunLineByLine(const std::vector<std::string>& argv,
                                     const LineHandler& onLine, std::chrono::milliseconds limit,
                                     ChildOutcome& outcome) {
  return Gather(argv, {}, onLine, limit, outcome);
}

bool ConverterProcess::Start(const std::vector<std::string>& argv) {
  assert(m_pid == 0 && "one child at a time");
  m_started = std::chrono::steady_clock::now();
  m_watch = std::make_unique<StopSignalWatch>();  // before the start, so that no signal is missed
  int out[2], err[2];
  if (pipe2(out, O_CLOEXEC) != 0) return StartFailed();
  if (pipe2(err, O_CLOEXEC) != 0) {
    close(out[0]);
    close(out[1]);
    return StartFailed();
  }
  const int spawned = Spawn(argv, out[1], err[1], m_pid);
  close(out[1]);
  close(err[1]);
  if (spawned != 0) {
    m_pid = 0;
    close(out[0]);
    close(err[0]);
    errno = spawned;
    return StartFailed();
  }
  m_out = out[0];
  m_err = err[0];
  return true;
}

bool ConverterProcess::StartFailed() {
  const int saved = errno;
  m_watch.reset();
  errno = saved;
  return false;
}

void ConverterProcess::KillEarly() {
  if (m_pid > 0) kill(-m_pid, SIGKILL);
}

bool ConverterProcess::Gather(const std::vector<std::string>& argv, std::string_view doneMarker,
                              const LineHandler& onLine, std::chrono::milliseconds limit,
                              ChildOutcome& outcome) {
  if (!Start(argv)) return false;
  Finish(doneMarker, onLine, limit, outcome);
  return true;
}

void ConverterProcess::Finish(std::string_view doneMarker, const LineHandler& onLine,
                              std::chrono::milliseconds limit, ChildOutcome& outcome) {
  assert(m_watch && "Finish follows a successful Start");
  // The signals are caught only until this returns, however it returns.
  const std::unique_ptr<StopSignalWatch> watching = std::move(m_watch);
  const StopSignalWatch& watch = *watching;
  auto deadline = m_started + limit;
  std::array<pollfd, 3> fds{{{std::exchange(m_out, -1), POLLIN, 0},
                             {std::exchange(m_err, -1), POLLIN, 0},
                             {watch.fd(), POLLIN, 0}}};
  std::array<std::string*, 2> sinks{&outcome.out, &outcome.err};
  auto closeOutputs = [&] {
    for (std::size_t k = 0; k < 2; ++k)
      if (fds[k].fd >= 0) close(std::exchange(fds[k].fd, -1));
  };
  // Ending early, for a stop signal or the time limit: the child goes first.
  auto interrupt = [&](int signal) {
    closeOutputs();
    End();
    throw Interrupted(signal);
  };
  auto timeOut = [&] {
    closeOutputs();
    End();
    outcome.end = ChildOutcome::End::timedOut;
  };
  for (int open = 2; open > 0;) {
    const int ready = poll(fds.data(), fds.size(), MillisecondsUntil(deadline));
    if (ready < 0 && errno != EINTR) break;
    if (const int signal = watch.caught()) interrupt(signal);
    if (ready == 0) return timeOut();
    for (std::size_t k = 0; k < 2; ++k) {
      if (fds[k].fd < 0 || fds[k].revents == 0) continue;
      char buffer[65536];
      const ssize_t n = read(fds[k].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[k]->append(buffer, std::size_t(n));
        if (k == 0 && m_progress) TakeProgressLines(outcome.out, m_progress);
        if (k == 0 && onLine) {
          for (std::size_t end; (end = outcome.out.find('\n')) != std::string::npos;) {
            onLine(std::string_view(outcome.out).substr(0, end));
            outcome.out.erase(0, end + 1);
            deadline = std::chrono::steady_clock::now() + limit;
          }
        } else if (k == 0 && outcome.out.ends_with(doneMarker)) {
          closeOutputs();
          KillEarly();  // it ends while the caller goes on; the destructor reaps it
          outcome.end = ChildOutcome::End::finishedEarly;
          return;
        }
      } else if (n == 0 || errno != EINTR) {
        close(std::exchange(fds[k].fd, -1));
        --open;
      }
    }
  }
  closeOutputs();
  // A child that closed its output may still linger: it is waited for under the same limit.
  int status = 0;
  for (;;) {
    const pid_t reaped = waitpid(m_pid, &status, WNOHANG);
    if (reaped == m_pid || (reaped < 0 && errno != EINTR)) break;
    if (poll(&fds[2], 1, std::min(MillisecondsUntil(deadline), 10)) == 0 &&
        MillisecondsUntil(deadline) == 0)
      return timeOut();
    if (const int signal = watch.caught()) interrupt(signal);
  }
  m_pid = 0;
  outcome.end = WIFSIGNALED(status) ? ChildOutcome::End::signalled : ChildOutcome::End::exited;
  outcome.status = WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status);
}
