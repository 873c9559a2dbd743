// The per-scene state every element implementation reaches: the scene model it writes into and
// the source of element ids, which makes ids unique within the scene and the same on every run.
#pragma once

#include <cstdint>

#include "orv/ORV6.h"
#include "orv/SceneModel.h"

namespace QzOrv::scene {

/// Kinds of elements that carry an id; the kind is mixed into the id.
enum class ElementKind : std::uint8_t {
  Layer = 1,
  ObjectDefinition,
  ObjectInstance,
  Material,
  Light,
  Heliodon,
  View,
  Camera,
};

/// Hands out element ids in creation order. Ids look like version-4 GUIDs but are derived from a
/// per-scene counter through a fixed bijective mix, so the same sequence of element creations
/// always gives the same ids, and no two ids of one scene are equal.
class IdSource {
 public:
  OrvId next(ElementKind kind);

 private:
  std::uint64_t created_ = 0;
};

struct ElementContext {
  explicit ElementContext(Scene& scene_) : scene(scene_) {}
  /// The manager's scene; outlives every element.
  Scene& scene;
  IdSource ids;
};

}  // namespace QzOrv::scene
