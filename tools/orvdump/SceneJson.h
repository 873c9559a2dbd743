// The whole scene as JSON for orvdump --json: keys named after the interface's setters, every
// value never set left out. docs/orvdump-json.md describes the schema.
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>

#include "orv/SceneModel.h"

namespace QzOrv::scene {

/// The scene as one JSON object with the keys creator (absent when never set), layers,
/// objectDefinitions, objectInstances, lights, heliodons, views and cameras, in this order.
nlohmann::ordered_json sceneToJson(const Scene& scene);

/// Prints `json` indented by two spaces per level, keeping every array of plain values (a point,
/// a colour, vertex indices) on one line, and ending with a newline. Text that is not valid
/// UTF-8 is printed with U+FFFD in place of the bad bytes.
void printJson(std::ostream& out, const nlohmann::ordered_json& json);

}  // namespace QzOrv::scene
