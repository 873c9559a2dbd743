#include "Subprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string_view>

namespace {

std::string ReadAndRemove(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  std::remove(path.c_str());
  return text.str();
}

std::string TemporaryFile() {
  char name[] = "/tmp/host_tests_XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0) throw std::runtime_error("cannot make a temporary file");
  close(fd);
  return name;
}

}  // namespace

namespace {

/// StartProgram, with standard error on the descriptor `err` when it is not -1.
Started Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
              int err) {
  // Files rather than pipes: nothing can block however much the program writes.
  Started started{-1, TemporaryFile(), TemporaryFile()};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, started.outPath.c_str(),
                                   O_WRONLY | O_TRUNC, 0);
  if (err >= 0)
    posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
  else
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, started.errPath.c_str(),
                                     O_WRONLY | O_TRUNC, 0);

  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<char*> env;
  for (const std::string& entry : environment) env.push_back(const_cast<char*>(entry.c_str()));
  for (char** entry = environ; *entry; ++entry) {
    const std::string_view name(*entry, std::strcspn(*entry, "="));
    bool replaced = false;
    for (const std::string& given : environment)
      replaced = replaced || given.compare(0, name.size() + 1, std::string(name) + "=") == 0;
    if (!replaced) env.push_back(*entry);
  }
  env.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data()) == 0)
    started.pid = pid;
  posix_spawn_file_actions_destroy(&actions);
  return started;
}

}  // namespace

Started StartProgram(const std::vector<std::string>& argv,
                     const std::vector<std::string>& environment) {
  return Start(argv, environment, -1);
}

Finished WaitFor(const Started& started) {
  Finished finished;
  const auto deadline = std::chrono::steady_clock::now() + kHangGuard;
  int wait = 0;
  bool guarded = false;
  while (started.pid > 0) {
    const pid_t reaped = waitpid(started.pid, &wait, WNOHANG);
    if (reaped == started.pid) break;
    if (reaped < 0 && errno != EINTR) break;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(started.pid, SIGKILL);
      waitpid(started.pid, &wait, 0);
      guarded = true;
      break;
    }
    usleep(2000);
  }
  if (started.pid > 0 && !guarded && WIFEXITED(wait)) finished.status = WEXITSTATUS(wait);
  finished.out = ReadAndRemove(started.outPath);
  finished.err = ReadAndRemove(started.errPath);
  if (guarded) finished.err += "\n(killed by the tests' hang guard)\n";
  return finished;
}

Finished RunProgram(const std::vector<std::string>& argv) {
  return WaitFor(StartProgram(argv));
}

Finished RunOnTerminal(const std::vector<std::string>& argv,
                       const std::vector<std::string>& environment, unsigned short columns) {
  int terminal = -1, program = -1;
  winsize size{};
  size.ws_row = 24;
  size.ws_col = columns;
  termios raw{};
  cfmakeraw(&raw);
  if (openpty(&terminal, &program, nullptr, &raw, &size) != 0)
    throw std::runtime_error("cannot open a pseudo-terminal");
  fcntl(terminal, F_SETFD, FD_CLOEXEC);
  fcntl(program, F_SETFD, FD_CLOEXEC);  // dup2 onto standard error clears it there
  const Started started = Start(argv, environment, program);
  close(program);
  std::string seen;
  const auto deadline = std::chrono::steady_clock::now() + kHangGuard;
  // The terminal reads end (EIO) once every process holding it has ended.
  for (pollfd ready{terminal, POLLIN, 0}; std::chrono::steady_clock::now() < deadline;) {
    if (poll(&ready, 1, 100) <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(terminal, buffer, sizeof buffer);
    if (n > 0)
      seen.append(buffer, std::size_t(n));
    else if (n == 0 || errno != EINTR)
      break;
  }
  close(terminal);
  Finished finished = WaitFor(started);
  finished.err = seen + finished.err;
  return finished;
}
