// .3dm model files for orvexport: the converter under tools/3dm (Node.js with the npm package
// rhino3dm) turns a model into a document file, which the document loader then reads.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DocumentFile.h"

/// How long the converter may take by default before the model is refused.
inline constexpr std::chrono::seconds kDefaultConverterTimeLimit{60};

/// True when `fileName` is to be read as a .3dm model: its name ends in ".3dm" (any letter case)
/// or it is a regular file whose first bytes are the .3dm file signature. Opens nothing but a
/// regular file.
bool IsModelFile(const std::string& fileName);

/// A temporary folder, removed with everything in it when the object is destroyed.
class TemporaryFolder {
 public:
  /// Makes a new, empty folder below the system's temporary folder. Throws std::runtime_error.
  TemporaryFolder();
  TemporaryFolder(TemporaryFolder&& other) noexcept;
  TemporaryFolder& operator=(TemporaryFolder&&) = delete;
  ~TemporaryFolder();
  const std::filesystem::path& Path() const { return m_path; }

 private:
  std::filesystem::path m_path;  // empty once moved from
};

/// The document read from the model `fileName`, as document-file text with every array inline
/// (what `orvexport --print-document` prints). Throws DocumentError naming the file and the
/// reason when the model cannot be read (a file that is not a regular one is refused before the
/// converter starts), the converter cannot run or takes longer than `limit`. Throws Interrupted
/// (ConverterProcess.h) for SIGINT or SIGTERM during the conversion, the converter ended.
std::string ModelDocumentText(const std::string& fileName,
                              std::chrono::milliseconds limit = kDefaultConverterTimeLimit);

/// Fills `doc`, a new document with empty tables, from the .3dm model `fileName`. The converted
/// document and the images embedded in the model that its materials use lie in the folder
/// returned, which must outlive the export (the plug-in copies the images from there into the
/// texture folder beside the scene). The converted document is held to `budget`. Throws
/// DocumentError naming the file and the reason, or Interrupted, as ModelDocumentText; `doc` is
/// then partly filled and must be discarded, and the folder is gone.
TemporaryFolder LoadModelFile(const std::string& fileName, CRhinoDoc& doc,
                              const DocumentBudget& budget = {},
                              std::chrono::milliseconds limit = kDefaultConverterTimeLimit);

class ConverterProcess;

/// A .3dm model's conversion, started when made so that the converter reads the model while the
/// caller prepares the export (loads the plug-in module). The converter's process is ended when
/// the conversion is destroyed, and only then waited for, so that a converter told to end after
/// its work takes none of the export's time. Catches SIGINT and SIGTERM from its making to the
/// end of Load (or its destruction). One at a time.
class ModelConversion {
 public:
  /// Starts the converter on the model `fileName` under the time limit `limit`, counted from now.
  /// A model that cannot be converted at all (no converter, no such regular file, node missing)
  /// is refused by Load.
  ModelConversion(const std::string& fileName, std::chrono::milliseconds limit);
  ~ModelConversion();
  ModelConversion(const ModelConversion&) = delete;
  ModelConversion& operator=(const ModelConversion&) = delete;

  /// Waits for the converter and fills `doc` from the converted document, as LoadModelFile does
  /// (and throws as it does); returns the folder of the converted document. Called once.
  TemporaryFolder Load(CRhinoDoc& doc, const DocumentBudget& budget = {});

 private:
  std::string m_fileName;
  std::chrono::milliseconds m_limit;
  std::optional<TemporaryFolder> m_folder;
  std::unique_ptr<ConverterProcess> m_converter;
  std::string m_refusal;  // why the converter did not start, for Load to throw
  bool m_loaded = false;
};

/// Called once for each model of a batch, in no set order: `doc` is the model's document, filled
/// and held to the budget, or null with `failure`, the reason it could not be read (naming the
/// file, as a DocumentError would). The document and its folder of images live only during the
/// call. Must not throw.
using ModelHandler =
    std::function<void(std::size_t index, CRhinoDoc* doc, const std::string& failure)>;

/// Reads the models `fileNames` one after another through one converter process (a new one for
/// every 256 models), handing each to `onModel` as soon as it is read while the converter goes on
/// with the next; each model's document lies in a folder of its own, removed after its call.
/// `limit` holds for each model. A model the converter cannot read, or that makes it fail or run
/// past the limit, fails alone: the converter is started again for the models after it. Throws
/// Interrupted for SIGINT or SIGTERM (which stay caught during the calls to `onModel`), the
/// converter ended and every folder removed.
void LoadModelFiles(const std::vector<std::string>& fileNames, const DocumentBudget& budget,
                    std::chrono::milliseconds limit, const ModelHandler& onModel);
