// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "materials/MaterialEquivalence.h"

#include "export/SceneExporter.h"

namespace {

bool sameColours(const ON_Material& a, const ON_Material& b) {
  const ON_Color coloursA[] = {a.m_ambient,  a.m_diffuse,    a.m_emission,
                               a.m_specular, a.m_reflection, a.m_transparent};
  const ON_Color coloursB[] = {b.m_ambient,  b.m_diffuse,    b.m_emission,
                               b.m_specular, b.m_reflection, b.m_transparent};
  for (int i = 0; i < 6; ++i) {
    if (static_cast<unsigned int>(coloursA[i]) != static_cast<unsigned int>(coloursB[i]))
      return false;
  }
  return true;
}

// The stored file name of the first bitmap texture, or null when there is none.
const wchar_t* firstBitmapFile(const ON_Material& material) {
  const int index = material.FindTexture(nullptr, ON_Texture::bitmap_texture, -1);
  return index >= 0 ? material.m_textures[index].m_filename.Array() : nullptr;
}

}  // namespace

bool MaterialsMatch(const ON_Material& a, const ON_Material& b) {
  if (a.Compare(b) == 0) return true;
  if (ON_wString(a.MaterialName()).Compare(b.MaterialName()) != 0) return false;
  if (!sameColours(a, b)) return false;
  if (!(a.Transparency() == b.Transparency())) return false;  // NaN never equals
  const wchar_t* textureA = firstBitmapFile(a);
  const wchar_t* textureB = firstBitmapFile(b);
  if (textureA == nullptr || textureB == nullptr) return textureA == textureB;
  return ON_wString(textureA).CompareNoCase(textureB) == 0;
}

bool SceneExporter::IsMaterialExported(const ON_Material& material) const {
  for (int i = 0; i < exportedMaterials.Count(); ++i) {
    if (exportedMaterials[i] != nullptr && MaterialsMatch(material, *exportedMaterials[i]))
      return true;
  }
  return false;
}
