// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <set>
#include <tuple>

#include "GeometryTestSupport.h"
#include "geometry/BlockInstances.h"
#include "geometry/MeshExport.h"
#include "geometry/OwnedArray.h"
#include "geometry/PointWelder.h"

namespace geometry_test {
namespace {

using QzOrv::scene::Scene;

TEST(PointWelder, WeldsOnlyPointsWithTheSameBytes) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  PointWelder welder;
  EXPECT_EQ(welder.Add({1, 2, 3}), 0);
  EXPECT_EQ(welder.Add({1, 2, std::nextafter(3.0, 4.0)}), 1);  // last bit differs
  EXPECT_EQ(welder.Add({0.0, 0, 0}), 2);
  EXPECT_EQ(welder.Add({-0.0, 0, 0}), 3);  // -0.0 == +0.0 as numbers, not as bytes
  EXPECT_EQ(welder.Add({nan, 0, 0}), 4);
  EXPECT_EQ(welder.Add({nan, 0, 0}), 4);  // the identical NaN meets itself
  EXPECT_EQ(welder.Add({1, 2, 3}), 0);
  EXPECT_EQ(welder.Points().Count(), 5);
}

// Unreserved, reserved for the vertex count as the export does, and reserved for too few, so
// that the index must still grow; under the process's seed and under others: the same indices
// and points each way.
TEST(PointWelder, GivesTheIndicesOfTheLinearFirstOccurrenceSearch) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  double otherNan;
  const std::uint64_t otherPayload = 0x7FF8000000000001ull;
  std::memcpy(&otherNan, &otherPayload, sizeof otherNan);
  const double pool[] = {0.0, -0.0, 1.0, std::nextafter(1.0, 2.0), nan, otherNan, -1e300};
  constexpr int kPoints = 3000;

  const std::optional<std::uint64_t> seeds[] = {std::nullopt, 0, 0x9E3779B97F4A7C15ull, ~0ull};
  for (const std::optional<std::uint64_t> seed : seeds)
    for (const int reserved : {-1, kPoints, 10}) {
      std::mt19937 random(7);
      std::uniform_int_distribution<int> pick(0, 6);
      PointWelder welder = seed ? PointWelder(*seed) : PointWelder();
      if (reserved >= 0) welder.Reserve(reserved);
      ON_SimpleArray<ON_3dPoint> reference;
      for (int i = 0; i < kPoints; ++i) {
        const ON_3dPoint p(pool[pick(random)], pool[pick(random)], pool[pick(random)]);
        int expected = reference.Search(p);
        if (expected < 0) {
          reference.Append(p);
          expected = reference.Count() - 1;
        }
        ASSERT_EQ(welder.Add(p), expected) << "point " << i << ", reserved " << reserved;
      }
      ASSERT_EQ(welder.Points().Count(), reference.Count());
      EXPECT_EQ(std::memcmp(welder.Points().Array(), reference.Array(),
                            sizeof(ON_3dPoint) * reference.Count()),
                0);
    }
}

// An object with one render mesh per face of a polysurface.
CRhinoObject* polysurfaceObject(const std::vector<ON_Mesh*>& faceMeshes, const wchar_t* name) {
  auto* brep = new ON_Brep;
  for (ON_Mesh* mesh : faceMeshes) {
    ON_BrepFace& face = brep->NewFace(new ON_PlaneSurface);
    face.SetMesh(ON::render_mesh, mesh);
  }
  auto* object = new CRhinoBrepObject(brep);
  CRhinoObjectAttributes attributes;
  attributes.m_name = name;
  object->SetAttributes(attributes);
  return object;
}

class MeshExport : public GeometryExportTest {
 protected:
  void SetUp() override {
    GeometryExportTest::SetUp();
    setUnits(doc, ON::centimeters);
  }
  CRhinoDoc doc;
};

TEST_F(MeshExport, ABoxOfSixMeshesWeldsToEightPointsPerObjectButNotInAGroup) {
  std::unique_ptr<CRhinoObject> box(polysurfaceObject(unitBoxFaces(), L"Box"));
  SceneExporter exporter(doc);
  ASSERT_NE(exportObjectMeshes(exporter.writer, box.get()), nullptr);
  OwnedArray<ON_Mesh> meshes;
  collectRenderMeshes(box.get(), meshes);
  ASSERT_EQ(meshes.Count(), 6);
  CRhinoObjectAttributes attributes;
  ASSERT_NE(exportMeshGroup(exporter.writer, meshes, attributes, nullptr), nullptr);
  const Scene scene = savedScene(exporter.writer);

  ASSERT_EQ(scene.objectDefinitions.size(), 2u);
  const QzOrv::scene::ObjectDefinition& welded = scene.objectDefinitions[0];
  EXPECT_EQ(welded.vertices.size(), 8u);
  std::set<std::tuple<double, double, double>> corners;
  for (const QzOrv::OrvPoint& p : welded.vertices) corners.insert({p.x, p.y, p.z});
  EXPECT_EQ(corners.size(), 8u);
  ASSERT_EQ(welded.polygons.size(), 6u);
  for (const auto& polygon : polygonIndices(welded)) {
    ASSERT_EQ(polygon.size(), 4u);
    EXPECT_EQ(std::set<int>(polygon.begin(), polygon.end()).size(), 4u);
  }

  const QzOrv::scene::ObjectDefinition& plain = scene.objectDefinitions[1];
  EXPECT_EQ(plain.vertices.size(), 24u);
  ASSERT_EQ(plain.polygons.size(), 6u);
  EXPECT_EQ(polygonIndices(plain)[5], (std::vector<int>{20, 21, 22, 23}));
}

