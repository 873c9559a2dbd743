// Model views as scene views and cameras: which views go and in what state, view kinds, mirrored
// targets, field sizes and camera targets in centimetres, names, the heliodon and the visible
// scene layers.
// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <cmath>
#include <vector>

#include "LightingTestSupport.h"
#include "SceneNames.h"
#include "export/SceneIds.h"
#include "plugin/ExportOptions.h"

namespace lighting_test {
namespace {

using QzOrv::scene::Scene;
using QzOrv::scene::View;

const Camera kTop;
const Camera kFront{ON::parallel_view, {0, -50, 0}, {0, 1, 0}};
const Camera kPerspective{ON::perspective_view, {0, 0, 0}, {1, 0, 0}};

class Views : public LightingTest {
 protected:
  Scene exported() {
    SceneWriter writer(doc);
    writer.exportViews();
    return saved(writer);
  }
  static std::vector<int> statesOf(const Scene& scene) {
    std::vector<int> states;
    for (const View& view : scene.views) states.push_back(view.state.value_or(-1));
    return states;
  }
};

TEST_F(Views, AMaximisedActiveViewIsTheOnlyOneExported) {
  addView(doc, L"Top", kTop);
  CRhinoView* perspective = addView(doc, L"Perspective", kPerspective);
  addView(doc, L"Front", kFront);
  RhinoApp().SetActiveView(perspective);
  perspective->Maximize();
  Scene scene = exported();
  EXPECT_TRUE(scene.views.empty());
  ASSERT_EQ(namesOf(scene.cameras), std::vector<std::string>{"Perspective"});
  EXPECT_TRUE(scene.cameras[0].current);

  CRhinoView* front = addView(doc, L"Front 2", kFront);
  RhinoApp().SetActiveView(front);
  front->Maximize();
  scene = exported();
  EXPECT_EQ(namesOf(scene.views), std::vector<std::string>{"Front 2"});
  EXPECT_EQ(statesOf(scene), std::vector<int>{3});
  EXPECT_TRUE(scene.cameras.empty());
}

TEST_F(Views, WithoutAnActiveViewEveryModelViewGoesInactiveInOrderAndPageViewsNever) {
  addView(doc, L"Top", kTop);
  addView(doc, L"Sheet", kTop, /*page=*/true);
  addView(doc, L"Perspective", kPerspective);
  addView(doc, L"Front", kFront);
  const Scene scene = exported();
  EXPECT_EQ(namesOf(scene.views), (std::vector<std::string>{"Top", "Front"}));
  EXPECT_EQ(statesOf(scene), (std::vector<int>{2, 2}));
  ASSERT_EQ(namesOf(scene.cameras), std::vector<std::string>{"Perspective"});
  EXPECT_FALSE(scene.cameras[0].current);
  EXPECT_EQ(scene.cameras[0].enabled, true);
}

TEST_F(Views, TheActiveViewComesFirstAndOnlyOnce) {
  addView(doc, L"Top", kTop);
  RhinoApp().SetActiveView(addView(doc, L"Front", kFront));
  addView(doc, L"Perspective", kPerspective);
  const Scene scene = exported();
  EXPECT_EQ(namesOf(scene.views), (std::vector<std::string>{"Front", "Top"}));
  EXPECT_EQ(statesOf(scene), (std::vector<int>{3, 2}));
  ASSERT_EQ(scene.cameras.size(), 1u);
  EXPECT_FALSE(scene.cameras[0].current);
}

TEST_F(Views, AnActivePageViewIsNotExportedAndStopsNothing) {
  addView(doc, L"Top", kTop);
  CRhinoView* sheet = addView(doc, L"Sheet", kTop, /*page=*/true);
  RhinoApp().SetActiveView(sheet);
  sheet->Maximize();
  const Scene scene = exported();
  EXPECT_EQ(namesOf(scene.views), std::vector<std::string>{"Top"});
  EXPECT_EQ(statesOf(scene), std::vector<int>{2});
}

TEST_F(Views, ParallelViewKindsFollowTheDirectionEitherWayAlongAnAxis) {
  const struct {
    const wchar_t* name;
    ON_3dVector direction;
    int kind;
  } cases[] = {{L"Top", {0, 0, -1}, 1},
               {L"Bottom", {0, 0, 1}, 1},
               {L"Front", {0, 1, 0}, 0},
               {L"Right", {-1, 0, 0}, 0},
               {L"Corner", {1, 1, -1}, 2},
               {L"Nearly top", {0, 0.01, -1}, 1},
               {L"Slightly off", {0, 0.02, -1}, 2}};
  for (const auto& c : cases) addView(doc, c.name, {ON::parallel_view, {5, 5, 5}, c.direction});
  const Scene scene = exported();
  ASSERT_EQ(scene.views.size(), std::size(cases));
  for (std::size_t i = 0; i < scene.views.size(); ++i)
    EXPECT_EQ(scene.views[i].viewKind, cases[i].kind) << *scene.views[i].name;
}

TEST_F(Views, AParallelTargetIsTheEyeMirroredInThePlaneThroughTheOrigin) {
  addView(doc, L"Top", kTop);
  addView(doc, L"Top aside", {ON::parallel_view, {3, 4, 10}, {0, 0, -2}});
  addView(doc, L"Corner", {ON::parallel_view, {10, 0, 0}, {-1, -1, 0}});
  const Scene scene = exported();
  expectPoint(scene.views[0].eye, 0, 0, 10);
  expectPoint(scene.views[0].target, 0, 0, -10);
  expectPoint(scene.views[1].target, 3, 4, -10);
  // The plane x + y = 0 mirrors (10, 0, 0) to (0, -10, 0).
  expectNear(scene.views[2].target, 0, -10, 0);
}

TEST_F(Views, EyeTargetAndFieldSizeAreInCentimetres) {
  addView(doc, L"Top", kTop);  // 30 by 40
  EXPECT_EQ(exported().views[0].fieldSize, 50);
  setUnits(ON::meters);
  const Scene scene = exported();
  EXPECT_EQ(scene.views[0].fieldSize, 5000);
  expectPoint(scene.views[0].eye, 0, 0, 1000);
  expectPoint(scene.views[0].target, 0, 0, -1000);
}

TEST_F(Views, ADirectionTooShortForAMirrorPlaneGivesATargetAtTheEye) {
  // Scaled to centimetres, the direction's squared length underflows to zero.
  setUnits(ON::microns);
  addView(doc, L"Tiny", {ON::parallel_view, {0, 0, 10}, {0, 0, -1e-160}});
  const View view = exported().views[0];
  ASSERT_TRUE(view.eye && view.target);
  EXPECT_FALSE(std::isnan(view.target->x) || std::isnan(view.target->y) ||
               std::isnan(view.target->z));
  expectPoint(view.target, view.eye->x, view.eye->y, view.eye->z);
}

TEST_F(Views, ACameraLooksAtTheCentreOfItsFarRectangleWithAFixedLens) {
  setUnits(ON::meters);
  addView(doc, L"Perspective", {ON::perspective_view, {1, 2, 3}, {2, 0, 0}});  // far 100
  const QzOrv::scene::Camera camera = exported().cameras[0];
  expectPoint(camera.eye, 100, 200, 300);
  expectNear(camera.target, 10100, 200, 300);
  EXPECT_EQ(camera.focal, 50);
  EXPECT_EQ(camera.roll, 0);
  EXPECT_EQ(camera.settings.mode, 0);
  EXPECT_EQ(camera.renderSetup.stage.mode, 1);
}

TEST_F(Views, ViewsAndCamerasWithoutANameAreNamedByTheirKind) {
  addView(doc, L"", kTop);
  addView(doc, L"", kPerspective);
  const Scene scene = exported();
  EXPECT_EQ(namesOf(scene.views), std::vector<std::string>{"Unnamed view"});
  EXPECT_EQ(namesOf(scene.cameras), std::vector<std::string>{"Unnamed camera"});
  EXPECT_EQ(scene.views[0].used, true);
  EXPECT_EQ(scene.views[0].settings.mode, 0);
  EXPECT_EQ(scene.views[0].renderSetup.stage.mode, 1);
}

TEST_F(Views, BothKindsNameTheHeliodonAndListTheVisibleSceneLayersInRegistryOrder) {
  const int singleLayer = singleLayerOutput;
  singleLayerOutput = 0;
  ON_Layer walls, hidden;
  walls.SetLayerName(L"Walls");
  hidden.SetLayerName(L"Hidden");
  hidden.SetVisible(false);
  doc.m_layer_table.AddLayer(walls);
  doc.m_layer_table.AddLayer(hidden);
  ON_EarthAnchorPoint anchor;
  anchor.m_name = L"Paris";
  doc.Properties().SetEarthAnchorPoint(anchor);
  addView(doc, L"Top", kTop);
  addView(doc, L"Perspective", kPerspective);

  SceneWriter writer(doc);
  const ON_UUID wallsId = writer.layerRegistry.findLayerId(0, true);
  writer.layerRegistry.findLayerId(1, true);
  const ON_UUID rootId = writer.layerRegistry.findLayerId(-1, true);
  writer.exportSun();
  writer.exportViews();
  const Scene scene = saved(writer);
  singleLayerOutput = singleLayer;

  const std::vector<QzOrv::OrvId> visible{toOrvId(wallsId), toOrvId(rootId)};
  EXPECT_EQ(scene.views[0].settings.visibleLayers, visible);
  EXPECT_EQ(scene.cameras[0].settings.visibleLayers, visible);
  EXPECT_EQ(scene.views[0].settings.heliodon, "Paris");
  EXPECT_EQ(scene.cameras[0].settings.heliodon, "Paris");
}

TEST_F(Views, WithoutTheSunTheViewsNameAnEmptyHeliodonAndListNoLayer) {
  addView(doc, L"Top", kTop);
  const View view = exported().views[0];
  EXPECT_EQ(view.settings.heliodon, "");
  EXPECT_TRUE(view.settings.visibleLayers.empty());
}

}  // namespace
}  // namespace lighting_test
