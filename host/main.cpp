// orvexport, the host program: loads the export plug-in module, reads a JSON document file or a
// .3dm model into a host document and exports it through the plug-in exactly as the modelling host
// would.

#include <CLI/CLI.hpp>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ActivityIndicator.h"
#include "BatchExport.h"
#include "ConverterProcess.h"
#include "DocumentFile.h"
#include "ModelFile.h"
#include "OptionsCommand.h"
#include "PlugInModule.h"
#include "RhinoHostServices.h"

namespace {

constexpr int kExported = 0;
constexpr int kExportFailed = 1;
constexpr int kBadUsage =
    2;  // also: a plug-in that cannot be loaded, a document that cannot be read
constexpr int kInterrupted = 130;  // 128 + SIGINT, as a shell reports a program Ctrl-C ended

constexpr char kModuleFileName[] = "ORVExportPlugIn6.rhp";

/// The export options asked for on the command line; the plug-in's options command sets them.
struct OptionsRequest {
  std::optional<int> grouping;  // a GroupingMode value: 0 single, 1 material, 2 layer, 3 object
  std::optional<bool> singleLayer;
  bool dialog = false;  // --options: let the user choose in the options dialog
  bool any() const { return grouping || singleLayer || dialog; }
};

struct HostArguments {
  std::vector<std::string> inputs;  // as given; several only with --output-dir
  std::string input;                // the only one, without --output-dir
  std::string output;
  std::string outputFolder;  // --output-dir: a batch
  unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
  std::string plugIn;
  bool selectedOnly = false;
  bool info = false;
  bool listFileTypes = false;
  bool printDocument = false;  // print the document read from a .3dm model and stop
  bool version = false;
  bool quiet = false;
  OptionsRequest options;
  DocumentBudget budget;
  std::chrono::milliseconds converterLimit = kDefaultConverterTimeLimit;
};

int Fail(int status, const std::string& message) {
  ActivityIndicator::WriteError("orvexport: " + message + "\n");
  return status;
}

int BadUsage(const std::string& message) {
  return Fail(kBadUsage, message + "\nRun with --help for more information.");
}

/// The plug-in module beside the running executable.
std::string DefaultPlugInPath() {
  std::error_code ignored;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ignored);
  return (self.parent_path() / kModuleFileName).string();
}

/// A module path as a file path: a bare name would make the loader search the library path.
std::string AsFilePath(const std::string& path) {
  return path.find('/') == std::string::npos ? "./" + path : path;
}

std::string Utf8(const wchar_t* text) {
  return ON_String(text).Array();
}

/// The GroupingMode value of a --grouping choice.
int GroupingModeNamed(const std::string& name) {
  static const std::map<std::string, int> kModes{
      {"single", 0}, {"material", 1}, {"layer", 2}, {"object", 3}};
  return kModes.at(name);
}

/// Checks that the arguments ask for something whole; an error message, or empty.
std::string MissingArgument(const HostArguments& args) {
  if (!args.outputFolder.empty()) {
    if (args.inputs.empty()) return "--output-dir needs one or more INPUT models or folders";
    if (!args.output.empty()) return "-o names one scene: use --output-dir alone for a batch";
    if (args.printDocument) return "--print-document reads one model: --output-dir is not used";
    return {};
  }
  if (args.inputs.size() > 1) return "several INPUTs need --output-dir FOLDER";
  if (args.printDocument) {
    if (args.input.empty()) return "--print-document needs a .3dm MODEL";
    if (!args.output.empty()) return "--print-document prints the document: -o is not used with it";
    return {};
  }
  if (!args.input.empty() && args.output.empty()) return "-o OUTPUT is required with INPUT";
  if (args.input.empty() && !args.output.empty()) return "INPUT is required with -o";
  if (args.input.empty() && !args.info && !args.listFileTypes && !args.options.dialog &&
      !args.version)
    return "INPUT and -o OUTPUT are required";
  return {};
}

