// The reference check run before a save: ids, names and indices in the scene that point at
// nothing, each described in one message naming the element and the bad value.
#pragma once

#include <string>
#include <vector>

#include "orv/SceneModel.h"

namespace QzOrv::scene {

/// Returns one message per broken reference, in list order: an instance without a definition or
/// whose definition id names no object definition; an instance layer id that is neither nil nor
/// a layer; a polygon with fewer than 3 or more than 4 vertex indices, with a vertex index
/// outside the definition's vertices, or with a set material index outside its materials; a view
/// or camera whose set heliodon name names no heliodon; a visible layer id that names no layer.
/// Each message names the list, the element's index and name, and the bad value.
std::vector<std::string> checkReferences(const Scene& scene);

}  // namespace QzOrv::scene
