#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "DocumentTestSupport.h"

namespace {

std::string Utf8(const wchar_t* text) {
  return ON_String(text).Array();
}

TEST(DocumentFile, ReadsUnitsByNameCodeOrCustomLength) {
  CRhinoDoc byName, byCode, custom, none;
  Load(R"({"units": "millimeters"})", byName);
  Load(R"({"units": 9})", byCode);
  Load(R"({"units": {"name": "cubits", "meters": 0.4572}})", custom);
  Load("{}", none);

  EXPECT_EQ(byName.UnitSystem(), ON::millimeters);
  EXPECT_EQ(byCode.UnitSystem(), ON::feet);
  EXPECT_EQ(custom.UnitSystem(), ON::custom_unit_system);
  // One cubit is 0.4572 m: the host counts 1 / 0.4572 cubits in a metre.
  EXPECT_DOUBLE_EQ(custom.Properties().ModelUnits().m_custom_unit_scale, 1 / 0.4572);
  EXPECT_EQ(Utf8(custom.Properties().ModelUnits().m_custom_unit_name), "cubits");
  EXPECT_EQ(none.UnitSystem(), ON::no_unit_system);
}

TEST(DocumentFile, ReadsEveryMaterialFieldAndKeepsHostDefaultsForTheRest) {
  CRhinoDoc doc;
  Load(R"({"materials": [
        {"name": "Glass", "diffuse": [10, 20, 30], "specular": [1, 2, 3, 200],
         "transparency": 0.75, "shine": 128, "reflectivity": 0.25, "index_of_refraction": 1.52,
         "textures": [{"file": "maps/glass.png", "relative": true},
                      {"file": "bump.png", "type": "bump"}]},
        {}
      ]})",
       doc);

  ASSERT_EQ(doc.m_material_table.MaterialCount(), 2);
  const CRhinoMaterial& glass = doc.m_material_table[0];
  EXPECT_EQ(Utf8(glass.MaterialName()), "Glass");
  EXPECT_EQ(glass.MaterialIndex(), 0);
  EXPECT_EQ(unsigned(glass.m_diffuse), unsigned(ON_Color(10, 20, 30, 0)));
  EXPECT_EQ(glass.m_specular.Alpha(), 200);
  EXPECT_EQ(glass.Transparency(), 0.75);
  EXPECT_EQ(glass.m_shine, 128);
  EXPECT_EQ(glass.m_reflectivity, 0.25);
  EXPECT_EQ(glass.m_index_of_refraction, 1.52);
  ASSERT_EQ(glass.m_textures.Count(), 2);
  EXPECT_EQ(Utf8(glass.m_textures[0].m_filename), "maps/glass.png");
  EXPECT_TRUE(glass.m_textures[0].m_bFilenameRelative);
  EXPECT_EQ(glass.m_textures[0].m_type, ON_Texture::bitmap_texture);
  EXPECT_FALSE(glass.m_textures[1].m_bFilenameRelative);
  EXPECT_EQ(glass.m_textures[1].m_type, ON_Texture::bump_texture);

  const CRhinoMaterial& plain = doc.m_material_table[1];
  const ON_Material host;
  EXPECT_EQ(plain.MaterialIndex(), 1);
  EXPECT_EQ(unsigned(plain.m_diffuse), unsigned(host.m_diffuse));
  EXPECT_EQ(unsigned(plain.m_transparent), unsigned(host.m_transparent));
  EXPECT_EQ(plain.m_index_of_refraction, host.m_index_of_refraction);
}

TEST(DocumentFile, NestsLayersByParentNameFullPathOrIndex) {
  CRhinoDoc doc;
  Load(R"({"materials": [{"name": "Brick"}, {"name": "Glass"}],
           "layers": [
             {"name": "Building"},
             {"name": "Walls", "parent": "Building", "material": "Brick"},
             {"name": "Garage"},
             {"name": "Walls", "parent": 2, "material": 1, "visible": false, "locked": true},
             {"name": "Paint", "parent": "Garage::Walls"}
           ]})",
       doc);

  ASSERT_EQ(doc.m_layer_table.LayerCount(), 5);
  ON_wString path;
  ASSERT_TRUE(doc.m_layer_table.GetLayerPathName(1, path));
  EXPECT_EQ(Utf8(path), "Building::Walls");
  ASSERT_TRUE(doc.m_layer_table.GetLayerPathName(4, path));
  EXPECT_EQ(Utf8(path), "Garage::Walls::Paint");
  EXPECT_EQ(doc.m_layer_table[1].m_parent_layer_id, doc.m_layer_table[0].m_layer_id);
  EXPECT_TRUE(ON_UuidIsNil(doc.m_layer_table[0].m_parent_layer_id));

  EXPECT_EQ(doc.m_layer_table[1].RenderMaterialIndex(), 0);
  EXPECT_EQ(doc.m_layer_table[3].RenderMaterialIndex(), 1);
  EXPECT_EQ(doc.m_layer_table[0].RenderMaterialIndex(), -1);
  EXPECT_TRUE(doc.m_layer_table[1].IsVisible());
  EXPECT_FALSE(doc.m_layer_table[3].IsVisible());
  EXPECT_TRUE(doc.m_layer_table[3].IsLocked());
}