/// Parses the command line into `args`. Returns the exit status when the program ends here:
/// 0 after --help, 2 for bad usage.
std::optional<int> ParseArguments(int argc, char** argv, HostArguments& args) {
  CLI::App app{"Exports a host document file through the export plug-in module.", "orvexport"};
  app.footer(
      "Exit status: 0 written; 1 export failed (reason on standard error); 2 bad usage, a plug-in\n"
      "that cannot be loaded or a document that cannot be read or is over a budget (nothing\n"
      "written); 130 Ctrl-C in the options dialog, 130/143 SIGINT/SIGTERM while a .3dm model is\n"
      "converted (nothing written).\n"
      "With --output-dir: 0 every scene written; 1 some not (one line for each on standard\n"
      "error); 2 bad usage (nothing written); 130/143 SIGINT/SIGTERM (scenes written stay).");
  app.add_option("INPUT", args.inputs,
                 "Document file (JSON) or .3dm model to export; with --output-dir, any number "
                 "of .3dm models and folders of them")
      ->option_text("FILE...");
  app.add_option("-o,--output", args.output, "Scene file to write; its name must end in .orv")
      ->option_text("OUTPUT.orv");
  app.add_option("--output-dir", args.outputFolder,
                 "Folder (existing) to write each model's scene into, as MODEL-NAME.orv")
      ->option_text("FOLDER");
  app.add_option("-j,--jobs", args.jobs,
                 "With --output-dir: exports run at once, each in a process of its own "
                 "(default: the number of processors)")
      ->check(CLI::Range(1u, 256u))
      ->option_text("N");
  app.add_flag("--selected-only", args.selectedOnly, "Export only the selected objects");
  app.add_option(
         "--plugin", args.plugIn,
         std::string("Plug-in module to load (default: ") + kModuleFileName + " beside orvexport)")
      ->option_text("PATH");
  app.add_flag("--info", args.info, "Print the plug-in's information");
  app.add_flag("--list-file-types", args.listFileTypes, "List the file types the plug-in writes");
  app.add_flag("--print-document", args.printDocument,
               "Print the document read from the .3dm model INPUT (JSON) and exit");
  app.add_flag("--version", args.version,
               "Print the versions of orvexport, of the plug-in and of the scene format");
  app.add_flag("-q,--quiet", args.quiet,
               "Print no warnings (they go to standard error) and no progress line");

  std::string grouping;
  CLI::Option* groupingOption =
      app.add_option("--grouping", grouping,
                     "Scene objects: one in all, or one per material, layer or object")
          ->check(CLI::IsMember({"single", "material", "layer", "object"}))
          ->option_text("single|material|layer|object");
  std::string singleLayer;
  CLI::Option* singleLayerOption =
      app.add_option("--single-layer", singleLayer, "Put every instance on one scene layer")
          ->check(CLI::IsMember({"on", "off"}))
          ->option_text("on|off");
  app.add_flag(
      "--options", args.options.dialog,
      "Choose the export options in the options dialog (without INPUT: print them and exit)");

  std::uint64_t arrayMiB = args.budget.arrayBytes >> 20;
  app.add_option(kPolygonBudgetOption, args.budget.polygons,
                 "Most mesh faces a document may place, blocks expanded (default: 10000000)")
      ->option_text("N");
  app.add_option(kObjectBudgetOption, args.budget.objects,
                 "Most objects a document may place, blocks expanded (default: 1000000)")
      ->option_text("N");
  app.add_option(kArrayBudgetOption, arrayMiB,
                 "Most MiB of binary arrays a document may refer to (default: 512)")
      ->check(CLI::Range(std::uint64_t{1}, std::uint64_t{1} << 40))
      ->option_text("N");
  double converterSeconds = double(args.converterLimit.count());
  app.add_option("--converter-time-limit", converterSeconds,
                 "Seconds the .3dm converter may take (default: 60)")
      ->check(CLI::Range(0.1, 86400.0))
      ->option_text("SECONDS");

  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& done) {
    return app.exit(done);  // --help
  } catch (const CLI::ParseError& error) {
    return BadUsage(error.what());
  }
  args.budget.arrayBytes = arrayMiB << 20;
  args.converterLimit = std::chrono::milliseconds(std::llround(converterSeconds * 1000));
  if (groupingOption->count() > 0) args.options.grouping = GroupingModeNamed(grouping);
  if (singleLayerOption->count() > 0) args.options.singleLayer = singleLayer == "on";
  args.plugIn = AsFilePath(args.plugIn.empty() ? DefaultPlugInPath() : args.plugIn);
  if (args.inputs.size() == 1 && args.outputFolder.empty()) args.input = args.inputs.front();
  if (const std::string missing = MissingArgument(args); !missing.empty()) return BadUsage(missing);
  return std::nullopt;
}

