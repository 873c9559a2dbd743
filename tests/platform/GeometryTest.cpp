// Unit factors, transforms, bounding boxes, ids and materials of the geometry library.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "opennurbs.h"

namespace {

TEST(UnitScaleToMeters, GivesExactMetresPerUnit) {
  struct Case {
    ON::unit_system unit;
    double metres;
  };
  const Case cases[] = {{ON::microns, 1e-6},
                        {ON::millimeters, 1e-3},
                        {ON::microinches, 2.54e-8},
                        {ON::mils, 2.54e-5},
                        {ON::feet, 0.3048},
                        {ON::miles, 1609.344},
                        {ON::yards, 0.9144},
                        {ON::printer_point, 0.0254 / 72},
                        {ON::printer_pica, 0.0254 / 6},
                        {ON::nautical_mile, 1852.0},
                        {ON::astronomical, 1.495978707e11},
                        {ON::parsecs, 3.08567758149137e16}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(ON::UnitScaleToMeters(c.unit), c.metres) << c.unit;
  EXPECT_EQ(ON::UnitScaleToMeters(ON::no_unit_system), 0.0);
  EXPECT_EQ(ON::UnitScaleToMeters(ON::custom_unit_system), 0.0);
}

TEST(UnitSystem, MapsCodesAndRejectsUnknownOnes) {
  EXPECT_EQ(ON::UnitSystem(2), ON::millimeters);
  EXPECT_EQ(ON::UnitSystem(25), ON::parsecs);
  EXPECT_EQ(ON::UnitSystem(26), ON::no_unit_system);
  EXPECT_EQ(ON::UnitSystem(-1), ON::no_unit_system);
}

TEST(Xform, ProductAppliesTheRightFactorFirst) {
  ON_Xform scale, move;
  scale.Scale(2, 2, 2);
  move.Translation(10, 0, 0);
  ON_3dPoint p(1, 1, 1);
  EXPECT_EQ((move * scale) * p, ON_3dPoint(12, 2, 2));  // scaled, then moved
  EXPECT_EQ((scale * move) * p, ON_3dPoint(22, 2, 2));  // moved, then scaled
  p.Transform(move * scale);
  EXPECT_EQ(p, ON_3dPoint(12, 2, 2));
}

TEST(Xform, VectorsIgnoreTranslationAndPointsDivideByW) {
  ON_Xform move;
  move.Translation(5, 6, 7);
  ON_3dVector v(1, 2, 3);
  v.Transform(move);
  EXPECT_EQ(v.x, 1);
  EXPECT_EQ(v.z, 3);
  ON_Xform homogeneous(1);
  homogeneous[3][3] = 2.0;
  EXPECT_EQ(homogeneous * ON_3dPoint(2, 4, 6), ON_3dPoint(1, 2, 3));
}

TEST(Xform, IsIdentityHonoursTheTolerance) {
  EXPECT_TRUE(ON_Xform::IdentityTransformation.IsIdentity());
  EXPECT_FALSE(ON_Xform().IsIdentity());
  ON_Xform almost(1);
  almost[0][3] = 1e-12;
  EXPECT_FALSE(almost.IsIdentity());
  EXPECT_TRUE(almost.IsIdentity(1e-9));
  almost[1][1] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(almost.IsIdentity(1.0));
}

TEST(BoundingBox, StartsInvalidAndGrowsThroughSetAndUnion) {
  ON_BoundingBox box;
  EXPECT_FALSE(box.IsValid());
  box.Set(ON_3dPoint(1, 2, 3), true);  // growing an invalid box starts it
  box.Set(ON_3dPoint(-1, 5, 0), true);
  EXPECT_EQ(box.Min(), ON_3dPoint(-1, 2, 0));
  EXPECT_EQ(box.Max(), ON_3dPoint(1, 5, 3));
  ON_BoundingBox other(ON_3dPoint(0, 0, 0), ON_3dPoint(4, 4, 4));
  EXPECT_TRUE(box.Union(other));
  EXPECT_EQ(box.Max(), ON_3dPoint(4, 5, 4));
  EXPECT_TRUE(box.Union(ON_BoundingBox()));  // an invalid box adds nothing
  EXPECT_EQ(box.Center(), ON_3dPoint(1.5, 2.5, 2));
}

TEST(BoundingBox, TransformBoxesAllEightCorners) {
  ON_BoundingBox box(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 1, 1));
  // A quarter turn about z maps x to y and y to -x: the box must take the rotated corners.
  ON_Xform turn(1);
  turn[0][0] = 0;
  turn[0][1] = -1;
  turn[1][0] = 1;
  turn[1][1] = 0;
  ASSERT_TRUE(box.Transform(turn));
  EXPECT_EQ(box.Min(), ON_3dPoint(-1, 0, 0));
  EXPECT_EQ(box.Max(), ON_3dPoint(0, 2, 1));
  ON_BoundingBox empty;
  EXPECT_FALSE(empty.Transform(turn));
}

TEST(Uuid, RoundTripsThroughTextInEitherCaseWithOrWithoutBraces) {
  const wchar_t* text = L"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9";
  ON_UUID id = ON_UuidFromString(text);
  EXPECT_EQ(id.Data1, 0x0A1B2C3Du);
  EXPECT_EQ(id.Data3, 0x6071);
  EXPECT_EQ(id.Data4[0], 0x82);
  EXPECT_EQ(id.Data4[7], 0xF9);
  wchar_t back[37];
  EXPECT_STREQ(ON_UuidToString(id, back), text);
  EXPECT_EQ(ON_UuidFromString("{0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}"), id);
}

TEST(Uuid, MalformedTextGivesNil) {
  for (const char* bad :
       {"", "0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F", "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9",
        "0A1B2C3D 4E5F-6071-8293-A4B5C6D7E8F9", "0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8FG"})
    EXPECT_TRUE(ON_UuidIsNil(ON_UuidFromString(bad))) << bad;
  EXPECT_TRUE(ON_UuidIsNil(ON_UuidFromString(static_cast<const wchar_t*>(nullptr))));
}

TEST(Material, CompareSeesEveryFieldIncludingTextures) {
  ON_Material a;
  a.SetMaterialName(L"Wood");
  ON_Texture t;
  t.m_filename = L"wood.jpg";
  a.m_textures.Append(t);
  ON_Material b = a;
  EXPECT_EQ(a.Compare(b), 0);
  b.m_textures[0].m_bFilenameRelative = true;
  EXPECT_NE(a.Compare(b), 0);
  b = a;
  b.m_specular = ON_Color(1, 2, 3);
  EXPECT_NE(a.Compare(b), 0);
  b = a;
  b.SetMaterialIndex(3);
  EXPECT_NE(a.Compare(b), 0);
  EXPECT_EQ(a.Compare(b), -b.Compare(a));
}

TEST(Material, FindTextureFiltersByTypeAndNameAndResumesAfterAnIndex) {
  ON_Material m;
  for (auto type :
       {ON_Texture::bump_texture, ON_Texture::bitmap_texture, ON_Texture::bitmap_texture}) {
    ON_Texture& t = m.m_textures.AppendNew();
    t.m_type = type;
    t.m_filename = L"Maps\\Wood.JPG";
  }
  EXPECT_EQ(m.FindTexture(nullptr, ON_Texture::bitmap_texture), 1);
  EXPECT_EQ(m.FindTexture(nullptr, ON_Texture::bitmap_texture, 1), 2);
  EXPECT_EQ(m.FindTexture(nullptr, ON_Texture::bitmap_texture, 2), -1);
  EXPECT_EQ(m.FindTexture(L"maps\\wood.jpg", ON_Texture::bump_texture), 0);
  EXPECT_EQ(m.FindTexture(L"other.jpg", ON_Texture::bitmap_texture), -1);
}

}  // namespace

TEST(SimpleArray, KeepsRealElementsForEveryTypeThroughInsertRemoveAndCopies) {
  ON_SimpleArray<bool> flags;
  flags.Append(true);
  flags.Append(false);
  flags.Insert(1, flags[0]);  // an element of the array itself
  bool& middle = flags[1];
  middle = false;
  EXPECT_EQ(flags.Count(), 3);
  EXPECT_FALSE(flags[1]);
  EXPECT_EQ(flags.Array() + 2, &flags[2]);  // one contiguous block of real bools

  ON_SimpleArray<bool> copy = flags;
  flags.Remove(0);
  EXPECT_EQ(copy.Count(), 3);
  EXPECT_TRUE(copy[0]);
  EXPECT_EQ(flags.Count(), 2);
  EXPECT_EQ(flags.Search(false), 0);

  flags.SetCount(4);
  EXPECT_FALSE(flags[3]);  // grown elements start value-initialised
  flags.Destroy();
  EXPECT_EQ(flags.Count(), 0);
  EXPECT_EQ(flags.Last(), nullptr);
}
