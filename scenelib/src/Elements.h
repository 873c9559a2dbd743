// The implementations of the element interfaces: each one records its setters' values into its
// model element (owned by the manager's scene) and owns the lists and sub-objects it hands out.
#pragma once

#include <optional>
#include <string>

#include "ElementContext.h"
#include "Lists.h"
#include "PolygonElements.h"
#include "orv/ORV6.h"
#include "orv/SceneModel.h"

namespace QzOrv::scene {

/// A caller's string as the library keeps it: null counts as empty.
inline std::string textOf(const char* text) {
  return text ? std::string(text) : std::string();
}

/// Records the value behind `value` into `field`; a null address leaves the field as it was.
template <class T>
void recordIfGiven(std::optional<T>& field, const T* value) {
  if (value) field = *value;
}

class IdentityElement final : public IOrvIdentity {
 public:
  IdentityElement(const OrvId& id, std::optional<std::string>& name) : id_(id), name_(name) {}
  const OrvId* id() const override { return &id_; }
  void setName(const char* name) override { name_ = textOf(name); }

 private:
  const OrvId& id_;
  std::optional<std::string>& name_;
};

class LayerElement final : public IOrvLayer {
 public:
  using Model = Layer;
  static constexpr ElementKind kKind = ElementKind::Layer;
  LayerElement(Layer& layer, ElementContext&) : identity_(layer.id, layer.name) {}
  IOrvIdentity* identity() override { return &identity_; }

 private:
  IdentityElement identity_;
};

class MaterialElement final : public IOrvMaterial {
 public:
  using Model = Material;
  static constexpr ElementKind kKind = ElementKind::Material;
  MaterialElement(Material& material, ElementContext&)
      : m_(material), identity_(material.id, material.name) {}

  IOrvIdentity* identity() override { return &identity_; }
  void setEnabled(bool enabled) override { m_.enabled = enabled; }
  void setFactor(double factor) override { m_.factor = factor; }
  void setDiffuse(const OrvColor* color) override { recordIfGiven(m_.diffuse, color); }
  void setSpecular(const OrvColor* color) override { recordIfGiven(m_.specular, color); }
  void setShininess(double shininess) override { m_.shininess = shininess; }
  void setTransparency(const OrvColor* color) override { recordIfGiven(m_.transparency, color); }
  void setTextureFile(const char* url) override { m_.textureFile = textOf(url); }
  void setMappingKind(int kind) override { m_.mappingKind = kind; }
  void setMappingOrigin(const OrvPoint* point, const OrvPoint* xAxis,
                        const OrvPoint* yAxis) override;
  void setMappingFrame(const OrvPoint* point, const OrvPoint* xAxis,
                       const OrvPoint* yAxis) override;
  void setTextureFlags(bool first, bool second) override { m_.textureFlags = {first, second}; }
  void setTextureSize(double height, double width) override { m_.textureSize = {height, width}; }
  void assign(const IOrvMaterial* source) override;
  void setAmbient(const OrvColor* color) override { recordIfGiven(m_.ambient, color); }
  void setTextureEnabled(bool enabled) override { m_.textureEnabled = enabled; }
  void setReflection(double reflection) override { m_.reflection = reflection; }
  void setEmission(const OrvColor* color) override { recordIfGiven(m_.emission, color); }

 private:
  Material& m_;
  IdentityElement identity_;
};

class ObjectDefinitionElement final : public IOrvObjectDefinition {
 public:
  using Model = ObjectDefinition;
  static constexpr ElementKind kKind = ElementKind::ObjectDefinition;
  ObjectDefinitionElement(ObjectDefinition& definition, ElementContext& context)
      : identity_(definition.id, definition.name),
        materials_(definition.materials, context),
        vertices_(definition.vertices),
        polygons_(definition.polygons) {}

  IOrvIdentity* identity() override { return &identity_; }
  IOrvList<IOrvMaterial>* materials() override { return &materials_; }
  IOrvList<OrvPoint>* vertices() override { return &vertices_; }
  IOrvList<IOrvPolygon>* polygons() override { return &polygons_; }

