// BatchExport: many models in one command, each exported as its own scene into one output folder,
// the models read one after another through one converter for each worker process.
#pragma once

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "DocumentBudget.h"
#include "PlugInModule.h"

/// What a batch is asked to do.
struct BatchRequest {
  std::vector<std::string> models;     // as BatchModels lists them
  std::filesystem::path outputFolder;  // must exist; the scenes go straight into it
  unsigned jobs = 1;                   // worker processes, at least 1; more than the models is cut
  bool selectedOnly = false;
  DocumentBudget budget;
  std::chrono::milliseconds converterLimit{60000};  // for each model
};

/// A batch that cannot start: bad inputs. Nothing has been exported.
class BatchUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// The models named by `inputs`: a folder stands for every regular file directly in it whose name
/// ends in .3dm (any letter case), sorted by name; anything else stands for itself. Throws
/// BatchUsageError for a folder that cannot be listed or that holds no model.
std::vector<std::string> BatchModels(const std::vector<std::string>& inputs);

/// The scene of `model` in `folder`: its file name with the extension `extension` ("orv") in
/// place of its own. Throws BatchUsageError when two models would get the same scene.
std::vector<std::filesystem::path> BatchTargets(const std::vector<std::string>& models,
                                                const std::filesystem::path& folder,
                                                const std::string& extension);

/// Exports `doc` to the absolute path `target` as file type `fileType` through the plug-in's
/// WriteFile. Returns empty when written, else the reason ("export failed: ...").
std::string ExportDocument(PlugInModule& module, CRhinoDoc& doc,
                           const std::filesystem::path& target, int fileType, bool selectedOnly);

/// Exports every model of `request` as its scene (BatchTargets) through `module`, whose export
/// options are already set. With jobs > 1 the models are dealt out to that many worker processes
/// forked from this one (the plug-in's export state is process-wide, so exports in one process
/// run one at a time); each has its own converter and temporary folders. A model that fails gets
/// one line on standard error, "orvexport: MODEL: reason"; the others are still exported.
/// Returns the exit status: 0 all written, 1 some not, 128 + signal after SIGINT or SIGTERM (the
/// converters ended, temporary folders removed, scenes already written kept).
int ExportBatch(PlugInModule& module, const BatchRequest& request);
