#include "ExportTestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "orv/SceneFileWriter.h"

namespace QzOrv::test {
namespace {

class FileStream final : public IOrvWriteStream {
 public:
  explicit FileStream(const std::filesystem::path& path) : file_(path, std::ios::binary) {}
  void write(const void* bytes, std::uint64_t count) override {
    file_.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(count));
  }
  bool good() const { return file_.good(); }

 private:
  std::ofstream file_;
};

/// The full path of `program` found on PATH, or nothing.
std::optional<std::string> onPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return std::nullopt;
  std::istringstream folders(path);
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::nullopt;
}

}  // namespace

OrvId idNumber(std::uint8_t n) {
  OrvId id{};
  id.bytes[0] = n;
  id.bytes[15] = 0x5A;
  return id;
}

scene::Material colouredMaterial(const std::string& name, scene::Rgb colour) {
  scene::Material material;
  material.id = idNumber(250);
  material.name = name;
  material.diffuse = OrvColor{0, colour.r, colour.g, colour.b};
  return material;
}

scene::ObjectDefinition definitionOf(std::uint8_t id, const std::string& name,
                                     const std::vector<OrvPoint>& points,
                                     const std::vector<std::vector<int>>& polygons,
                                     const scene::Material& material) {
  scene::ObjectDefinition definition;
  definition.id = idNumber(id);
  definition.name = name;
  definition.materials.push_back(material);
  definition.vertices = points;
  for (const std::vector<int>& corners : polygons) {
    scene::Polygon polygon;
    polygon.materialIndex = 0;
    polygon.vertexIndices = corners;
    definition.polygons.push_back(polygon);
  }
  return definition;
}

scene::ObjectDefinition quadDefinition(std::uint8_t id, const std::string& name,
                                       const std::array<OrvPoint, 4>& corners, scene::Rgb colour) {
  return definitionOf(id, name, {corners.begin(), corners.end()}, {{0, 1, 2, 3}},
                      colouredMaterial(name, colour));
}

scene::ObjectInstance instanceOf(const scene::ObjectDefinition& definition, const std::string& name,
                                 std::optional<OrvId> layer) {
  scene::ObjectInstance instance;
  instance.id = definition.id;
  instance.id.bytes[1] = 0x11;  // distinct from the definition's id
  instance.name = name;
  instance.kind = "ModelObject";
  instance.definitionLink.definition = definition.id;
  instance.layer = layer;
  return instance;
}

scene::Camera cameraAt(const std::string& name, OrvPoint eye, OrvPoint target) {
  scene::Camera camera;
  camera.id = idNumber(240);
  camera.name = name;
  camera.eye = eye;
  camera.target = target;
  camera.focal = 50;
  return camera;
}

void saveScene(const scene::Scene& scene, const std::filesystem::path& file) {
  FileStream stream(file);
  ASSERT_TRUE(scene::writeSceneFile(scene, stream, {}));
  ASSERT_TRUE(stream.good()) << file;
}

Finished runOrvdump(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{ORVDUMP_PATH};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return RunProgram(argv);
}

Validation validateGltf(const std::filesystem::path& file) {
  const std::optional<std::string> node = onPath("node");
  if (!node) return {};
  const Finished finished = RunProgram({*node, VALIDATE_GLTF_SCRIPT, file.string()});
  return {true, finished.status, finished.out + finished.err};
}

}  // namespace QzOrv::test