 private:
  IdentityElement identity_;
  ElementList<IOrvMaterial, MaterialElement> materials_;
  ValueList<OrvPoint, ChunkedArray<OrvPoint>> vertices_;
  PolygonElementList polygons_;
};

class DefinitionLinkElement final : public IOrvDefinitionLink {
 public:
  DefinitionLinkElement(DefinitionLink& link, ElementContext& context)
      : link_(link), materials_(link.materials, context) {}

  void setDefinition(const OrvId* definitionId) override {
    recordIfGiven(link_.definition, definitionId);
  }
  IOrvList<IOrvMaterial>* materials() override { return &materials_; }

 private:
  DefinitionLink& link_;
  ElementList<IOrvMaterial, MaterialElement> materials_;
};

class ObjectInstanceElement final : public IOrvObjectInstance {
 public:
  using Model = ObjectInstance;
  static constexpr ElementKind kKind = ElementKind::ObjectInstance;
  ObjectInstanceElement(ObjectInstance& instance, ElementContext& context)
      : instance_(instance),
        identity_(instance.id, instance.name),
        link_(instance.definitionLink, context) {}

  IOrvIdentity* identity() override { return &identity_; }
  void setKind(const char* kind) override { instance_.kind = textOf(kind); }
  IOrvDefinitionLink* definitionLink() override { return &link_; }
  void setLayer(const OrvId* layerId) override { recordIfGiven(instance_.layer, layerId); }

 private:
  ObjectInstance& instance_;
  IdentityElement identity_;
  DefinitionLinkElement link_;
};

class LightElement final : public IOrvLight {
 public:
  using Model = Light;
  static constexpr ElementKind kKind = ElementKind::Light;
  LightElement(Light& light, ElementContext&) : light_(light), identity_(light.id, light.name) {}

  IOrvIdentity* identity() override { return &identity_; }
  void setType(int type) override { light_.type = type; }
  void setColor(const OrvColor* color) override { recordIfGiven(light_.color, color); }
  void setPosition(const OrvPoint* position) override { recordIfGiven(light_.position, position); }
  void setTarget(const OrvPoint* target) override { recordIfGiven(light_.target, target); }
  void setSpotAngle(double radians) override { light_.spotAngle = radians; }
  void setShadowMode(int mode) override { light_.shadowMode = mode; }
  void setShadowIntensity(double intensity) override { light_.shadowIntensity = intensity; }
  void setIntensity(double intensity) override { light_.intensity = intensity; }

 private:
  Light& light_;
  IdentityElement identity_;
};

class PlaceElement final : public IOrvPlace {
 public:
  explicit PlaceElement(Place& place) : place_(place) {}
  void setLongitude(int minutes) override { place_.longitude = minutes; }
  void setLatitude(int minutes) override { place_.latitude = minutes; }
  void setTimeZone(int hours) override { place_.timeZone = hours; }
  void setDaylightSaving(bool on) override { place_.daylightSaving = on; }

 private:
  Place& place_;
};

class DateTimeElement final : public IOrvDateTime {
 public:
  explicit DateTimeElement(DateTime& dateTime) : dateTime_(dateTime) {}
  void setMonth(int month) override { dateTime_.month = month; }
  void setDay(int day) override { dateTime_.day = day; }
  void setHour(int hour) override { dateTime_.hour = hour; }
  void setMinute(int minute) override { dateTime_.minute = minute; }
  void setYear(int year) override { dateTime_.year = year; }

 private:
  DateTime& dateTime_;
};

class HeliodonElement final : public IOrvHeliodon {
 public:
  using Model = Heliodon;
  static constexpr ElementKind kKind = ElementKind::Heliodon;
  HeliodonElement(Heliodon& heliodon, ElementContext&)
      : heliodon_(heliodon),
        identity_(heliodon.id, heliodon.name),
        dateTime_(heliodon.dateTime),
        place_(heliodon.place) {}

