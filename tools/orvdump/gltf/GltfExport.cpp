// The glTF JSON is built here and only here, so the JSON library's header stays in this one
// translation unit of the export.
#include "gltf/GltfExport.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <numbers>
#include <optional>

#include "common/MaterialLook.h"
#include "common/Picture.h"
#include "common/SceneLookup.h"
#include "common/SceneMeshes.h"
#include "common/SceneSpace.h"
#include "common/TextureImage.h"
#include "common/TextureLookup.h"
#include "common/TextureProjection.h"
#include "gltf/GlbFile.h"
#include "gltf/GltfPrimitives.h"

namespace QzOrv::scene {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr int kFloat = 5126;
constexpr int kUnsignedShort = 5123;
constexpr int kUnsignedInt = 5125;
constexpr int kArrayBuffer = 34962;
constexpr int kElementArrayBuffer = 34963;
constexpr int kTriangles = 4;
constexpr int kNoTexture = -1;

constexpr double kPerspectiveNear = 0.01;  // metres

/// A scene light's intensity 1 taken as a lamp giving 1000 lumen evenly all round: 1000 / 4π
/// candela for point and spot lights. A directional light of intensity 1 gives π lux, which
/// shows a white surface facing it at full white in a viewer without exposure control; a
/// surface facing a point light of intensity 1 from 5 m away gets about as much.
constexpr double kCandelaPerIntensity = 1000 / (4 * std::numbers::pi);
constexpr double kLuxPerIntensity = std::numbers::pi;

json vec3(const Vec3& v) {
  return json::array({v.x, v.y, v.z});
}

json linearColour(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return json::array({linearFromSrgb(r), linearFromSrgb(g), linearFromSrgb(b)});
}

class GltfBuilder {
 public:
  GltfBuilder(const Scene& scene, const fs::path& sceneFile, const fs::path& file,
              const GltfOptions& options)
      : scene_(scene),
        sceneFolder_(sceneFile.parent_path()),
        outputFolder_(fs::absolute(file).lexically_normal().parent_path()),
        options_(options) {}

  void build();

  json document;
  BinaryBuffer binary;
  std::vector<std::string> warnings;

 private:
  int push(const char* list, json entry);
  /// A buffer view of `values`, which the binary buffer takes over.
  template <class T>
  int addBufferView(std::vector<T> values, std::optional<int> target);
  /// An accessor of `count` elements of `type` (with `extra` keys) over all of `values`.
  template <class T>
  int addAccessor(std::vector<T> values, std::size_t count, int componentType, const char* type,
                  std::optional<int> target, json extra = json::object());
  int addIndices(const std::vector<std::uint32_t>& indices, std::size_t vertexCount);

  void addMeshes();
  std::optional<int> addMesh(const ObjectDefinition& definition, std::size_t index);
  /// A material of `material`'s colour and opacity, showing texture `texture` unless it is
  /// kNoTexture.
  int addMaterial(const Material& material, int texture);
  int defaultMaterial();
  std::optional<int> textureFor(const Material& material, const std::string& where);
  std::optional<int> addTexture(const fs::path& path, const std::string& where);

  void addInstances();
  void addLights();
  void addCameras();
  void addViews();
  int addNode(json node);

  const Scene& scene_;
  fs::path sceneFolder_;
  fs::path outputFolder_;
  GltfOptions options_;

