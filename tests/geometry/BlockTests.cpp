// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "GeometryTestSupport.h"
#include "geometry/BlockInstances.h"
#include "plugin/ExportOptions.h"

namespace geometry_test {
namespace {

using QzOrv::scene::Scene;

ON_Mesh* unitQuadAt(double x) {
  return makeQuad({x, 0, 0}, {x + 1, 0, 0}, {x + 1, 1, 0}, {x, 1, 0});
}

class BlockExport : public GeometryExportTest {
 protected:
  void SetUp() override {
    GeometryExportTest::SetUp();
    addLayer(doc, L"Default");
  }
  // A Leg inside block Chair, placed inside block Room by `inner`; Room placed by `outer`.
  void addRoom(const ON_Xform& inner, const ON_Xform& outer) {
    CRhinoInstanceDefinition* chair = addBlock(doc, L"Chair", {meshObject(unitQuadAt(1), L"Leg")});
    CRhinoInstanceDefinition* room = addBlock(doc, L"Room", {blockInstance(chair, inner)});
    doc.AddObject(blockInstance(room, outer));
  }
  CRhinoDoc doc;
};

TEST_F(BlockExport, ObjectsInNestedBlocksAreNamedAlongTheBlockPath) {
  setUnits(doc, ON::centimeters);
  addRoom(ON_Xform::IdentityTransformation, ON_Xform::IdentityTransformation);
  doc.AddObject(meshObject(unitQuadAt(5), L"Lamp"));
  const Scene scene = exportScene(doc, ByObject);

  EXPECT_EQ(namesOf(scene.objectDefinitions), (std::vector<std::string>{"Room Chair Leg", "Lamp"}));
  EXPECT_EQ(namesOf(scene.objectInstances),
            (std::vector<std::string>{"Room Chair", "Unnamed object instance"}));
  EXPECT_EQ(scene.objectInstances[0].definitionLink.definition, scene.objectDefinitions[0].id);
  EXPECT_EQ(scene.objectInstances[0].kind, "ModelObject");
}

TEST_F(BlockExport, NestedTransformsApplyInnermostFirstInEveryMode) {
  // Rotating after translating puts the leg's corner (1, 0, 0) at (0, 11, 0); the other order
  // would give (10, 1, 0). The document is in metres, so the scene holds (0, 1100, 0).
  setUnits(doc, ON::meters);
  addRoom(translation(10, 0, 0), rotationAboutZ(90));
  for (int mode : {SingleObject, ByMaterial, ByLayer, ByObject}) {
    SCOPED_TRACE(mode);
    const Scene scene = exportScene(doc, mode);
    ASSERT_EQ(scene.objectDefinitions.size(), 1u);
    const QzOrv::OrvPoint corner = scene.objectDefinitions[0].vertices.at(0);
    EXPECT_NEAR(corner.x, 0.0, 1e-9);
    EXPECT_NEAR(corner.y, 1100.0, 1e-9);
    EXPECT_EQ(corner.z, 0.0);
  }
}

TEST_F(BlockExport, ANonUniformScaleIsAppliedBeforeTheRotationThatFollowsIt) {
  // The leg's corners (1, 0, 0) and (2, 1, 0), stretched along x to (2, 0, 0) and (4, 1, 0),
  // then turned a quarter about z: (0, 2, 0) and (-1, 4, 0). Turning first would give (0, 1, 0)
  // and (-2, 2, 0). The document is in metres, so the scene holds them times 100.
  ON_Xform stretch;
  stretch.Scale(2, 1, 1);
  const struct {
    const char* placement;
    ON_Xform inner, outer;
  } cases[] = {{"nested", stretch, rotationAboutZ(90)},
               {"one instance", rotationAboutZ(90) * stretch, ON_Xform::IdentityTransformation}};
  for (const auto& c : cases) {
    CRhinoDoc stretched;
    setUnits(stretched, ON::meters);
    addLayer(stretched, L"Default");
    CRhinoInstanceDefinition* chair =
        addBlock(stretched, L"Chair", {meshObject(unitQuadAt(1), L"Leg")});
    CRhinoInstanceDefinition* room = addBlock(stretched, L"Room", {blockInstance(chair, c.inner)});
    stretched.AddObject(blockInstance(room, c.outer));
    for (int mode : {SingleObject, ByMaterial, ByLayer, ByObject}) {
      SCOPED_TRACE(std::string(c.placement) + ", mode " + std::to_string(mode));
      const Scene scene = exportScene(stretched, mode);
      ASSERT_EQ(scene.objectDefinitions.size(), 1u);
      const auto& vertices = scene.objectDefinitions[0].vertices;
      ASSERT_EQ(vertices.size(), 4u);
      EXPECT_NEAR(vertices[0].x, 0.0, 1e-9);
      EXPECT_NEAR(vertices[0].y, 200.0, 1e-9);
      EXPECT_NEAR(vertices[2].x, -100.0, 1e-9);
      EXPECT_NEAR(vertices[2].y, 400.0, 1e-9);
    }
  }
}

TEST_F(BlockExport, EveryInstanceOfABlockWritesItsOwnCopy) {
  setUnits(doc, ON::centimeters);
  CRhinoInstanceDefinition* chair = addBlock(doc, L"Chair", {meshObject(unitQuadAt(0), L"Leg")});
  doc.AddObject(blockInstance(chair, translation(0, 0, 0)));
  doc.AddObject(blockInstance(chair, translation(100, 0, 0)));
  const Scene scene = exportScene(doc, ByObject);

  ASSERT_EQ(namesOf(scene.objectDefinitions), (std::vector<std::string>{"Chair Leg", "Chair Leg"}));
  EXPECT_EQ(scene.objectDefinitions[1].vertices[0].x, 100.0);
  EXPECT_EQ(scene.objectInstances.size(), 2u);
}

TEST_F(BlockExport, AnInstanceMaterialReachesObjectsOfInnerBlocksThatTakeTheirParents) {
  setUnits(doc, ON::centimeters);
  addMaterial(doc, L"Oak");
  addMaterial(doc, L"Pine");
  addMaterial(doc, L"Walnut");
  CRhinoInstanceDefinition* chair =
      addBlock(doc, L"Chair", {meshObject(unitQuadAt(0), L"Leg", 0, 0)});
  CRhinoInstanceObject* innerChair = blockInstance(chair, ON_Xform::IdentityTransformation);
  CRhinoObjectAttributes fromParent = innerChair->Attributes();
  fromParent.SetMaterialSource(ON_3dmObjectAttributes::material_from_parent);
  innerChair->SetAttributes(fromParent);
  CRhinoInstanceDefinition* room = addBlock(doc, L"Room", {innerChair});
  CRhinoInstanceObject* roomInstance = blockInstance(room, ON_Xform::IdentityTransformation);
  CRhinoObjectAttributes walnut = roomInstance->Attributes();
  walnut.m_material_index = 2;
  roomInstance->SetAttributes(walnut);
  doc.AddObject(roomInstance);
  CRhinoObject* orphan = meshObject(unitQuadAt(3), L"Orphan");
  orphan->SetAttributes(fromParent);
  doc.AddObject(orphan);

  const Scene scene = exportScene(doc, ByObject);
  ASSERT_EQ(scene.objectDefinitions.size(), 2u);
  ASSERT_EQ(scene.objectDefinitions[0].materials.size(), 1u);
  EXPECT_EQ(scene.objectDefinitions[0].materials[0].name, "Walnut");
  ASSERT_EQ(scene.objectDefinitions[1].materials.size(), 1u);
  EXPECT_EQ(scene.objectDefinitions[1].materials[0].name, "Default material");
}

TEST_F(BlockExport, ABlockInstanceWithoutObjectsOrDefinitionLeavesTheStacksAsFound) {
  CRhinoInstanceDefinition* empty = addBlock(doc, L"Empty", {});
  CRhinoInstanceObject withoutObjects(empty, translation(1, 2, 3));
  CRhinoInstanceObject withoutDefinition(nullptr, translation(1, 2, 3));
  SceneExporter exporter(doc);
  SceneWriter& writer = exporter.writer;

  EXPECT_TRUE(exportBlockInstance(writer, &withoutObjects));
  EXPECT_FALSE(exportBlockInstance(writer, &withoutDefinition));
  EXPECT_EQ(writer.nameStack.GetSize(), 0);
  EXPECT_EQ(writer.transformStack.Count(), 0);
  EXPECT_EQ(writer.materialStack.Count(), 0);
  EXPECT_TRUE(savedScene(writer).objectDefinitions.empty());
}

}  // namespace
}  // namespace geometry_test
