// The scene interface as callers use it: the factory, list semantics, element identity, assign
// and the values recorded by setters (read back through a saved file).
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "SceneFixtures.h"
#include "orv/SceneModel.h"

namespace QzOrv::test {
namespace {

TEST(Factory, CreatesManagersOnlyForVersion6) {
  IOrvMgr* manager = reinterpret_cast<IOrvMgr*>(0x1);
  EXPECT_FALSE(newOrvMgr(&manager, static_cast<EVersionORV>(49), nullptr));
  EXPECT_EQ(manager, nullptr);
  EXPECT_FALSE(newOrvMgr(nullptr, ORV_VERSION_6, nullptr));

  ASSERT_TRUE(newOrvMgr(&manager, ORV_VERSION_6, nullptr));
  ASSERT_NE(manager, nullptr);
  EXPECT_TRUE(manager->setCreator("Maker", "1.0"));
  EXPECT_EQ(manager->release(), 0u);
}

TEST(Lists, InsertAppendsOrInsertsBeforeAndRejectsBadIndices) {
  Manager manager = newManager();
  IOrvList<IOrvLayer>* layers = manager->layers();
  EXPECT_EQ(layers, manager->layers()) << "a getter returns the same list every time";

  IOrvLayer* first = layers->insert(-1);
  IOrvLayer* last = layers->insert(1);
  IOrvLayer* front = layers->insert(0);
  ASSERT_TRUE(first && last && front);
  EXPECT_EQ(layers->count(), 3);
  EXPECT_EQ(layers->at(0), front);
  EXPECT_EQ(layers->at(1), first);
  EXPECT_EQ(layers->at(2), last);

  EXPECT_EQ(layers->insert(4), nullptr);
  EXPECT_EQ(layers->insert(-2), nullptr);
  EXPECT_EQ(layers->at(-1), nullptr);
  EXPECT_EQ(layers->at(3), nullptr);
  EXPECT_EQ(layers->count(), 3);
}

TEST(Lists, ValueListsHandOutZeroFilledStorageInOrder) {
  Manager manager = newManager();
  IOrvList<OrvPoint>* vertices = manager->objectDefinitions()->insert(-1)->vertices();
  *vertices->insert(-1) = {1, 2, 3};
  OrvPoint* inserted = vertices->insert(0);
  ASSERT_NE(inserted, nullptr);
  EXPECT_EQ(*inserted, (OrvPoint{0, 0, 0}));
  EXPECT_EQ(*vertices->at(1), (OrvPoint{1, 2, 3}));
  EXPECT_EQ(vertices->insert(3), nullptr);

  IOrvList<OrvId>* visible = manager->views()->insert(-1)->settings()->visibleLayers();
  EXPECT_TRUE(scene::isNil(*visible->insert(-1)));
  EXPECT_EQ(
      *manager->objectDefinitions()->at(0)->polygons()->insert(-1)->vertexIndices()->insert(-1), 0);
}

TEST(Lists, ElementsKeepTheirAddressWhileTheListGrows) {
  Manager manager = newManager();
  IOrvObjectDefinition* first = manager->objectDefinitions()->insert(-1);
  IOrvMaterial* slot = first->materials()->insert(-1);
  for (int i = 0; i < 2000; ++i) {
    manager->objectDefinitions()->insert(0);
    first->materials()->insert(0);
  }
  first->identity()->setName("kept");
  slot->setFactor(0.5);

  const scene::Scene saved = readBack(saveToBytes(*manager));
  const scene::ObjectDefinition& definition = saved.objectDefinitions[2000];
  EXPECT_EQ(definition.name, "kept");
  EXPECT_EQ(definition.materials[2000].factor, 0.5);
}

TEST(Elements, AssignCopiesEveryRecordedValueButKeepsItsOwnId) {
  Manager manager = newManager();
  fillEverySetter(*manager);
  IOrvList<IOrvMaterial>* materials = manager->objectDefinitions()->at(0)->materials();
  IOrvMaterial* source = materials->at(0);
  IOrvMaterial* copy = materials->insert(-1);
  copy->setFactor(0.1);
  copy->assign(source);
  source->setFactor(0.2);  // a later change of the source does not reach the copy
  IOrvMaterial* untouched = materials->insert(-1);
  untouched->setShininess(3);
  untouched->assign(nullptr);

  const scene::Scene saved = readBack(saveToBytes(*manager));
  const auto& savedMaterials = saved.objectDefinitions[0].materials;
  scene::Material expected = savedMaterials[0];
  expected.id = *copy->identity()->id();
  expected.factor = 0.9;
  EXPECT_EQ(savedMaterials[2], expected);
  EXPECT_NE(savedMaterials[2].id, savedMaterials[0].id);
  EXPECT_EQ(savedMaterials[3].shininess, 3.0);
  EXPECT_FALSE(savedMaterials[3].name.has_value());
}

TEST(Elements, MakeCurrentLeavesOnlyOneCurrentCamera) {
  Manager manager = newManager();
  IOrvCamera* first = manager->cameras()->insert(-1);
  IOrvCamera* second = manager->cameras()->insert(-1);
  first->makeCurrent();
  second->makeCurrent();

  const scene::Scene saved = readBack(saveToBytes(*manager));
  EXPECT_FALSE(saved.cameras[0].current);
  EXPECT_TRUE(saved.cameras[1].current);
}

TEST(Elements, NullAddressesLeaveValuesUnsetAndNullTextIsEmpty) {
  Manager manager = newManager();
  const OrvPoint point{1, 2, 3};
  IOrvMaterial* material = manager->objectDefinitions()->insert(-1)->materials()->insert(-1);
  material->setDiffuse(nullptr);
  material->setMappingFrame(&point, nullptr, &point);
  material->setTextureFile(nullptr);
  IOrvObjectInstance* instance = manager->objectInstances()->insert(-1);
  instance->setLayer(nullptr);
  instance->definitionLink()->setDefinition(nullptr);
  instance->identity()->setName(nullptr);

  const scene::Scene saved = readBack(saveToBytes(*manager));
  const scene::Material& savedMaterial = saved.objectDefinitions[0].materials[0];
  EXPECT_FALSE(savedMaterial.diffuse.has_value());
  EXPECT_FALSE(savedMaterial.mappingFrame.has_value());
  EXPECT_EQ(savedMaterial.textureFile, "");
  EXPECT_FALSE(saved.objectInstances[0].layer.has_value());
  EXPECT_FALSE(saved.objectInstances[0].definitionLink.definition.has_value());
  EXPECT_EQ(saved.objectInstances[0].name, "");
}

TEST(Identity, IdsAreUniqueLookLikeVersion4AndRepeatForTheSameCalls) {
  Manager manager = newManager();
  fillEverySetter(*manager);
  const std::vector<std::uint8_t> bytes = saveToBytes(*manager);
  const scene::Scene saved = readBack(bytes);

  std::vector<OrvId> ids;
  for (const auto& layer : saved.layers) ids.push_back(layer.id);
  for (const auto& definition : saved.objectDefinitions) {
    ids.push_back(definition.id);
    for (const auto& material : definition.materials) ids.push_back(material.id);
  }
  for (const auto& instance : saved.objectInstances) {
    ids.push_back(instance.id);
    for (const auto& material : instance.definitionLink.materials) ids.push_back(material.id);
  }
  ids.push_back(saved.lights[0].id);
  ids.push_back(saved.heliodons[0].id);
  ids.push_back(saved.views[0].id);
  ids.push_back(saved.cameras[0].id);
  std::set<std::string> distinct;
  for (const OrvId& id : ids) {
    distinct.insert(scene::formatId(id));
    EXPECT_EQ(id.bytes[6] >> 4, 4) << scene::formatId(id);
    EXPECT_EQ(id.bytes[8] >> 6, 2) << scene::formatId(id);
  }
  EXPECT_EQ(distinct.size(), ids.size());

  Manager again = newManager();
  fillEverySetter(*again);
  EXPECT_EQ(saveToBytes(*again), bytes);
  EXPECT_EQ(saveToBytes(*manager), bytes) << "saving twice gives the same bytes";
}

}  // namespace
}  // namespace QzOrv::test
