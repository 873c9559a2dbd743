// Breps in document files: surfaces, edge curves and faces with loops of trims become the host's
// brep topology, and broken topology is refused with the place of the bad value.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "DocumentTestSupport.h"

namespace {

// A 4 × 2 plate with a round hole of radius 0.5 about (1, 1), the hole's circle given as a
// rational curve, and a render mesh stored for the face.
const char* const kPlate = R"({"objects": [{"name": "Plate", "brep": {
  "surfaces": [{"kind": "plane", "width": 4, "height": 2}],
  "edges": [
    {"degree": 1, "points": [[0, 0, 0], [4, 0, 0]]},
    {"degree": 1, "points": [[4, 0, 0], [4, 2, 0], [0, 2, 0], [0, 0, 0]], "knots": [0, 1, 3, 4]},
    {"degree": 2, "points": [[1.5, 1, 0], [1.5, 1.5, 0, 0.7071067811865476], [1, 1.5, 0],
                             [0.5, 1.5, 0, 0.7071067811865476], [0.5, 1, 0],
                             [0.5, 0.5, 0, 0.7071067811865476], [1, 0.5, 0],
                             [1.5, 0.5, 0, 0.7071067811865476], [1.5, 1, 0]],
     "knots": [0, 0, 1, 1, 2, 2, 3, 3, 4, 4]}
  ],
  "faces": [{"surface": 0, "reversed": true,
             "loops": [{"type": "outer", "trims": [{"edge": 0}, {"edge": 1, "reversed": false}]},
                       {"type": "inner", "trims": [{"edge": 2, "reversed": true}]}],
             "render_mesh": {"vertices": [[0, 0, 0], [4, 0, 0], [4, 2, 0]], "faces": [[0, 1, 2]]}}]
}}]})";

TEST(DocumentBreps, FacesLoopsTrimsAndEdgesKeepTheirTopologyAndCurves) {
  CRhinoDoc doc;
  Load(kPlate, doc);
  const auto* object = dynamic_cast<const CRhinoBrepObject*>(doc.m_object_table.Object(0));
  ASSERT_NE(object, nullptr);
  const ON_Brep& brep = *object->Brep();
  ASSERT_EQ(brep.FaceCount(), 1);
  ASSERT_EQ(brep.m_E.Count(), 3);
  const ON_BrepFace& face = *brep.Face(0);
  EXPECT_TRUE(face.m_bRev);
  ASSERT_EQ(face.LoopCount(), 2);
  EXPECT_EQ(face.OuterLoop(), face.Loop(0));
  EXPECT_EQ(face.Loop(1)->m_type, ON_BrepLoop::inner);
  ASSERT_EQ(face.Loop(0)->TrimCount(), 2);
  EXPECT_FALSE(face.Loop(0)->Trim(1)->m_bRev3d);
  EXPECT_TRUE(face.Loop(1)->Trim(0)->m_bRev3d);
  EXPECT_EQ(face.Loop(1)->Trim(0)->Edge()->m_edge_index, 2);
  EXPECT_EQ(brep.m_E[0].TrimCount(), 1);

  // The polyline edge keeps its uneven knots; the circle its weights.
  const auto& polyline = static_cast<const ON_NurbsCurve&>(*brep.m_E[1].EdgeCurveOf());
  EXPECT_EQ(polyline.PointAt(2), ON_3dPoint(2, 2, 0));
  const auto& circle = static_cast<const ON_NurbsCurve&>(*brep.m_E[2].EdgeCurveOf());
  EXPECT_TRUE(circle.IsRational());
  const ON_3dPoint p = circle.PointAt(0.5);
  EXPECT_NEAR(std::hypot(p.x - 1, p.y - 1), 0.5, 1e-12);

  // The stored mesh is the face's until the host makes new ones from the trimmed surface.
  ON_SimpleArray<const ON_Mesh*> meshes;
  ASSERT_EQ(object->GetMeshes(ON::render_mesh, meshes), 1);
  EXPECT_EQ(meshes[0]->FaceCount(), 1);
  EXPECT_EQ(object->CreateMeshes(ON::render_mesh, ON_MeshParameters::QualityRenderMesh), 1);
  meshes.Empty();
  ASSERT_EQ(object->GetMeshes(ON::render_mesh, meshes), 1);
  EXPECT_GT(meshes[0]->FaceCount(), 16);
}

