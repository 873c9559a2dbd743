// The document loader's objects and block definitions: every kind of geometry, the attributes,
// instance transforms, and the errors that name the place of a bad value.
#include <gtest/gtest.h>
#include <pthread.h>

#include <cmath>
#include <string>

#include "DocumentTestSupport.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

const CRhinoObject& Object(const CRhinoDoc& doc, int i) {
  return *doc.m_object_table.Object(i);
}

void ExpectNear(const ON_3dPoint& actual, const ON_3dPoint& expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-12);
  EXPECT_NEAR(actual.y, expected.y, 1e-12);
  EXPECT_NEAR(actual.z, expected.z, 1e-12);
}

TEST(DocumentObjects, ReadAttributesByNameOrIndexWithTheHostDefaults) {
  CRhinoDoc doc;
  Load(R"({
    "materials": [{"name": "Brick"}, {"name": "Glass"}],
    "layers": [{"name": "House"}, {"name": "Walls", "parent": "House"}],
    "objects": [
      {"point": [0, 0, 0]},
      {"name": "Wall", "layer": "House::Walls", "material_source": "object", "material": "Glass",
       "mode": "locked", "selected": true, "point": [1, 2, 3]},
      {"layer": 1, "material_source": "parent", "mode": "hidden", "reference": true,
       "annotation": [4, 5, 6]}
    ]})",
       doc);
  ASSERT_EQ(doc.m_object_table.ObjectCount(), 3);
  const CRhinoObjectAttributes& plain = Object(doc, 0).Attributes();
  EXPECT_STREQ(plain.m_name, L"");
  EXPECT_EQ(plain.m_layer_index, 0);
  EXPECT_EQ(plain.MaterialSource(), ON_3dmObjectAttributes::material_from_layer);
  EXPECT_EQ(plain.m_material_index, -1);
  EXPECT_EQ(plain.Mode(), ON_3dmObjectAttributes::normal_object);
  EXPECT_EQ(Object(doc, 0).IsSelected(), 0);
  EXPECT_FALSE(doc.m_object_table.IsReference(0));
  EXPECT_EQ(Object(doc, 0).Document(), &doc);

  const CRhinoObject& wall = Object(doc, 1);
  EXPECT_STREQ(wall.Attributes().m_name, L"Wall");
  EXPECT_EQ(wall.Attributes().m_layer_index, 1);
  EXPECT_EQ(wall.Attributes().MaterialSource(), ON_3dmObjectAttributes::material_from_object);
  EXPECT_EQ(wall.Attributes().m_material_index, 1);
  EXPECT_EQ(wall.Attributes().Mode(), ON_3dmObjectAttributes::locked_object);
  EXPECT_NE(wall.IsSelected(false), 0);
  EXPECT_EQ(static_cast<const ON_Point*>(wall.Geometry())->point, ON_3dPoint(1, 2, 3));

  const CRhinoObject& note = Object(doc, 2);
  EXPECT_NE(dynamic_cast<const CRhinoAnnotationObject*>(&note), nullptr);
  EXPECT_EQ(note.Attributes().MaterialSource(), ON_3dmObjectAttributes::material_from_parent);
  EXPECT_FALSE(note.IsVisible());
  EXPECT_TRUE(doc.m_object_table.IsReference(2));
}

TEST(DocumentObjects, MeshesKeepTheirPrecisionAndFaces) {
  CRhinoDoc doc;
  Load(R"({"objects": [
      {"mesh": {"vertices": [[0, 0, 0], [1, 0, 0], [1, 1, 0], [0.1, 1, 1e8]],
                "faces": [[0, 1, 2], [0, 1, 2, 3]]}},
      {"mesh": {"vertices": [[0.1, 1, 1e8]], "precision": "double"}}
    ]})",
       doc);
  const auto* single = dynamic_cast<const CRhinoMeshObject*>(&Object(doc, 0));
  ASSERT_NE(single, nullptr);
  const ON_Mesh& mesh = *single->Mesh();
  EXPECT_FALSE(mesh.HasDoublePrecisionVertices());
  EXPECT_EQ(mesh.Vertex(3).x, double(0.1f));
  ASSERT_EQ(mesh.FaceCount(), 2);
  EXPECT_TRUE(mesh.m_F[0].IsTriangle());
  EXPECT_TRUE(mesh.m_F[1].IsQuad());
  EXPECT_EQ(mesh.m_F[1].vi[3], 3);

  const ON_Mesh& exact = *static_cast<const CRhinoMeshObject&>(Object(doc, 1)).Mesh();
  ASSERT_TRUE(exact.HasDoublePrecisionVertices());
  EXPECT_EQ(exact.Vertex(0), ON_3dPoint(0.1, 1, 1e8));
  EXPECT_EQ(exact.m_V[0].x, 0.1f);
}

