#include "common/SceneLookup.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <map>

namespace QzOrv::scene {
namespace {

using IdKey = std::array<std::uint8_t, 16>;

IdKey keyOf(const OrvId& id) {
  IdKey key;
  std::copy(std::begin(id.bytes), std::end(id.bytes), key.begin());
  return key;
}

}  // namespace

std::string elementLabel(const char* list, std::size_t index,
                         const std::optional<std::string>& name) {
  return std::string(list) + "[" + std::to_string(index) + "] " +
         (name ? "\"" + *name + "\"" : "(unnamed)");
}

std::vector<std::optional<std::size_t>> placedDefinitions(const Scene& scene) {
  std::map<IdKey, std::size_t> indexOf;
  for (std::size_t i = 0; i < scene.objectDefinitions.size(); ++i) {
    indexOf.emplace(keyOf(scene.objectDefinitions[i].id), i);  // the first of equal ids wins
  }
  std::vector<std::optional<std::size_t>> placed;
  placed.reserve(scene.objectInstances.size());
  for (const ObjectInstance& instance : scene.objectInstances) {
    const std::optional<OrvId>& definition = instance.definitionLink.definition;
    const auto found = definition ? indexOf.find(keyOf(*definition)) : indexOf.end();
    placed.push_back(found == indexOf.end() ? std::nullopt : std::optional(found->second));
  }
  return placed;
}

std::string unplacedInstanceWarning(const Scene& scene, std::size_t index) {
  const ObjectInstance& instance = scene.objectInstances[index];
  const std::string what = elementLabel("objectInstances", index, instance.name);
  if (!instance.definitionLink.definition) return what + ": it places no definition";
  return what + ": its definition " + formatId(*instance.definitionLink.definition) +
         " names no object definition";
}

std::optional<std::string> layerName(const Scene& scene, const OrvId& id) {
  for (const Layer& layer : scene.layers) {
    if (layer.id == id) return layer.name;
  }
  return std::nullopt;
}

}  // namespace QzOrv::scene
