#include "FileFaults.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

std::vector<FileFault> g_faults;
int g_calls[static_cast<int>(FileCall::rename) + 1] = {};

// The fault planned for the call just counted, or null.
const FileFault* dueFault(FileCall call) {
  for (const FileFault& fault : g_faults)
    if (fault.call == call && fault.occurrence == g_calls[static_cast<int>(call)]) return &fault;
  return nullptr;
}

// Counts the call and acts on a planned fault; true when the call must fail instead of running.
bool intercept(FileCall call) {
  ++g_calls[static_cast<int>(call)];
  const FileFault* fault = dueFault(call);
  if (fault == nullptr) return false;
  switch (fault->action) {
    case FaultAction::fail:
      errno = fault->error;
      return true;
    case FaultAction::killBefore:
      raise(SIGKILL);
      return true;
    case FaultAction::killAfter:
      return false;  // the wrapper kills once the call is done
  }
  return false;
}

void killIfAfter(FileCall call) {
  const FileFault* fault = dueFault(call);
  if (fault != nullptr && fault->action == FaultAction::killAfter) raise(SIGKILL);
}

bool isConsole(FILE* stream) {
  return stream == stdout || stream == stderr;
}

}  // namespace

void planFaults(std::initializer_list<FileFault> faults) {
  g_faults = faults;
  for (int& count : g_calls) count = 0;
}

void clearFaults() {
  g_faults.clear();
}

int callsSincePlan(FileCall call) {
  return g_calls[static_cast<int>(call)];
}

std::string describe(const FileFault& fault) {
  static const char* const kCalls[] = {"open",   "read",   "write", "fsync", "fwrite",
                                       "fflush", "fclose", "link",  "rename"};
  static const char* const kActions[] = {"fails", "killed before", "killed after"};
  return std::string(kCalls[static_cast<int>(fault.call)]) + " #" +
         std::to_string(fault.occurrence) + " " + kActions[static_cast<int>(fault.action)];
}

extern "C" {

int __real_open(const char* path, int flags, ...);
ssize_t __real_read(int fd, void* bytes, size_t count);
ssize_t __real_write(int fd, const void* bytes, size_t count);
int __real_fsync(int fd);
size_t __real_fwrite(const void* bytes, size_t size, size_t count, FILE* stream);
int __real_fflush(FILE* stream);
int __real_fclose(FILE* stream);
int __real_link(const char* from, const char* to);
int __real_rename(const char* from, const char* to);

int __wrap_open(const char* path, int flags, ...) {
  int mode = 0;
  if ((flags & O_CREAT) != 0) {
    va_list arguments;
    va_start(arguments, flags);
    mode = va_arg(arguments, int);
    va_end(arguments);
  }
  if (intercept(FileCall::open)) return -1;
  const int fd = __real_open(path, flags, mode);
  killIfAfter(FileCall::open);
  return fd;
}

ssize_t __wrap_read(int fd, void* bytes, size_t count) {
  if (intercept(FileCall::read)) return -1;
  const ssize_t n = __real_read(fd, bytes, count);
  killIfAfter(FileCall::read);
  return n;
}

ssize_t __wrap_write(int fd, const void* bytes, size_t count) {
  if (fd == STDOUT_FILENO || fd == STDERR_FILENO) return __real_write(fd, bytes, count);
  if (intercept(FileCall::write)) return -1;
  const ssize_t n = __real_write(fd, bytes, count);
  killIfAfter(FileCall::write);
  return n;
}

int __wrap_fsync(int fd) {
  if (intercept(FileCall::fsync)) return -1;
  const int result = __real_fsync(fd);
  killIfAfter(FileCall::fsync);
  return result;
}

size_t __wrap_fwrite(const void* bytes, size_t size, size_t count, FILE* stream) {
  if (isConsole(stream)) return __real_fwrite(bytes, size, count, stream);
  if (intercept(FileCall::fwrite)) return 0;
  const size_t n = __real_fwrite(bytes, size, count, stream);
  killIfAfter(FileCall::fwrite);
  return n;
}

int __wrap_fflush(FILE* stream) {
  if (stream == nullptr || isConsole(stream)) return __real_fflush(stream);
  if (intercept(FileCall::fflush)) return EOF;
  const int result = __real_fflush(stream);
  killIfAfter(FileCall::fflush);
  return result;
}

int __wrap_fclose(FILE* stream) {
  if (isConsole(stream)) return __real_fclose(stream);
  if (intercept(FileCall::fclose)) {
    // A failing close still releases the stream, as fclose does.
    const int error = errno;
    __real_fclose(stream);
    errno = error;
    return EOF;
  }
  const int result = __real_fclose(stream);
  killIfAfter(FileCall::fclose);
  return result;
}

int __wrap_link(const char* from, const char* to) {
  if (intercept(FileCall::link)) return -1;
  const int result = __real_link(from, to);
  killIfAfter(FileCall::link);
  return result;
}

int __wrap_rename(const char* from, const char* to) {
  if (intercept(FileCall::rename)) return -1;
  const int result = __real_rename(from, to);
  killIfAfter(FileCall::rename);
  return result;
}

}  // extern "C"
