// MaterialExport: scene materials from host materials (SceneWriter::FillSceneMaterial's body). Owns
// the choice of the host material for an object or group, in or out of blocks, and the colours.
#pragma once

#include <cstdint>

#include "export/SceneWriter.h"
#include "plugin/stdafx.h"

/// The host material chosen for a scene material, and whether it is the host default.
struct HostMaterialChoice {
  const ON_Material* material;  // never null; a document row or the host default material
  bool isDefault;               // no document material applied
};

/// The host material for `attributes`: an enclosing block instance's material (top of
/// materialStack, when 0 or more) wins; otherwise the material source decides (the layer's
/// render material, made on demand in the layer registry; the parent's from materialStack, or
/// the layer's outside any block instance; or the object's own index). An index outside
/// documentMaterials gives the host default.
HostMaterialChoice chooseHostMaterial(SceneWriter& writer,
                                      const ON_3dmObjectAttributes& attributes);

/// A real channel value as a colour byte: truncated toward zero, with values below 0 (and NaN)
/// giving 0 and values of 255 or more giving 255.
std::uint8_t colourByte(double value);

/// The scene record of a host colour with each channel, alpha included, times `factor` (the
/// material's opacity, 1 - transparency).
QzOrv::OrvColor scaledColour(const ON_Color& colour, double factor);

/// The scene's transparency record: alpha 0, and red, green and blue each transparency × 255
/// (0 opaque to 1 fully transparent).
QzOrv::OrvColor transparencyRecord(double transparency);
