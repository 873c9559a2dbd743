#include "json/SceneJson.h"

#include <optional>
#include <string>

#include "json/JsonPrinter.h"

namespace QzOrv::scene {
namespace {

// One print per value form of the model; each prints exactly one JSON value.

void print(JsonPrinter& json, bool value) {
  json.value(value);
}
void print(JsonPrinter& json, int value) {
  json.value(value);
}
void print(JsonPrinter& json, double value) {
  json.value(value);
}
void print(JsonPrinter& json, const std::string& text) {
  json.text(text);
}
void print(JsonPrinter& json, const OrvId& id) {
  json.plainText(formatId(id));
}
void print(JsonPrinter& json, const OrvPoint& point) {
  json.beginInlineArray();
  json.value(point.x);
  json.value(point.y);
  json.value(point.z);
  json.end();
}
void print(JsonPrinter& json, const OrvColor& color) {
  json.beginInlineArray();
  for (std::uint8_t channel : {color.a, color.r, color.g, color.b}) json.value(unsigned{channel});
  json.end();
}
void print(JsonPrinter& json, const Frame& frame) {
  json.beginArray();
  print(json, frame.point);
  print(json, frame.xAxis);
  print(json, frame.yAxis);
  json.end();
}
void print(JsonPrinter& json, const TextureFlags& flags) {
  json.beginInlineArray();
  json.value(flags.first);
  json.value(flags.second);
  json.end();
}
void print(JsonPrinter& json, const TextureSize& size) {
  json.beginObject();
  json.key("height");
  json.value(size.height);
  json.key("width");
  json.value(size.width);
  json.end();
}

/// Prints `key` only when the setter was called.
template <class T>
void put(JsonPrinter& json, const char* key, const std::optional<T>& value) {
  if (!value) return;
  json.key(key);
  print(json, *value);
}

/// Prints `key: true` only when the call (markUsed, makeCurrent) was made.
void putCall(JsonPrinter& json, const char* key, bool made) {
  if (!made) return;
  json.key(key);
  json.value(true);
}

/// Opens the element's object with its id and name.
template <class Element>
void beginIdentity(JsonPrinter& json, const Element& element) {
  json.beginObject();
  json.key("id");
  print(json, element.id);
  put(json, "name", element.name);
}

/// Prints `key` and every item of `items` by `printItem`, as an array on one line when
/// `inlined`, else one item per line.
template <class Items, class PrintItem>
void putArray(JsonPrinter& json, const char* key, const Items& items, PrintItem printItem,
              bool inlined = false) {
  json.key(key);
  if (inlined)
    json.beginInlineArray();
  else
    json.beginArray();
  for (const auto& item : items) printItem(json, item);
  json.end();
}

void printMaterial(JsonPrinter& json, const Material& m) {
  beginIdentity(json, m);
  put(json, "enabled", m.enabled);
  put(json, "factor", m.factor);
  put(json, "diffuse", m.diffuse);
  put(json, "specular", m.specular);
  put(json, "shininess", m.shininess);
  put(json, "transparency", m.transparency);
  put(json, "textureFile", m.textureFile);
  put(json, "mappingKind", m.mappingKind);
  put(json, "mappingOrigin", m.mappingOrigin);
  put(json, "mappingFrame", m.mappingFrame);
  put(json, "textureFlags", m.textureFlags);
  put(json, "textureSize", m.textureSize);
  put(json, "ambient", m.ambient);
  put(json, "textureEnabled", m.textureEnabled);
  put(json, "reflection", m.reflection);
  put(json, "emission", m.emission);
  json.end();
}

void printPolygon(JsonPrinter& json, const PolygonRef& polygon) {
  json.beginObject();
  put(json, "flag", polygon.flag);
  put(json, "materialIndex", polygon.materialIndex);
  putArray(
      json, "vertexIndices", polygon.vertexIndices,
      [](JsonPrinter& out, int index) { out.value(index); }, true);
  json.end();
}

void printLayer(JsonPrinter& json, const Layer& layer) {
  beginIdentity(json, layer);
  json.end();
}

void printDefinition(JsonPrinter& json, const ObjectDefinition& definition) {
  beginIdentity(json, definition);
  putArray(json, "materials", definition.materials, printMaterial);
  putArray(json, "vertices", definition.vertices,
           [](JsonPrinter& out, const OrvPoint& point) { print(out, point); });
  putArray(json, "polygons", definition.polygons, printPolygon);
  json.end();
}

void printInstance(JsonPrinter& json, const ObjectInstance& instance) {
  beginIdentity(json, instance);
  put(json, "kind", instance.kind);
  json.key("definitionLink");
  json.beginObject();
  put(json, "definition", instance.definitionLink.definition);
  putArray(json, "materials", instance.definitionLink.materials, printMaterial);
  json.end();
  put(json, "layer", instance.layer);
  json.end();
}

void printLight(JsonPrinter& json, const Light& light) {
  beginIdentity(json, light);
  put(json, "type", light.type);
  put(json, "color", light.color);
  put(json, "position", light.position);
  put(json, "target", light.target);
  put(json, "spotAngle", light.spotAngle);
  put(json, "shadowMode", light.shadowMode);
  put(json, "shadowIntensity", light.shadowIntensity);
  put(json, "intensity", light.intensity);
  json.end();
}

void printHeliodon(JsonPrinter& json, const Heliodon& heliodon) {
  beginIdentity(json, heliodon);
  put(json, "enabled", heliodon.enabled);
  json.key("dateTime");
  json.beginObject();
  put(json, "month", heliodon.dateTime.month);
  put(json, "day", heliodon.dateTime.day);
  put(json, "hour", heliodon.dateTime.hour);
  put(json, "minute", heliodon.dateTime.minute);
  put(json, "year", heliodon.dateTime.year);
  json.end();
  json.key("place");
  json.beginObject();
  put(json, "longitude", heliodon.place.longitude);
  put(json, "latitude", heliodon.place.latitude);
  put(json, "timeZone", heliodon.place.timeZone);
  put(json, "daylightSaving", heliodon.place.daylightSaving);
  json.end();
  put(json, "northAngle", heliodon.northAngle);
  put(json, "skyShadowIntensity", heliodon.skyShadowIntensity);
  put(json, "mode", heliodon.mode);
  put(json, "subMode", heliodon.subMode);
  json.end();
}

void putSettingsAndStage(JsonPrinter& json, const ViewSettings& settings,
                         const RenderSetup& setup) {
  json.key("settings");
  json.beginObject();
  put(json, "mode", settings.mode);
  put(json, "heliodon", settings.heliodon);
  putArray(
      json, "visibleLayers", settings.visibleLayers,
      [](JsonPrinter& out, const OrvId& id) { print(out, id); }, true);
  json.end();
  json.key("renderSetup");
  json.beginObject();
  json.key("stage");
  json.beginObject();
  put(json, "mode", setup.stage.mode);
  json.end();
  json.end();
}

void printView(JsonPrinter& json, const View& view) {
  beginIdentity(json, view);
  putSettingsAndStage(json, view.settings, view.renderSetup);
  put(json, "viewKind", view.viewKind);
  put(json, "state", view.state);
  putCall(json, "used", view.used);
  put(json, "fieldSize", view.fieldSize);
  put(json, "eye", view.eye);
  put(json, "target", view.target);
  json.end();
}

void printCamera(JsonPrinter& json, const Camera& camera) {
  beginIdentity(json, camera);
  putSettingsAndStage(json, camera.settings, camera.renderSetup);
  put(json, "eye", camera.eye);
  put(json, "target", camera.target);
  putCall(json, "current", camera.current);
  put(json, "enabled", camera.enabled);
  put(json, "roll", camera.roll);
  put(json, "focal", camera.focal);
  json.end();
}

}  // namespace

void printSceneJson(std::ostream& out, const Scene& scene) {
  JsonPrinter json(out);
  json.beginObject();
  if (scene.creator) {
    json.key("creator");
    json.beginObject();
    json.key("application");
    json.text(scene.creator->application);
    json.key("version");
    json.text(scene.creator->version);
    json.end();
  }
  putArray(json, "layers", scene.layers, printLayer);
  putArray(json, "objectDefinitions", scene.objectDefinitions, printDefinition);
  putArray(json, "objectInstances", scene.objectInstances, printInstance);
  putArray(json, "lights", scene.lights, printLight);
  putArray(json, "heliodons", scene.heliodons, printHeliodon);
  putArray(json, "views", scene.views, printView);
  putArray(json, "cameras", scene.cameras, printCamera);
  json.end();
  json.finish();
}

}  // namespace QzOrv::scene
