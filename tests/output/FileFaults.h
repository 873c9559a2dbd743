// Faults injected into the file calls of the save: the output tests are linked with
// -Wl,--wrap=<call> for each call named here, so the plug-in's calls reach wrappers that pass
// through to the system unless a planned fault is due.
#pragma once

#include <initializer_list>
#include <string>

enum class FileCall { open, read, write, fsync, fwrite, fflush, fclose, link, rename };

/// What happens at the planned call: it fails with `error` without reaching the system, or the
/// process is killed (SIGKILL) just before or just after the system carried it out.
enum class FaultAction { fail, killBefore, killAfter };

struct FileFault {
  FileCall call;
  int occurrence;  // 1: the first such call after planning
  FaultAction action;
  int error = 0;  // errno for `fail`
};

/// Plans faults (of different calls, or of different occurrences of one) and restarts the call
/// counts; replaces any earlier plan.
void planFaults(std::initializer_list<FileFault> faults);
/// Lets every call through again.
void clearFaults();
/// Calls of `call` since the last plan (calls on standard output and error are not counted).
int callsSincePlan(FileCall call);

std::string describe(const FileFault& fault);
