// ConverterProcess: runs the .3dm converter (node) as a child process under a time limit, gathers
// its output, and ends it when orvexport is asked to stop (SIGINT, SIGTERM) or the limit passes.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

/// SIGINT or SIGTERM arrived while a child ran; the child has been ended and reaped. The
/// program is to unwind (so that temporary folders go) and exit with 128 + signal().
class Interrupted : public std::runtime_error {
 public:
  explicit Interrupted(int signal)
      : std::runtime_error("interrupted; nothing was exported"), m_signal(signal) {}
  int signal() const { return m_signal; }

 private:
  int m_signal;
};

/// How a run of the child went.
struct ChildOutcome {
  enum class End { exited, signalled, timedOut, finishedEarly };
  End end = End::exited;
  int status = 0;  // exit status (exited) or signal number (signalled)
  std::string out;
  std::string err;
};

/// One child process found on the PATH by name (argv[0]), with standard input from /dev/null, in
/// a process group of its own so that ending it ends whatever it started. Never outlives the
/// object: the destructor ends and reaps a child still running.
class StopSignalWatch;

class ConverterProcess {
 public:
  ConverterProcess();
  ConverterProcess(const ConverterProcess&) = delete;
  ConverterProcess& operator=(const ConverterProcess&) = delete;
  ~ConverterProcess();

  /// Starts `argv` and gathers both output streams until the child ends, standard output ends in
  /// `doneMarker` (non-empty; then End::finishedEarly: the child has been sent SIGKILL and goes on
  /// ending while the caller works, and the destructor reaps it), or `limit` has passed
  /// (End::timedOut, the child ended). Returns false with errno set when the child cannot be
  /// started. Throws Interrupted when SIGINT or SIGTERM arrives meanwhile: those are caught only
  /// while this runs.
  bool Run(const std::vector<std::string>& argv, std::string_view doneMarker,
           std::chrono::milliseconds limit, ChildOutcome& outcome);

  /// Called with each line the child writes on standard output (without its newline); must not
  /// throw. The stop signals stay caught while it runs and take effect once it returns.
  using LineHandler = std::function<void(std::string_view line)>;

  /// As Run, for a child that answers line by line (several models, one line each): each
  /// complete line of standard output goes to `onLine` instead of `outcome.out`, and the time
  /// limit runs from the start and again from the end of each `onLine` call, so that `limit`
  /// holds for each line's work and the handler's own time does not count.
  bool RunLineByLine(const std::vector<std::string>& argv, const LineHandler& onLine,
                     std::chrono::milliseconds limit, ChildOutcome& outcome);

  /// Run in two steps, so that the caller can work while the child runs: Start starts `argv`
  /// (false with errno set when it cannot) and catches the stop signals from then on; Finish,
  /// once after a successful Start, gathers as Run does, the time limit counting from the start.
  bool Start(const std::vector<std::string>& argv);
  void Finish(std::string_view doneMarker, const LineHandler& onLine,
              std::chrono::milliseconds limit, ChildOutcome& outcome);

  /// From the next run on, each line of standard output that starts with "progress " goes, the
  /// rest of it, to `handler` (the converter's reports of its stage) and nowhere else: neither
  /// into `outcome.out` nor to a line handler. Must not throw.
  void SetProgressHandler(LineHandler handler) { m_progress = std::move(handler); }

 private:
  bool Gather(const std::vector<std::string>& argv, std::string_view doneMarker,
              const LineHandler& onLine, std::chrono::milliseconds limit, ChildOutcome& outcome);

  bool StartFailed();
  /// Sends SIGKILL to the child's group without waiting for it.
  void KillEarly();
  /// Sends SIGKILL to the child's group and reaps the child; nothing when none runs.
  void End();

  pid_t m_pid = 0;
  std::chrono::steady_clock::time_point m_started;
  std::unique_ptr<StopSignalWatch> m_watch;  // from Start to the end of Finish
  int m_out = -1, m_err = -1;                // the child's output, from Start to Finish
  LineHandler m_progress;
};