TEST_F(MeshExport, AQuadWhoseLastCornersWeldBecomesATriangleButNotOneWhoseFirstCornersDo) {
  std::unique_ptr<CRhinoObject> lastTwo(
      meshObject(makeQuad({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 0}), L"Wedge"));
  std::unique_ptr<CRhinoObject> firstTwo(
      meshObject(makeQuad({0, 0, 0}, {0, 0, 0}, {1, 1, 0}, {0, 1, 0}), L"Fold"));
  SceneExporter exporter(doc);
  exportObjectMeshes(exporter.writer, lastTwo.get());
  exportObjectMeshes(exporter.writer, firstTwo.get());
  const Scene scene = savedScene(exporter.writer);

  EXPECT_EQ(polygonIndices(definitionNamed(scene, "Wedge")),
            (std::vector<std::vector<int>>{{0, 1, 2}}));
  EXPECT_EQ(polygonIndices(definitionNamed(scene, "Fold")),
            (std::vector<std::vector<int>>{{0, 0, 1, 2}}));
}

TEST_F(MeshExport, ABrokenMeshIsLeftOutAndTheNextOneStillExported) {
  ON_Mesh* broken = makeQuad({5, 0, 0}, {6, 0, 0}, {6, 1, 0}, {5, 1, 0});
  broken->m_F[0].vi[2] = 9;  // no such vertex
  std::unique_ptr<CRhinoObject> object(
      polysurfaceObject({makeQuad({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}), broken,
                         makeQuad({1, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0})},
                        L"Strip"));
  SceneExporter exporter(doc);
  exportObjectMeshes(exporter.writer, object.get());
  const Scene scene = savedScene(exporter.writer);

  // The broken mesh's points stay; the third quad welds onto the first one's right edge.
  const QzOrv::scene::ObjectDefinition& strip = definitionNamed(scene, "Strip");
  EXPECT_EQ(strip.vertices.size(), 10u);
  EXPECT_EQ(polygonIndices(strip), (std::vector<std::vector<int>>{{0, 1, 2, 3}, {1, 8, 9, 2}}));
}

TEST_F(MeshExport, ObjectsWithoutFacesOrMeshesMakeEmptyOrNoDefinitions) {
  std::unique_ptr<CRhinoObject> curve(curveObject());
  std::unique_ptr<CRhinoObject> faceless(meshObject(makeMesh({{0, 0, 0}}, {}), L"Dot"));
  SceneExporter exporter(doc);
  EXPECT_EQ(exportObjectMeshes(exporter.writer, curve.get()), nullptr);
  EXPECT_NE(exportObjectMeshes(exporter.writer, faceless.get()), nullptr);
  const Scene scene = savedScene(exporter.writer);

  ASSERT_EQ(scene.objectDefinitions.size(), 1u);
  EXPECT_TRUE(scene.objectDefinitions[0].vertices.empty());
  EXPECT_TRUE(scene.objectDefinitions[0].materials.empty());
  EXPECT_TRUE(scene.objectDefinitions[0].polygons.empty());
}

TEST_F(MeshExport, ASurfaceWithoutRenderMeshesIsMeshedWithQualitySettings) {
  auto* brep = new ON_Brep;
  brep->NewFace(new ON_PlaneSurface({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 4}, {0, 4}));
  CRhinoBrepObject object(brep);
  SceneExporter exporter(doc);
  ASSERT_NE(exportObjectMeshes(exporter.writer, &object), nullptr);
  const Scene scene = savedScene(exporter.writer);
  EXPECT_GE(scene.objectDefinitions[0].polygons.size(), 16u);
}

TEST_F(MeshExport, DefinitionNamesComposeUnderTheEnclosingName) {
  std::unique_ptr<CRhinoObject> chair(
      meshObject(makeQuad({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}), L"Chair"));
  std::unique_ptr<CRhinoObject> unnamed(
      meshObject(makeQuad({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0})));
  SceneExporter exporter(doc);
  SceneWriter& writer = exporter.writer;
  exportObjectMeshes(writer, unnamed.get());
  ASSERT_TRUE(pushName(writer, L"Room"));
  exportObjectMeshes(writer, chair.get());
  exportObjectMeshes(writer, unnamed.get());
  EXPECT_EQ(writer.nameStack.GetSize(), 1);
  popName(writer);
  const Scene scene = savedScene(writer);
  EXPECT_EQ(namesOf(scene.objectDefinitions),
            (std::vector<std::string>{"Unnamed object definition", "Room Chair", "Room"}));
}

