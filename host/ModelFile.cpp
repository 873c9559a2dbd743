#include "ModelFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cassert>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "ActivityIndicator.h"
#include "ConverterProcess.h"

namespace {

namespace fs = std::filesystem;

constexpr char kSignature[] = "3D Geometry File Format ";

// The converter's last line on standard output once the document and its binary file are
// complete (with --out); Node.js would then still take a moment to end, so it is ended at once.
constexpr std::string_view kDocumentWritten = "document written\n";

// Models one converter of a batch is given, so that its command line stays far below the
// system's limit however many models a folder holds.
constexpr std::size_t kModelsPerConverter = 256;

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

/// `limit` in seconds as messages show it: "60", "0.5".
std::string Seconds(std::chrono::milliseconds limit) {
  const auto tenths = (limit.count() + 50) / 100;
  return std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "");
}

/// The converter's script, or DocumentError naming `fileName` when it is missing.
std::string ConverterScript(const std::string& fileName) {
  const std::string script = ConverterPath();
  std::error_code ignored;
  if (!fs::is_regular_file(script, ignored))
    throw DocumentError(fileName + ": cannot read .3dm files: the converter " + script +
                        " is missing");
  return script;
}

/// A pipe or a device is refused before the converter could open it; a missing file is left to
/// the converter, which says so.
void RefuseUnlessModelMayOpen(const std::string& fileName) {
  if (struct stat info; ::stat(fileName.c_str(), &info) == 0)
    RefuseUnlessRegularFile(fileName, info, "a .3dm model");
}

/// The reason node could not be started, as a DocumentError for `fileName` (errno is set).
DocumentError CannotStart(const std::string& fileName) {
  if (errno == ENOENT)
    return DocumentError(fileName + ": cannot read .3dm files: Node.js (node) is not installed");
  return DocumentError(fileName +
                       ": cannot read .3dm files: cannot start node: " + std::strerror(errno));
}

/// The converter's own messages name the file; anything else is its failure.
std::string ConverterMessage(const std::string& fileName, const std::string& message, int status) {
  if (message.rfind(fileName + ": ", 0) == 0) return message;
  return fileName + ": the .3dm converter failed: " +
         (message.empty() ? "exit status " + std::to_string(status) : message);
}

/// Throws DocumentError for `fileName` when the converter's run went wrong.
void RefuseFailedRun(const std::string& fileName, const ChildOutcome& outcome,
                     std::chrono::milliseconds limit) {
  using End = ChildOutcome::End;
  if (outcome.end == End::timedOut)
    throw DocumentError(fileName + ": the .3dm converter did not finish within " + Seconds(limit) +
                        " s, so the model may be damaged (--converter-time-limit raises the "
                        "limit)");
  if (outcome.end == End::signalled)
    throw DocumentError(fileName + ": the .3dm converter stopped on signal " +
                        std::to_string(outcome.status));
  if (outcome.end == End::exited && outcome.status != 0)
    throw DocumentError(ConverterMessage(fileName, LastLine(outcome.err), outcome.status));
}

/// The converter's command line for `fileName` with `options`; asks for its progress reports,
/// handed to `converter`'s progress handler, when they are shown.
std::vector<std::string> ConverterCommand(const std::string& fileName,
                                          std::vector<std::string> options,
                                          ConverterProcess& converter) {
  const std::string script = ConverterScript(fileName);
  RefuseUnlessModelMayOpen(fileName);
  options.insert(options.begin(), {"node", script, fileName});
  if (ActivityIndicator::Active() && options.back() != "--print") {
    options.push_back("--progress");
    converter.SetProgressHandler([](std::string_view stage) {
      if (stage == "converting") ActivityIndicator::SetStage(ActivityIndicator::Stage::converting);
    });
  }
  return options;
}

/// Runs the converter on `fileName` to its end; throws DocumentError when it cannot run,
/// refuses the model or runs past `limit`.
std::string Convert(const std::string& fileName, std::vector<std::string> options,
                    std::chrono::milliseconds limit) {
  ConverterProcess converter;
  const std::vector<std::string> argv = ConverterCommand(fileName, std::move(options), converter);
  ChildOutcome outcome;
  if (!converter.Run(argv, kDocumentWritten, limit, outcome)) throw CannotStart(fileName);
  RefuseFailedRun(fileName, outcome, limit);
  return std::move(outcome.out);
}

/// Reads the converted document in `folder` into `doc`, held to `budget`.
void LoadConvertedDocument(const std::string& fileName, const fs::path& folder, CRhinoDoc& doc,
                           const DocumentBudget& budget) {
  ActivityIndicator::SetStage(ActivityIndicator::Stage::loading);
  try {
    LoadDocumentFile((folder / "document.json").string(), doc, budget);
  } catch (const DocumentError& error) {
    throw DocumentError(fileName + ": the converted document was refused: " + error.what());
  }
}

