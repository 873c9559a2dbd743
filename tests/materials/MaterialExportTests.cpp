// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <cmath>
#include <filesystem>
#include <fstream>

#include "MaterialsTestSupport.h"
#include "RecordingMaterial.h"
#include "TempFolder.h"
#include "export/SceneExporter.h"
#include "materials/MaterialExport.h"

namespace materials_test {
namespace {

using Calls = std::vector<std::string>;

class SceneMaterial : public ExportStateTest {
 protected:
  // The calls FillSceneMaterial makes for `attributes`, without a box or an object.
  Calls fill(const ON_3dmObjectAttributes& attributes) {
    SceneExporter exporter(doc);
    exporter.collectDocumentMaterials();
    RecordingMaterial recorded;
    exporter.writer.FillSceneMaterial(attributes, &recorded, nullptr, nullptr);
    return recorded.calls;
  }
  CRhinoDoc doc;
};

TEST_F(SceneMaterial, SendsTheValuesInOrderWithColoursScaledByTheOpacity) {
  ON_Material brick = material(L"Brick", ON_Color(200, 100, 50, 0), 0.5);
  brick.m_specular = ON_Color(255, 255, 255, 255);
  brick.m_emission = ON_Color(1, 2, 3);
  brick.m_ambient = ON_Color(9, 8, 7, 6);
  brick.m_reflection = ON_Color(255, 255, 255);
  brick.m_shine = 12;  // not sent
  doc.m_material_table.AddMaterial(brick);
  EXPECT_EQ(
      fill(ownMaterial(0)),
      (Calls{"setFactor(0.9)", "setName(Brick)", "setEnabled(true)", "setDiffuse([0, 100, 50, 25])",
             "setSpecular([127, 127, 127, 127])", "setEmission([0, 0, 1, 1])",
             "setAmbient([3, 4, 4, 3])", "setReflection(16777215)",
             "setTransparency([0, 127, 127, 127])", "setShininess(80)"}));
}

TEST_F(SceneMaterial, ChannelsAreTruncatedTowardZeroAndStayInTheirByte) {
  struct Case {
    double transparency;
    const char* diffuse;
    const char* transparencyRecord;
  };
  // 255 × 0.7 is 178.5; a transparency outside 0 to 1 (or not a number) cannot overflow a byte.
  const Case cases[] = {
      {0.3, "setDiffuse([178, 178, 178, 178])", "setTransparency([0, 76, 76, 76])"},
      {1.0, "setDiffuse([0, 0, 0, 0])", "setTransparency([0, 255, 255, 255])"},
      {0.0, "setDiffuse([255, 255, 255, 255])", "setTransparency([0, 0, 0, 0])"},
      {-1.0, "setDiffuse([255, 255, 255, 255])", "setTransparency([0, 0, 0, 0])"},
      {1.5, "setDiffuse([0, 0, 0, 0])", "setTransparency([0, 255, 255, 255])"},
      {std::nan(""), "setDiffuse([0, 0, 0, 0])", "setTransparency([0, 0, 0, 0])"}};
  for (const Case& c : cases) {
    CRhinoDoc one;
    one.m_material_table.AddMaterial(
        material(L"White", ON_Color(255, 255, 255, 255), c.transparency));
    SceneExporter exporter(one);
    exporter.collectDocumentMaterials();
    RecordingMaterial recorded;
    exporter.writer.FillSceneMaterial(ownMaterial(0), &recorded, nullptr, nullptr);
    EXPECT_EQ(recorded.callsTo("setDiffuse"), Calls{c.diffuse}) << c.transparency;
    EXPECT_EQ(recorded.callsTo("setTransparency"), Calls{c.transparencyRecord}) << c.transparency;
  }
  EXPECT_EQ(colourByte(178.99), 178);
}

TEST_F(SceneMaterial, NamesTheDefaultAndUnnamedMaterials) {
  doc.m_material_table.AddMaterial(material(L""));
  EXPECT_EQ(fill(ownMaterial(0))[1], "setName(Unnamed material)");
  EXPECT_EQ(fill(ownMaterial(-1))[1], "setName(Default material)");
  EXPECT_EQ(fill(ownMaterial(7))[1], "setName(Default material)");  // beyond the table
}

TEST_F(SceneMaterial, ABlockInstancesMaterialWinsOverTheObjectsOwn) {
  for (const wchar_t* name : {L"Oak", L"Pine", L"Ash", L"Elm", L"Walnut"})
    doc.m_material_table.AddMaterial(material(name));
  SceneExporter exporter(doc);
  exporter.collectDocumentMaterials();
  exporter.writer.materialStack.Append(4);
  RecordingMaterial recorded;
  exporter.writer.FillSceneMaterial(ownMaterial(1), &recorded, nullptr, nullptr);
  EXPECT_EQ(recorded.callsTo("setName"), Calls{"setName(Walnut)"});
}

TEST_F(SceneMaterial, AMaterialWithoutAnImageStillGetsTheObjectsProjection) {
  doc.m_material_table.AddMaterial(material(L"Plain"));
  ON_TextureMapping sphere;
  sphere.SetSphereMapping(ON_Sphere({1, 2, 3}, 2));
  doc.m_texture_mapping_table.AddTextureMapping(sphere);
  CRhinoObjectAttributes attributes = ownMaterial(0);
  ON_MappingChannel& channel =
      attributes.m_rendering_attributes.m_mappings.AppendNew().m_mapping_channels.AppendNew();
  channel.m_mapping_id = doc.m_texture_mapping_table[0].m_mapping_id;
  const Calls calls = fill(attributes);
  EXPECT_EQ(Calls(calls.begin() + 10, calls.end()),
            (Calls{"setMappingKind(0)", "setMappingOrigin((0, 0, 0), (0, 0, 1), (0, 0, 1))",
                   "setMappingKind(3)", "setMappingFrame((1, 2, 3), (2, 0, 0), (0, 2, 0))"}));
}

TEST_F(SceneMaterial, AnImageTextureSendsItsFileSwitchesAndPlacementAfterTheColours) {
  TempFolder temp("material");
  exportFolder = (temp.path.wstring() + L"/").c_str();
  exportBaseName = L"house";
  ON_Material wood = material(L"Wood");
  addTexture(wood, L"bump.png", false, ON_Texture::bump_texture);
  addTexture(wood, L"C:\\maps\\wood.jpg");  // the first bitmap; missing here
  doc.m_material_table.AddMaterial(wood);
  SceneExporter exporter(doc);
  exporter.collectDocumentMaterials();
  RecordingMaterial recorded;
  const ON_BoundingBox box({0, 0, 0}, {300, 400, 0});
  exporter.writer.FillSceneMaterial(ownMaterial(0), &recorded, &box, nullptr);
  EXPECT_EQ(Calls(recorded.calls.begin() + 10, recorded.calls.end()),
            (Calls{"setMappingKind(0)", "setTextureFile(file:///C|/maps/wood.jpg)",
                   "setTextureFlags(true, true)", "setTextureEnabled(true)",
                   "setTextureSize(400, 300)", "setMappingOrigin((0, 0, 0), (0, 0, 1), (0, 0, 1))",
                   "setMappingFrame((150, 200, 0), (0, 0, 1), (0, 0, 1))"}));
  EXPECT_TRUE(std::filesystem::is_directory(temp.path / "house"));  // made all the same

  RecordingMaterial withoutBox;
  exporter.writer.FillSceneMaterial(ownMaterial(0), &withoutBox, nullptr, nullptr);
  EXPECT_TRUE(withoutBox.callsTo("setTextureSize").empty());
  EXPECT_EQ(withoutBox.callsTo("setTextureEnabled"), Calls{"setTextureEnabled(true)"});
}

TEST_F(SceneMaterial, AnUnnamedMaterialWithADocumentRelativeImageIsNamedAfterTheDocument) {
  TempFolder temp("material");
  const SystemTemporaryFolder elsewhere(temp.path / "tmp");
  exportBaseName.Empty();  // no texture folder: images are referred to where they lie
  std::filesystem::create_directories(temp.path / "proj" / "maps");
  std::ofstream(temp.path / "proj" / "maps" / "wood.jpg") << "image";
  ON_Material unnamed = material(L"");
  addTexture(unnamed, L"maps/wood.jpg", true);
  doc.m_material_table.AddMaterial(unnamed);
  doc.SetPathName((temp.path / "proj" / "model.3dm").wstring().c_str());
  const std::string image = (temp.path / "proj" / "maps" / "wood.jpg").string();
  EXPECT_EQ(fill(ownMaterial(0)),
            (Calls{"setFactor(0.9)", "setName(Unnamed material)", "setEnabled(true)",
                   "setDiffuse([0, 128, 128, 128])", "setSpecular([0, 255, 255, 255])",
                   "setEmission([0, 0, 0, 0])", "setAmbient([0, 0, 0, 0])",
                   "setReflection(16777215)", "setTransparency([0, 0, 0, 0])", "setShininess(80)",
                   "setMappingKind(0)", "setName(model)", "setTextureFile(file://" + image + ")",
                   "setTextureFlags(true, true)", "setTextureEnabled(true)"}));

  // A document never saved has no folder: the stored name is used as it is, and nothing renames
  // the material.
  doc.SetPathName(L"");
  const Calls unsaved = fill(ownMaterial(0));
  EXPECT_EQ(Calls(unsaved.begin() + 10, unsaved.end()),
            (Calls{"setMappingKind(0)", "setTextureFile(file:///maps/wood.jpg)",
                   "setTextureFlags(true, true)", "setTextureEnabled(true)"}));
}

}  // namespace
}  // namespace materials_test