TEST(DocumentFile, TakesARelativeSavedPathFromTheDocumentFilesFolder) {
  CRhinoDoc relative, absolute, unsaved;
  LoadDocumentText(R"({"path": "../models/house.3dm"})", "/data/docs/house.json", relative);
  LoadDocumentText(R"({"path": "/srv/house.3dm"})", "/data/docs/house.json", absolute);
  LoadDocumentText("{}", "/data/docs/house.json", unsaved);

  EXPECT_EQ(Utf8(relative.GetPathName()), "/data/models/house.3dm");
  EXPECT_EQ(Utf8(absolute.GetPathName()), "/srv/house.3dm");
  EXPECT_EQ(Utf8(unsaved.GetPathName()), "");
}

TEST(DocumentFile, NamesTheFileThePlaceAndTheBadValueOfEveryMistake) {
  const BadDocument cases[] = {
      {R"({"materials": [{}, {}, {"diffuse": [1, 300, 3]}]})", "/materials/2/diffuse/1", "got 300"},
      {R"({"materials": [{"diffuse": [1, 2]}]})", "/materials/0/diffuse", "got [1,2]"},
      {R"({"materials": [{"diffuse": [1, 2.5, 3]}]})", "/materials/0/diffuse/1", "got 2.5"},
      {R"({"materials": [{"transparency": 1.5}]})", "/materials/0/transparency", "got 1.5"},
      {R"({"materials": [{"index_of_refraction": 0}]})", "/materials/0/index_of_refraction",
       "greater than 0, got 0"},
      {R"({"materials": [{"name": 7}]})", "/materials/0/name", "expected a string, got 7"},
      {R"({"materials": [{"difuse": [1, 2, 3]}]})", "/materials/0/difuse",
       "unknown key \"difuse\""},
      {R"({"materials": [{"a/b~c": 1}]})", "/materials/0/a~1b~0c", "unknown key \"a/b~c\""},
      {R"({"materials": [{"textures": [{"relative": true}]}]})", "/materials/0/textures/0",
       "missing \"file\""},
      {R"({"materials": [{"textures": [{"file": "a.png", "type": "gloss"}]}]})",
       "/materials/0/textures/0/type", "got \"gloss\""},
      {R"({"materials": {}})", "/materials", "expected an array"},
      {R"({"units": "furlongs"})", "/units", "got \"furlongs\""},
      {R"({"units": 26})", "/units", "got 26"},
      {R"({"units": "custom"})", "/units", "custom units need their length"},
      {R"({"units": {"name": "cubits"}})", "/units", "missing \"meters\""},
      {R"({"units": {"meters": -1}})", "/units/meters", "got -1"},
      {R"({"layers": [{"name": "A"}, {"name": "B", "parent": "C"}]})", "/layers/1/parent",
       "no earlier layer is named \"C\""},
      {R"({"layers": [{"name": "A"}, {"name": "B", "parent": 1}]})", "/layers/1/parent", "got 1"},
      {R"({"layers": [{"name": "A", "parent": 0}]})", "/layers/0/parent", "no earlier layer"},
      {R"({"layers": [{"name": "A"}, {"name": "X", "parent": "A"}, {"name": "B"},
                      {"name": "X", "parent": "B"}, {"name": "Y", "parent": "X"}]})",
       "/layers/4/parent", "2 earlier layers are named \"X\""},
      {R"({"layers": [{"name": "A"}, {"name": "A"}]})", "/layers/1", "full path \"A\""},
      {R"({"layers": [{"name": "A::B"}]})", "/layers/0/name", "got \"A::B\""},
      {R"({"layers": [{"visible": "yes"}]})", "/layers/0/visible", "got \"yes\""},
      {R"({"layers": [{"material": "Brick"}]})", "/layers/0/material", "no material"},
      {R"({"materials": [{}], "layers": [{"material": 1}]})", "/layers/0/material", "got 1"},
      {R"([1, 2])", "top level", "expected a document object"},
  };
  ExpectEachRefusedWhereItStands(cases);
}

TEST(DocumentFile, ReportsSyntaxErrorsByLineAndColumnAndAcceptsComments) {
  EXPECT_NE(ErrorFor("{\n  \"units\": \n}").find("doc.json: parse error at line 3, column 1"),
            std::string::npos);
  CRhinoDoc doc;
  Load("// a model in millimetres\n{\"units\": \"millimeters\" /* not inches */}", doc);
  EXPECT_EQ(doc.UnitSystem(), ON::millimeters);
}

TEST(DocumentFile, ReportsAFileThatCannotBeOpened) {
  CRhinoDoc doc;
  try {
    LoadDocumentFile("/nonexistent/house.json", doc);
    FAIL() << "no error";
  } catch (const DocumentError& error) {
    EXPECT_STREQ(error.what(), "/nonexistent/house.json: cannot open: No such file or directory");
  }
}

TEST(DocumentFile, LoadsTheExampleHouse) {
  CRhinoDoc doc;
  LoadDocumentFile(EXAMPLES_DIR "/house.json", doc);
  EXPECT_EQ(doc.UnitSystem(), ON::millimeters);
  EXPECT_GE(doc.m_material_table.MaterialCount(), 3);
  EXPECT_GE(doc.m_layer_table.LayerCount(), 3);
  const std::filesystem::path saved = Utf8(doc.GetPathName());
  EXPECT_TRUE(saved.is_absolute());
  EXPECT_EQ(saved.parent_path(), std::filesystem::path(EXAMPLES_DIR).lexically_normal());
}

}  // namespace