  /// The mesh of each object definition, by index; nothing for one without triangles.
  std::vector<std::optional<int>> meshOfDefinition_;
  std::map<std::string, std::optional<int>> textureOfFile_;
  std::optional<int> defaultMaterial_;
  /// Box holding every mesh, in glTF space.
  Bounds bounds_;
  json sceneNodes_ = json::array();
  bool placesGeometry_ = false;
};

int GltfBuilder::push(const char* list, json entry) {
  json& entries = document[list];
  if (entries.is_null()) entries = json::array();
  entries.push_back(std::move(entry));
  return static_cast<int>(entries.size() - 1);
}

template <class T>
int GltfBuilder::addBufferView(std::vector<T> values, std::optional<int> target) {
  const std::size_t length = values.size() * sizeof(T);
  const std::size_t offset = binary.append(std::move(values));
  json view = {{"buffer", 0}, {"byteOffset", offset}, {"byteLength", length}};
  if (target) view["target"] = *target;
  return push("bufferViews", std::move(view));
}

template <class T>
int GltfBuilder::addAccessor(std::vector<T> values, std::size_t count, int componentType,
                             const char* type, std::optional<int> target, json extra) {
  json accessor = {{"bufferView", addBufferView(std::move(values), target)},
                   {"componentType", componentType},
                   {"count", count},
                   {"type", type}};
  accessor.update(extra);
  return push("accessors", std::move(accessor));
}

int GltfBuilder::addIndices(const std::vector<std::uint32_t>& indices, std::size_t vertexCount) {
  // Two bytes an index whenever they suffice: the file is smaller and quicker to write.
  if (vertexCount <= UINT16_MAX) {
    std::vector<std::uint16_t> narrow(indices.begin(), indices.end());
    return addAccessor(std::move(narrow), indices.size(), kUnsignedShort, "SCALAR",
                       kElementArrayBuffer);
  }
  return addAccessor(indices, indices.size(), kUnsignedInt, "SCALAR", kElementArrayBuffer);
}

void GltfBuilder::build() {
  document["asset"] = {{"version", "2.0"}, {"generator", "orvdump"}};
  addMeshes();
  addInstances();
  addLights();
  addCameras();
  addViews();
  document["scene"] = 0;
  json scene = json::object();
  if (!sceneNodes_.empty()) scene["nodes"] = sceneNodes_;
  document["scenes"] = json::array({scene});
  if (binary.size() > 0) document["buffers"] = json::array({{{"byteLength", binary.size()}}});
  if (!placesGeometry_) {
    warnings.push_back("the scene places no geometry: the glTF scene shows no mesh");
  }
}

void GltfBuilder::addMeshes() {
  for (std::size_t i = 0; i < scene_.objectDefinitions.size(); ++i) {
    const ObjectDefinition& definition = scene_.objectDefinitions[i];
    meshOfDefinition_.push_back(addMesh(definition, i));
  }
}

std::optional<int> GltfBuilder::addMesh(const ObjectDefinition& definition, std::size_t index) {
  const std::string where = elementLabel("objectDefinitions", index, definition.name);
  const DefinitionTriangles triangles = triangulate(definition);
  if (triangles.skippedPolygons > 0) {
    warnings.push_back(skippedPolygonsWarning(where, triangles.skippedPolygons));
  }
  if (triangles.slots.empty()) return std::nullopt;

  const VertexNormals normals(definition, triangles, options_.creaseDegrees);
  PrimitiveBuilder builder(definition, normals);
  json primitives = json::array();
  for (std::size_t s = 0; s < triangles.slots.size(); ++s) {
    const SlotTriangles& slot = triangles.slots[s];
    const Material* material = slotMaterial(definition, slot.slot);
    std::optional<TextureProjection> projection;
    int texture = kNoTexture;
    if (material != nullptr) {
      const std::string slotWhere = where + ", material " + std::to_string(slot.slot) +
                                    (material->name ? " \"" + *material->name + "\"" : "");
      texture = textureFor(*material, slotWhere).value_or(kNoTexture);
      if (texture != kNoTexture) projection = projectionOf(*material);
      if (texture != kNoTexture && !projection) {
        warnings.push_back(slotWhere + ": no projection places its texture; left out");
        texture = kNoTexture;
      }
    }
    PrimitiveArrays arrays =
        builder.build(slot, normals.vertexOfCorner[s], projection ? &*projection : nullptr);
    bounds_.add({arrays.min[0], arrays.min[1], arrays.min[2]});
    bounds_.add({arrays.max[0], arrays.max[1], arrays.max[2]});

    const std::size_t vertices = arrays.vertexCount();
    const int indices = addIndices(arrays.indices, vertices);
    json attributes = {
        {"POSITION", addAccessor(std::move(arrays.positions), vertices, kFloat, "VEC3",
                                 kArrayBuffer, {{"min", arrays.min}, {"max", arrays.max}})},
        {"NORMAL", addAccessor(std::move(arrays.normals), vertices, kFloat, "VEC3", kArrayBuffer)}};
    if (!arrays.textureCoordinates.empty()) {
      attributes["TEXCOORD_0"] =
          addAccessor(std::move(arrays.textureCoordinates), vertices, kFloat, "VEC2", kArrayBuffer);
    }
    const int materialIndex =
        material != nullptr ? addMaterial(*material, texture) : defaultMaterial();
    primitives.push_back({{"attributes", std::move(attributes)},
                          {"indices", indices},
                          {"material", materialIndex},
                          {"mode", kTriangles}});
  }
  json mesh = {{"primitives", std::move(primitives)}};
  if (definition.name) mesh["name"] = *definition.name;
  return push("meshes", std::move(mesh));
}

int GltfBuilder::addMaterial(const Material& material, int texture) {
  const double alpha = opacity(material);
  json pbr = {{"metallicFactor", 0.0}, {"roughnessFactor", 1.0}};
  if (texture != kNoTexture) {
    // The image gives the colour; the material adds only its opacity.
    pbr["baseColorFactor"] = {1.0, 1.0, 1.0, alpha};
    pbr["baseColorTexture"] = {{"index", texture}};
  } else {
    const Rgb colour = displayColour(&material);
    json factor = linearColour(colour.r, colour.g, colour.b);
    factor.push_back(alpha);
    pbr["baseColorFactor"] = std::move(factor);
  }
  json entry = {{"pbrMetallicRoughness", std::move(pbr)}, {"doubleSided", true}};
  if (material.name) entry["name"] = *material.name;
  if (alpha < 1) entry["alphaMode"] = "BLEND";
  return push("materials", std::move(entry));
}

int GltfBuilder::defaultMaterial() {
  if (!defaultMaterial_) {
    json factor = linearColour(kDefaultColour.r, kDefaultColour.g, kDefaultColour.b);
    factor.push_back(1.0);
    defaultMaterial_ =
        push("materials",
             {{"name", "Default material"},
              {"pbrMetallicRoughness",
               {{"baseColorFactor", factor}, {"metallicFactor", 0.0}, {"roughnessFactor", 1.0}}},
              {"doubleSided", true}});
  }
  return *defaultMaterial_;
}

std::optional<int> GltfBuilder::textureFor(const Material& material, const std::string& where) {
  const std::optional<fs::path> path =
      localTextureFile(material, sceneFolder_, where, "left out", warnings);
  if (!path) return std::nullopt;
  const std::string key = path->lexically_normal().string();
  const auto known = textureOfFile_.find(key);
  if (known != textureOfFile_.end()) return known->second;
  const std::optional<int> texture = addTexture(*path, where);
  textureOfFile_.emplace(key, texture);
  return texture;
}

std::optional<int> GltfBuilder::addTexture(const fs::path& path, const std::string& where) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) {
    warnings.push_back(where + ": texture file " + path.string() + " does not exist; left out");
    return std::nullopt;
  }
  const ImageKind kind = imageKindOf(path);
  json image = {{"name", path.filename().string()}};
  if (kind == ImageKind::other) {
    // glTF holds only PNG and JPEG images: any other the decoder reads goes in as PNG.
    std::string why;
    const std::optional<TextureImage> decoded = readTextureImage(path, why);
    const char* pngError = nullptr;
    std::vector<std::byte> png;
    if (decoded) {
      png = encodePng(decoded->width, decoded->height, 4, decoded->rgba.data(), pngError);
    }
    if (png.empty()) {
      warnings.push_back(where + ": texture file " + path.string() + " " +
                         (decoded ? std::string("cannot be made a PNG image: ") + pngError : why) +
                         "; left out");
      return std::nullopt;
    }
    image["bufferView"] = addBufferView(std::move(png), std::nullopt);
    image["mimeType"] = mimeTypeOf(ImageKind::png);
  } else if (!options_.externalImages) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) {
      warnings.push_back(where + ": texture file " + path.string() + " cannot be read; left out");
      return std::nullopt;
    }
    image["bufferView"] = addBufferView(std::move(bytes), std::nullopt);
    image["mimeType"] = mimeTypeOf(kind);
  } else {
    image["uri"] = relativeUri(fs::absolute(path).lexically_normal(), outputFolder_);
  }
  const int source = push("images", std::move(image));
  return push("textures", {{"source", source}});
}

