// mesh-compare: meshes the objects of .3dm models that carry the host's saved render meshes again
// with the exporter's mesher and prints, as a Markdown table, how far the two meshes differ.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
#include <vector>

#include "DocumentFile.h"
#include "MeshDocuments.h"
#include "ModelComparison.h"

// Exit status: 0 done, 1 the documents of --documents cannot be written, 2 bad usage or a model
// that cannot be read.
int main(int argc, char** argv) {
  CLI::App app{
      "Meshes every object of the .3dm models that carries the host's saved render meshes with\n"
      "the exporter's mesher (its quality settings) and prints a Markdown table of both meshes'\n"
      "triangles, their area ratio (ours/host), the largest two-sided distance between them and\n"
      "its 99th percentile (% of the object's diagonal), flipped triangles and closedness.",
      "mesh-compare"};
  std::vector<std::string> models;
  bool faces = false;
  app.add_option("models", models, ".3dm models")->required();
  app.add_flag("--faces", faces, "after the table, each object's faces and their largest distance");
  std::string documents;
  app.add_option("--documents", documents,
                 "also write both meshes as document files PREFIX-host.json and PREFIX-ours.json");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error) == 0 ? 0 : 2;  // bad usage: 2, as the other tools
  }

  std::vector<ComparisonRow> rows;
  for (const std::string& model : models) {
    try {
      std::vector<ComparisonRow> found = CompareModel(model);
      rows.insert(rows.end(), found.begin(), found.end());
    } catch (const std::exception& error) {
      std::fprintf(stderr, "mesh-compare: %s\n", error.what());
      return 2;
    }
  }
  std::fputs(MarkdownTable(rows).c_str(), stdout);
  if (!documents.empty()) try {
      WriteMeshDocuments(rows, documents);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "mesh-compare: %s\n", error.what());
      return 1;
    }
  if (faces)
    for (const ComparisonRow& row : rows)
      std::printf("\n%s %s:\n%s", row.file.c_str(), row.object.c_str(), FaceLines(row).c_str());
  return 0;
}
