#include "orv/ReferenceCheck.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace QzOrv::scene {
namespace {

// Both halves count: ids written by hand or by a generator often differ only in their last bytes,
// and hashing the first half alone would put them all in one bucket.
struct IdHash {
  std::size_t operator()(const OrvId& id) const {
    std::uint64_t prefix = 0, suffix = 0;
    std::memcpy(&prefix, id.bytes, sizeof prefix);
    std::memcpy(&suffix, id.bytes + sizeof prefix, sizeof suffix);
    return static_cast<std::size_t>(prefix ^ (suffix * 0x9E3779B97F4A7C15ULL));
  }
};
using IdSet = std::unordered_set<OrvId, IdHash>;

template <class Element>
IdSet idsOf(const StableList<Element>& elements) {
  IdSet ids;
  for (const Element& element : elements) ids.insert(element.id);
  return ids;
}

bool cornerCountIsBad(std::size_t corners) {
  return corners < 3 || corners > 4;
}
bool vertexIsBad(int vertex, std::size_t vertexCount) {
  return vertex < 0 || static_cast<std::size_t>(vertex) >= vertexCount;
}
bool materialIsBad(const std::optional<int>& material, std::size_t materialCount) {
  return material && (*material < 0 || static_cast<std::size_t>(*material) >= materialCount);
}

/// "objectInstances[3] "Chair"", or "(unnamed)" in place of a name never set.
std::string describe(const char* list, std::size_t index, const std::optional<std::string>& name) {
  return std::string(list) + "[" + std::to_string(index) + "] " +
         (name ? "\"" + *name + "\"" : std::string("(unnamed)"));
}

class Checker {
 public:
  explicit Checker(const Scene& scene)
      : scene_(scene),
        definitionIds_(idsOf(scene.objectDefinitions)),
        layerIds_(idsOf(scene.layers)) {
    for (const Heliodon& heliodon : scene.heliodons) {
      if (heliodon.name) heliodonNames_.insert(*heliodon.name);
    }
  }

  std::vector<std::string> run() {
    for (std::size_t i = 0; i < scene_.objectDefinitions.size(); ++i) checkDefinition(i);
    for (std::size_t i = 0; i < scene_.objectInstances.size(); ++i) checkInstance(i);
    for (std::size_t i = 0; i < scene_.views.size(); ++i) {
      const View& view = scene_.views[i];
      checkSettings(describe("views", i, view.name), view.settings);
    }
    for (std::size_t i = 0; i < scene_.cameras.size(); ++i) {
      const Camera& camera = scene_.cameras[i];
      checkSettings(describe("cameras", i, camera.name), camera.settings);
    }
    return std::move(problems_);
  }

 private:
  void report(const std::string& element, const std::string& problem) {
    problems_.push_back(element + ": " + problem);
  }

  void checkDefinition(std::size_t index) {
    const ObjectDefinition& definition = scene_.objectDefinitions[index];
    const std::size_t vertexCount = definition.vertices.size();
    const std::size_t materialCount = definition.materials.size();
    // Messages are composed only for a polygon found wrong: a sound definition of millions of
    // polygons costs a few comparisons each.
    std::size_t p = 0;
    definition.polygons.forEach([&](const PolygonRef& polygon) {
      if (cornerCountIsBad(polygon.vertexIndices.size()) ||
          std::ranges::any_of(polygon.vertexIndices,
                              [&](int vertex) { return vertexIsBad(vertex, vertexCount); }) ||
          materialIsBad(polygon.materialIndex, materialCount)) {
        reportPolygon(index, p, vertexCount, materialCount);
      }
      ++p;
    });
  }

  void reportPolygon(std::size_t index, std::size_t p, std::size_t vertexCount,
                     std::size_t materialCount) {
    const ObjectDefinition& definition = scene_.objectDefinitions[index];
    const PolygonRef polygon = definition.polygons[p];
    const std::string element =
        describe("objectDefinitions", index, definition.name) + ", polygon " + std::to_string(p);
    const std::size_t corners = polygon.vertexIndices.size();
    if (cornerCountIsBad(corners)) {
      report(element, std::to_string(corners) + " vertex indices, where a polygon has 3 or 4");
    }
    for (int vertex : polygon.vertexIndices) {
      if (vertexIsBad(vertex, vertexCount)) {
        report(element, "vertex index " + std::to_string(vertex) + " is outside the " +
                            std::to_string(vertexCount) + " vertices");
      }
    }
    const std::optional<int>& material = polygon.materialIndex;
    if (materialIsBad(material, materialCount)) {
      report(element, "material index " + std::to_string(*material) + " is outside the " +
                          std::to_string(materialCount) + " materials");
    }
  }

  void checkInstance(std::size_t index) {
    const ObjectInstance& instance = scene_.objectInstances[index];
    // Named only when something is wrong: scenes hold an instance per object.
    auto element = [&] { return describe("objectInstances", index, instance.name); };
    const std::optional<OrvId>& definition = instance.definitionLink.definition;
    if (!definition) {
      report(element(), "no definition is set");
    } else if (!definitionIds_.contains(*definition)) {
      report(element(), "definition id " + formatId(*definition) + " names no object definition");
    }
    const std::optional<OrvId>& layer = instance.layer;
    if (layer && !isNil(*layer) && !layerIds_.contains(*layer)) {
      report(element(), "layer id " + formatId(*layer) + " names no layer");
    }
  }

  void checkSettings(const std::string& element, const ViewSettings& settings) {
    if (settings.heliodon && !heliodonNames_.contains(*settings.heliodon)) {
      report(element, "heliodon \"" + *settings.heliodon + "\" names no heliodon");
    }
    for (const OrvId& layer : settings.visibleLayers) {
      if (!layerIds_.contains(layer)) {
        report(element, "visible layer id " + formatId(layer) + " names no layer");
      }
    }
  }

  const Scene& scene_;
  IdSet definitionIds_;
  IdSet layerIds_;
  std::unordered_set<std::string> heliodonNames_;
  std::vector<std::string> problems_;
};

}  // namespace

std::vector<std::string> checkReferences(const Scene& scene) {
  return Checker(scene).run();
}

}  // namespace QzOrv::scene