int GltfBuilder::addNode(json node) {
  const int index = push("nodes", std::move(node));
  sceneNodes_.push_back(index);
  return index;
}

void GltfBuilder::addInstances() {
  const std::vector<std::optional<std::size_t>> placed = placedDefinitions(scene_);
  for (std::size_t i = 0; i < scene_.objectInstances.size(); ++i) {
    const ObjectInstance& instance = scene_.objectInstances[i];
    json node = json::object();
    if (instance.name) node["name"] = *instance.name;
    if (!placed[i]) {
      warnings.push_back(unplacedInstanceWarning(scene_, i) + "; its node has no mesh");
    } else if (const std::optional<int> mesh = meshOfDefinition_[*placed[i]]) {
      node["mesh"] = *mesh;
      placesGeometry_ = true;
    }
    if (instance.layer) {
      if (const std::optional<std::string> layer = layerName(scene_, *instance.layer)) {
        node["extras"] = {{"layer", *layer}};
      }
    }
    addNode(std::move(node));
  }
}

/// A node at `position` whose -Z axis points at `target` (straight down without one).
json aimedNode(const Vec3& position, const std::optional<Vec3>& target, double roll = 0) {
  std::optional<CameraFrame> frame;
  if (target) frame = lookAt(position, *target, roll);
  if (!frame) frame = lookAt({0, 0, 1}, {0, 0, 0});
  const std::array<double, 4> rotation = gltfRotation(*frame);
  return {{"translation", vec3(gltfPoint(position))}, {"rotation", rotation}};
}

