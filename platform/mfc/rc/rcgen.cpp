// mfc_rcgen: compiles the dialog templates of a resource script into C++ source for the module
// that links it. Usage: mfc_rcgen SCRIPT.rc OUTPUT.cpp; a malformed script fails with its place.
#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>

#include "ResourceScript.h"

int main(int argc, char** argv) {
  CLI::App app{"Compiles the dialog templates of a resource script into C++ source."};
  std::filesystem::path script;
  std::filesystem::path output;
  app.add_option("script", script, "the resource script (.rc)")->required();
  app.add_option("output", output, "the C++ source to write")->required();
  CLI11_PARSE(app, argc, argv);

  try {
    const std::string source =
        rcscript::generateSource(rcscript::read(script), script.filename().string());
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out << source;
    if (!out.flush()) {
      std::cerr << output.string() << ": cannot write the generated source\n";
      return 1;
    }
  } catch (const rcscript::Error& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  return 0;
}