TEST(DocumentObjects, SurfacesBecomeBrepsWithOptionalStoredRenderMeshes) {
  CRhinoDoc doc;
  Load(R"({"objects": [
      {"surface": {"kind": "plane", "origin": [1, 0, 0], "x_axis": [0, 2, 0], "y_axis": [0, 0, 3],
                   "width": 4, "height": 5}},
      {"surface": [
        {"kind": "plane", "width": 1, "height": 1,
         "render_mesh": {"vertices": [[0, 0, 0], [1, 0, 0], [1, 1, 0]], "faces": [[0, 1, 2]]}},
        {"kind": "nurbs", "degree": [2, 1],
         "points": [[[1, 0, 0], [1, 0, 1]], [[1, 1, 0, 0.7071067811865476], [1, 1, 1, 0.7071067811865476]],
                    [[0, 1, 0], [0, 1, 1]]]},
        {"kind": "nurbs", "degree": 1, "points": [[[0, 0, 0], [0, 1, 0]], [[1, 0, 0], [1, 1, 0]]],
         "knots": [[0, 0, 2, 2], [5, 6]]}
      ]}
    ]})",
       doc);
  const auto* plane = dynamic_cast<const CRhinoBrepObject*>(&Object(doc, 0));
  ASSERT_NE(plane, nullptr);
  ASSERT_TRUE(plane->Brep()->IsSurface());
  const ON_Surface& rectangle = *plane->Brep()->Face(0)->SurfaceOf();
  ExpectNear(rectangle.PointAt(4, 5), {1, 4, 5});  // the axes are unit vectors
  ON_SimpleArray<const ON_Mesh*> meshes;
  EXPECT_EQ(plane->GetMeshes(ON::render_mesh, meshes), 0);

  const auto& poly = static_cast<const CRhinoBrepObject&>(Object(doc, 1));
  ASSERT_EQ(poly.Brep()->FaceCount(), 3);
  EXPECT_EQ(poly.GetMeshes(ON::render_mesh, meshes), 1);  // only the first face has one
  EXPECT_EQ(meshes[0]->FaceCount(), 1);
  const auto* arc = dynamic_cast<const ON_NurbsSurface*>(poly.Brep()->Face(1)->SurfaceOf());
  ASSERT_NE(arc, nullptr);
  EXPECT_TRUE(arc->IsRational());
  const ON_3dPoint middle = arc->PointAt(0.5, 0.5);
  EXPECT_NEAR(std::hypot(middle.x, middle.y), 1.0, 1e-12);
  const auto& flat = static_cast<const ON_NurbsSurface&>(*poly.Brep()->Face(2)->SurfaceOf());
  EXPECT_FALSE(flat.IsRational());
  EXPECT_EQ(flat.Domain(0).m_t[1], 2.0);  // full knot vector: the outer knots are dropped
  EXPECT_EQ(flat.Domain(1).m_t[0], 5.0);
  ExpectNear(flat.PointAt(1, 5.5), {0.5, 0.5, 0});
}

TEST(DocumentObjects, SubDsKeepTheirNetCreasesAndCorners) {
  CRhinoDoc doc;
  Load(
      R"({"objects": [{"subd": {"vertices": [[0, 0, 0], [1, 0, 0], [1, 1, 0], [0, 1, 0], [2, 0, 0]],
      "faces": [[0, 1, 2, 3], [1, 4, 2]], "creases": [[2, 1]], "corners": [0, 4]}}]})",
      doc);
  const auto* object = dynamic_cast<const CRhinoSubDObject*>(&Object(doc, 0));
  ASSERT_NE(object, nullptr);
  const ON_SubD& subd = *object->SubD();
  EXPECT_EQ(subd.m_points.size(), 5u);
  EXPECT_EQ(subd.m_faces, (std::vector<std::vector<int>>{{0, 1, 2, 3}, {1, 4, 2}}));
  EXPECT_EQ(subd.m_creases, (std::vector<std::pair<int, int>>{{2, 1}}));
  EXPECT_EQ(subd.m_corners, (std::vector<int>{0, 4}));
  // The render mesh is made when asked for, as for breps.
  ON_SimpleArray<const ON_Mesh*> meshes;
  EXPECT_EQ(object->GetMeshes(ON::render_mesh, meshes), 0);
  EXPECT_EQ(object->CreateMeshes(ON::render_mesh, ON_MeshParameters::FastRenderMesh), 1);
  EXPECT_EQ(object->GetMeshes(ON::render_mesh, meshes), 1);
  EXPECT_EQ(meshes[0]->FaceCount(), 7);  // one refinement: a quad in four, a triangle in three
}

