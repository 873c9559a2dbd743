// orvdump: prints a scene file as a readable summary, or with --json as one JSON object; writes it
// as a binary glTF file with --gltf, or a shaded picture with --preview.
// Exit status in every mode: 0 done, 1 the output (standard output, or the file of -o) cannot be
// written, 2 bad usage or a scene file that cannot be read (nothing is written then).

#include <CLI/CLI.hpp>
#include <charconv>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "common/OutputReplacement.h"
#include "gltf/GltfExport.h"
#include "json/SceneJson.h"
#include "orv/SceneFileReader.h"
#include "preview/Preview.h"
#include "summary/SceneSummary.h"

namespace {

using namespace QzOrv::scene;

/// "WxH" with both sides from 1 to kMaxPictureSide, or nothing.
std::optional<PictureSize> parseSize(const std::string& text) {
  PictureSize size;
  const char* end = text.data() + text.size();
  auto [afterWidth, widthError] = std::from_chars(text.data(), end, size.width);
  if (widthError != std::errc() || afterWidth == end ||
      (*afterWidth != 'x' && *afterWidth != 'X')) {
    return std::nullopt;
  }
  auto [afterHeight, heightError] = std::from_chars(afterWidth + 1, end, size.height);
  if (heightError != std::errc() || afterHeight != end) return std::nullopt;
  if (size.width < 1 || size.width > kMaxPictureSide || size.height < 1 ||
      size.height > kMaxPictureSide) {
    return std::nullopt;
  }
  return size;
}

constexpr int kDone = 0;
constexpr int kNotWritten = 1;
constexpr int kBadInput = 2;  // bad usage, or a scene file that cannot be read

struct Request {
  std::string scenePath;
  std::string outputPath;
  bool gltf = false;
  bool quiet = false;
  bool externalImages = false;
  double creaseDegrees = kDefaultCreaseDegrees;
  PictureSize size;
};

/// Writes the glTF file or the picture of `scene` that the request asks for.
int writeOutput(const Request& request, const Scene& scene) {
  std::vector<std::string> warnings;
  try {
    if (request.gltf) {
      const GltfOptions options{request.externalImages, request.creaseDegrees};
      warnings = writeGltf(scene, request.scenePath, request.outputPath, options);
    } else {
      const PreviewOptions options{std::filesystem::path(request.scenePath).parent_path(),
                                   request.creaseDegrees};
      writePng(renderPreview(scene, request.size, warnings, options), request.outputPath);
    }
  } catch (const OutputError& error) {
    std::cerr << "orvdump: " << error.what() << '\n';
    return kNotWritten;
  }
  if (request.quiet) return kDone;
  for (const std::string& warning : warnings) {
    std::cerr << "orvdump: warning: " << request.scenePath << ": " << warning << '\n';
  }
  return kDone;
}

/// The summary, or the JSON with `json`, on standard output.
int printScene(const Scene& scene, bool json) {
  if (json) {
    printSceneJson(std::cout, scene);
  } else {
    writeSummary(std::cout, scene);
  }
  if (!std::cout.flush()) {
    std::cerr << "orvdump: cannot write to standard output\n";
    return kNotWritten;
  }
  return kDone;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Prints a scene file: a readable summary, or with --json the whole scene as JSON. "
      "Writes it as a binary glTF file (--gltf) or a shaded PNG picture (--preview).",
      "orvdump"};
  Request request;
  bool json = false, preview = false;
  std::string sizeText;
  app.set_version_flag("--version",
                       std::string("orvdump ") + ORV_TOOL_VERSION + "\nplug-in " +
                           ORV_TOOL_VERSION + "\nscene format " + ORV_SCENE_FORMAT_VERSION,
                       "Print the versions of orvdump, of the plug-in it belongs with and of the "
                       "scene format it reads, and exit");
  app.add_option("FILE", request.scenePath, "Scene file to read")->required();
  app.add_flag("-q,--quiet", request.quiet,
               "With --gltf or --preview: print no warnings about what was left out");
  CLI::Option* jsonFlag = app.add_flag("--json", json, "Print the whole scene as one JSON object");
  CLI::Option* gltfFlag =
      app.add_flag("--gltf", request.gltf, "Write the scene as a binary glTF file to -o");
  CLI::Option* previewFlag =
      app.add_flag("--preview", preview, "Write a shaded picture of the scene as a PNG file to -o");
  CLI::Option* output =
      app.add_option("-o,--output", request.outputPath, "File that --gltf or --preview writes");
  app.add_flag("--external-images", request.externalImages,
               "With --gltf: refer to PNG and JPEG texture images where they are instead of "
               "putting them into the file")
      ->needs(gltfFlag);
  CLI::Option* crease =
      app.add_option("--crease-angle", request.creaseDegrees,
                     "With --gltf or --preview: faces meeting at less than this angle in degrees "
                     "look smooth (30)")
          ->check(CLI::Range(0.0, 180.0));
  app.add_option("--size", sizeText, "With --preview: the picture's size, WxH pixels (800x600)")
      ->needs(previewFlag)
      ->check(
          [](const std::string& text) {
            return parseSize(text) ? std::string()
                                   : "expected WxH, each from 1 to " +
                                         std::to_string(kMaxPictureSide) + " pixels";
          },
          "WxH");
  jsonFlag->excludes(gltfFlag)->excludes(previewFlag);
  gltfFlag->excludes(previewFlag)->needs(output);
  previewFlag->needs(output);
  try {
    app.parse(argc, argv);
    for (const CLI::Option* option : {output, crease}) {
      if (option->count() > 0 && !request.gltf && !preview) {
        throw CLI::ValidationError(option->get_name(), "needs --gltf or --preview");
      }
    }
  } catch (const CLI::Success& done) {
    return app.exit(done);  // --help and --version
  } catch (const CLI::ParseError& error) {
    std::cerr << "orvdump: " << error.what() << "\nRun with --help for more information.\n";
    return kBadInput;
  }

  Scene scene;
  try {
    scene = readSceneFile(request.scenePath);
  } catch (const SceneFileError& error) {
    std::cerr << "orvdump: " << error.what() << '\n';
    return kBadInput;
  }
  if (request.gltf || preview) {
    if (!sizeText.empty()) request.size = *parseSize(sizeText);
    return writeOutput(request, scene);
  }
  return printScene(scene, json);
}
