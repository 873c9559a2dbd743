// The document loader's texture-mapping table and the objects' mapping channels: every mapping
// type with its shape, channels naming mappings by name or index, and the errors.
#include <gtest/gtest.h>

#include <string>

#include "DocumentTestSupport.h"

namespace {

TEST(DocumentMappings, ReadEveryMappingTypeWithItsShape) {
  CRhinoDoc doc;
  Load(R"({"texture_mappings": [
      {"name": "Floor", "type": "plane", "origin": [1, 2, 3], "x_axis": [0, 2, 0],
       "y_axis": [-1, 1, 0], "dx": [-1, 4]},
      {"type": "box", "dx": [-1, 4], "dy": [0, 2], "dz": [0, 3], "capped": true},
      {"name": "Column", "type": "cylinder", "radius": 1, "height": 10},
      {"type": "sphere", "center": [1, 2, 3], "radius": 2},
      {"type": "surface_parameters"},
      {"type": "none"}
    ]})",
       doc);
  const CRhinoTextureMappingTable& table = doc.m_texture_mapping_table;
  ASSERT_EQ(table.TextureMappingCount(), 6);

  ON_Plane plane;
  ON_Interval dx, dy, dz;
  ASSERT_TRUE(table[0].GetMappingPlane(plane, dx, dy, dz));
  EXPECT_STREQ(table[0].m_mapping_name, L"Floor");
  EXPECT_EQ(plane.Origin(), ON_3dPoint(1, 2, 3));
  EXPECT_EQ(plane.Xaxis().y, 1);   // made unit
  EXPECT_EQ(plane.Yaxis().x, -1);  // only the part across x counts
  EXPECT_EQ(dx[0], -1);
  EXPECT_EQ(dy[1], 1);  // [0, 1] unless given

  ASSERT_TRUE(table[1].GetMappingBox(plane, dx, dy, dz));
  EXPECT_TRUE(table[1].m_bCapped);
  EXPECT_EQ(dz[1], 3);

  ON_Cylinder cylinder;
  ASSERT_TRUE(table[2].GetMappingCylinder(cylinder));
  EXPECT_EQ(cylinder.circle.Radius(), 1);
  EXPECT_EQ(cylinder.Height(), 10);
  EXPECT_EQ(cylinder.Axis().z, 1);

  ON_Sphere sphere;
  ASSERT_TRUE(table[3].GetMappingSphere(sphere));
  EXPECT_EQ(sphere.Center(), ON_3dPoint(1, 2, 3));
  EXPECT_EQ(sphere.Radius(), 2);

  EXPECT_EQ(table[4].m_type, ON_TextureMapping::srfp_mapping);
  EXPECT_EQ(table[5].m_type, ON_TextureMapping::no_mapping);
  EXPECT_NE(table[4].m_mapping_id, table[5].m_mapping_id);
}

TEST(DocumentMappings, ChannelsNameMappingsByNameOrIndexInObjectsAndBlocks) {
  CRhinoDoc doc;
  Load(R"({
    "texture_mappings": [{"name": "Ball", "type": "sphere", "radius": 2},
                         {"name": "Floor", "type": "plane"}],
    "blocks": [{"name": "Chair", "objects": [{"point": [0, 0, 0],
                                              "mappings": [{"mapping": "Floor"}]}]}],
    "objects": [
      {"point": [0, 0, 0], "mappings": [{"mapping": "Ball"}, {"channel": 2, "mapping": 1}]},
      {"point": [0, 0, 0], "mappings": []},
      {"point": [0, 0, 0]}
    ]})",
       doc);
  const ON_ClassArray<ON_MappingRef>& refs =
      doc.m_object_table.Object(0)->Attributes().m_rendering_attributes.m_mappings;
  ASSERT_EQ(refs.Count(), 1);
  const ON_SimpleArray<ON_MappingChannel>& channels = refs[0].m_mapping_channels;
  ASSERT_EQ(channels.Count(), 2);
  EXPECT_EQ(channels[0].m_mapping_channel_id, 1);
  EXPECT_EQ(channels[0].m_mapping_id, doc.m_texture_mapping_table[0].m_mapping_id);
  EXPECT_EQ(channels[0].m_mapping_index, 0);
  EXPECT_EQ(channels[1].m_mapping_channel_id, 2);
  EXPECT_EQ(channels[1].m_mapping_id, doc.m_texture_mapping_table[1].m_mapping_id);

  for (int i : {1, 2})
    EXPECT_EQ(doc.m_object_table.Object(i)->Attributes().m_rendering_attributes.m_mappings.Count(),
              0);

  ON_SimpleArray<const CRhinoObject*> inChair;
  doc.m_instance_definition_table[0]->GetObjects(inChair);
  const ON_MappingRef& chairRef = inChair[0]->Attributes().m_rendering_attributes.m_mappings[0];
  EXPECT_EQ(chairRef.m_mapping_channels[0].m_mapping_index, 1);
}

