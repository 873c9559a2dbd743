// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "GeometryTestSupport.h"
#include "lighting/Lights.h"
#include "plugin/ExportOptions.h"

namespace geometry_test {
namespace {

using QzOrv::scene::Scene;

ON_Mesh* quadAt(double x, double y = 0) {
  return makeQuad({x, y, 0}, {x + 1, y, 0}, {x + 1, y + 1, 0}, {x, y + 1, 0});
}

void hide(CRhinoObject* object) {
  CRhinoObjectAttributes attributes = object->Attributes();
  attributes.SetMode(ON_3dmObjectAttributes::hidden_object);
  object->SetAttributes(attributes);
}

class Traversal : public GeometryExportTest {
 protected:
  void SetUp() override {
    GeometryExportTest::SetUp();
    setUnits(doc, ON::centimeters);
    addLayer(doc, L"Default");
  }
  CRhinoDoc doc;
};

TEST_F(Traversal, MatchingMaterialsMakeOneGroupUnderTheFirstName) {
  const int wood = addMaterial(doc, L"Wood");
  const int sameWood = addMaterial(doc, L"Wood");  // equal in all that reaches the scene
  const int glass = addMaterial(doc, L"Glass");
  doc.AddObject(meshObject(quadAt(0), L"", 0, sameWood));
  doc.AddObject(meshObject(quadAt(2), L"", 0, glass));
  doc.AddObject(meshObject(quadAt(4), L"", 0, wood));
  doc.AddObject(meshObject(quadAt(6)));  // no material: the default pass

  const Scene scene = exportScene(doc, ByMaterial);
  EXPECT_EQ(namesOf(scene.objectDefinitions),
            (std::vector<std::string>{"Default material name", "Wood", "Glass"}));
  EXPECT_EQ(namesOf(scene.objectInstances), namesOf(scene.objectDefinitions));
  EXPECT_EQ(definitionNamed(scene, "Wood").vertices.size(), 8u);
}

TEST_F(Traversal, SingleObjectAppendsOneSlotAndOneBlockOfPointsPerMaterial) {
  const int brick = addMaterial(doc, L"Brick");
  const int tile = addMaterial(doc, L"Tile");
  doc.AddObject(meshObject(quadAt(0), L"", 0, brick));
  doc.AddObject(meshObject(quadAt(0, 5), L"", 0, tile));
  doc.AddObject(meshObject(quadAt(2), L"", 0, brick));

  const Scene scene = exportScene(doc, SingleObject);
  ASSERT_EQ(namesOf(scene.objectDefinitions), (std::vector<std::string>{"house Definition"}));
  ASSERT_EQ(namesOf(scene.objectInstances), (std::vector<std::string>{"house Instance"}));
  const QzOrv::scene::ObjectDefinition& all = scene.objectDefinitions[0];
  ASSERT_EQ(all.materials.size(), 2u);
  EXPECT_EQ(all.materials[0].name, "Brick");
  EXPECT_EQ(all.materials[1].name, "Tile");
  EXPECT_EQ(all.vertices.size(), 12u);
  ASSERT_EQ(all.polygons.size(), 3u);
  EXPECT_EQ(all.polygons[2].materialIndex, 1);
  EXPECT_EQ(polygonIndices(all)[2], (std::vector<int>{8, 9, 10, 11}));
  // The instance carries the definition's slots, on the root layer.
  EXPECT_EQ(scene.objectInstances[0].definitionLink.materials.size(), 2u);
  EXPECT_EQ(scene.objectInstances[0].definitionLink.materials[1].name, "Tile");
  ASSERT_EQ(scene.layers.size(), 1u);
  EXPECT_EQ(scene.objectInstances[0].layer, scene.layers[0].id);
}

TEST_F(Traversal, SingleObjectStillPlacesItsDefinitionWhenTheLastGroupHasOnlyCurves) {
  const int brick = addMaterial(doc, L"Brick");
  const int wire = addMaterial(doc, L"Wire");
  doc.AddObject(meshObject(quadAt(0), L"", 0, brick));
  doc.AddObject(curveObject(0, wire));

  SceneExporter exporter(doc);
  GroupingMode = SingleObject;
  exporter.collectDocumentMaterials();
  exporter.exportObjects(SingleObject);
  EXPECT_EQ(exporter.exportedMaterials.Count(), 2);  // recorded although it made no geometry
  const Scene scene = savedScene(exporter.writer);
  EXPECT_EQ(scene.objectDefinitions.size(), 1u);
  EXPECT_EQ(scene.objectInstances.size(), 1u);
}

TEST_F(Traversal, ByLayerTakesObjectsInsideABlockToTheirOwnLayers) {
  const int outside = addLayer(doc, L"Outside");
  const int furniture = addLayer(doc, L"Furniture");
  const int empty = addLayer(doc, L"Empty");
  const int unnamed = addLayer(doc, L"");
  CRhinoInstanceDefinition* chair =
      addBlock(doc, L"Chair", {meshObject(quadAt(0), L"Seat", furniture)});
  doc.AddObject(blockInstance(chair, translation(50, 0, 0), outside));
  doc.AddObject(meshObject(quadAt(0), L"Table", furniture));
  doc.AddObject(meshObject(quadAt(9), L"Rug", unnamed));
  (void)empty;

  const Scene scene = exportScene(doc, ByLayer);
  EXPECT_EQ(namesOf(scene.objectDefinitions),
            (std::vector<std::string>{"Furniture", "Unnamed object definition"}));
  EXPECT_EQ(namesOf(scene.objectInstances),
            (std::vector<std::string>{"Furniture", "Unnamed object instance"}));
  const QzOrv::scene::ObjectDefinition& group = scene.objectDefinitions[0];
  ASSERT_EQ(group.vertices.size(), 8u);
  EXPECT_EQ(group.vertices[0].x, 50.0);  // the seat, moved by its instance
  EXPECT_EQ(group.vertices[4].x, 0.0);   // the table
  EXPECT_EQ(scene.layers.size(), 2u);    // nothing for Outside or Empty
}

TEST_F(Traversal, AGroupOnSeveralLayersGoesToTheRootLayer) {
  const int a = addLayer(doc, L"A");
  const int b = addLayer(doc, L"B");
  doc.AddObject(meshObject(quadAt(0), L"", a));
  doc.AddObject(meshObject(quadAt(2), L"", b));
  const Scene scene = exportScene(doc, ByMaterial);
  ASSERT_EQ(scene.layers.size(), 1u);
  EXPECT_EQ(scene.layers[0].name, "Scene objects");
  ASSERT_EQ(scene.objectInstances.size(), 1u);
  EXPECT_EQ(scene.objectInstances[0].layer, scene.layers[0].id);
}

TEST_F(Traversal, SelectedOnlySkipsUnselectedObjectsInEveryMode) {
  const int layer = addLayer(doc, L"Walls");
  CRhinoObject* chosen = doc.AddObject(meshObject(quadAt(0), L"Chosen", layer));
  doc.AddObject(meshObject(quadAt(2), L"Other", layer));
  chosen->Select(true);
  for (int mode : {SingleObject, ByMaterial, ByLayer, ByObject}) {
    SCOPED_TRACE(mode);
    const Scene scene = exportScene(doc, mode, true);
    ASSERT_EQ(scene.objectDefinitions.size(), 1u);
    EXPECT_EQ(scene.objectDefinitions[0].vertices.size(), 4u);
  }
}

TEST_F(Traversal, VisibleLightsAreCollectedWhateverIsSelected) {
  auto* shown = new CRhinoLight(new ON_Light);
  auto* hidden = new CRhinoLight(new ON_Light);
  auto* locked = new CRhinoLight(new ON_Light);
  auto* onHiddenLayer = new CRhinoLight(new ON_Light);
  ON_Layer off;
  off.SetLayerName(L"Off");
  off.SetVisible(false);
  const int offLayer = doc.m_layer_table.AddLayer(off);
  doc.AddObject(shown);
  doc.AddObject(hidden);
  doc.AddObject(locked);
  doc.AddObject(onHiddenLayer);
  doc.AddObject(meshObject(quadAt(0)));
  hide(hidden);
  CRhinoObjectAttributes attributes = locked->Attributes();
  attributes.SetMode(ON_3dmObjectAttributes::locked_object);
  locked->SetAttributes(attributes);
  attributes = onHiddenLayer->Attributes();
  attributes.m_layer_index = offLayer;
  onHiddenLayer->SetAttributes(attributes);

  ON_SimpleArray<const CRhinoLight*> lights;
  collectVisibleLights(doc, lights);
  ASSERT_EQ(lights.Count(), 2);
  EXPECT_EQ(lights[0], shown);
  EXPECT_EQ(lights[1], locked);
}

TEST_F(Traversal, AHiddenObjectInsideAVisibleBlockIsExportedButAHiddenTopLevelOneIsNot) {
  CRhinoObject* hiddenSeat = meshObject(quadAt(0), L"Seat");
  hide(hiddenSeat);
  CRhinoInstanceDefinition* chair = addBlock(doc, L"Chair", {hiddenSeat});
  doc.AddObject(blockInstance(chair, ON_Xform::IdentityTransformation));
  CRhinoObject* hiddenTable = doc.AddObject(meshObject(quadAt(3), L"Table"));
  hide(hiddenTable);
  for (int mode : {SingleObject, ByMaterial, ByLayer, ByObject}) {
    SCOPED_TRACE(mode);
    const Scene scene = exportScene(doc, mode);
    ASSERT_EQ(scene.objectDefinitions.size(), 1u);
    EXPECT_EQ(scene.objectDefinitions[0].vertices.size(), 4u);  // the seat alone
  }
}

TEST_F(Traversal, OnlyTheMaterialModesRecordExportedMaterialsAndEveryModeBalancesTheStacks) {
  addMaterial(doc, L"Oak");
  CRhinoInstanceDefinition* leg = addBlock(doc, L"Leg", {meshObject(quadAt(0), L"Foot", 0, 0)});
  CRhinoInstanceDefinition* chair =
      addBlock(doc, L"Chair", {blockInstance(leg, translation(1, 0, 0))});
  doc.AddObject(blockInstance(chair, translation(0, 1, 0)));
  doc.AddObject(meshObject(quadAt(5)));
  const int expected[] = {2, 2, 0, 0};
  for (int mode : {SingleObject, ByMaterial, ByLayer, ByObject}) {
    SCOPED_TRACE(mode);
    GroupingMode = mode;
    SceneExporter exporter(doc);
    exporter.collectDocumentMaterials();
    exporter.exportObjects(mode);
    EXPECT_EQ(exporter.exportedMaterials.Count(), expected[mode]);
    EXPECT_EQ(exporter.writer.nameStack.GetSize(), 0);
    EXPECT_EQ(exporter.writer.transformStack.Count(), 0);
    EXPECT_EQ(exporter.writer.materialStack.Count(), 0);
    EXPECT_FALSE(savedScene(exporter.writer).objectDefinitions.empty());
  }
}

// The passes mesh duplicates of the objects they group, never the document's own: its surface
// stays without meshes in every mode, and its polygons still reach the scene beside the mesh
// object's.
TEST_F(Traversal, GroupingModesMeshADuplicateAndLeaveTheDocumentsSurfaceWithoutMeshes) {
  auto* brep = new ON_Brep;
  brep->NewFace(new ON_PlaneSurface({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 4}, {0, 4}));
  doc.AddObject(new CRhinoBrepObject(brep));
  doc.AddObject(meshObject(quadAt(5)));
  for (int mode : {SingleObject, ByMaterial, ByLayer}) {
    SCOPED_TRACE(mode);
    const Scene scene = exportScene(doc, mode);
    std::size_t polygons = 0;
    for (const QzOrv::scene::ObjectDefinition& definition : scene.objectDefinitions)
      polygons += definition.polygons.size();
    EXPECT_GE(polygons, 16u + 1u);
    EXPECT_EQ(brep->Face(0)->Mesh(ON::render_mesh), nullptr);
  }
}

}  // namespace
}  // namespace geometry_test
