// Running a program for the end-to-end tests: its exit status and everything it wrote to standard
// output and standard error, under a generous hang guard.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

struct Finished {
  int status = -1;  // exit status; -1 when it did not exit normally
  std::string out;
  std::string err;
};

/// A program started and not yet waited for.
struct Started {
  pid_t pid = -1;  // -1 when it could not be started
  std::string outPath;
  std::string errPath;
};

/// How long a test lets a program run before the guard ends it: far beyond what any should take,
/// so that a hang fails the test instead of stopping the suite.
inline constexpr std::chrono::seconds kHangGuard{120};

/// Starts `argv[0]` with the arguments `argv` (standard input empty, output into files), with
/// the environment of the tests plus the NAME=VALUE entries of `environment`, which replace
/// those of the same name.
Started StartProgram(const std::vector<std::string>& argv,
                     const std::vector<std::string>& environment = {});

/// Waits for a started program; past kHangGuard it is killed, and status stays -1 with a note on
/// `err`.
Finished WaitFor(const Started& started);

/// Runs `argv[0]` with the arguments `argv` (standard input empty) and waits for it.
Finished RunProgram(const std::vector<std::string>& argv);

/// As RunProgram with `environment` as StartProgram takes it, but with standard error on a
/// pseudo-terminal of `columns` columns that passes bytes through unchanged: `err` holds what
/// reached the terminal.
Finished RunOnTerminal(const std::vector<std::string>& argv,
                       const std::vector<std::string>& environment, unsigned short columns = 200);
