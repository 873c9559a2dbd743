// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "lighting/Views.h"

#include <cmath>

#include "export/ElementFailure.h"
#include "export/SceneIds.h"
#include "export/SceneWriter.h"
#include "export/Utf8Converter.h"
#include "lighting/SceneValues.h"

namespace {

constexpr double kOneDegree = 0.017453292519943295;  // radians
constexpr int kInactiveView = 2;
constexpr int kActiveView = 3;
constexpr int kSettingsMode = 0;
constexpr int kStageMode = 1;
constexpr double kCameraFocal = 50.0;  // millimetres, whatever the host's lens
constexpr double kCameraRoll = 0.0;

const char* nameOr(const ON_wString& name, const char* unnamed) {
  return name.IsEmpty() ? unnamed : toUtf8(name);
}

void useRenderStage(QzOrv::IOrvRenderSetup* setup) {
  if (setup == nullptr) return;
  if (QzOrv::IOrvRenderStage* stage = setup->stage()) stage->setMode(kStageMode);
}

// Ties a view or camera to the scene's sun by name and lists the scene layers that were
// visible when they were made, in the order they were made.
void linkHeliodonAndLayers(const SceneWriter& writer, QzOrv::IOrvViewSettings* settings) {
  if (settings == nullptr) return;
  settings->setHeliodon(toUtf8(writer.heliodonName));
  const LayerRegistry& registry = writer.layerRegistry;
  ON_SimpleArray<ON_UUID> shown;
  for (int i = 0; i < registry.layerIds.Count(); ++i)
    if (registry.visible[i]) shown.Append(registry.layerIds[i]);
  if (shown.Count() == 0) return;
  QzOrv::IOrvList<QzOrv::OrvId>* visibleLayers = settings->visibleLayers();
  if (visibleLayers == nullptr) return;
  for (int i = 0; i < shown.Count(); ++i)
    if (QzOrv::OrvId* stored = visibleLayers->insert(-1)) *stored = toOrvId(shown[i]);
}

void exportParallelView(SceneWriter& writer, const CRhinoViewport& viewport, bool active) {
  QzOrv::IOrvList<QzOrv::IOrvView>* views = writer.manager->views();
  if (views == nullptr) return;
  QzOrv::IOrvView* view = views->insert(-1);
  if (view == nullptr) return;
  view->identity()->setName(nameOr(viewport.Name(), "Unnamed view"));

  const ON_Viewport& vp = viewport.VP();
  ON_3dPoint eye = vp.CameraLocation();
  ON_3dVector direction = vp.CameraDirection();
  double width = vp.FrustumWidth(), height = vp.FrustumHeight();
  const bool scaled = !writer.unitTransform.IsIdentity(0.0);
  if (scaled) {
    eye.Transform(writer.unitTransform);
    direction.Transform(writer.unitTransform);
    width *= writer.unitTransform[0][0];
    height *= writer.unitTransform[0][0];
  }
  eye = finiteOr(eye, ON_3dPoint::Origin);
  const ON_3dPoint target = finiteOr(mirroredTarget(eye, direction), eye);
  view->setViewKind(viewKindOf(direction));
  const QzOrv::OrvPoint sceneEye = toOrvPoint(eye), sceneTarget = toOrvPoint(target);
  view->setEye(&sceneEye);
  view->setTarget(&sceneTarget);
  view->setFieldSize(finiteOr(std::sqrt(height * height + width * width), 0.0));
  if (QzOrv::IOrvViewSettings* settings = view->settings()) settings->setMode(kSettingsMode);
  view->markUsed();
  view->setState(active ? kActiveView : kInactiveView);
  useRenderStage(view->renderSetup());
  linkHeliodonAndLayers(writer, view->settings());
}

void exportCamera(SceneWriter& writer, const CRhinoViewport& viewport, bool active) {
  QzOrv::IOrvList<QzOrv::IOrvCamera>* cameras = writer.manager->cameras();
  if (cameras == nullptr) return;
  QzOrv::IOrvCamera* camera = cameras->insert(-1);
  if (camera == nullptr) return;
  camera->identity()->setName(nameOr(viewport.Name(), "Unnamed camera"));

  const ON_Viewport& vp = viewport.VP();
  ON_3dPoint eye = vp.CameraLocation();
  // The camera looks at the centre of the far rectangle; without a camera frame there is none,
  // and the camera looks at its own eye.
  ON_3dPoint target = eye;
  ON_3dPoint leftBottom, rightBottom, leftTop, rightTop;
  if (vp.GetFarRect(leftBottom, rightBottom, leftTop, rightTop))
    target = leftBottom + (rightTop - leftBottom) * 0.5;
  if (!writer.unitTransform.IsIdentity(0.0)) {
    eye.Transform(writer.unitTransform);
    target.Transform(writer.unitTransform);
  }
  eye = finiteOr(eye, ON_3dPoint::Origin);
  target = finiteOr(target, eye);
  const QzOrv::OrvPoint sceneEye = toOrvPoint(eye), sceneTarget = toOrvPoint(target);
  camera->setEye(&sceneEye);
  camera->setTarget(&sceneTarget);
  if (QzOrv::IOrvViewSettings* settings = camera->settings()) settings->setMode(kSettingsMode);
  camera->setEnabled(true);
  if (active) camera->makeCurrent();
  useRenderStage(camera->renderSetup());
  linkHeliodonAndLayers(writer, camera->settings());
  camera->setFocal(kCameraFocal);
  camera->setRoll(kCameraRoll);
}

}  // namespace

ON_3dPoint mirroredTarget(const ON_3dPoint& eye, ON_3dVector direction) {
  if (!direction.Unitize()) return eye;
  const ON_3dVector fromOrigin = eye - ON_3dPoint::Origin;
  return eye - direction * (2.0 * ON_DotProduct(fromOrigin, direction));
}

// Judged by the viewing direction, which is what the eye-to-target vector points along whenever
// the eye is off the mirror plane; looking either way along an axis counts.
int viewKindOf(const ON_3dVector& direction) {
  if (direction.IsParallelTo(ON_3dVector::ZAxis, kOneDegree) != 0) return kTopView;
  if (direction.IsParallelTo(ON_3dVector::XAxis, kOneDegree) != 0 ||
      direction.IsParallelTo(ON_3dVector::YAxis, kOneDegree) != 0)
    return kSideView;
  return kOtherView;
}

void SceneWriter::exportViews() {
  // A page view is a printing sheet, not a view of the model: it is never exported, even when it
  // is the active view.
  ON_UUID activeId = ON_nil_uuid;
  CRhinoView* active = RhinoApp().ActiveView();
  if (active != nullptr && CRhinoPageView::Cast(active) == nullptr) {
    activeId = active->MainViewport().ViewportId();
    exportView(active->MainViewport(), true);
    if (active->IsMaximized()) return;  // only the view that fills the window is seen
  }
  ON_SimpleArray<CRhinoView*> views;
  doc->GetViewList(views, true, false);
  for (int i = 0; i < views.Count(); ++i) {
    CRhinoView* view = views[i];
    if (view == nullptr || ON_UuidCompare(view->MainViewport().ViewportId(), activeId) == 0)
      continue;
    exportView(view->MainViewport(), false);
  }
}

void SceneWriter::exportView(CRhinoViewport& viewport, bool active) {
  // A failed viewport's element stays as far as it got; the next viewport is still exported.
  writeOrLeaveOut([&] {
    if (viewport.VP().IsParallelProjection())
      exportParallelView(*this, viewport, active);
    else
      exportCamera(*this, viewport, active);
  });
}
