// How a scene material looks in orvdump's glTF export and preview: the colour a polygon shows
// and how opaque it is, with the defaults used when the material leaves them unset.
#pragma once

#include <cstdint>

#include "orv/SceneModel.h"

namespace QzOrv::scene {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

/// Light grey: the colour of polygons whose material sets no diffuse colour, or that have no
/// material.
inline constexpr Rgb kDefaultColour{192, 192, 192};

/// The material's diffuse colour (red, green, blue bytes, sRGB; its alpha byte is not opacity and
/// is ignored), or kDefaultColour when `material` is null or sets none.
Rgb displayColour(const Material* material);

/// 1 minus the material's transparency, from 0 clear to 1 opaque. The transparency record holds
/// the transparency in its red, green and blue bytes (0 opaque, 255 clear); their mean is used.
/// 1 when the material sets no transparency.
double opacity(const Material& material);

/// The material of slot `slot` of `definition`, or null for kNoSlot or a slot it does not have.
const Material* slotMaterial(const ObjectDefinition& definition, int slot);

}  // namespace QzOrv::scene
