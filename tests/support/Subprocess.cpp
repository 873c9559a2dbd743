#include "Subprocess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

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

Finished RunProgram(const std::vector<std::string>& argv) {
  // Files rather than pipes: nothing can block however much the program writes.
  const std::string outPath = TemporaryFile();
  const std::string errPath = TemporaryFile();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_TRUNC, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_TRUNC, 0);

  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);

  Finished finished;
  int wait = 0;
  if (spawned == 0 && waitpid(pid, &wait, 0) == pid && WIFEXITED(wait))
    finished.status = WEXITSTATUS(wait);
  finished.out = ReadAndRemove(outPath);
  finished.err = ReadAndRemove(errPath);
  return finished;
}
