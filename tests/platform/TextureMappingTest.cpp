// Planes and round shapes, texture mappings and the document's texture-mapping table, and object
// references to surfaces.
#include <gtest/gtest.h>

#include <cmath>

#include "rhinoSdk.h"

namespace {

void ExpectNear(const ON_3dVector& v, double x, double y, double z) {
  EXPECT_NEAR(v.x, x, 1e-12);
  EXPECT_NEAR(v.y, y, 1e-12);
  EXPECT_NEAR(v.z, z, 1e-12);
}

TEST(Plane, MakesARightAngledUnitFrameFromAnyTwoDirections) {
  const ON_Plane world;
  EXPECT_EQ(world.PointAt(2, 3, 4), ON_3dPoint(2, 3, 4));

  // A long x direction and a slanted y direction still give unit axes at right angles.
  const ON_Plane slanted({1, 2, 3}, {0, 5, 0}, {1, 1, 0});
  ExpectNear(slanted.Xaxis(), 0, 1, 0);
  ExpectNear(slanted.Yaxis(), 1, 0, 0);
  ExpectNear(slanted.Zaxis(), 0, 0, -1);
  EXPECT_EQ(slanted.PointAt(2, 0), ON_3dPoint(1, 4, 3));
  EXPECT_EQ(slanted.PointAt(0, 0, 1), ON_3dPoint(1, 2, 2));

  ON_Plane flat;
  EXPECT_FALSE(flat.CreateFromFrame({5, 5, 5}, {1, 0, 0}, {2, 0, 0}));  // parallel: no frame
  EXPECT_EQ(flat.Origin(), ON_3dPoint(0, 0, 0));
  EXPECT_EQ(ON_Plane({5, 5, 5}, {0, 0, 0}, {0, 1, 0}).Origin(), ON_3dPoint(5, 5, 5));
}

TEST(RoundShapes, CentresAreTheirPlaneOriginsAndDefaultsAreTheHostOnes) {
  const ON_Cylinder cylinder(ON_Circle(ON_Plane({1, 2, 3}, {1, 0, 0}, {0, 1, 0}), 2), 10);
  EXPECT_EQ(cylinder.Center(), ON_3dPoint(1, 2, 3));  // the base, not the middle of the axis
  EXPECT_EQ(cylinder.Height(), 10);
  EXPECT_EQ(cylinder.circle.Radius(), 2);
  ExpectNear(cylinder.Axis(), 0, 0, 1);
  EXPECT_EQ(ON_Cylinder().Height(), 0);
  EXPECT_EQ(ON_Cylinder().circle.Radius(), 1);

  const ON_Sphere sphere({1, 2, 3}, 2);
  EXPECT_EQ(sphere.Center(), ON_3dPoint(1, 2, 3));
  EXPECT_EQ(sphere.Radius(), 2);
  EXPECT_EQ(ON_Sphere().Radius(), 0);
}

TEST(TextureMapping, GivesBackTheShapeOfItsOwnTypeOnly) {
  const ON_Plane plane({0, 0, 1}, {0, 1, 0}, {-1, 0, 0});
  ON_TextureMapping box;
  ASSERT_TRUE(box.SetBoxMapping(plane, {-1, 4}, {0, 2}, {0, 3}, true));
  EXPECT_EQ(box.m_type, ON_TextureMapping::box_mapping);
  ON_Plane read;
  ON_Interval dx, dy, dz;
  ASSERT_TRUE(box.GetMappingBox(read, dx, dy, dz));
  EXPECT_EQ(read.Origin(), ON_3dPoint(0, 0, 1));
  EXPECT_EQ(dx.Max(), 4);
  EXPECT_EQ(dz[1], 3);
  ON_Sphere untouched({9, 9, 9}, 9);
  EXPECT_FALSE(box.GetMappingSphere(untouched));
  EXPECT_EQ(untouched.Radius(), 9);
  ON_Interval kept(7, 8);
  EXPECT_FALSE(box.GetMappingPlane(read, kept, dy, dz));  // a box is not a plane mapping
  EXPECT_EQ(kept[0], 7);

  ON_TextureMapping round;
  EXPECT_FALSE(round.SetSphereMapping(ON_Sphere({0, 0, 0}, 0)));
  EXPECT_EQ(round.m_type, ON_TextureMapping::no_mapping);
  EXPECT_FALSE(round.SetCylinderMapping(ON_Cylinder(ON_Circle(), 0), false));
  EXPECT_FALSE(round.SetPlaneMapping(plane, {1, 1}, {0, 1}, {0, 1}));
  ASSERT_TRUE(round.SetCylinderMapping(ON_Cylinder(ON_Circle(ON_Plane(), 3), 10), false));
  ON_Cylinder cylinder;
  ASSERT_TRUE(round.GetMappingCylinder(cylinder));
  EXPECT_EQ(cylinder.circle.Radius(), 3);
  EXPECT_EQ(cylinder.Height(), 10);
}

TEST(TextureMappingTable, FindsAChannelByItsIndexAndAnyMappingByItsId) {
  CRhinoTextureMappingTable table;
  ON_TextureMapping sphere, plane;
  sphere.SetSphereMapping(ON_Sphere({1, 2, 3}, 2));
  plane.SetPlaneMapping(ON_Plane(), {0, 1}, {0, 1}, {0, 1});
  ASSERT_EQ(table.AddTextureMapping(sphere), 0);
  ASSERT_EQ(table.AddTextureMapping(plane), 1);
  const ON_UUID sphereId = table[0].m_mapping_id;
  EXPECT_FALSE(ON_UuidIsNil(sphereId));
  EXPECT_NE(table[1].m_mapping_id, sphereId);
  EXPECT_EQ(table.AddTextureMapping(table[0]), -1);  // the id is taken
  EXPECT_EQ(table.TextureMappingCount(), 2);

  ON_MappingChannel channel;
  channel.m_mapping_id = sphereId;
  channel.m_mapping_index = 0;
  ON_TextureMapping found;
  ASSERT_TRUE(table.GetTextureMapping(channel, found));
  EXPECT_EQ(found.m_type, ON_TextureMapping::sphere_mapping);

  channel.m_mapping_index = 1;  // stale: that row has another id
  found = ON_TextureMapping();
  EXPECT_FALSE(table.GetTextureMapping(channel, found));
  EXPECT_EQ(found.m_type, ON_TextureMapping::no_mapping);
  channel.m_mapping_index = -1;
  EXPECT_FALSE(table.GetTextureMapping(channel, found));
  ASSERT_TRUE(table.GetTextureMapping(channel.m_mapping_id, found));
  EXPECT_EQ(found.m_type, ON_TextureMapping::sphere_mapping);
  EXPECT_FALSE(table.GetTextureMapping(ON_nil_uuid, found));
  ON_UUID unknown = sphereId;
  unknown.Data1 ^= 1;
  EXPECT_FALSE(table.GetTextureMapping(unknown, found));
}

TEST(ObjRef, ReachesTheSurfaceOfASingleFaceBrepOnly) {
  auto* brep = new ON_Brep();
  const ON_Surface* surface =
      brep->NewFace(new ON_PlaneSurface({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 2}, {0, 1}))
          .SurfaceOf();
  const CRhinoBrepObject single(brep);
  EXPECT_EQ(CRhinoObjRef(&single).Surface(), surface);

  auto* two = new ON_Brep();
  two->NewFace(new ON_PlaneSurface({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 1}, {0, 1}));
  two->NewFace(new ON_PlaneSurface({0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {0, 1}, {0, 1}));
  const CRhinoBrepObject polysurface(two);
  EXPECT_EQ(CRhinoObjRef(&polysurface).Surface(), nullptr);

  auto* mesh = new ON_Mesh();
  const CRhinoMeshObject meshObject(mesh);
  EXPECT_EQ(CRhinoObjRef(&meshObject).Surface(), nullptr);
  EXPECT_EQ(CRhinoObjRef().Surface(), nullptr);
}

}  // namespace