/// Sets the export options asked for through the plug-in's options command, before the export.
/// Returns the exit status when the program ends here: 2 when they cannot be set, 130 when the
/// user pressed Ctrl-C in the options dialog.
std::optional<int> ApplyOptions(const OptionsRequest& request) {
  if (request.grouping || request.singleLayer) {
    if (std::string refused = chooseOptions(request.grouping, request.singleLayer);
        !refused.empty())
      return Fail(kBadUsage, refused);
  }
  if (request.dialog) {
    const TerminalDialogOutcome outcome = runOptionsDialogInTerminal();
    if (!outcome.refusal.empty()) return Fail(kBadUsage, outcome.refusal);
    if (outcome.interrupted) return Fail(kInterrupted, "interrupted; nothing was exported");
  }
  return std::nullopt;
}

void PrintInfo(const PlugInModule& module) {
  const PlugInInfo& info = module.Info();
  std::printf("Name:          %s\n", Utf8(info.name).c_str());
  std::printf("Version:       %s\n", info.version.Array());
  std::printf("Id:            %s\n", Utf8(info.id).c_str());
  std::printf("SDK version:   %d, service release %d\n", info.sdkVersion, info.sdkServiceRelease);
  std::printf("Organization:  %s\n", Utf8(info.organization).c_str());
  std::printf("Address:       %s\n", Utf8(info.address).c_str());
  std::printf("Country:       %s\n", Utf8(info.country).c_str());
  std::printf("Phone:         %s\n", Utf8(info.phone).c_str());
  std::printf("Fax:           %s\n", Utf8(info.fax).c_str());
  std::printf("E-mail:        %s\n", Utf8(info.email).c_str());
  std::printf("Web site:      %s\n", Utf8(info.website).c_str());
  std::printf("Update URL:    %s\n", Utf8(info.updateUrl).c_str());
  std::printf("Module:        %s\n", module.Path().c_str());
}

void PrintFileTypes(const PlugInModule& module) {
  for (int i = 0; i < module.FileTypes().Count(); ++i)
    std::printf("%s\n", Utf8(module.FileTypes()[i].Description()).c_str());
}

std::string ExtensionList(const PlugInModule& module) {
  std::string out;
  for (int i = 0; i < module.FileTypes().Count(); ++i)
    out += (i == 0 ? "." : " or .") + Utf8(module.FileTypes()[i].Extension());
  return out;
}

/// Exports the document or model `args.input`; `conversion`, when not null, is the model's
/// conversion, already under way.
int Export(PlugInModule& module, const HostArguments& args, ModelConversion* conversion) {
  // The host hands plug-ins full paths, as its file dialogs do.
  const std::filesystem::path target = std::filesystem::absolute(args.output).lexically_normal();
  const ON_wString targetName(target.string().c_str());
  const int fileType = module.FileTypeIndexFor(targetName);
  if (fileType < 0)
    return BadUsage("the output file name must end in " + ExtensionList(module) + ", got " +
                    args.output);

  CRhinoDoc doc;
  // A model's embedded images stay in this folder until the plug-in has copied them.
  std::optional<TemporaryFolder> converted;
  const bool model = conversion != nullptr || IsModelFile(args.input);
  using Stage = ActivityIndicator::Stage;
  ActivityIndicator::BeginModel(1, 1, args.input, model ? Stage::reading : Stage::loading);
  if (conversion != nullptr)
    converted.emplace(conversion->Load(doc, args.budget));
  else if (model)
    converted.emplace(LoadModelFile(args.input, doc, args.budget, args.converterLimit));
  else
    LoadDocumentFile(args.input, doc, args.budget);
  const std::string failure = ExportDocument(module, doc, target, fileType, args.selectedOnly);
  return failure.empty() ? kExported : Fail(kExportFailed, failure);
}

