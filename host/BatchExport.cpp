#include "BatchExport.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <map>
#include <new>

#include "ActivityIndicator.h"
#include "ConverterProcess.h"
#include "ModelFile.h"

namespace fs = std::filesystem;

namespace {

constexpr int kSomeFailed = 1;

bool HasModelExtension(const fs::path& file) {
  std::string extension = file.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return extension == ".3dm";
}

std::vector<std::string> ModelsIn(const std::string& folder) {
  std::vector<std::string> models;
  std::error_code error;
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error))
    if (HasModelExtension(entry->path()) && entry->is_regular_file())
      models.push_back(entry->path().string());
  if (error) throw BatchUsageError(folder + ": cannot list the folder: " + error.message());
  if (models.empty()) throw BatchUsageError(folder + ": the folder holds no .3dm model");
  std::sort(models.begin(), models.end());
  return models;
}

void ReportFailure(const std::string& model, const std::string& reason) {
  // Reasons from reading name the model already; the plug-in's do not.
  const bool named = reason.rfind(model + ": ", 0) == 0;
  ActivityIndicator::WriteError("orvexport: " + (named ? "" : model + ": ") + reason + "\n");
}

/// Shows the model the converter reads next, the first of `slice` not yet handled, once: `next`
/// moves on to it, `begun` is the one shown last (slice.size() before the first).
void BeginNextModel(const BatchRequest& request, const std::vector<std::size_t>& slice,
                    const std::vector<bool>& handled, std::size_t& next, std::size_t& begun) {
  while (next < slice.size() && handled[next]) ++next;
  if (next == slice.size() || next == begun) return;
  begun = next;
  ActivityIndicator::BeginModel(slice[next] + 1, request.models.size(), request.models[slice[next]],
                                ActivityIndicator::Stage::reading);
}

/// Exports the models `slice` of the request in this process, one after another. Returns the
/// exit status.
int ExportSlice(PlugInModule& module, const BatchRequest& request,
                const std::vector<fs::path>& targets, const std::vector<std::size_t>& slice) {
  std::vector<std::string> names;
  for (std::size_t index : slice) names.push_back(request.models[index]);
  bool failed = false;
  std::vector<bool> handled(slice.size(), false);
  std::size_t next = 0, begun = slice.size();
  BeginNextModel(request, slice, handled, next, begun);
  auto exportModel = [&](std::size_t k, CRhinoDoc* doc, const std::string& failure) {
    const std::size_t index = slice[k];
    std::string reason = failure;
    if (doc != nullptr) {
      const ON_wString targetName(targets[index].string().c_str());
      reason = ExportDocument(module, *doc, targets[index], module.FileTypeIndexFor(targetName),
                              request.selectedOnly);
    }
    handled[k] = true;
    if (!reason.empty()) {
      failed = true;
      ReportFailure(request.models[index], reason);
    }
    BeginNextModel(request, slice, handled, next, begun);
  };
  try {
    LoadModelFiles(names, request.budget, request.converterLimit, exportModel);
  } catch (const Interrupted& stop) {
    return 128 + stop.signal();
  }
  return failed ? kSomeFailed : 0;
}

// The workers, for the stop signals to be passed on to: a Ctrl-C reaches them from the terminal,
// but a SIGTERM sent to this process alone would leave them running.
std::vector<pid_t> gWorkers;

extern "C" void PassOnStopSignal(int signal) {
  const int saved = errno;
  for (pid_t worker : gWorkers) kill(worker, signal);
  errno = saved;
}

/// The status of a batch from its workers' statuses: a stop signal first, then any failure.
int CombinedStatus(const std::vector<int>& statuses) {
  int combined = 0;
  for (int status : statuses) {
    if (status > 128) return status;
    if (status != 0) combined = kSomeFailed;
  }
  return combined;
}

