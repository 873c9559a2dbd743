// The whole scene as JSON for orvdump --json: keys named after the interface's setters, every
// value never set left out. docs/orvdump-json.md describes the schema.
#pragma once

#include <ostream>

#include "orv/SceneModel.h"

namespace QzOrv::scene {

/// Prints `scene` to `out` as one JSON object with the keys creator (absent when never set),
/// layers, objectDefinitions, objectInstances, lights, heliodons, views and cameras, in this
/// order, indented by two spaces per level with every array of plain values (a point, a colour,
/// vertex indices) on one line, and a final newline. Text that is not valid UTF-8 is printed with
/// U+FFFD in place of the bad bytes. The text is written as the scene is walked, so memory stays
/// that of the scene alone whatever its size.
void printSceneJson(std::ostream& out, const Scene& scene);

}  // namespace QzOrv::scene
