// ON_Color and ON_Material.
#include <cstring>

#include "../../common/src/PlatformText.h"
#include "opennurbs_material.h"

ON_Color::ON_Color(int red, int green, int blue, int alpha)
    : m_color((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16) |
              (static_cast<unsigned int>(alpha & 0xFF) << 24)) {}

void ON_Color::SetRGB(int red, int green, int blue) {
  *this = ON_Color(red, green, blue, 0);
}

ON_Material::ON_Material() = default;

namespace {

template <class T>
int Order(const T& a, const T& b) {
  return a < b ? -1 : b < a ? 1 : 0;
}

int CompareTextures(const ON_Texture& a, const ON_Texture& b) {
  if (int c = ON_UuidCompare(a.m_texture_id, b.m_texture_id)) return c;
  if (int c = Order(a.m_mapping_channel_id, b.m_mapping_channel_id)) return c;
  if (int c = a.m_filename.Compare(b.m_filename)) return c;
  if (int c = Order(a.m_bFilenameRelative, b.m_bFilenameRelative)) return c;
  if (int c = Order(a.m_bOn, b.m_bOn)) return c;
  return Order(a.m_type, b.m_type);
}

}  // namespace

int ON_Material::Compare(const ON_Material& other) const {
  if (int c = platform_text::Compare(m_material_name, other.m_material_name)) return c;
  if (int c = Order(m_material_index, other.m_material_index)) return c;
  const ON_Color colors[] = {m_ambient,  m_diffuse,    m_emission,
                             m_specular, m_reflection, m_transparent};
  const ON_Color other_colors[] = {other.m_ambient,  other.m_diffuse,    other.m_emission,
                                   other.m_specular, other.m_reflection, other.m_transparent};
  for (int i = 0; i < 6; ++i)
    if (int c = Order<unsigned int>(colors[i], other_colors[i])) return c;
  if (int c = Order(m_index_of_refraction, other.m_index_of_refraction)) return c;
  if (int c = Order(m_reflectivity, other.m_reflectivity)) return c;
  if (int c = Order(m_shine, other.m_shine)) return c;
  if (int c = Order(m_transparency, other.m_transparency)) return c;
  if (int c = Order(m_textures.Count(), other.m_textures.Count())) return c;
  for (int i = 0; i < m_textures.Count(); ++i)
    if (int c = CompareTextures(m_textures[i], other.m_textures[i])) return c;
  return 0;
}

int ON_Material::FindTexture(const wchar_t* filename, ON_Texture::TYPE type, int i0) const {
  for (int i = i0 < 0 ? 0 : i0 + 1; i < m_textures.Count(); ++i) {
    const ON_Texture& texture = m_textures[i];
    if (texture.m_type != type) continue;
    if (!filename || texture.m_filename.CompareNoCase(filename) == 0) return i;
  }
  return -1;
}