TEST(DocumentBreps, BrokenTopologyIsRefusedAtItsPlace) {
  // A unit square face on one plane, whose four line edges the cases below spoil one at a time.
  auto square = [](const std::string& edges, const std::string& loops,
                   const std::string& extra = "") {
    return R"({"objects": [{"brep": {"surfaces": [{"kind": "plane", "width": 1, "height": 1}],
      "edges": [)" +
           edges + R"(], "faces": [{"surface": 0, "loops": [)" + loops + "]}]" + extra + "}}]}";
  };
  const std::string lines =
      R"({"degree": 1, "points": [[0, 0, 0], [1, 0, 0]]}, {"degree": 1, "points": [[1, 0, 0], [1, 1, 0]]},
         {"degree": 1, "points": [[1, 1, 0], [0, 1, 0]]}, {"degree": 1, "points": [[0, 1, 0], [0, 0, 0]]})";
  const std::string outer =
      R"({"type": "outer", "trims": [{"edge": 0}, {"edge": 1}, {"edge": 2}, {"edge": 3}]})";
  const BadDocument cases[] = {
      {square(lines, outer, R"(, "sides": 2)"), "/objects/0/brep/sides", "unknown key \"sides\""},
      {square(lines, R"({"type": "outer", "trims": [{"edge": 0}, {"edge": 7}]})"),
       "/objects/0/brep/faces/0/loops/0/trims/1/edge", "no edge 7: the brep has 4 edges, 0 to 3"},
      {square(lines, R"({"type": "outer", "trims": [{"edge": 0}, {"edge": 1}, {"edge": 2}]})"),
       "/objects/0/brep/faces/0/loops/0/trims/0",
       "the loop does not close: trim 0 starts at [0, 0, 0], 1 from the end of trim 2 at [0, 1, "
       "0]"},
      {square(
           lines,
           R"({"type": "outer", "trims": [{"edge": 0}, {"edge": 1, "reversed": true}, {"edge": 2}, {"edge": 3}]})"),
       "/objects/0/brep/faces/0/loops/0/trims/1", "the loop does not close"},
      {square(lines + R"(, {"degree": 2, "points": [[1, 1, 1], [1, 1, 1], [1, 1, 1]]})", outer),
       "/objects/0/brep/edges/4/points", "the edge has length 0"},
      {square(lines, R"({"type": "inner", "trims": [{"edge": 0}]})"),
       "/objects/0/brep/faces/0/loops/0/type", "first loop is its outer loop"},
      {square(lines, outer + ", " + outer), "/objects/0/brep/faces/0/loops/1/type",
       "one outer loop"},
      {square(lines, R"({"type": "outer", "trims": []})"), "/objects/0/brep/faces/0/loops/0/trims",
       "a loop of at least one trim"},
      {square(lines, R"({"type": "outer", "trims": [{"edge": 0, "reversed": 1}]})"),
       "/objects/0/brep/faces/0/loops/0/trims/0/reversed", "true or false"},
      {square(R"({"degree": 2, "points": [[0, 0, 0], [1, 0, 0]]})", outer),
       "/objects/0/brep/edges/0/points", "at least 3 control points"},
      {square(R"({"degree": 1, "points": [[0, 0, 0], [1, 0, 0]], "knots": [1, 1]})", outer),
       "/objects/0/brep/edges/0/knots", "empty domain"},
      {square(R"({"degree": 1, "points": [[0, 0, 0], [1, 0, 0, 0]]})", outer),
       "/objects/0/brep/edges/0/points/1/3", "greater than 0"},
      {R"({"objects": [{"brep": {"surfaces": [], "faces": []}}]})", "/objects/0/brep/surfaces",
       "a non-empty array of surfaces"},
      {R"({"objects": [{"brep": {"surfaces": [{"kind": "plane", "width": 1, "height": 1}]}}]})",
       "/objects/0/brep", "missing \"faces\""},
      {R"({"objects": [{"brep": {"surfaces": [{"kind": "plane", "width": 1, "height": 1}],
                                 "faces": [{"surface": 1}]}}]})",
       "/objects/0/brep/faces/0/surface", "no surface 1: the brep has 1 surface, 0 to 0"},
      {R"({"objects": [{"brep": {"surfaces": [{"kind": "plane", "width": 1, "height": 1,
                                               "render_mesh": {"vertices": []}}],
                                 "faces": [{"surface": 0}]}}]})",
       "/objects/0/brep/surfaces/0/render_mesh", "belong to its faces"},
  };
  // A gap within the given tolerance is no mistake.
  EXPECT_EQ(
      ErrorFor(square(
          lines + R"(, {"degree": 1, "points": [[0, 0, 0], [0, 0.0001, 0]]})",
          R"({"type": "outer", "trims": [{"edge": 0}, {"edge": 1}, {"edge": 2}, {"edge": 3}, {"edge": 4}]})",
          R"(, "tolerance": 0.001)")),
      "(no error)");
  ExpectEachRefusedWhereItStands(cases);
}

}  // namespace