/// --output-dir: every model as its own scene in the folder.
int ExportModels(PlugInModule& module, const HostArguments& args) {
  std::error_code ignored;
  if (!std::filesystem::is_directory(args.outputFolder, ignored))
    return BadUsage("--output-dir " + args.outputFolder + ": no such folder");
  try {
    BatchRequest request{BatchModels(args.inputs), args.outputFolder, args.jobs,
                         args.selectedOnly,        args.budget,       args.converterLimit};
    const int status = ExportBatch(module, request);
    if (status > 128) Fail(status, "interrupted; the scenes written so far stay");
    return status;
  } catch (const BatchUsageError& error) {
    return BadUsage(error.what());
  }
}

/// --print-document: the document read from a .3dm model, on standard output.
int PrintDocument(const HostArguments& args) {
  try {
    const std::string text = ModelDocumentText(args.input, args.converterLimit);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? kExported : Fail(kExportFailed, "cannot write the document");
  } catch (const DocumentError& error) {
    return Fail(kBadUsage, error.what());
  } catch (const Interrupted& stop) {
    return Fail(128 + stop.signal(), stop.what());
  }
}

int LoadAndRun(const HostArguments& args) {
  if (args.printDocument) return PrintDocument(args);
  try {
    // A model's converter reads it while the module loads; not while the options dialog waits
    // for the user, whose Ctrl-C is the dialog's.
    std::optional<ModelConversion> conversion;
    if (!args.input.empty() && !args.options.dialog && IsModelFile(args.input))
      conversion.emplace(args.input, args.converterLimit);
    PlugInModule module(args.plugIn);
    if (args.version) {
      std::printf("orvexport %s\nplug-in %s\nscene format %s\n", ORV_TOOL_VERSION,
                  module.Info().version.Array(), ORV_SCENE_FORMAT_VERSION);
    }
    if (args.info) PrintInfo(module);
    if (args.listFileTypes) PrintFileTypes(module);
    std::fflush(stdout);
    if (const std::optional<int> ended = ApplyOptions(args.options)) return *ended;
    if (!args.outputFolder.empty()) return ExportModels(module, args);
    if (args.input.empty()) return kExported;
    return Export(module, args, conversion ? &*conversion : nullptr);
  } catch (const PlugInLoadError& error) {
    return Fail(kBadUsage, error.what());
  } catch (const DocumentError& error) {
    return Fail(kBadUsage, error.what());
  } catch (const Interrupted& stop) {  // during a .3dm conversion: 130 or 143, as a shell reports
    return Fail(128 + stop.signal(), stop.what());
  } catch (const std::bad_alloc&) {  // only reading the document gets here
    return Fail(kBadUsage, args.input + ": out of memory while reading the document");
  }
}

}  // namespace

int main(int argc, char** argv) {
  // The host's own module state is current whenever the plug-in is not running.
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  HostArguments args;
  if (const std::optional<int> status = ParseArguments(argc, argv, args)) return *status;

  if (args.quiet) ActivityIndicator::SilenceWarnings();
  RhinoHost::SetCommandLineSink(ActivityIndicator::WriteCommandLine);
  int status = kExported;
  {
    ActivityIndicator indicator;
    status = LoadAndRun(args);
  }
  RhinoHost::SetCommandLineSink({});
  return status;
}
