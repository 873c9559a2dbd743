// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "GeometryTestSupport.h"
#include "plugin/ExportOptions.h"

namespace geometry_test {
namespace {

using QzOrv::scene::Scene;

ON_Mesh* quadAt(double x) {
  return makeQuad({x, 0, 0}, {x + 1, 0, 0}, {x + 1, 1, 0}, {x, 1, 0});
}

void setSource(CRhinoObject& object, ON_3dmObjectAttributes::material_source source,
               int material = -1) {
  CRhinoObjectAttributes attributes = object.Attributes();
  attributes.SetMaterialSource(source);
  attributes.m_material_index = material;
  object.SetAttributes(attributes);
}

// The material names of every slot of every definition, in scene order.
std::vector<std::string> slotMaterials(const Scene& scene) {
  std::vector<std::string> names;
  for (const auto& definition : scene.objectDefinitions) {
    const std::vector<std::string> slots = namesOf(definition.materials);
    names.insert(names.end(), slots.begin(), slots.end());
  }
  return names;
}

// One object alone in a document whose layer "Walls" renders with Oak; the object is exported in
// the modes that give it a slot of its own material (the layer mode gives every slot its layer's
// material), with and without single-layer output, and must get the same material.
class MaterialSource : public GeometryExportTest {
 protected:
  void SetUp() override {
    GeometryExportTest::SetUp();
    setUnits(doc, ON::centimeters);
    oak = addMaterial(doc, L"Oak");
    pine = addMaterial(doc, L"Pine");
    ON_Layer walls;
    walls.SetLayerName(L"Walls");
    walls.SetRenderMaterialIndex(oak);
    doc.m_layer_table.AddLayer(walls);
  }
  // The slot materials of the scene in each mode and single-layer setting.
  void expectEverywhere(const std::vector<std::string>& expected) {
    for (int single : {1, 0}) {
      for (int mode : {SingleObject, ByMaterial, ByObject}) {
        singleLayerOutput = single;
        EXPECT_EQ(slotMaterials(exportScene(doc, mode)), expected)
            << "mode " << mode << ", single layer " << single;
      }
    }
  }
  CRhinoDoc doc;
  int oak = 0, pine = 0;
};

TEST_F(MaterialSource, AnObjectTakingItsLayersMaterialGetsItWhateverTheOutputOptions) {
  CRhinoObject* wall = meshObject(quadAt(0));
  setSource(*wall, ON_3dmObjectAttributes::material_from_layer);
  doc.AddObject(wall);
  expectEverywhere({"Oak"});
}

TEST_F(MaterialSource, AnObjectOutsideBlocksTakingItsParentsMaterialTakesItsLayers) {
  CRhinoObject* wall = meshObject(quadAt(0));
  setSource(*wall, ON_3dmObjectAttributes::material_from_parent);
  doc.AddObject(wall);
  expectEverywhere({"Oak"});
}

TEST_F(MaterialSource, ObjectsInBlocksTakingTheirParentsMaterialTakeTheNearestInstancesOne) {
  // Room (Pine, from its object) holds a Chair instance that takes its parent's material, which
  // holds a Leg that does the same: the leg is Pine, alone in its group or not.
  CRhinoObject* leg = meshObject(quadAt(0), L"Leg");
  setSource(*leg, ON_3dmObjectAttributes::material_from_parent);
  CRhinoInstanceDefinition* chair = addBlock(doc, L"Chair", {leg});
  CRhinoInstanceObject* innerChair = blockInstance(chair, ON_Xform::IdentityTransformation);
  setSource(*innerChair, ON_3dmObjectAttributes::material_from_parent);
  CRhinoInstanceDefinition* room = addBlock(doc, L"Room", {innerChair});
  CRhinoInstanceObject* placedRoom = blockInstance(room, ON_Xform::IdentityTransformation);
  setSource(*placedRoom, ON_3dmObjectAttributes::material_from_object, pine);
  doc.AddObject(placedRoom);
  expectEverywhere({"Pine"});
}

TEST_F(MaterialSource, AnOutermostInstanceTakingItsParentsMaterialHandsDownItsLayers) {
  CRhinoObject* leg = meshObject(quadAt(0), L"Leg");
  setSource(*leg, ON_3dmObjectAttributes::material_from_parent);
  CRhinoInstanceObject* chair =
      blockInstance(addBlock(doc, L"Chair", {leg}), ON_Xform::IdentityTransformation);
  setSource(*chair, ON_3dmObjectAttributes::material_from_parent);
  doc.AddObject(chair);
  expectEverywhere({"Oak"});
}

TEST_F(MaterialSource, AGroupSlotHasTheGroupsMaterialWhateverTheGroupsSize) {
  // One object of its own material, one from its layer and one from its parent: in the material
  // modes the layer's and the parent's objects form the Oak group with or without company.
  CRhinoObject* own = meshObject(quadAt(0), L"", 0, pine);
  CRhinoObject* fromLayer = meshObject(quadAt(2));
  setSource(*fromLayer, ON_3dmObjectAttributes::material_from_layer);
  doc.AddObject(own);
  doc.AddObject(fromLayer);
  singleLayerOutput = 1;
  EXPECT_EQ(slotMaterials(exportScene(doc, ByMaterial)), (std::vector<std::string>{"Oak", "Pine"}));
  EXPECT_EQ(slotMaterials(exportScene(doc, SingleObject)),
            (std::vector<std::string>{"Oak", "Pine"}));
  // A layer's group gets the layer's material, even for an object that has one of its own.
  EXPECT_EQ(slotMaterials(exportScene(doc, ByLayer)), std::vector<std::string>{"Oak"});
}

}  // namespace
}  // namespace geometry_test
