// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "GeometryTestSupport.h"
#include "plugin/ExportOptions.h"

namespace geometry_test {
namespace {

using QzOrv::scene::Scene;

class SceneLayers : public GeometryExportTest {
 protected:
  void SetUp() override {
    GeometryExportTest::SetUp();
    addLayer(doc, L"Default");
    building = addLayer(doc, L"Building");
    walls = addLayer(doc, L"Walls", building);
    ON_Layer off;
    off.SetLayerName(L"Scaffold");
    off.SetVisible(false);
    off.SetRenderMaterialIndex(4);
    scaffold = doc.m_layer_table.AddLayer(off);
  }
  CRhinoDoc doc;
  int building = 0, walls = 0, scaffold = 0;
};

TEST_F(SceneLayers, EachUsedDocumentLayerBecomesOneSceneLayerNamedWithItsPath) {
  SceneExporter exporter(doc);
  LayerRegistry& registry = exporter.writer.layerRegistry;
  const ON_UUID wallsId = registry.findLayerId(walls, true);
  EXPECT_EQ(registry.findLayerId(walls, true), wallsId);
  EXPECT_EQ(registry.findLayerMaterial(scaffold, true), 4);
  EXPECT_TRUE(ON_UuidIsNil(registry.findLayerId(99, true)));  // beyond the table
  EXPECT_TRUE(ON_UuidIsNil(registry.findLayerId(building, false)));
  const Scene scene = savedScene(exporter.writer);

  ASSERT_EQ(scene.layers.size(), 2u);
  EXPECT_EQ(scene.layers[0].name, "Building::Walls");
  EXPECT_EQ(scene.layers[1].name, "Scaffold");
  EXPECT_EQ(registry.visible.Count(), 2);
  EXPECT_FALSE(ON_UuidIsNil(wallsId));
}

TEST_F(SceneLayers, TheRootLayerIsMadeOnceForNegativeIndices) {
  SceneExporter exporter(doc);
  LayerRegistry& registry = exporter.writer.layerRegistry;
  EXPECT_EQ(registry.findLayerMaterial(-2, true), 0);
  const ON_UUID root = registry.findLayerId(-1, true);
  EXPECT_FALSE(ON_UuidIsNil(root));
  EXPECT_EQ(registry.findLayerId(-1, true), root);
  EXPECT_EQ(registry.findLayerMaterial(walls, true), -1);  // the layer has no render material
  const Scene scene = savedScene(exporter.writer);
  ASSERT_EQ(scene.layers.size(), 2u);
  EXPECT_EQ(scene.layers[0].name, "Scene objects");
}

TEST_F(SceneLayers, SingleLayerOutputPutsEveryInstanceOnTheNilLayerAndMakesOnlyTheRoot) {
  singleLayerOutput = 1;
  SceneExporter exporter(doc);
  LayerRegistry& registry = exporter.writer.layerRegistry;
  EXPECT_TRUE(ON_UuidIsNil(registry.findLayerId(walls, true)));
  // A document layer keeps its render material, though it gets no scene layer.
  EXPECT_EQ(registry.findLayerMaterial(scaffold, true), 4);
  EXPECT_EQ(registry.findLayerMaterial(walls, true), -1);
  EXPECT_EQ(registry.findLayerMaterial(99, true), -1);  // beyond the table
  EXPECT_FALSE(ON_UuidIsNil(registry.findLayerId(-1, true)));
  EXPECT_EQ(registry.layerIndices.Count(), 1);

  doc.AddObject(meshObject(makeQuad({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}), L"", walls));
  doc.AddObject(meshObject(makeQuad({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}), L"", scaffold));
  const Scene scene = exportScene(doc, ByLayer);
  ASSERT_EQ(scene.objectInstances.size(), 1u);  // the scaffold is on a hidden layer
  EXPECT_TRUE(QzOrv::scene::isNil(scene.objectInstances[0].layer.value()));
  ASSERT_EQ(scene.layers.size(), 1u);  // the root, made by the first lookup all the same
  EXPECT_EQ(scene.layers[0].name, "Scene objects");
}

}  // namespace
}  // namespace geometry_test