TEST(DefinitionMeshes, MovesPointsByTheBlockButKeepsTheBoxWhereTheBlockDefinitionHasIt) {
  ON_Xform metres;
  metres.Scale(100, 100, 100);
  DefinitionMeshes gathered(translation(100, 0, 0), metres, true);
  std::unique_ptr<ON_Mesh> stray(makeMesh({{-50, -50, -50}}, {}));
  std::unique_ptr<ON_Mesh> quad(makeQuad({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}));
  std::unique_ptr<ON_Mesh> trailing(makeMesh({{0, 0, 3}}, {}));
  gathered.AddMesh(*stray);  // before any face: does not widen the box
  gathered.AddMesh(*quad);
  gathered.AddMesh(*trailing);  // after the first face: does

  ASSERT_EQ(gathered.Points().Count(), 6);
  EXPECT_EQ(gathered.Points()[2].x, 10100.0);  // the quad's corner (1, 0, 0)
  EXPECT_EQ(gathered.Points()[2].y, 0.0);
  EXPECT_EQ(gathered.Box().m_min, ON_3dPoint(0, 0, 0));
  EXPECT_EQ(gathered.Box().m_max, ON_3dPoint(100, 100, 300));
}

// The unit scale is applied factor by factor where it only scales: every point must keep the
// bytes of the full product, signed zeros and the smallest and largest numbers included, under
// scales, a transform that is no scale and with a block transform before either.
TEST(DefinitionMeshes, PlacesEveryPointWithTheBytesOfTheFullProduct) {
  const double tiny = std::numeric_limits<double>::denorm_min();
  const std::vector<ON_3dPoint> points = {{0.0, -0.0, 1.0},
                                          {-0.0, 0.0, -0.0},
                                          {tiny, -tiny, 1e-310},
                                          {1e300, -1e300, 0.1},
                                          {-3.75, 123456.789, -1e-5}};
  ON_Xform tenth, metres, uneven, turned;
  tenth.Scale(0.1, 0.1, 0.1);
  metres.Scale(100, 100, 100);
  uneven.Scale(2, 0.5, 1e-3);
  turned.Rotation(0.5, {0, 0, 1}, ON_3dPoint::Origin);
  const ON_Xform units[] = {tenth, metres, uneven, turned, ON_Xform::IdentityTransformation};
  const ON_Xform blocks[] = {ON_Xform::IdentityTransformation, translation(1, -2, 0)};
  std::unique_ptr<ON_Mesh> mesh(makeMesh(points, {}));
  for (const ON_Xform& block : blocks)
    for (const ON_Xform& unit : units) {
      DefinitionMeshes gathered(block, unit, false);
      gathered.AddMesh(*mesh);
      ASSERT_EQ(gathered.Points().Count(), mesh->VertexCount());
      for (int i = 0; i < mesh->VertexCount(); ++i) {
        ON_3dPoint expected = mesh->Vertex(i);
        if (!block.IsIdentity(0.0)) expected.Transform(block);
        if (!unit.IsIdentity(0.0)) expected.Transform(unit);
        EXPECT_EQ(std::memcmp(&gathered.Points()[i], &expected, sizeof expected), 0)
            << "vertex " << i << " under unit [0][0] " << unit[0][0];
      }
    }
}

// Unwelded, a mesh with a point out of range adds no point, one with a face naming a missing
// vertex keeps its points but no polygon, and the meshes after them are numbered on from there.
TEST(DefinitionMeshes, UnweldedMeshesThatFailTakeBackWhatTheyAdded) {
  ON_Xform metres;
  metres.Scale(100, 100, 100);
  DefinitionMeshes gathered(ON_Xform::IdentityTransformation, metres, false);
  std::unique_ptr<ON_Mesh> first(makeQuad({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}));
  std::unique_ptr<ON_Mesh> huge(makeQuad({0, 0, 0}, {1e307, 0, 0}, {1, 1, 0}, {0, 1, 0}));
  std::unique_ptr<ON_Mesh> broken(
      makeMesh({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {{0, 1, 2}, {0, 1, 5}}));
  std::unique_ptr<ON_Mesh> last(makeQuad({2, 0, 0}, {3, 0, 0}, {3, 1, 0}, {2, 1, 0}));
  gathered.AddMesh(*first);
  EXPECT_THROW(gathered.AddMesh(*huge), std::range_error);
  EXPECT_THROW(gathered.AddMesh(*broken), std::out_of_range);
  gathered.AddMesh(*last);

  ASSERT_EQ(gathered.Points().Count(), 4 + 3 + 4);
  EXPECT_EQ(gathered.Points()[7].x, 200.0);
  ASSERT_EQ(gathered.Polygons().Count(), 2);
  const int expected[2][4] = {{0, 1, 2, 3}, {7, 8, 9, 10}};
  for (int f = 0; f < 2; ++f)
    for (int k = 0; k < 4; ++k) EXPECT_EQ(gathered.Polygons()[f].vi[k], expected[f][k]);
  EXPECT_EQ(gathered.Box().m_max, ON_3dPoint(300, 100, 0));
}

}  // namespace
}  // namespace geometry_test
