// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "lighting/Lights.h"

#include <cassert>

#include "export/ElementFailure.h"
#include "export/SceneWriter.h"
#include "export/Utf8Converter.h"
#include "lighting/SceneValues.h"

namespace {

constexpr int kPointLight = 0;
constexpr int kSpotLight = 1;
constexpr int kDirectionalLight = 2;  // also every kind the scene has no own type for
constexpr int kNoShadows = 0;
constexpr int kShadows = 2;

// Tested in this order: a light that is somehow both point and directional is a point light.
int sceneLightType(const ON_Light& light) {
  if (light.IsPointLight()) return kPointLight;
  if (light.IsDirectionalLight()) return kDirectionalLight;
  if (light.IsSpotLight()) return kSpotLight;
  return kDirectionalLight;  // linear, rectangular and any other kind
}

}  // namespace

void collectVisibleLights(const CRhinoDoc& doc, ON_SimpleArray<const CRhinoLight*>& lights) {
  CRhinoObjectIterator it(doc, CRhinoObjectIterator::undeleted_objects,
                          CRhinoObjectIterator::active_and_reference_objects);
  it.IncludeLights(true);
  it.IncludeGrips(false);
  for (const CRhinoObject* object = it.First(); object != nullptr; object = it.Next()) {
    const CRhinoLight* light = CRhinoLight::Cast(object);
    if (light != nullptr && object->IsVisible()) lights.Append(light);
  }
}

bool SceneWriter::exportLight(const CRhinoLight* light) {
  assert(light != nullptr);
  // A failed light leaves its element as far as it got; the export goes on without it.
  return writeOrLeaveOut([&] {
    const ON_Light& source = light->Light();
    const ON_Color diffuse = source.Diffuse();
    ON_3dPoint location = source.Location();
    ON_3dVector direction = source.Direction();
    // A light inside a block instance stands where the instance puts it, like the geometry
    // beside it.
    const ON_Xform sceneFromLight = sceneFromDocument(unitTransform, transformStack.Last());
    if (!sceneFromLight.IsIdentity(0.0)) {
      location.Transform(sceneFromLight);
      direction.Transform(sceneFromLight);
    }
    const ON_3dPoint position = finiteOr(location, ON_3dPoint::Origin);
    // The direction is used as stored: the target lies at the tip of the direction vector.
    const ON_3dPoint target = finiteOr(location + direction, position);

    QzOrv::IOrvList<QzOrv::IOrvLight>* lights = manager->lights();
    if (lights == nullptr) return false;
    QzOrv::IOrvLight* element = lights->insert(-1);
    if (element == nullptr) return false;

    const ON_wString& name = light->Attributes().m_name;
    element->identity()->setName(name.IsEmpty() ? "Unnamed light" : toUtf8(name));
    element->setType(sceneLightType(source));
    const QzOrv::OrvColor colour{
        static_cast<std::uint8_t>(diffuse.Alpha()), static_cast<std::uint8_t>(diffuse.Red()),
        static_cast<std::uint8_t>(diffuse.Green()), static_cast<std::uint8_t>(diffuse.Blue())};
    element->setColor(&colour);
    const QzOrv::OrvPoint scenePosition = toOrvPoint(position);
    element->setPosition(&scenePosition);
    const QzOrv::OrvPoint sceneTarget = toOrvPoint(target);
    element->setTarget(&sceneTarget);
    element->setSpotAngle(finiteOr(source.SpotAngleRadians(), 0.0));
    element->setIntensity(finiteOr(source.Intensity(), 0.0));
    // A value that is not finite counts as no shadow, as 0 does.
    const double shadowIntensity = finiteOr(source.ShadowIntensity(), 0.0);
    if (shadowIntensity > 0.0) {
      element->setShadowMode(kShadows);
      element->setShadowIntensity(shadowIntensity);
    } else {
      element->setShadowMode(kNoShadows);
    }
    return true;
  });
}
