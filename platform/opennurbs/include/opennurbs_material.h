// Geometry-library colours, textures and materials: ON_Color, ON_Texture, ON_Material.
// Plain values owned by whoever holds them (a document's material table, a copy).
#pragma once

#include "opennurbs_array.h"
#include "opennurbs_string.h"
#include "opennurbs_uuid.h"

/// A colour packed as red in the lowest byte, then green, blue, alpha (0 opaque).
class ON_CLASS ON_Color {
 public:
  ON_Color() = default;
  ON_Color(int red, int green, int blue, int alpha = 0);
  explicit ON_Color(unsigned int packed) : m_color(packed) {}
  operator unsigned int() const { return m_color; }
  int Red() const { return m_color & 0xFF; }
  int Green() const { return (m_color >> 8) & 0xFF; }
  int Blue() const { return (m_color >> 16) & 0xFF; }
  int Alpha() const { return (m_color >> 24) & 0xFF; }
  void SetRGB(int red, int green, int blue);

 private:
  unsigned int m_color = 0;
};

class ON_CLASS ON_Texture {
 public:
  enum TYPE : unsigned int {
    no_texture_type = 0,
    bitmap_texture = 1,
    bump_texture = 2,
    transparency_texture = 3,
    emap_texture = 86
  };

  ON_UUID m_texture_id = ON_nil_uuid;
  int m_mapping_channel_id = 0;
  ON_wString m_filename;
  /// Set when m_filename is relative to the document's folder.
  bool m_bFilenameRelative = false;
  bool m_bOn = true;
  TYPE m_type = bitmap_texture;
};

class ON_CLASS ON_Material {
 public:
  ON_Material();
  virtual ~ON_Material() = default;
  ON_Material(const ON_Material&) = default;
  ON_Material& operator=(const ON_Material&) = default;

  int MaterialIndex() const { return m_material_index; }
  void SetMaterialIndex(int index) { m_material_index = index; }
  const wchar_t* MaterialName() const { return m_material_name; }  // never null
  void SetMaterialName(const wchar_t* name) { m_material_name = name; }
  /// 0 opaque to 1 fully transparent.
  double Transparency() const { return m_transparency; }
  void SetTransparency(double t) { m_transparency = t; }
  double Shine() const { return m_shine; }

  /// Full comparison of every field (name, index and textures included): <0, 0, >0.
  int Compare(const ON_Material& other) const;

  /// Index of the first texture after `i0` (-1: from the start) whose type is `type` and, when
  /// `filename` is not null, whose file name equals it ignoring case; -1 when there is none.
  int FindTexture(const wchar_t* filename, ON_Texture::TYPE type, int i0 = -1) const;

  ON_Color m_ambient{0, 0, 0};
  ON_Color m_diffuse{128, 128, 128};
  ON_Color m_emission{0, 0, 0};
  ON_Color m_specular{255, 255, 255};
  ON_Color m_reflection{255, 255, 255};
  ON_Color m_transparent{255, 255, 255};
  double m_index_of_refraction = 1.0;
  double m_reflectivity = 0.0;
  double m_shine = 0.0;
  double m_transparency = 0.0;
  ON_ObjectArray<ON_Texture> m_textures;

 private:
  int m_material_index = 0;
  ON_wString m_material_name;
};
