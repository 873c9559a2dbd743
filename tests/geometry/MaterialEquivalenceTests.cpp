// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <gtest/gtest.h>

#include <cmath>

#include "materials/MaterialEquivalence.h"

namespace {

ON_Material named(const wchar_t* name) {
  ON_Material material;
  material.SetMaterialName(name);
  return material;
}

ON_Material withBitmap(const wchar_t* name, const wchar_t* file) {
  ON_Material material = named(name);
  ON_Texture texture;
  texture.m_filename = file;
  material.m_textures.Append(texture);
  return material;
}

TEST(MaterialsMatch, IgnoresWhatTheSceneMaterialDoesNotCarry) {
  ON_Material shiny = named(L"Wood");
  shiny.m_shine = 60;
  shiny.SetMaterialIndex(3);
  ON_Material bumpy = named(L"Wood");
  ON_Texture bump;
  bump.m_type = ON_Texture::bump_texture;
  bumpy.m_textures.Append(bump);
  EXPECT_TRUE(MaterialsMatch(named(L"Wood"), shiny));
  EXPECT_TRUE(MaterialsMatch(named(L"Wood"), bumpy));
}

TEST(MaterialsMatch, TellsApartWhatTheSceneMaterialCarries) {
  ON_Material clearer = named(L"Wood");
  clearer.m_transparent = ON_Color(0, 0, 0);
  EXPECT_FALSE(MaterialsMatch(named(L"Wood"), clearer));
  EXPECT_FALSE(MaterialsMatch(named(L"Wood"), named(L"wood")));
  EXPECT_FALSE(MaterialsMatch(named(L"Wood"), withBitmap(L"Wood", L"wood.jpg")));
}

TEST(MaterialsMatch, ComparesTextureFilesIgnoringCaseButNotFolders) {
  EXPECT_TRUE(MaterialsMatch(withBitmap(L"Wood", L"C:\\maps\\Wood.JPG"),
                             withBitmap(L"Wood", L"c:\\MAPS\\wood.jpg")));
  EXPECT_FALSE(MaterialsMatch(withBitmap(L"Wood", L"C:\\a\\wood.jpg"),
                              withBitmap(L"Wood", L"D:\\b\\wood.jpg")));
}

TEST(MaterialsMatch, ANanTransparencyMatchesOnlyThroughTheFullComparison) {
  ON_Material foggy = named(L"Fog");
  foggy.SetTransparency(std::nan(""));
  ON_Material shinyFoggy = foggy;
  shinyFoggy.m_shine = 10;  // so the full comparison tells them apart
  EXPECT_TRUE(MaterialsMatch(foggy, foggy));
  EXPECT_FALSE(MaterialsMatch(foggy, shinyFoggy));
}

}  // namespace