TEST(DocumentMappings, BadMappingsAndChannelsAreReportedWhereTheyStand) {
  const BadDocument cases[] = {
      {R"({"texture_mappings": [{"name": "A"}]})", "/texture_mappings/0", "missing \"type\""},
      {R"({"texture_mappings": [{"type": "cone"}]})", "/texture_mappings/0/type", "got \"cone\""},
      {R"({"texture_mappings": [7]})", "/texture_mappings/0", "a texture mapping"},
      {R"({"texture_mappings": [{"type": "plane", "capped": true}]})", "/texture_mappings/0/capped",
       "unknown key \"capped\""},
      {R"({"texture_mappings": [{"type": "sphere", "radius": 1, "dx": [0, 1]}]})",
       "/texture_mappings/0/dx", "unknown key"},
      {R"({"texture_mappings": [{"type": "plane", "dx": [2, 1]}]})", "/texture_mappings/0/dx",
       "from less than to"},
      {R"({"texture_mappings": [{"type": "box", "dy": [0]}]})", "/texture_mappings/0/dy",
       "an extent [from, to]"},
      {R"({"texture_mappings": [{"type": "box", "y_axis": [2, 0, 0]}]})",
       "/texture_mappings/0/y_axis", "not parallel to x_axis"},
      {R"({"texture_mappings": [{"type": "plane", "x_axis": [0, 3, 0]}]})", "/texture_mappings/0",
       "give a y_axis"},
      {R"({"texture_mappings": [{"type": "plane", "x_axis": [0, 0, 0]}]})",
       "/texture_mappings/0/x_axis", "not zero"},
      {R"({"texture_mappings": [{"type": "cylinder", "radius": 1}]})", "/texture_mappings/0",
       "missing \"height\""},
      {R"({"texture_mappings": [{"type": "cylinder", "radius": 1, "height": 0}]})",
       "/texture_mappings/0/height", "not 0"},
      {R"({"texture_mappings": [{"type": "sphere", "radius": -2}]})", "/texture_mappings/0/radius",
       "greater than 0"},
      {R"({"texture_mappings": [{"type": "none", "radius": 2}]})", "/texture_mappings/0/radius",
       "unknown key"},
      {R"({"objects": [{"point": [0, 0, 0], "mappings": [{"mapping": 0}]}]})",
       "/objects/0/mappings/0/mapping", "there is no texture mapping"},
      {R"({"texture_mappings": [{"type": "none"}],
           "objects": [{"point": [0, 0, 0], "mappings": [{"mapping": "Ball"}]}]})",
       "/objects/0/mappings/0/mapping", "no texture mapping is named \"Ball\""},
      {R"({"texture_mappings": [{"type": "none"}],
           "objects": [{"point": [0, 0, 0], "mappings": [{"channel": 0, "mapping": 0}]}]})",
       "/objects/0/mappings/0/channel", "an integer from 1"},
      {R"({"texture_mappings": [{"type": "none"}],
           "objects": [{"point": [0, 0, 0], "mappings": [{"mapping": 0}, {"mapping": 0}]}]})",
       "/objects/0/mappings/1", "channel 1 (the default) is given twice"},
      {R"({"texture_mappings": [{"type": "none"}],
           "objects": [{"point": [0, 0, 0],
                        "mappings": [{"channel": 3, "mapping": 0}, {"channel": 3, "mapping": 0}]}]})",
       "/objects/0/mappings/1/channel", "channel 3 is given twice"},
      {R"({"texture_mappings": [{"type": "none"}],
           "objects": [{"point": [0, 0, 0], "mappings": [{"mapping": 0, "uv": 1}]}]})",
       "/objects/0/mappings/0/uv", "unknown key"},
      {R"({"objects": [{"point": [0, 0, 0], "mappings": {}}]})", "/objects/0/mappings", "an array"},
  };
  ExpectEachRefusedWhereItStands(cases);
}

}  // namespace
