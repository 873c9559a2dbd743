#include "ModelFile.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string_view>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr char kSignature[] = "3D Geometry File Format ";

// The converter's last line on standard output once the document and its binary file are
// complete (with --out); Node.js then still takes a moment to end.
constexpr std::string_view kDocumentWritten = "document written\n";

struct Finished {
  int status = -1;  // exit status; -1 when the converter did not exit normally
  int signal = 0;
  pid_t ending = 0;  // the converter, still ending after it said its document is written
  std::string out;
  std::string err;
};

/// Waits for a converter that has written its document to end, so that it leaves no zombie.
class ConverterEnd {
 public:
  explicit ConverterEnd(pid_t pid) : m_pid(pid) {}
  ConverterEnd(const ConverterEnd&) = delete;
  ConverterEnd& operator=(const ConverterEnd&) = delete;
  ~ConverterEnd() {
    while (m_pid > 0 && waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }

 private:
  pid_t m_pid;
};

/// Runs `node` with `arguments`, gathering both output streams. When standard output ends in
/// kDocumentWritten, returns at once with status 0 and the process in `finished.ending`, for the
/// caller to wait for once it has read the document; otherwise returns once node has ended.
/// Returns false with errno set when node cannot be started.
bool RunNode(const std::vector<std::string>& arguments, Finished& finished) {
  int out[2], err[2];
  if (pipe(out) != 0) return false;
  if (pipe(err) != 0) {
    close(out[0]);
    close(out[1]);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  for (int fd : {out[0], out[1], err[0], err[1]}) posix_spawn_file_actions_addclose(&actions, fd);
  std::vector<std::string> all{"node"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, "node", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  if (spawned != 0) {
    close(out[0]);
    close(err[0]);
    errno = spawned;
    return false;
  }
  std::array<pollfd, 2> fds{{{out[0], POLLIN, 0}, {err[0], POLLIN, 0}}};
  std::array<std::string*, 2> sinks{&finished.out, &finished.err};
  for (int open = 2; open > 0;) {
    if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) break;
    for (std::size_t k = 0; k < fds.size(); ++k) {
      if (fds[k].fd < 0 || fds[k].revents == 0) continue;
      char buffer[65536];
      const ssize_t n = read(fds[k].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[k]->append(buffer, std::size_t(n));
        if (k == 0 && finished.out.ends_with(kDocumentWritten)) {
          for (pollfd& f : fds)
            if (f.fd >= 0) close(f.fd);
          finished.status = 0;
          finished.ending = pid;
          return true;
        }
      } else if (n == 0 || errno != EINTR) {
        close(fds[k].fd);
        fds[k].fd = -1;
        --open;
      }
    }
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) finished.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) finished.signal = WTERMSIG(status);
  return true;
}

/// The converter's last line on standard error: its message, which names the file.
std::string LastLine(const std::string& text) {
  std::size_t end = text.find_last_not_of(" \n\r\t");
  if (end == std::string::npos) return {};
  const std::size_t start = text.rfind('\n', end);
  return text.substr(start == std::string::npos ? 0 : start + 1, end + 1 - (start + 1));
}

/// The converter, at ORV_MODEL_CONVERTER from the running program's folder, so that a build tree
/// and an installed tree work wherever they are.
std::string ConverterPath() {
  std::error_code ignored;
  const fs::path self = fs::read_symlink("/proc/self/exe", ignored);
  return (self.parent_path() / ORV_MODEL_CONVERTER).lexically_normal().string();
}

/// Runs the converter on `fileName`; throws DocumentError when it cannot run or refuses the model.
Finished Convert(const std::string& fileName, std::vector<std::string> options) {
  const std::string script = ConverterPath();
  std::error_code ignored;
  if (!fs::is_regular_file(script, ignored))
    throw DocumentError(fileName + ": cannot read .3dm files: the converter " + script +
                        " is missing");
  options.insert(options.begin(), {script, fileName});
  Finished finished;
  if (!RunNode(options, finished)) {
    if (errno == ENOENT)
      throw DocumentError(fileName + ": cannot read .3dm files: Node.js (node) is not installed");
    throw DocumentError(fileName +
                        ": cannot read .3dm files: cannot start node: " + std::strerror(errno));
  }
  if (finished.signal != 0)
    throw DocumentError(fileName + ": the .3dm converter stopped on signal " +
                        std::to_string(finished.signal));
  if (finished.status != 0) {
    const std::string message = LastLine(finished.err);
    // The converter's own messages name the file; anything else is its failure.
    if (message.rfind(fileName + ": ", 0) == 0) throw DocumentError(message);
    throw DocumentError(
        fileName + ": the .3dm converter failed: " +
        (message.empty() ? "exit status " + std::to_string(finished.status) : message));
  }
  return finished;
}

bool EndsWith3dm(const std::string& fileName) {
  if (fileName.size() < 4) return false;
  std::string tail = fileName.substr(fileName.size() - 4);
  for (char& c : tail) c = char(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".3dm";
}

}  // namespace

bool IsModelFile(const std::string& fileName) {
  if (EndsWith3dm(fileName)) return true;
  std::ifstream in(fileName, std::ios::binary);
  char start[sizeof kSignature - 1] = {};
  return in.read(start, sizeof start) && std::memcmp(start, kSignature, sizeof start) == 0;
}

TemporaryFolder::TemporaryFolder() {
  std::string pattern = (fs::temp_directory_path() / "orvexport-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("cannot make a temporary folder: " +
                             std::string(std::strerror(errno)));
  m_path = pattern;
}

TemporaryFolder::TemporaryFolder(TemporaryFolder&& other) noexcept
    : m_path(std::move(other.m_path)) {
  other.m_path.clear();
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  if (!m_path.empty()) fs::remove_all(m_path, ignored);
}

std::string ModelDocumentText(const std::string& fileName) {
  return Convert(fileName, {"--print"}).out;
}

TemporaryFolder LoadModelFile(const std::string& fileName, CRhinoDoc& doc) {
  TemporaryFolder folder = [&] {
    try {
      return TemporaryFolder();
    } catch (const std::runtime_error& error) {
      throw DocumentError(fileName + ": " + error.what());
    }
  }();
  const ConverterEnd converterEnd(Convert(fileName, {"--out", folder.Path().string()}).ending);
  try {
    LoadDocumentFile((folder.Path() / "document.json").string(), doc);
  } catch (const DocumentError& error) {
    throw DocumentError(fileName + ": the converted document was refused: " + error.what());
  }
  return folder;
}
