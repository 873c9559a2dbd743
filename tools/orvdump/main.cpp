// orvdump: prints a scene file as a readable summary, or with --json as one JSON object.
// Exit status: 0 printed, 1 the file cannot be read as a scene, 2 bad usage.

#include <CLI/CLI.hpp>
#include <iostream>
#include <string>

#include "SceneJson.h"
#include "SceneSummary.h"
#include "orv/SceneFileReader.h"

int main(int argc, char** argv) {
  CLI::App app{"Prints a scene file: a readable summary, or with --json the whole scene as JSON.",
               "orvdump"};
  std::string path;
  bool json = false;
  app.add_option("FILE", path, "Scene file to read")->required();
  app.add_flag("--json", json, "Print the whole scene as one JSON object");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // --help reports success through the same exception; every real parse error is usage.
    return app.exit(error) == 0 ? 0 : 2;
  }

  try {
    const QzOrv::scene::Scene scene = QzOrv::scene::readSceneFile(path);
    if (json) {
      QzOrv::scene::printJson(std::cout, QzOrv::scene::sceneToJson(scene));
    } else {
      QzOrv::scene::writeSummary(std::cout, scene);
    }
  } catch (const QzOrv::scene::SceneFileError& error) {
    std::cerr << "orvdump: " << error.what() << '\n';
    return 1;
  }
  return 0;
}
