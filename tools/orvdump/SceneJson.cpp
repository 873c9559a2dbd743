#include "SceneJson.h"

#include <algorithm>
#include <optional>
#include <string>

namespace QzOrv::scene {
namespace {

using Json = nlohmann::ordered_json;

Json toJson(bool value) {
  return value;
}
Json toJson(int value) {
  return value;
}
Json toJson(double value) {
  return value;
}
Json toJson(const std::string& text) {
  return text;
}
Json toJson(const OrvId& id) {
  return formatId(id);
}
Json toJson(const OrvPoint& point) {
  return Json::array({point.x, point.y, point.z});
}
Json toJson(const OrvColor& color) {
  return Json::array({color.a, color.r, color.g, color.b});
}
Json toJson(const Frame& frame) {
  return Json::array({toJson(frame.point), toJson(frame.xAxis), toJson(frame.yAxis)});
}
Json toJson(const TextureFlags& flags) {
  return Json::array({flags.first, flags.second});
}
Json toJson(const TextureSize& size) {
  return Json{{"height", size.height}, {"width", size.width}};
}

Json toJson(const Layer& layer);
Json toJson(const Material& material);
Json toJson(const Polygon& polygon);
Json toJson(const ObjectDefinition& definition);
Json toJson(const ObjectInstance& instance);
Json toJson(const Light& light);
Json toJson(const Heliodon& heliodon);
Json toJson(const View& view);
Json toJson(const Camera& camera);

/// Adds `key` only when the setter was called.
template <class T>
void put(Json& object, const char* key, const std::optional<T>& value) {
  if (value) object[key] = toJson(*value);
}

/// Adds `key: true` only when the call (markUsed, makeCurrent) was made.
void putCall(Json& object, const char* key, bool made) {
  if (made) object[key] = true;
}

template <class Element>
Json identity(const Element& element) {
  Json object = Json::object();
  object["id"] = formatId(element.id);
  put(object, "name", element.name);
  return object;
}

template <class Values>
Json arrayOf(const Values& values) {
  Json array = Json::array();
  for (const auto& value : values) array.push_back(toJson(value));
  return array;
}

template <class Element>
Json arrayOf(const StableList<Element>& elements) {
  Json array = Json::array();
  for (const Element& element : elements) array.push_back(toJson(element));
  return array;
}

Json toJson(const Layer& layer) {
  return identity(layer);
}

Json toJson(const Material& m) {
  Json object = identity(m);
  put(object, "enabled", m.enabled);
  put(object, "factor", m.factor);
  put(object, "diffuse", m.diffuse);
  put(object, "specular", m.specular);
  put(object, "shininess", m.shininess);
  put(object, "transparency", m.transparency);
  put(object, "textureFile", m.textureFile);
  put(object, "mappingKind", m.mappingKind);
  put(object, "mappingOrigin", m.mappingOrigin);
  put(object, "mappingFrame", m.mappingFrame);
  put(object, "textureFlags", m.textureFlags);
  put(object, "textureSize", m.textureSize);
  put(object, "ambient", m.ambient);
  put(object, "textureEnabled", m.textureEnabled);
  put(object, "reflection", m.reflection);
  put(object, "emission", m.emission);
  return object;
}

Json toJson(const Polygon& polygon) {
  Json object = Json::object();
  put(object, "flag", polygon.flag);
  put(object, "materialIndex", polygon.materialIndex);
  object["vertexIndices"] = arrayOf(polygon.vertexIndices);
  return object;
}

Json toJson(const ObjectDefinition& definition) {
  Json object = identity(definition);
  object["materials"] = arrayOf(definition.materials);
  object["vertices"] = arrayOf(definition.vertices);
  object["polygons"] = arrayOf(definition.polygons);
  return object;
}

Json toJson(const ObjectInstance& instance) {
  Json object = identity(instance);
  put(object, "kind", instance.kind);
  Json link = Json::object();
  put(link, "definition", instance.definitionLink.definition);
  link["materials"] = arrayOf(instance.definitionLink.materials);
  object["definitionLink"] = std::move(link);
  put(object, "layer", instance.layer);
  return object;
}

Json toJson(const Light& light) {
  Json object = identity(light);
  put(object, "type", light.type);
  put(object, "color", light.color);
  put(object, "position", light.position);
  put(object, "target", light.target);
  put(object, "spotAngle", light.spotAngle);
  put(object, "shadowMode", light.shadowMode);
  put(object, "shadowIntensity", light.shadowIntensity);
  put(object, "intensity", light.intensity);
  return object;
}

Json toJson(const DateTime& dateTime) {
  Json object = Json::object();
  put(object, "month", dateTime.month);
  put(object, "day", dateTime.day);
  put(object, "hour", dateTime.hour);
  put(object, "minute", dateTime.minute);
  put(object, "year", dateTime.year);
  return object;
}

Json toJson(const Place& place) {
  Json object = Json::object();
  put(object, "longitude", place.longitude);
  put(object, "latitude", place.latitude);
  put(object, "timeZone", place.timeZone);
  put(object, "daylightSaving", place.daylightSaving);
  return object;
}

Json toJson(const Heliodon& heliodon) {
  Json object = identity(heliodon);
  put(object, "enabled", heliodon.enabled);
  object["dateTime"] = toJson(heliodon.dateTime);
  object["place"] = toJson(heliodon.place);
  put(object, "northAngle", heliodon.northAngle);
  put(object, "skyShadowIntensity", heliodon.skyShadowIntensity);
  put(object, "mode", heliodon.mode);
  put(object, "subMode", heliodon.subMode);
  return object;
}

Json toJson(const ViewSettings& settings) {
  Json object = Json::object();
  put(object, "mode", settings.mode);
  put(object, "heliodon", settings.heliodon);
  object["visibleLayers"] = arrayOf(settings.visibleLayers);
  return object;
}

Json toJson(const RenderSetup& setup) {
  Json stage = Json::object();
  put(stage, "mode", setup.stage.mode);
  return Json{{"stage", std::move(stage)}};
}

Json toJson(const View& view) {
  Json object = identity(view);
  object["settings"] = toJson(view.settings);
  object["renderSetup"] = toJson(view.renderSetup);
  put(object, "viewKind", view.viewKind);
  put(object, "state", view.state);
  putCall(object, "used", view.used);
  put(object, "fieldSize", view.fieldSize);
  put(object, "eye", view.eye);
  put(object, "target", view.target);
  return object;
}

Json toJson(const Camera& camera) {
  Json object = identity(camera);
  object["settings"] = toJson(camera.settings);
  object["renderSetup"] = toJson(camera.renderSetup);
  put(object, "eye", camera.eye);
  put(object, "target", camera.target);
  putCall(object, "current", camera.current);
  put(object, "enabled", camera.enabled);
  put(object, "roll", camera.roll);
  put(object, "focal", camera.focal);
  return object;
}

std::string plain(const Json& value) {
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

bool isPlainArray(const Json& value) {
  return value.is_array() && std::none_of(value.begin(), value.end(),
                                          [](const Json& item) { return item.is_structured(); });
}

void printPlainArray(std::ostream& out, const Json& array) {
  out << '[';
  for (std::size_t i = 0; i < array.size(); ++i) out << (i ? ", " : "") << plain(array[i]);
  out << ']';
}

void printValue(std::ostream& out, const Json& value, int depth) {
  if (isPlainArray(value)) return printPlainArray(out, value);
  if (!value.is_structured() || value.empty()) {
    out << plain(value);
    return;
  }
  const bool isObject = value.is_object();
  const std::string inner(2 * (depth + 1), ' ');
  out << (isObject ? "{\n" : "[\n");
  bool first = true;
  for (auto item = value.begin(); item != value.end(); ++item) {
    out << (first ? "" : ",\n") << inner;
    if (isObject) out << plain(item.key()) << ": ";
    printValue(out, item.value(), depth + 1);
    first = false;
  }
  out << '\n' << std::string(2 * depth, ' ') << (isObject ? '}' : ']');
}

}  // namespace

void printJson(std::ostream& out, const nlohmann::ordered_json& json) {
  printValue(out, json, 0);
  out << '\n';
}

nlohmann::ordered_json sceneToJson(const Scene& scene) {
  Json object = Json::object();
  if (scene.creator) {
    object["creator"] =
        Json{{"application", scene.creator->application}, {"version", scene.creator->version}};
  }
  object["layers"] = arrayOf(scene.layers);
  object["objectDefinitions"] = arrayOf(scene.objectDefinitions);
  object["objectInstances"] = arrayOf(scene.objectInstances);
  object["lights"] = arrayOf(scene.lights);
  object["heliodons"] = arrayOf(scene.heliodons);
  object["views"] = arrayOf(scene.views);
  object["cameras"] = arrayOf(scene.cameras);
  return object;
}

}  // namespace QzOrv::scene
