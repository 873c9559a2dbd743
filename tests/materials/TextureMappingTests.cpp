// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <memory>

#include "MaterialsTestSupport.h"
#include "RecordingMaterial.h"
#include "materials/TextureMapping.h"

namespace materials_test {
namespace {

using Calls = std::vector<std::string>;

const std::string kResetOrigin = "setMappingOrigin((0, 0, 0), (0, 0, 1), (0, 0, 1))";

ON_Xform scaleBy(double factor) {
  ON_Xform scale;
  scale.Scale(factor, factor, factor);
  return scale;
}

// A surface object: one plane face `width` by `height` (either may be 0).
CRhinoBrepObject* planeObject(double width, double height) {
  auto* brep = new ON_Brep();
  brep->NewFace(new ON_PlaneSurface({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, width}, {0, height}));
  return new CRhinoBrepObject(brep);
}

TEST(ImageTexturePlacement, TakesTheSizeFromTheSurfaceOrElseFromTheBox) {
  const ON_BoundingBox box({0, 0, 0}, {300, 400, 0});
  const Calls boxFrame{kResetOrigin, "setMappingFrame((150, 200, 0), (0, 0, 1), (0, 0, 1))"};
  auto callsFor = [&](const CRhinoObject* object) {
    RecordingMaterial recorded;
    placeImageTexture(recorded, box, object, scaleBy(100));
    return recorded.calls;
  };
  Calls expected{"setTextureSize(400, 300)"};
  expected.insert(expected.end(), boxFrame.begin(), boxFrame.end());
  EXPECT_EQ(callsFor(nullptr), expected);

  // A surface 2 wide and 1 high in metres: its size in centimetres, height first.
  const std::unique_ptr<CRhinoBrepObject> plane(planeObject(2, 1));
  expected[0] = "setTextureSize(100, 200)";
  EXPECT_EQ(callsFor(plane.get()), expected);

  // A side of 0 sends the surface's size, then the box's.
  const std::unique_ptr<CRhinoBrepObject> line(planeObject(5, 0));
  expected[0] = "setTextureSize(0, 500)";
  expected.insert(expected.begin() + 1, "setTextureSize(400, 300)");
  EXPECT_EQ(callsFor(line.get()), expected);

  // Without one surface (a mesh, a polysurface) the box decides.
  auto* twoFaces = new ON_Brep();
  twoFaces->NewFace(new ON_PlaneSurface({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 1}, {0, 1}));
  twoFaces->NewFace(new ON_PlaneSurface({0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {0, 1}, {0, 1}));
  const CRhinoBrepObject polysurface(twoFaces);
  const CRhinoMeshObject mesh(new ON_Mesh());
  for (const CRhinoObject* object :
       {static_cast<const CRhinoObject*>(&polysurface), static_cast<const CRhinoObject*>(&mesh)})
    EXPECT_EQ(callsFor(object)[0], "setTextureSize(400, 300)");
}

TEST(ImageTexturePlacement, MeasuresTheBoxAcrossYAndZThenAcrossXAndZ) {
  RecordingMaterial recorded;
  placeImageTexture(recorded, ON_BoundingBox({-3, 0, 0}, {0, 3, 4}), nullptr, scaleBy(1));
  EXPECT_EQ(recorded.calls[0], "setTextureSize(5, 5)");
  EXPECT_EQ(recorded.calls[2], "setMappingFrame((-1.5, 1.5, 2), (0, 0, 1), (0, 0, 1))");
}

class Projection : public ::testing::Test {
 protected:
  // Adds `mapping` to the table and a channel naming it (by table index and id) to the object.
  void addChannel(const ON_TextureMapping& mapping) {
    const int index = doc.m_texture_mapping_table.AddTextureMapping(mapping);
    if (attributes.m_rendering_attributes.m_mappings.Count() == 0)
      attributes.m_rendering_attributes.m_mappings.AppendNew();
    ON_MappingChannel& channel =
        attributes.m_rendering_attributes.m_mappings[0].m_mapping_channels.AppendNew();
    channel.m_mapping_id = doc.m_texture_mapping_table[index].m_mapping_id;
    channel.m_mapping_index = index;
  }
  Calls project() {
    RecordingMaterial recorded;
    projectMappingChannels(recorded, attributes, &doc);
    return recorded.calls;
  }
  CRhinoDoc doc;
  CRhinoObjectAttributes attributes;
};

TEST_F(Projection, EachMappingTypeSendsItsCodeAndFrameInDocumentUnits) {
  ON_TextureMapping sphere, cylinder, box, plane, none, surface;
  sphere.SetSphereMapping(ON_Sphere({1, 2, 3}, 2));
  cylinder.SetCylinderMapping(ON_Cylinder(ON_Circle(ON_Plane(), 1), 10), false);
  box.SetBoxMapping(ON_Plane(), {-1, 4}, {0, 2}, {5, 6}, false);
  plane.SetPlaneMapping(ON_Plane({7, 7, 7}, {0, 3, 0}, {0, 0, 3}), {0, 9}, {0, 9}, {0, 9});
  surface.m_type = ON_TextureMapping::srfp_mapping;
  for (const ON_TextureMapping* mapping : {&sphere, &cylinder, &box, &plane, &none, &surface})
    addChannel(*mapping);
  EXPECT_EQ(
      project(),
      (Calls{"setMappingKind(0)", kResetOrigin, "setMappingKind(3)",
             "setMappingFrame((1, 2, 3), (2, 0, 0), (0, 2, 0))", kResetOrigin, "setMappingKind(5)",
             "setMappingFrame((0, 0, 0), (1, 0, 0), (0, 0, 10))", kResetOrigin, "setMappingKind(0)",
             "setMappingFrame((0, 0, 0), (4, 0, 0), (0, 2, 0))", kResetOrigin,
             "setMappingFrame((0, 0, 0), (0, 1, 0), (0, 0, 1))", kResetOrigin, "setMappingKind(-1)",
             kResetOrigin}));
}

TEST_F(Projection, APlaneAfterASphereKeepsTheSpheresCodeWithThePlanesFrame) {
  ON_TextureMapping sphere, plane;
  sphere.SetSphereMapping(ON_Sphere({1, 2, 3}, 2));
  plane.SetPlaneMapping(ON_Plane(), {0, 1}, {0, 1}, {0, 1});
  addChannel(sphere);
  addChannel(plane);
  EXPECT_EQ(project(), (Calls{"setMappingKind(0)", kResetOrigin, "setMappingKind(3)",
                              "setMappingFrame((1, 2, 3), (2, 0, 0), (0, 2, 0))", kResetOrigin,
                              "setMappingFrame((0, 0, 0), (1, 0, 0), (0, 1, 0))"}));
}

TEST_F(Projection, AChannelIsFoundByItsIdWhenItsIndexIsStaleAndOtherwiseOnlyResets) {
  ON_TextureMapping sphere;
  sphere.SetSphereMapping(ON_Sphere({0, 0, 0}, 1));
  addChannel(sphere);
  ON_MappingChannel& channel =
      attributes.m_rendering_attributes.m_mappings[0].m_mapping_channels[0];
  channel.m_mapping_index = 5;
  EXPECT_EQ(project().size(), 4u);  // found by id: code and frame
  channel.m_mapping_id = ON_nil_uuid;
  EXPECT_EQ(project(), (Calls{"setMappingKind(0)", kResetOrigin}));
}

TEST_F(Projection, NothingIsSentWithoutAMappingReferenceOrADocument) {
  EXPECT_TRUE(project().empty());
  attributes.m_rendering_attributes.m_mappings.AppendNew();  // a reference without channels
  EXPECT_EQ(project(), Calls{"setMappingKind(0)"});
  RecordingMaterial recorded;
  projectMappingChannels(recorded, attributes, nullptr);
  EXPECT_TRUE(recorded.calls.empty());
}

}  // namespace
}  // namespace materials_test
