// Saving: the reference check's warnings, the refusal of bad arguments, the bounded pieces and
// the caller's chance to stop between them.
#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "SceneFixtures.h"
#include "orv/SceneFileWriter.h"
#include "orv/SceneModel.h"

namespace QzOrv::test {
namespace {

bool anyContains(const std::vector<std::string>& messages, const std::string& part) {
  return std::any_of(messages.begin(), messages.end(), [&](const std::string& message) {
    return message.find(part) != std::string::npos;
  });
}

void addPolygon(IOrvObjectDefinition& definition, int material,
                std::initializer_list<int> corners) {
  IOrvPolygon* polygon = definition.polygons()->insert(-1);
  polygon->setMaterialIndex(material);
  for (int corner : corners) *polygon->vertexIndices()->insert(-1) = corner;
}

TEST(Save, ReportsEachBrokenReferenceAndStillWritesTheScene) {
  RecordingFeedback feedback;
  Manager manager = newManager(&feedback);
  IOrvLayer* layer = manager->layers()->insert(-1);
  manager->heliodons()->insert(-1)->identity()->setName("Sun");
  IOrvObjectDefinition* box = manager->objectDefinitions()->insert(-1);
  box->identity()->setName("Box");
  box->materials()->insert(-1);
  for (int i = 0; i < 3; ++i) box->vertices()->insert(-1);
  addPolygon(*box, 0, {0, 1, 2});  // sound
  addPolygon(*box, 0, {0, 1});
  addPolygon(*box, 0, {0, 1, 3});
  addPolygon(*box, 1, {0, 1, 2});

  const OrvId stranger{{0xAB, 0xCD}};
  const OrvId nil{};
  IOrvObjectInstance* lost = manager->objectInstances()->insert(-1);
  lost->identity()->setName("Lost");
  lost->definitionLink()->setDefinition(&stranger);
  lost->setLayer(&stranger);
  IOrvObjectInstance* sound = manager->objectInstances()->insert(-1);
  sound->definitionLink()->setDefinition(box->identity()->id());
  sound->setLayer(&nil);
  manager->objectInstances()->insert(-1)->setLayer(layer->identity()->id());

  IOrvView* view = manager->views()->insert(-1);
  view->identity()->setName("Top");
  view->settings()->setHeliodon("Moon");
  *view->settings()->visibleLayers()->insert(-1) = stranger;
  IOrvCamera* camera = manager->cameras()->insert(-1);
  camera->settings()->setHeliodon("Sun");
  *camera->settings()->visibleLayers()->insert(-1) = *layer->identity()->id();

  MemoryStream stream;
  EXPECT_TRUE(manager->save(&stream, 0));
  const std::string strangerText = scene::formatId(stranger);
  const std::vector<std::string>& warnings = feedback.warnings;
  EXPECT_EQ(warnings.size(), 8u) << ::testing::PrintToString(warnings);
  EXPECT_TRUE(anyContains(warnings, "objectDefinitions[0] \"Box\", polygon 1: 2 vertex indices"));
  EXPECT_TRUE(anyContains(warnings, "polygon 2: vertex index 3 is outside the 3 vertices"));
  EXPECT_TRUE(anyContains(warnings, "polygon 3: material index 1 is outside the 1 materials"));
  EXPECT_TRUE(anyContains(warnings, "objectInstances[0] \"Lost\": definition id " + strangerText));
  EXPECT_TRUE(anyContains(warnings, "objectInstances[0] \"Lost\": layer id " + strangerText));
  EXPECT_TRUE(anyContains(warnings, "objectInstances[2] (unnamed): no definition"));
  EXPECT_TRUE(anyContains(warnings, "views[0] \"Top\": heliodon \"Moon\" names no heliodon"));
  EXPECT_TRUE(anyContains(warnings, "views[0] \"Top\": visible layer id " + strangerText));
  EXPECT_TRUE(feedback.errors.empty());
  EXPECT_EQ(readBack(stream.bytes).objectInstances.size(), 3u);
}

TEST(Save, RefusesFlagsAndAMissingStreamWithoutWriting) {
  RecordingFeedback feedback;
  Manager manager = newManager(&feedback);
  MemoryStream stream;
  EXPECT_FALSE(manager->save(&stream, 1));
  EXPECT_FALSE(manager->save(nullptr, 0));
  EXPECT_TRUE(stream.bytes.empty());
  EXPECT_EQ(feedback.errors.size(), 2u);
}

// A definition big enough for many pieces: 24 bytes per vertex.
void addBigDefinition(IOrvMgr& manager, int vertexCount) {
  IOrvObjectDefinition* definition = manager.objectDefinitions()->insert(-1);
  IOrvList<OrvPoint>* vertices = definition->vertices();
  for (int i = 0; i < vertexCount; ++i) *vertices->insert(-1) = {double(i), -double(i), 0.5};
  for (int i = 0; i + 2 < vertexCount; i += 3) {
    IOrvList<int>* corners = definition->polygons()->insert(-1)->vertexIndices();
    for (int k = 0; k < 3; ++k) *corners->insert(-1) = i + k;
  }
}

TEST(Save, StopsAsSoonAsTheFeedbackSaysNo) {
  RecordingFeedback feedback;
  feedback.stopAfterQueries = 2;
  Manager manager = newManager(&feedback);
  addBigDefinition(*manager, 20000);
  MemoryStream stream;
  EXPECT_FALSE(manager->save(&stream, 0));
  EXPECT_EQ(feedback.queries, 3);
  EXPECT_EQ(stream.pieces.size(), 3u) << "one piece before the first query, one per true answer";
}

TEST(Save, AMillionVertexDefinitionGoesOutInBoundedPieces) {
  RecordingFeedback feedback;
  Manager manager = newManager(&feedback);
  constexpr int kVertices = 1'000'000;
  addBigDefinition(*manager, kVertices);
  MemoryStream stream;
  ASSERT_TRUE(manager->save(&stream, 0));

  EXPECT_GT(stream.bytes.size(), 24u * kVertices);
  EXPECT_LE(*std::max_element(stream.pieces.begin(), stream.pieces.end()), scene::kMaxPieceBytes);
  EXPECT_GE(stream.pieces.size(), stream.bytes.size() / scene::kMaxPieceBytes);
  EXPECT_EQ(feedback.queries, static_cast<int>(stream.pieces.size()) - 1);

  const scene::Scene saved = readBack(stream.bytes);
  const scene::ObjectDefinition& definition = saved.objectDefinitions[0];
  ASSERT_EQ(definition.vertices.size(), std::size_t{kVertices});
  EXPECT_EQ(definition.vertices[kVertices - 1], (OrvPoint{kVertices - 1.0, 1.0 - kVertices, 0.5}));
  EXPECT_EQ(definition.polygons.size(), std::size_t{kVertices / 3});
  const std::span<const int> corners = definition.polygons[1234].vertexIndices;
  EXPECT_EQ(std::vector<int>(corners.begin(), corners.end()), (std::vector<int>{3702, 3703, 3704}));
}

}  // namespace
}  // namespace QzOrv::test
