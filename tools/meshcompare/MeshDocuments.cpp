// Writing the compared meshes as document files.
#include "MeshDocuments.h"

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace {

using nlohmann::json;

/// One mesh object per face of the set, its points those its triangles use.
void AddFaces(const TriangleSet& set, const std::string& name, json& objects) {
  std::map<int, json> faces;               // part -> mesh
  std::map<int, std::map<int, int>> used;  // part -> point -> index in its mesh
  for (std::size_t t = 0; t < set.TriangleCount(); ++t) {
    json& mesh = faces[set.Part(t)];
    auto& index = used[set.Part(t)];
    json face = json::array();
    for (int k = 0; k < 3; ++k) {
      const int point = set.Triangle(t)[k];
      const auto [it, added] = index.try_emplace(point, static_cast<int>(index.size()));
      if (added) {
        const ON_3dPoint& p = set.Point(point);
        mesh["vertices"].push_back({p.x, p.y, p.z});
      }
      face.push_back(it->second);
    }
    mesh["faces"].push_back(face);
  }
  for (auto& [part, mesh] : faces) {
    mesh["precision"] = "double";
    objects.push_back({{"name", name + " face " + std::to_string(part)}, {"mesh", mesh}});
  }
}

void Write(const json& document, const std::string& file) {
  std::ofstream out(file);
  out << document.dump() << '\n';
  if (!out.flush()) throw std::runtime_error(file + ": cannot be written");
}

}  // namespace

void WriteMeshDocuments(const std::vector<ComparisonRow>& rows, const std::string& prefix) {
  json host = {{"objects", json::array()}}, ours = {{"objects", json::array()}};
  for (const ComparisonRow& row : rows) {
    AddFaces(row.host, row.file + " " + row.object, host["objects"]);
    AddFaces(row.ours, row.file + " " + row.object, ours["objects"]);
  }
  Write(host, prefix + "-host.json");
  Write(ours, prefix + "-ours.json");
}