/// Adds the statuses of every worker to `statuses` once it has ended.
void WaitForWorkers(std::vector<int>& statuses) {
  for (pid_t worker : gWorkers) {
    int status = 0;
    while (waitpid(worker, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
      statuses.push_back(WEXITSTATUS(status));
    } else {
      ActivityIndicator::WriteError("orvexport: a worker stopped on signal " +
                                    std::to_string(WTERMSIG(status)) +
                                    "; its models may be missing\n");
      statuses.push_back(kSomeFailed);
    }
  }
}

/// Deals the models out to `jobs` forked workers and waits for them all.
int ExportInWorkers(PlugInModule& module, const BatchRequest& request,
                    const std::vector<fs::path>& targets, unsigned jobs) {
  std::fflush(nullptr);  // nothing buffered may be written twice
  struct sigaction passOn = {}, previous[2];
  passOn.sa_handler = PassOnStopSignal;
  sigemptyset(&passOn.sa_mask);
  gWorkers.reserve(jobs);
  sigaction(SIGINT, &passOn, &previous[0]);
  sigaction(SIGTERM, &passOn, &previous[1]);
  std::vector<int> statuses;
  const int channel = ActivityIndicator::OpenWorkerChannel();
  for (unsigned job = 0; job < jobs; ++job) {
    std::vector<std::size_t> slice;
    for (std::size_t index = job; index < request.models.size(); index += jobs)
      slice.push_back(index);
    // A stop signal waits until the new worker is among those it is passed on to.
    sigset_t stopSignals, mask;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals, &mask);
    const pid_t worker = fork();
    if (worker == 0) {
      sigaction(SIGINT, &previous[0], nullptr);
      sigaction(SIGTERM, &previous[1], nullptr);
      sigprocmask(SIG_SETMASK, &mask, nullptr);
      if (channel >= 0) ActivityIndicator::ReportToParent(channel);
      const int status = ExportSlice(module, request, targets, slice);
      std::fflush(nullptr);
      _exit(status);  // the module is unloaded once, by the process that loaded it
    }
    if (worker > 0) gWorkers.push_back(worker);
    sigprocmask(SIG_SETMASK, &mask, nullptr);
    if (worker < 0)  // the models of a worker that cannot start are exported here
      statuses.push_back(ExportSlice(module, request, targets, slice));
  }
  if (channel >= 0) ActivityIndicator::FollowWorkers(channel, request.models.size());
  WaitForWorkers(statuses);
  sigaction(SIGINT, &previous[0], nullptr);
  sigaction(SIGTERM, &previous[1], nullptr);
  gWorkers.clear();
  return CombinedStatus(statuses);
}

}  // namespace

std::vector<std::string> BatchModels(const std::vector<std::string>& inputs) {
  std::vector<std::string> models;
  for (const std::string& input : inputs) {
    std::error_code ignored;
    if (fs::is_directory(input, ignored)) {
      const std::vector<std::string> found = ModelsIn(input);
      models.insert(models.end(), found.begin(), found.end());
    } else {
      models.push_back(input);
    }
  }
  return models;
}

std::vector<fs::path> BatchTargets(const std::vector<std::string>& models, const fs::path& folder,
                                   const std::string& extension) {
  const fs::path absolute = fs::absolute(folder).lexically_normal();
  std::vector<fs::path> targets;
  std::map<fs::path, std::string> taken;
  for (const std::string& model : models) {
    fs::path target = absolute / fs::path(model).filename();
    target.replace_extension(extension);
    if (auto [at, added] = taken.emplace(target, model); !added)
      throw BatchUsageError("the models " + at->second + " and " + model +
                            " would both be written to " + target.string());
    targets.push_back(target);
  }
  return targets;
}

std::string ExportDocument(PlugInModule& module, CRhinoDoc& doc, const fs::path& target,
                           int fileType, bool selectedOnly) {
  CRhinoFileWriteOptions options;
  options.SetMode(CRhinoFileWriteOptions::SelectedMode, selectedOnly);
  int written = 0;
  try {
    written = module.WriteFile(ON_wString(target.string().c_str()), fileType, doc, options);
  } catch (const std::bad_alloc&) {
    return "export failed: out of memory";
  } catch (const std::exception& error) {
    return std::string("export failed: ") + error.what();
  } catch (...) {
    return "export failed: the plug-in threw an unknown exception";
  }
  if (written == 1) return {};
  // The plug-in reports a failed write only as 0; a missing folder is the common reason.
  std::error_code ignored;
  if (!fs::is_directory(target.parent_path(), ignored))
    return "export failed: could not write " + target.string() + ": the folder " +
           target.parent_path().string() + " does not exist";
  return "export failed: the plug-in could not write " + target.string();
}

int ExportBatch(PlugInModule& module, const BatchRequest& request) {
  const std::vector<fs::path> targets = BatchTargets(
      request.models, request.outputFolder, ON_String(module.FileTypes()[0].Extension()).Array());
  const unsigned jobs =
      unsigned(std::clamp<std::size_t>(request.jobs, 1, std::max<std::size_t>(1, targets.size())));
  if (jobs == 1) {
    std::vector<std::size_t> all(targets.size());
    for (std::size_t index = 0; index < all.size(); ++index) all[index] = index;
    return ExportSlice(module, request, targets, all);
  }
  return ExportInWorkers(module, request, targets, jobs);
}