void GltfBuilder::addLights() {
  if (scene_.lights.empty()) return;
  json lights = json::array();
  for (const Light& light : scene_.lights) {
    json entry = json::object();
    if (light.name) entry["name"] = *light.name;
    const OrvColor colour = light.color.value_or(OrvColor{255, 255, 255, 255});
    entry["color"] = linearColour(colour.r, colour.g, colour.b);
    double intensity = light.intensity.value_or(1);
    intensity = std::isfinite(intensity) ? std::max(0.0, intensity) : 1.0;
    const int type = light.type.value_or(0);
    entry["intensity"] =
        intensity * (type == 0 || type == 1 ? kCandelaPerIntensity : kLuxPerIntensity);
    if (type == 0) {
      entry["type"] = "point";
    } else if (type == 1) {
      entry["type"] = "spot";
      // Both angles run from the axis to the cone's edge; glTF wants at most a quarter turn.
      double angle = light.spotAngle.value_or(std::numbers::pi / 4);
      if (!std::isfinite(angle) || angle <= 0) angle = std::numbers::pi / 4;
      entry["spot"] = {{"innerConeAngle", 0.0},
                       {"outerConeAngle", std::min(angle, std::numbers::pi / 2)}};
    } else {
      entry["type"] = "directional";
    }
    lights.push_back(std::move(entry));

    const Vec3 position = light.position ? toVec3(*light.position) : Vec3{};
    json node = aimedNode(isFinite(position) ? position : Vec3{},
                          light.target ? std::optional(toVec3(*light.target)) : std::nullopt);
    if (light.name) node["name"] = *light.name;
    node["extensions"] = {{"KHR_lights_punctual", {{"light", lights.size() - 1}}}};
    addNode(std::move(node));
  }
  document["extensionsUsed"] = {"KHR_lights_punctual"};
  document["extensions"] = {{"KHR_lights_punctual", {{"lights", std::move(lights)}}}};
}

