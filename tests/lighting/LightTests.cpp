// Host lights as scene lights: kinds, names, colours, shadows, positions and targets in
// centimetres, lights placed by block instances, and values that are not numbers.
// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "LightingTestSupport.h"
#include "SceneNames.h"

namespace lighting_test {
namespace {

using QzOrv::scene::Light;
using QzOrv::scene::Scene;

// A light object named `name` holding `light`; owned by the caller until added.
CRhinoLight* lightObject(const ON_Light& light, const wchar_t* name = L"") {
  auto* object = new CRhinoLight(new ON_Light(light));
  CRhinoObjectAttributes attributes;
  attributes.m_name = name;
  object->SetAttributes(attributes);
  return object;
}

ON_Light lightAt(ON_3dPoint location, ON_3dVector direction,
                 ON_Light::light_style style = ON_Light::world_point_light) {
  ON_Light light;
  light.m_style = style;
  light.m_location = location;
  light.m_direction = direction;
  return light;
}

class Lights : public LightingTest {
 protected:
  /// Adds a light object to the document; the document owns it.
  const CRhinoLight* addLight(const ON_Light& light, const wchar_t* name = L"") {
    return CRhinoLight::Cast(doc.AddObject(lightObject(light, name)));
  }
};

TEST_F(Lights, KindsFollowTheirOrderOfTestsAndUnnamedLightsGetAName) {
  const ON_Light::light_style styles[] = {
      ON_Light::world_point_light, ON_Light::world_spot_light, ON_Light::world_directional_light,
      ON_Light::world_linear_light, ON_Light::world_rectangular_light};
  SceneWriter writer(doc);
  for (ON_Light::light_style style : styles) {
    const wchar_t* name = style == ON_Light::world_spot_light ? L"Spot" : L"";
    EXPECT_TRUE(writer.exportLight(addLight(lightAt({0, 0, 0}, {0, 0, -1}, style), name)));
  }
  const Scene scene = saved(writer);
  std::vector<int> types;
  for (const Light& light : scene.lights) types.push_back(light.type.value_or(-1));
  EXPECT_EQ(types, (std::vector<int>{0, 1, 2, 2, 2}));
  EXPECT_EQ(namesOf(scene.lights),
            (std::vector<std::string>{"Unnamed light", "Spot", "Unnamed light", "Unnamed light",
                                      "Unnamed light"}));
}

TEST_F(Lights, EveryHostValueReachesTheScene) {
  ON_Light spot = lightAt({1, 2, 3}, {0, 0, -1}, ON_Light::world_spot_light);
  spot.m_diffuse = ON_Color(200, 100, 50, 10);
  spot.m_spot_angle_radians = 0.5;
  spot.m_intensity = 0.7;
  spot.m_shadow_intensity = 0.4;
  SceneWriter writer(doc);
  ASSERT_TRUE(writer.exportLight(addLight(spot, L"Lamp \u00e9")));
  const Light light = saved(writer).lights[0];
  EXPECT_EQ(light.name, "Lamp \xc3\xa9");
  ASSERT_TRUE(light.color.has_value());
  EXPECT_EQ(light.color->a, 10);
  EXPECT_EQ(light.color->r, 200);
  EXPECT_EQ(light.color->g, 100);
  EXPECT_EQ(light.color->b, 50);
  EXPECT_EQ(light.spotAngle, 0.5);
  EXPECT_EQ(light.intensity, 0.7);
  EXPECT_EQ(light.shadowMode, 2);
  EXPECT_EQ(light.shadowIntensity, 0.4);
}

TEST_F(Lights, NoShadowIntensityAboveZeroMeansNoShadows) {
  SceneWriter writer(doc);
  for (double shadow : {0.0, -0.5, std::numeric_limits<double>::quiet_NaN()}) {
    ON_Light light;
    light.m_shadow_intensity = shadow;
    writer.exportLight(addLight(light));
  }
  for (const Light& light : saved(writer).lights) {
    EXPECT_EQ(light.shadowMode, 0);
    EXPECT_FALSE(light.shadowIntensity.has_value());
  }
}

TEST_F(Lights, PositionAndTargetAreInCentimetresWithTheDirectionAsStored) {
  {
    setUnits(ON::meters);
    SceneWriter writer(doc);
    writer.exportLight(addLight(lightAt({1, 2, 3}, {0, 0, -1})));
    const Light light = saved(writer).lights[0];
    expectPoint(light.position, 100, 200, 300);
    expectPoint(light.target, 100, 200, 200);
  }
  setUnits(ON::centimeters);
  SceneWriter writer(doc);
  writer.exportLight(addLight(lightAt({1, 2, 3}, {0, 0, -7})));  // not normalised
  const Light light = saved(writer).lights[0];
  expectPoint(light.position, 1, 2, 3);
  expectPoint(light.target, 1, 2, -4);
}

TEST_F(Lights, ALightInsideABlockInstanceFollowsThePlacementBeforeTheUnits) {
  setUnits(ON::meters);
  auto* block = new CRhinoInstanceDefinition;
  block->SetName(L"Lamp post");
  block->AddObject(lightObject(lightAt({1, 0, 3}, {1, 0, 0}), L"Bulb"));
  doc.m_instance_definition_table.AddInstanceDefinition(block);
  ON_Xform turnAndMove;
  turnAndMove.Rotation(std::numbers::pi / 2, ON_3dVector::ZAxis, ON_3dPoint::Origin);
  ON_Xform move;
  move.Translation(10, 0, 0);
  turnAndMove = move * turnAndMove;  // turned a quarter about z, then moved 10 m along x
  CRhinoObject* instance = doc.AddObject(new CRhinoInstanceObject(block, turnAndMove));

  SceneWriter writer(doc);
  EXPECT_TRUE(writer.exportObject(instance));
  EXPECT_EQ(writer.transformStack.Count(), 0);
  const Light light = saved(writer).lights[0];
  ASSERT_TRUE(light.position && light.target);
  EXPECT_NEAR(light.position->x, 1000, 1e-9);
  EXPECT_NEAR(light.position->y, 100, 1e-9);
  EXPECT_NEAR(light.position->z, 300, 1e-9);
  EXPECT_NEAR(light.target->x, 1000, 1e-9);  // the direction turned with the block
  EXPECT_NEAR(light.target->y, 200, 1e-9);
}

TEST_F(Lights, PointsThatAreNotFiniteFallBackToTheOriginAndThePosition) {
  setUnits(ON::kilometers);
  // Both ends overflow to infinities of opposite sign in centimetres, whose sum is not a number.
  SceneWriter writer(doc);
  writer.exportLight(addLight(lightAt({1e306, 0, 0}, {-1e306, 0, 1})));
  const Light light = saved(writer).lights[0];
  ASSERT_TRUE(light.position && light.target);
  EXPECT_EQ(light.position->x, 0.0);
  EXPECT_EQ(light.target->x, light.position->x);
  EXPECT_EQ(light.target->z, light.position->z);
}

}  // namespace
}  // namespace lighting_test
