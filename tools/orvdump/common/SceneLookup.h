// Finding the elements that others refer to by id, and naming elements in orvdump's warnings.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "orv/SceneModel.h"

namespace QzOrv::scene {

/// `list[index] "name"`, or `list[index] (unnamed)` for an element without a name.
std::string elementLabel(const char* list, std::size_t index,
                         const std::optional<std::string>& name);

/// For each object instance, in order, the index of the object definition it places; nothing
/// when its definition is unset or names no definition of the scene.
std::vector<std::optional<std::size_t>> placedDefinitions(const Scene& scene);

/// The warning for instance `index`, which places no definition of the scene.
std::string unplacedInstanceWarning(const Scene& scene, std::size_t index);

/// The name of the layer `id` names, when it names a layer that has a name.
std::optional<std::string> layerName(const Scene& scene, const OrvId& id);

}  // namespace QzOrv::scene