void GltfBuilder::addCameras() {
  for (const Camera& camera : scene_.cameras) {
    json entry = {{"type", "perspective"},
                  {"perspective",
                   {{"yfov", 2 * std::atan(halfViewTangent(camera.focal))},
                    {"aspectRatio", kCameraFrameAspect},
                    {"znear", kPerspectiveNear}}}};
    if (camera.name) entry["name"] = *camera.name;
    const int index = push("cameras", std::move(entry));
    const Vec3 eye = camera.eye ? toVec3(*camera.eye) : Vec3{};
    json node = aimedNode(isFinite(eye) ? eye : Vec3{},
                          camera.target ? std::optional(toVec3(*camera.target)) : std::nullopt,
                          camera.roll.value_or(0));
    node["camera"] = index;
    if (camera.name) node["name"] = *camera.name;
    if (camera.current) node["extras"] = {{"current", true}};
    addNode(std::move(node));
  }
}

void GltfBuilder::addViews() {
  for (const View& view : scene_.views) {
    const Vec3 eye = view.eye && isFinite(toVec3(*view.eye)) ? toVec3(*view.eye) : Vec3{};
    std::optional<CameraFrame> frame;
    if (view.target) frame = lookAt(eye, toVec3(*view.target));
    if (!frame) frame = lookAt({0, 0, 1}, {0, 0, 0});
    const Vec3 back = gltfDirection(frame->back);

    // A parallel view shows everything along its line of sight, but a glTF camera sees only
    // what lies in front of it: step back until the whole scene does.
    Vec3 position = gltfPoint(eye);
    double nearest = 0, farthest = 1;
    if (!bounds_.empty()) {
      nearest = HUGE_VAL;
      farthest = -HUGE_VAL;
      for (int corner = 0; corner < 8; ++corner) {
        const double depth = -dot(bounds_.corner(corner) - position, back);
        nearest = std::min(nearest, depth);
        farthest = std::max(farthest, depth);
      }
    }
    const double margin = 0.01 + 0.01 * (farthest - nearest);
    const double step = std::max(0.0, margin - nearest);
    position = position + back * step;
    const double far = std::max(farthest + step + margin, 2 * margin);

    // The field size is the diagonal of the viewed field; glTF wants half its width and height,
    // taken here for a 4:3 field.
    double diagonal = view.fieldSize.value_or(0) / 100;
    if (!std::isfinite(diagonal) || diagonal <= 0) {
      diagonal = bounds_.empty() ? 1.0 : 2 * std::max(bounds_.radius(), 0.01);
    }
    json entry = {
        {"type", "orthographic"},
        {"orthographic",
         {{"xmag", 0.4 * diagonal}, {"ymag", 0.3 * diagonal}, {"znear", 0.0}, {"zfar", far}}}};
    if (view.name) entry["name"] = *view.name;
    const int index = push("cameras", std::move(entry));
    json node = {{"translation", vec3(position)}, {"rotation", gltfRotation(*frame)}};
    node["camera"] = index;
    if (view.name) node["name"] = *view.name;
    addNode(std::move(node));
  }
}

}  // namespace

std::vector<std::string> writeGltf(const Scene& scene, const fs::path& sceneFile,
                                   const fs::path& file, const GltfOptions& options) {
  GltfBuilder builder(scene, sceneFile, file, options);
  builder.build();
  const std::string text = builder.document.dump(-1, ' ', false, json::error_handler_t::replace);
  writeGlbFile(file, text, builder.binary);
  return std::move(builder.warnings);
}

}  // namespace QzOrv::scene