TEST(DocumentObjects, CurvesAndLightsKeepEveryValue) {
  CRhinoDoc doc;
  Load(R"({"objects": [
      {"curve": {"points": [[0, 0, 0], [1, 0, 0], [1, 1, 0]]}},
      {"name": "Lamp", "light": {"kind": "spot", "location": [1, 2, 3], "direction": [0, 0, -2],
       "diffuse": [255, 200, 100], "intensity": 0.5, "shadow_intensity": 0, "spot_angle": 30}},
      {"name": "Sun", "light": {"kind": "directional", "name": "Key"}}
    ]})",
       doc);
  const auto& curve = static_cast<const ON_PolylineCurve&>(*Object(doc, 0).Geometry());
  EXPECT_EQ(curve.PointCount(), 3);

  const CRhinoLight* lamp = CRhinoLight::Cast(&Object(doc, 1));
  ASSERT_NE(lamp, nullptr);
  const ON_Light& light = lamp->Light();
  EXPECT_TRUE(light.IsSpotLight());
  EXPECT_EQ(light.Location(), ON_3dPoint(1, 2, 3));
  EXPECT_EQ(light.Direction().z, -2);
  EXPECT_EQ(unsigned(light.Diffuse()), unsigned(ON_Color(255, 200, 100)));
  EXPECT_EQ(light.Intensity(), 0.5);
  EXPECT_EQ(light.ShadowIntensity(), 0.0);
  EXPECT_NEAR(light.SpotAngleRadians(), kPi / 6, 1e-15);
  EXPECT_STREQ(light.m_light_name, L"Lamp");  // the object's name unless the light has its own
  EXPECT_STREQ(CRhinoLight::Cast(&Object(doc, 2))->Light().m_light_name, L"Key");
  EXPECT_TRUE(CRhinoLight::Cast(&Object(doc, 2))->Light().IsDirectionalLight());
}

TEST(DocumentObjects, BlocksOwnTheirObjectsAndInstancesPlaceThemByTransform) {
  CRhinoDoc doc;
  // Room is listed before the Chair it places; the chair's own objects are not document objects.
  Load(R"({
    "blocks": [
      {"name": "Room", "objects": [
        {"name": "Seat", "instance": {"block": "Chair", "transform": {"translate": [10, 0, 0]}}},
        {"point": [0, 0, 0]}]},
      {"name": "Chair", "objects": [{"name": "Leg", "point": [1, 0, 0]}]},
      {}
    ],
    "objects": [
      {"instance": {"block": "Room", "transform": {"scale": 2, "rotate": {"axis": [0, 0, 1],
       "degrees": 90}, "translate": [0, 0, 5]}}},
      {"instance": {"block": 1, "transform": [[1, 0, 0, 7], [0, 1, 0, 0], [0, 0, 1, 0],
                                              [0, 0, 0, 1]]}},
      {"instance": {"block": 2}}
    ]})",
       doc);
  const CRhinoInstanceDefinitionTable& blocks = doc.m_instance_definition_table;
  ASSERT_EQ(blocks.InstanceDefinitionCount(), 3);
  EXPECT_EQ(doc.m_object_table.ObjectCount(), 3);
  EXPECT_EQ(blocks[2]->Name(), nullptr);

  const CRhinoInstanceObject* room = CRhinoInstanceObject::Cast(&Object(doc, 0));
  ASSERT_NE(room, nullptr);
  EXPECT_EQ(room->InstanceDefinition(), blocks.FindInstanceDefinition(L"Room"));
  ON_SimpleArray<const CRhinoObject*> inRoom;
  ASSERT_EQ(room->InstanceDefinition()->GetObjects(inRoom), 2);
  const CRhinoInstanceObject* seat = CRhinoInstanceObject::Cast(inRoom[0]);
  ASSERT_NE(seat, nullptr);
  EXPECT_EQ(seat->InstanceDefinition(), blocks[1]);
  EXPECT_EQ(seat->Document(), &doc);

  // The chair's leg at (1, 0, 0): moved to x = 11 in the room, then scaled by 2, turned a quarter
  // about z and lifted by 5.
  ON_SimpleArray<const CRhinoObject*> inChair;
  seat->InstanceDefinition()->GetObjects(inChair);
  const ON_3dPoint leg = static_cast<const ON_Point*>(inChair[0]->Geometry())->point;
  ExpectNear((room->InstanceXform() * seat->InstanceXform()) * leg, {0, 22, 5});
  ExpectNear(CRhinoInstanceObject::Cast(&Object(doc, 1))->InstanceXform() * leg, {8, 0, 0});
  EXPECT_TRUE(CRhinoInstanceObject::Cast(&Object(doc, 2))->InstanceXform().IsIdentity());
}

