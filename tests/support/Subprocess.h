// Running a program to completion for the end-to-end tests: its exit status and everything it
// wrote to standard output and standard error.
#pragma once

#include <string>
#include <vector>

struct Finished {
  int status = -1;  // exit status; -1 when it did not exit normally
  std::string out;
  std::string err;
};

/// Runs `argv[0]` with the arguments `argv` (standard input empty) and waits for it.
Finished RunProgram(const std::vector<std::string>& argv);