  IOrvIdentity* identity() override { return &identity_; }
  void setEnabled(bool enabled) override { heliodon_.enabled = enabled; }
  IOrvDateTime* dateTime() override { return &dateTime_; }
  IOrvPlace* place() override { return &place_; }
  void setNorthAngle(double degrees) override { heliodon_.northAngle = degrees; }
  void setSkyShadowIntensity(double intensity) override {
    heliodon_.skyShadowIntensity = intensity;
  }
  void setMode(int mode) override { heliodon_.mode = mode; }
  void setSubMode(int subMode) override { heliodon_.subMode = subMode; }

 private:
  Heliodon& heliodon_;
  IdentityElement identity_;
  DateTimeElement dateTime_;
  PlaceElement place_;
};

class RenderStageElement final : public IOrvRenderStage {
 public:
  explicit RenderStageElement(RenderStage& stage) : stage_(stage) {}
  void setMode(int mode) override { stage_.mode = mode; }

 private:
  RenderStage& stage_;
};

class RenderSetupElement final : public IOrvRenderSetup {
 public:
  explicit RenderSetupElement(RenderSetup& setup) : stage_(setup.stage) {}
  IOrvRenderStage* stage() override { return &stage_; }

 private:
  RenderStageElement stage_;
};

class ViewSettingsElement final : public IOrvViewSettings {
 public:
  explicit ViewSettingsElement(ViewSettings& settings)
      : settings_(settings), visibleLayers_(settings.visibleLayers) {}
  void setMode(int mode) override { settings_.mode = mode; }
  void setHeliodon(const char* name) override { settings_.heliodon = textOf(name); }
  IOrvList<OrvId>* visibleLayers() override { return &visibleLayers_; }

 private:
  ViewSettings& settings_;
  ValueList<OrvId> visibleLayers_;
};

class ViewElement final : public IOrvView {
 public:
  using Model = View;
  static constexpr ElementKind kKind = ElementKind::View;
  ViewElement(View& view, ElementContext&)
      : view_(view),
        identity_(view.id, view.name),
        settings_(view.settings),
        renderSetup_(view.renderSetup) {}

  IOrvIdentity* identity() override { return &identity_; }
  IOrvViewSettings* settings() override { return &settings_; }
  IOrvRenderSetup* renderSetup() override { return &renderSetup_; }
  void setViewKind(int kind) override { view_.viewKind = kind; }
  void setState(int state) override { view_.state = state; }
  void markUsed() override { view_.used = true; }
  void setFieldSize(double size) override { view_.fieldSize = size; }
  void setEye(const OrvPoint* eye) override { recordIfGiven(view_.eye, eye); }
  void setTarget(const OrvPoint* target) override { recordIfGiven(view_.target, target); }

 private:
  View& view_;
  IdentityElement identity_;
  ViewSettingsElement settings_;
  RenderSetupElement renderSetup_;
};

class CameraElement final : public IOrvCamera {
 public:
  using Model = Camera;
  static constexpr ElementKind kKind = ElementKind::Camera;
  CameraElement(Camera& camera, ElementContext& context)
      : camera_(camera),
        scene_(context.scene),
        identity_(camera.id, camera.name),
        settings_(camera.settings),
        renderSetup_(camera.renderSetup) {}

  IOrvIdentity* identity() override { return &identity_; }
  IOrvViewSettings* settings() override { return &settings_; }
  IOrvRenderSetup* renderSetup() override { return &renderSetup_; }
  void setEye(const OrvPoint* eye) override { recordIfGiven(camera_.eye, eye); }
  void setTarget(const OrvPoint* target) override { recordIfGiven(camera_.target, target); }
  void makeCurrent() override;
  void setEnabled(bool enabled) override { camera_.enabled = enabled; }
  void setRoll(double degrees) override { camera_.roll = degrees; }
  void setFocal(double millimetres) override { camera_.focal = millimetres; }

 private:
  Camera& camera_;
  Scene& scene_;
  IdentityElement identity_;
  ViewSettingsElement settings_;
  RenderSetupElement renderSetup_;
};

}  // namespace QzOrv::scene