TEST(DocumentObjects, BadObjectsAndBlocksAreReportedWhereTheyStand) {
  const BadDocument cases[] = {
      {R"({"objects": [{"mesh": {"vertices": [[0, 0, 0], [1, 0, 0], [1, 1, 0]],
                                  "faces": [[0, 1, 2], [0, 1, 3]]}}]})",
       "/objects/0/mesh/faces/1/2", "no vertex 3: the mesh has 3 vertices"},
      {R"({"objects": [{"mesh": {"vertices": [], "faces": [[0, 0, 0]]}}]})",
       "/objects/0/mesh/faces/0/0", "no vertices"},
      {R"({"objects": [{"mesh": {"vertices": [[0, 0, 0]], "faces": [[0, 0]]}}]})",
       "/objects/0/mesh/faces/0", "a triangle [a, b, c] or a quad"},
      {R"({"objects": [{"mesh": {"vertices": [[0, 0]]}}]})", "/objects/0/mesh/vertices/0",
       "a point [x, y, z]"},
      {R"({"objects": [{"name": "Nothing"}]})", "/objects/0", "missing the object's geometry"},
      {R"({"objects": [{"subd": {"vertices": [[0, 0, 0], [1, 0, 0], [1, 1, 0]],
                                  "faces": [[0, 1, 3]]}}]})",
       "/objects/0/subd/faces/0/2", "no point 3: the SubD has 3 points, 0 to 2"},
      {R"({"objects": [{"subd": {"vertices": [[0, 0, 0], [1, 0, 0], [1, 1, 0]],
                                  "faces": [[0, 1, 1]]}}]})",
       "/objects/0/subd/faces/0/2", "point 1 is named twice by one face"},
      {R"({"objects": [{"subd": {"vertices": [[0, 0, 0], [1, 0, 0]], "faces": [[0, 1]]}}]})",
       "/objects/0/subd/faces/0", "three or more point indices"},
      {R"({"objects": [{"subd": {"vertices": [[0, 0, 0], [1, 0, 0], [1, 1, 0], [0, 1, 0]],
                                  "faces": [[0, 1, 2, 3]], "creases": [[0, 2]]}}]})",
       "/objects/0/subd/creases/0", "points 0 and 2 are not the ends of an edge"},
      {R"({"objects": [{"subd": {"vertices": [[0, 0, 0]], "faces": [], "corners": [1]}}]})",
       "/objects/0/subd/corners/0", "no point 1"},
      {R"({"objects": [{"point": [0, 0, 0], "curve": {"points": []}}]})", "/objects/0/curve",
       "\"point\" and \"curve\" are both given"},
      {R"({"objects": [{"point": [0, 0, 0], "colour": 1}]})", "/objects/0/colour",
       "unknown key \"colour\""},
      {R"({"objects": [{"point": [0, 0, 0], "mode": "ghosted"}]})", "/objects/0/mode",
       "got \"ghosted\""},
      {R"({"objects": [{"point": [0, 0, 0], "layer": "Walls"}]})", "/objects/0/layer",
       "no layer is named \"Walls\""},
      {R"({"objects": [{"curve": {"points": [[0, 0, 0]]}}]})", "/objects/0/curve/points",
       "at least two points"},
      {R"({"objects": [{"light": {"spot_angle": 120}}]})", "/objects/0/light/spot_angle",
       "got 120"},
      {R"({"objects": [{"surface": {"kind": "cone"}}]})", "/objects/0/surface/kind",
       "got \"cone\""},
      {R"({"objects": [{"surface": []}]})", "/objects/0/surface", "non-empty array"},
      {R"({"objects": [{"surface": {"kind": "plane", "width": 1}}]})", "/objects/0/surface",
       "missing \"height\""},
      {R"({"objects": [{"surface": {"kind": "plane", "width": 1, "height": 1,
                                     "y_axis": [1, 1, 0]}}]})",
       "/objects/0/surface/y_axis", "perpendicular to x_axis"},
      {R"({"objects": [{"surface": {"kind": "plane", "width": 1, "height": 1,
                                     "x_axis": [1, 1, 0]}}]})",
       "/objects/0/surface", "give a y_axis"},
      {R"({"objects": [{"surface": [{"kind": "plane", "width": 1, "height": 1},
                                     {"kind": "plane", "width": 0, "height": 1}]}]})",
       "/objects/0/surface/1/width", "greater than 0"},
      {R"({"objects": [{"surface": {"kind": "nurbs", "degree": 1,
                                     "points": [[[0, 0, 0], [0, 1, 0]], [[1, 0, 0]]]}}]})",
       "/objects/0/surface/points/1", "a row of 2 control points"},
      {R"({"objects": [{"surface": {"kind": "nurbs", "degree": 2,
                                     "points": [[[0, 0, 0], [0, 1, 0]], [[1, 0, 0], [1, 1, 0]]]}}]})",
       "/objects/0/surface/points", "at least 3 rows"},
      {R"({"objects": [{"surface": {"kind": "nurbs", "degree": 1,
          "points": [[[0, 0, 0], [0, 1, 0]], [[1, 0, 0], [1, 1, 0, -1]]]}}]})",
       "/objects/0/surface/points/1/1/3", "greater than 0"},
      {R"({"objects": [{"surface": {"kind": "nurbs", "degree": 1,
          "points": [[[0, 0, 0], [0, 1, 0]], [[1, 0, 0], [1, 1, 0]]],
          "knots": [[0, 1], [1, 0]]}}]})",
       "/objects/0/surface/knots/1/1", "no smaller than the one before"},
      {R"({"objects": [{"surface": {"kind": "nurbs", "degree": 1,
          "points": [[[0, 0, 0], [0, 1, 0]], [[1, 0, 0], [1, 1, 0]]],
          "knots": [[0, 1], [1, 1]]}}]})",
       "/objects/0/surface/knots/1", "empty domain"},
      {R"({"objects": [{"surface": {"kind": "nurbs", "degree": 1,
          "points": [[[0, 0, 0], [0, 1, 0]], [[1, 0, 0], [1, 1, 0]]],
          "knots": [[0, 1, 2], [0, 1]]}}]})",
       "/objects/0/surface/knots/0", "2 (or 4) knots"},
      {R"({"objects": [{"instance": {"block": 0}}]})", "/objects/0/instance/block",
       "there is no block"},
      {R"({"blocks": [{"name": "Chair"}], "objects": [{"instance": {"block": "Table"}}]})",
       "/objects/0/instance/block", "no block is named \"Table\""},
      {R"({"blocks": [{"name": "A"}],
           "objects": [{"instance": {"block": 0, "transform": [[1, 0, 0], [0, 1, 0]]}}]})",
       "/objects/0/instance/transform", "a 4x4 matrix"},
      {R"({"blocks": [{"name": "A"}],
           "objects": [{"instance": {"block": 0, "transform": {"scale": [1, 0, 1]}}}]})",
       "/objects/0/instance/transform/scale/1", "not 0"},
      {R"({"blocks": [{"name": "A"}],
           "objects": [{"instance": {"block": 0, "transform": {"rotate": {"degrees": 5}}}}]})",
       "/objects/0/instance/transform/rotate", "missing \"axis\""},
      {R"({"blocks": [{"name": "A"}, {"name": "A"}]})", "/blocks/1/name",
       "another block is already named \"A\""},
      {R"({"blocks": [{"name": "A", "objects": [{"point": [0, 0, 0], "reference": true}]}]})",
       "/blocks/0/objects/0/reference", "cannot be reference objects"},
      {R"({"blocks": [{"name": "Loop", "objects": [{"instance": {"block": "Loop"}}]}]})",
       "/blocks/0/objects/0/instance/block",
       "block \"Loop\" would contain itself: \"Loop\" > \"Loop\""},
      {R"({"blocks": [{"name": "A", "objects": [{"point": [0, 0, 0]},
                                                 {"instance": {"block": "B"}}]},
                      {"name": "B", "objects": [{"instance": {"block": "C"}}]},
                      {"name": "C", "objects": [{"instance": {"block": 0}}]}]})",
       "/blocks/2/objects/0/instance/block",
       "block \"A\" would contain itself: \"A\" > \"B\" > \"C\" > \"A\""},
  };
  ExpectEachRefusedWhereItStands(cases);
}