/// One converter process of a batch, over the models `pending[next...]` (at most
/// kModelsPerConverter of them); each is handed on as its line comes. Returns where the next
/// converter is to start: past the last model answered, and past the one this converter failed
/// on, if any.
std::size_t ConvertBatch(const std::string& script, const std::vector<std::string>& fileNames,
                         const std::vector<std::size_t>& pending, std::size_t next,
                         const fs::path& folder, const DocumentBudget& budget,
                         std::chrono::milliseconds limit, const ModelHandler& onModel) {
  const std::size_t end = std::min(pending.size(), next + kModelsPerConverter);
  std::vector<std::string> argv{"node", script, "--batch"};
  for (std::size_t k = next; k < end; ++k)
    argv.insert(argv.end(),
                {fileNames[pending[k]], (folder / std::to_string(pending[k])).string()});
  auto answer = [&](std::string_view line) {
    if (next == end) return;  // more lines than models: not the converter's protocol
    const std::size_t index = pending[next++];
    const std::string& fileName = fileNames[index];
    const fs::path modelFolder = folder / std::to_string(index);
    std::string failure;
    if (line == "written") {
      try {
        CRhinoDoc doc;
        LoadConvertedDocument(fileName, modelFolder, doc, budget);
        onModel(index, &doc, {});
      } catch (const DocumentError& error) {
        failure = error.what();
      } catch (const std::bad_alloc&) {
        failure = fileName + ": out of memory while reading the document";
      }
    } else {
      failure = ConverterMessage(fileName, std::string(line.substr(line.find(' ') + 1)), 0);
    }
    if (!failure.empty()) onModel(index, nullptr, failure);
    std::error_code ignored;
    fs::remove_all(modelFolder, ignored);
  };
  ConverterProcess converter;
  ChildOutcome outcome;
  if (!converter.RunLineByLine(argv, answer, limit, outcome)) {
    const int reason = errno;
    for (; next < end; ++next) {
      errno = reason;
      onModel(pending[next], nullptr, CannotStart(fileNames[pending[next]]).what());
    }
    return next;
  }
  if (next == end) return next;
  // The converter ended before answering for the model it was on.
  const std::string& fileName = fileNames[pending[next]];
  try {
    RefuseFailedRun(fileName, outcome, limit);
    throw DocumentError(fileName + ": the .3dm converter ended without reading it");
  } catch (const DocumentError& error) {
    onModel(pending[next], nullptr, error.what());
  }
  return next + 1;
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
  // Only a regular file is opened: a pipe would block the open, a device never end.
  struct stat info;
  if (::stat(fileName.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  char start[sizeof kSignature - 1] = {};
  const bool model = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                     ::read(fd, start, sizeof start) == ssize_t(sizeof start) &&
                     std::memcmp(start, kSignature, sizeof start) == 0;
  ::close(fd);
  return model;
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

std::string ModelDocumentText(const std::string& fileName, std::chrono::milliseconds limit) {
  return Convert(fileName, {"--print"}, limit);
}

ModelConversion::ModelConversion(const std::string& fileName, std::chrono::milliseconds limit)
    : m_fileName(fileName), m_limit(limit), m_converter(std::make_unique<ConverterProcess>()) {
  try {
    try {
      m_folder.emplace();
    } catch (const std::runtime_error& error) {
      throw DocumentError(fileName + ": " + error.what());
    }
    const std::vector<std::string> argv =
        ConverterCommand(fileName, {"--out", m_folder->Path().string()}, *m_converter);
    if (!m_converter->Start(argv)) throw CannotStart(fileName);
  } catch (const DocumentError& error) {
    m_refusal = error.what();
    m_folder.reset();
  }
}

ModelConversion::~ModelConversion() = default;

TemporaryFolder ModelConversion::Load(CRhinoDoc& doc, const DocumentBudget& budget) {
  assert(!m_loaded && "a conversion is loaded once");
  m_loaded = true;
  if (!m_refusal.empty()) throw DocumentError(m_refusal);
  ChildOutcome outcome;
  m_converter->Finish(kDocumentWritten, {}, m_limit, outcome);
  RefuseFailedRun(m_fileName, outcome, m_limit);
  LoadConvertedDocument(m_fileName, m_folder->Path(), doc, budget);
  return std::move(*m_folder);
}

TemporaryFolder LoadModelFile(const std::string& fileName, CRhinoDoc& doc,
                              const DocumentBudget& budget, std::chrono::milliseconds limit) {
  ModelConversion conversion(fileName, limit);
  return conversion.Load(doc, budget);
}

void LoadModelFiles(const std::vector<std::string>& fileNames, const DocumentBudget& budget,
                    std::chrono::milliseconds limit, const ModelHandler& onModel) {
  std::vector<std::size_t> pending;
  for (std::size_t index = 0; index < fileNames.size(); ++index) {
    try {
      RefuseUnlessModelMayOpen(fileNames[index]);
      pending.push_back(index);
    } catch (const DocumentError& error) {
      onModel(index, nullptr, error.what());
    }
  }
  if (pending.empty()) return;
  std::string script;
  std::optional<TemporaryFolder> folder;
  try {
    script = ConverterScript(fileNames[pending.front()]);
    folder.emplace();
  } catch (const std::exception& error) {
    for (std::size_t index : pending) {
      try {
        ConverterScript(fileNames[index]);
        onModel(index, nullptr, fileNames[index] + ": " + error.what());
      } catch (const DocumentError& missing) {
        onModel(index, nullptr, missing.what());
      }
    }
    return;
  }
  for (std::size_t next = 0; next < pending.size();)
    next = ConvertBatch(script, fileNames, pending, next, folder->Path(), budget, limit, onModel);
}
