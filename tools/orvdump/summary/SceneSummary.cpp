#include "summary/SceneSummary.h"

#include <charconv>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace QzOrv::scene {
namespace {

/// Shortest text that reads back as the same double.
std::string number(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string point(const OrvPoint& p) {
  return "(" + number(p.x) + ", " + number(p.y) + ", " + number(p.z) + ")";
}

std::string counted(std::size_t count, const char* singular, const char* plural) {
  return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

std::string quotedName(const std::optional<std::string>& name) {
  return name ? "\"" + *name + "\"" : "(unnamed)";
}

std::string twoDigits(int value) {
  return (value >= 0 && value < 10 ? "0" : "") + std::to_string(value);
}

/// "  [index] name: part, part, ..." with only the parts that have something to say.
void writeLine(std::ostream& out, std::size_t index, const std::optional<std::string>& name,
               const std::vector<std::string>& parts) {
  out << "  [" << index << "] " << quotedName(name);
  for (std::size_t i = 0; i < parts.size(); ++i) out << (i == 0 ? ": " : ", ") << parts[i];
  out << '\n';
}

/// The element of `list` whose id is `id`, by name, or "missing" with the id.
template <class Element>
std::string referenceTo(const StableList<Element>& list, const OrvId& id) {
  for (const Element& element : list) {
    if (element.id == id) return quotedName(element.name);
  }
  return formatId(id) + " (missing)";
}

std::string lightType(int type) {
  switch (type) {
    case 0:
      return "point";
    case 1:
      return "spot";
    case 2:
      return "directional";
    default:
      return "type " + std::to_string(type);
  }
}

std::string viewKind(int kind) {
  switch (kind) {
    case 0:
      return "side";
    case 1:
      return "top";
    case 2:
      return "other direction";
    default:
      return "view kind " + std::to_string(kind);
  }
}

std::string viewState(int state) {
  switch (state) {
    case 2:
      return "inactive";
    case 3:
      return "active";
    default:
      return "state " + std::to_string(state);
  }
}

void writeCounts(std::ostream& out, const Scene& scene) {
  out << "Creator: "
      << (scene.creator ? scene.creator->application + " " + scene.creator->version
                        : std::string("(not set)"))
      << '\n';
  out << "Layers: " << scene.layers.size() << '\n';
  out << "Object definitions: " << scene.objectDefinitions.size() << '\n';
  out << "Object instances: " << scene.objectInstances.size() << '\n';
  out << "Lights: " << scene.lights.size() << '\n';
  out << "Heliodons: " << scene.heliodons.size() << '\n';
  out << "Views: " << scene.views.size() << '\n';
  out << "Cameras: " << scene.cameras.size() << '\n';
}

/// Writes a section heading and one line per element, each followed by what `writeMore`
/// writes for it, or nothing for an empty list.
template <class Element, class Describe, class WriteMore>
void writeSection(std::ostream& out, const char* heading, const StableList<Element>& elements,
                  Describe describe, WriteMore writeMore) {
  if (elements.empty()) return;
  out << '\n' << heading << '\n';
  for (std::size_t i = 0; i < elements.size(); ++i) {
    writeLine(out, i, elements[i].name, describe(elements[i]));
    writeMore(elements[i]);
  }
}

template <class Element, class Describe>
void writeSection(std::ostream& out, const char* heading, const StableList<Element>& elements,
                  Describe describe) {
  writeSection(out, heading, elements, describe, [](const Element&) {});
}

std::vector<std::string> describeDefinition(const ObjectDefinition& definition) {
  std::size_t triangles = 0;
  std::size_t quads = 0;
  for (const PolygonRef polygon : definition.polygons) {
    triangles += polygon.vertexIndices.size() == 3;
    quads += polygon.vertexIndices.size() == 4;
  }
  const std::size_t others = definition.polygons.size() - triangles - quads;
  std::string shapes =
      counted(triangles, "triangle", "triangles") + ", " + counted(quads, "quad", "quads");
  if (others > 0) shapes += ", " + std::to_string(others) + " other";
  return {counted(definition.vertices.size(), "point", "points"),
          counted(definition.polygons.size(), "polygon", "polygons") + " (" + shapes + ")",
          counted(definition.materials.size(), "material", "materials")};
}

std::string colour(const OrvColor& c) {
  return "[" + std::to_string(c.a) + ", " + std::to_string(c.r) + ", " + std::to_string(c.g) +
         ", " + std::to_string(c.b) + "]";
}

std::string frame(const Frame& f) {
  return point(f.point) + " " + point(f.xAxis) + " " + point(f.yAxis);
}

std::string flag(bool value) {
  return value ? "true" : "false";
}

/// "      <label> part, part, ..." when there is a part to show.
void writeDetail(std::ostream& out, const char* label, const std::vector<std::string>& parts) {
  if (parts.empty()) return;
  out << "      " << label;
  for (std::size_t i = 0; i < parts.size(); ++i) out << (i == 0 ? " " : ", ") << parts[i];
  out << '\n';
}

/// A material under its definition: a line with its name and plain values, then its colours
/// (alpha first), its texture and its mapping, each when something of it was set.
void writeMaterial(std::ostream& out, std::size_t index, const Material& m) {
  std::vector<std::string> values;
  if (m.enabled) values.push_back(*m.enabled ? "enabled" : "disabled");
  if (m.factor) values.push_back("factor " + number(*m.factor));
  if (m.shininess) values.push_back("shininess " + number(*m.shininess));
  if (m.reflection) values.push_back("reflection " + number(*m.reflection));
  out << "    material [" << index << "] " << quotedName(m.name);
  for (std::size_t i = 0; i < values.size(); ++i) out << (i == 0 ? ": " : ", ") << values[i];
  out << '\n';

  std::vector<std::string> colours;
  const std::pair<const char*, const std::optional<OrvColor>&> named[] = {
      {"diffuse", m.diffuse},
      {"specular", m.specular},
      {"emission", m.emission},
      {"ambient", m.ambient},
      {"transparency", m.transparency}};
  for (const auto& [name, value] : named)
    if (value) colours.push_back(std::string(name) + " " + colour(*value));
  writeDetail(out, "colours [a, r, g, b]:", colours);

  std::vector<std::string> texture;
  if (m.textureFile) texture.push_back("\"" + *m.textureFile + "\"");
  if (m.textureEnabled) texture.push_back(*m.textureEnabled ? "enabled" : "disabled");
  if (m.textureFlags)
    texture.push_back("flags " + flag(m.textureFlags->first) + " " + flag(m.textureFlags->second));
  if (m.textureSize)
    texture.push_back("height " + number(m.textureSize->height) + " width " +
                      number(m.textureSize->width));
  writeDetail(out, "texture:", texture);

  std::vector<std::string> mapping;
  if (m.mappingKind) mapping.push_back("kind " + std::to_string(*m.mappingKind));
  if (m.mappingOrigin) mapping.push_back("origin " + frame(*m.mappingOrigin));
  if (m.mappingFrame) mapping.push_back("frame " + frame(*m.mappingFrame));
  writeDetail(out, "mapping:", mapping);
}

std::vector<std::string> describeInstance(const Scene& scene, const ObjectInstance& instance) {
  std::vector<std::string> parts;
  const std::optional<OrvId>& definition = instance.definitionLink.definition;
  parts.push_back(definition ? "definition " + referenceTo(scene.objectDefinitions, *definition)
                             : "no definition");
  if (instance.layer) {
    parts.push_back(isNil(*instance.layer) ? "no layer"
                                           : "layer " + referenceTo(scene.layers, *instance.layer));
  }
  parts.push_back(counted(instance.definitionLink.materials.size(), "material", "materials"));
  return parts;
}

std::string lightColour(const OrvColor& c) {
  return "colour (" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " +
         std::to_string(c.b) + ", alpha " + std::to_string(c.a) + ")";
}

std::string shadows(int mode, const std::optional<double>& intensity) {
  if (mode == 0) return "no shadows";
  std::string text = mode == 2 ? "shadows" : "shadow mode " + std::to_string(mode);
  return intensity ? text + " " + number(*intensity) : text;
}

std::vector<std::string> describeLight(const Light& light) {
  std::vector<std::string> parts;
  if (light.type) parts.push_back(lightType(*light.type));
  if (light.color) parts.push_back(lightColour(*light.color));
  if (light.position) parts.push_back("position " + point(*light.position));
  if (light.target) parts.push_back("target " + point(*light.target));
  if (light.spotAngle) parts.push_back("spot angle " + number(*light.spotAngle) + " rad");
  if (light.intensity) parts.push_back("intensity " + number(*light.intensity));
  if (light.shadowMode) {
    parts.push_back(shadows(*light.shadowMode, light.shadowIntensity));
  } else if (light.shadowIntensity) {
    parts.push_back("shadow intensity " + number(*light.shadowIntensity));
  }
  return parts;
}

std::vector<std::string> describeHeliodon(const Heliodon& heliodon) {
  std::vector<std::string> parts;
  if (heliodon.enabled) parts.push_back(*heliodon.enabled ? "enabled" : "disabled");
  const DateTime& when = heliodon.dateTime;
  std::string moment;
  if (when.year && when.month && when.day) {
    moment = std::to_string(*when.year) + "-" + twoDigits(*when.month) + "-" + twoDigits(*when.day);
  }
  if (when.hour && when.minute) {
    moment += (moment.empty() ? "" : " ") + twoDigits(*when.hour) + ":" + twoDigits(*when.minute);
  }
  if (!moment.empty()) parts.push_back(moment);
  const Place& where = heliodon.place;
  if (where.latitude) parts.push_back("latitude " + std::to_string(*where.latitude) + "'");
  if (where.longitude) parts.push_back("longitude " + std::to_string(*where.longitude) + "'");
  if (where.timeZone) {
    parts.push_back("UTC" + std::string(*where.timeZone < 0 ? "" : "+") +
                    std::to_string(*where.timeZone));
  }
  if (where.daylightSaving) {
    parts.push_back(*where.daylightSaving ? "daylight saving" : "no daylight saving");
  }
  if (heliodon.northAngle) parts.push_back("north angle " + number(*heliodon.northAngle));
  if (heliodon.skyShadowIntensity) {
    parts.push_back("sky shadows " + number(*heliodon.skyShadowIntensity));
  }
  return parts;
}

/// The heliodon a view or camera names and the layers it shows, by name.
void describeSettings(const Scene& scene, const ViewSettings& settings,
                      std::vector<std::string>& parts) {
  if (settings.heliodon) parts.push_back("heliodon \"" + *settings.heliodon + "\"");
  if (settings.visibleLayers.empty()) {
    parts.push_back("no visible layers");
    return;
  }
  std::string layers = "visible layers ";
  for (std::size_t i = 0; i < settings.visibleLayers.size(); ++i) {
    layers += (i == 0 ? "" : ", ") + referenceTo(scene.layers, settings.visibleLayers[i]);
  }
  parts.push_back(layers);
}

std::vector<std::string> describeView(const Scene& scene, const View& view) {
  std::vector<std::string> parts;
  if (view.viewKind) parts.push_back(viewKind(*view.viewKind));
  if (view.state) parts.push_back(viewState(*view.state));
  if (view.eye) parts.push_back("eye " + point(*view.eye));
  if (view.target) parts.push_back("target " + point(*view.target));
  if (view.fieldSize) parts.push_back("field " + number(*view.fieldSize));
  describeSettings(scene, view.settings, parts);
  return parts;
}

std::vector<std::string> describeCamera(const Scene& scene, const Camera& camera) {
  std::vector<std::string> parts;
  if (camera.current) parts.push_back("current");
  if (camera.enabled && !*camera.enabled) parts.push_back("disabled");
  if (camera.eye) parts.push_back("eye " + point(*camera.eye));
  if (camera.target) parts.push_back("target " + point(*camera.target));
  if (camera.focal) parts.push_back("focal " + number(*camera.focal) + " mm");
  if (camera.roll) parts.push_back("roll " + number(*camera.roll));
  describeSettings(scene, camera.settings, parts);
  return parts;
}

}  // namespace

void writeSummary(std::ostream& out, const Scene& scene) {
  writeCounts(out, scene);
  writeSection(out, "Layers", scene.layers,
               [](const Layer&) { return std::vector<std::string>(); });
  writeSection(out, "Object definitions", scene.objectDefinitions, describeDefinition,
               [&](const ObjectDefinition& definition) {
                 for (std::size_t i = 0; i < definition.materials.size(); ++i)
                   writeMaterial(out, i, definition.materials[i]);
               });
  writeSection(out, "Object instances", scene.objectInstances,
               [&](const ObjectInstance& instance) { return describeInstance(scene, instance); });
  writeSection(out, "Lights", scene.lights, describeLight);
  writeSection(out, "Heliodons", scene.heliodons, describeHeliodon);
  writeSection(out, "Views", scene.views,
               [&](const View& view) { return describeView(scene, view); });
  writeSection(out, "Cameras", scene.cameras,
               [&](const Camera& camera) { return describeCamera(scene, camera); });
}

}  // namespace QzOrv::scene