/// Blocks "B0" to "B<count - 1>", each placing the next; the last places `lastPlaces` (a block
/// index, or none when negative).
std::string BlockChain(int count, int lastPlaces = -1) {
  std::string blocks;
  for (int b = 0; b < count; ++b) {
    const int placed = b + 1 < count ? b + 1 : lastPlaces;
    blocks += std::string(b > 0 ? "," : "") + R"({"name": "B)" + std::to_string(b) +
              R"(", "objects": [)" +
              (placed >= 0 ? R"({"instance": {"block": )" + std::to_string(placed) + "}}"
                           : R"({"point": [0, 0, 0]})") +
              "]}";
  }
  return R"({"blocks": [)" + blocks + "]}";
}

/// The loader's message for `text`, loaded on a thread with a stack of only 256 KiB: a check
/// whose stack use grows with the number of blocks overflows it long before the sizes used here.
std::string ErrorOnASmallStack(const std::string& text) {
  struct Job {
    const std::string& text;
    std::string message;
  } job{text, {}};
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 256 * 1024);
  pthread_t thread;
  const auto run = [](void* argument) -> void* {
    Job& running = *static_cast<Job*>(argument);
    running.message = ErrorFor(running.text);
    return nullptr;
  };
  EXPECT_EQ(pthread_create(&thread, &attributes, run, &job), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
  return job.message;
}

