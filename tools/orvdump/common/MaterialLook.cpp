#include "common/MaterialLook.h"

#include <algorithm>

namespace QzOrv::scene {

Rgb displayColour(const Material* material) {
  if (material == nullptr || !material->diffuse) return kDefaultColour;
  return {material->diffuse->r, material->diffuse->g, material->diffuse->b};
}

double opacity(const Material& material) {
  if (!material.transparency) return 1;
  const OrvColor& t = *material.transparency;
  const double clear = (t.r + t.g + t.b) / (3 * 255.0);
  return std::clamp(1 - clear, 0.0, 1.0);
}

const Material* slotMaterial(const ObjectDefinition& definition, int slot) {
  if (slot < 0 || static_cast<std::size_t>(slot) >= definition.materials.size()) return nullptr;
  return &definition.materials[static_cast<std::size_t>(slot)];
}

}  // namespace QzOrv::scene
