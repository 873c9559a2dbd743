// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "LightingTestSupport.h"

#include "orv/SceneFileReader.h"
#include "output/OutputFile.h"

namespace lighting_test {

LightingTest::LightingTest() {
  setUnits(ON::centimeters);
  RhinoApp().SetActiveView(nullptr);
}

void LightingTest::setUnits(ON::unit_system units) {
  ON_UnitSystem system;
  system.m_unit_system = units;
  doc.Properties().SetModelUnits(system);
}

QzOrv::scene::Scene LightingTest::saved(SceneWriter& writer) {
  const std::filesystem::path target = temp.path / "lighting.orv";
  saveScene(writer.manager, target.string().c_str());
  return QzOrv::scene::readSceneFile(target);
}

CRhinoView* addView(CRhinoDoc& doc, const wchar_t* name, const Camera& camera, bool page) {
  ON_Viewport vp;
  EXPECT_TRUE(vp.SetProjection(camera.projection));
  EXPECT_TRUE(vp.SetCameraLocation(camera.location));
  EXPECT_TRUE(vp.SetCameraDirection(camera.direction));
  const bool alongZ = camera.direction.IsParallelTo(ON_3dVector::ZAxis, 0.01) != 0;
  EXPECT_TRUE(vp.SetCameraUp(alongZ ? ON_3dVector::YAxis : ON_3dVector::ZAxis));
  EXPECT_TRUE(vp.SetFrustum(-camera.width / 2, camera.width / 2, -camera.height / 2,
                            camera.height / 2, 1, camera.far));
  const CRhinoViewport viewport(vp, name);
  return doc.AddView(page ? new CRhinoPageView(viewport) : new CRhinoView(viewport));
}

void expectNear(const std::optional<QzOrv::OrvPoint>& point, double x, double y, double z) {
  ASSERT_TRUE(point.has_value());
  EXPECT_NEAR(point->x, x, 1e-9);
  EXPECT_NEAR(point->y, y, 1e-9);
  EXPECT_NEAR(point->z, z, 1e-9);
}

void expectPoint(const std::optional<QzOrv::OrvPoint>& point, double x, double y, double z) {
  ASSERT_TRUE(point.has_value());
  EXPECT_EQ(point->x, x);
  EXPECT_EQ(point->y, y);
  EXPECT_EQ(point->z, z);
}

}  // namespace lighting_test
