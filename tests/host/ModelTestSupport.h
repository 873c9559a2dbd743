// Test support for .3dm models exported end to end: running orvexport on a model, and the open
// edges of an exported definition's polygons.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Subprocess.h"
#include "orv/SceneFileReader.h"

/// Exports `model` with orvexport into `folder`/NAME.orv in the grouping mode given ("single",
/// "material", "layer", "object") and reads the scene back. Fails the test when the export fails.
inline QzOrv::scene::Scene ExportModel(const std::string& model, const std::string& grouping,
                                       const std::filesystem::path& folder,
                                       std::vector<std::string> options = {}) {
  const std::string target =
      (folder / (std::filesystem::path(model).stem().string() + "-" + grouping + ".orv")).string();
  std::vector<std::string> argv{ORVEXPORT_PATH, "--grouping", grouping};
  argv.insert(argv.end(), options.begin(), options.end());
  argv.insert(argv.end(), {model, "-o", target});
  const Finished run = RunProgram(argv);
  EXPECT_EQ(run.status, 0) << model << " " << grouping << ": " << run.err;
  if (run.status != 0) return {};
  return QzOrv::scene::readSceneFile(target);
}

/// The edges of the definition's polygons that only one polygon uses, as vertex index pairs (a
/// closed surface has none).
inline std::vector<std::pair<int, int>> OpenEdges(
    const QzOrv::scene::ObjectDefinition& definition) {
  std::map<std::pair<int, int>, int> uses;
  for (const auto& polygon : definition.polygons) {
    const auto& v = polygon.vertexIndices;
    for (std::size_t k = 0; k < v.size(); ++k) {
      const int a = v[k], b = v[(k + 1) % v.size()];
      if (a != b) ++uses[{std::min(a, b), std::max(a, b)}];
    }
  }
  std::vector<std::pair<int, int>> open;
  for (const auto& [edge, count] : uses)
    if (count == 1) open.push_back(edge);
  return open;
}