TEST(DocumentObjects, BlocksNestAtMostAHundredDeep) {
  CRhinoDoc doc;
  EXPECT_NO_THROW(Load(BlockChain(100), doc));
  EXPECT_EQ(ErrorFor(BlockChain(101)),
            "doc.json: /blocks/0/objects/0/instance/block: block \"B0\" would hold blocks nested "
            "101 deep, more than the 100 allowed");
  // Far deeper chains are refused as soon as the limit is crossed, without exhausting the stack.
  EXPECT_EQ(ErrorOnASmallStack(BlockChain(4000))
                .find("doc.json: /blocks/3899/objects/0/instance/block: "
                      "block \"B3899\" would hold blocks nested 101 deep"),
            0u);
}

TEST(DocumentObjects, ALongCycleOfBlocksIsRefusedWithItsEnds) {
  EXPECT_EQ(ErrorOnASmallStack(BlockChain(4000, 0)),
            "doc.json: /blocks/3999/objects/0/instance/block: block \"B0\" would contain itself: "
            "\"B0\" > \"B1\" > \"B2\" > \"B3\" > ... (3992 more) > \"B3996\" > \"B3997\" > "
            "\"B3998\" > \"B3999\" > \"B0\"");
}

TEST(DocumentObjects, BlocksMayShareABlockWithoutFormingACycle) {
  CRhinoDoc doc;
  // A diamond: Top places Left and Right, both place Bottom.
  EXPECT_NO_THROW(Load(R"({"blocks": [
      {"name": "Top", "objects": [{"instance": {"block": "Left"}}, {"instance": {"block": "Right"}}]},
      {"name": "Left", "objects": [{"instance": {"block": "Bottom"}}]},
      {"name": "Right", "objects": [{"instance": {"block": "Bottom"}}]},
      {"name": "Bottom", "objects": [{"point": [0, 0, 0]}]}
    ]})",
                       doc));
  EXPECT_EQ(doc.m_instance_definition_table.InstanceDefinitionCount(), 4);
}

}  // namespace
