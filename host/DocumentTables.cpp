#include <filesystem>

#include "DocumentReading.h"

namespace document {

namespace {

// ---- units

struct UnitName {
  const char* name;
  ON::unit_system code;
};

constexpr UnitName kUnitNames[] = {
    {"none", ON::no_unit_system},
    {"microns", ON::microns},
    {"millimeters", ON::millimeters},
    {"centimeters", ON::centimeters},
    {"meters", ON::meters},
    {"kilometers", ON::kilometers},
    {"microinches", ON::microinches},
    {"mils", ON::mils},
    {"inches", ON::inches},
    {"feet", ON::feet},
    {"miles", ON::miles},
    {"custom", ON::custom_unit_system},
    {"angstroms", ON::angstroms},
    {"nanometers", ON::nanometers},
    {"decimeters", ON::decimeters},
    {"dekameters", ON::dekameters},
    {"hectometers", ON::hectometers},
    {"megameters", ON::megameters},
    {"gigameters", ON::gigameters},
    {"yards", ON::yards},
    {"printer_points", ON::printer_point},
    {"printer_picas", ON::printer_pica},
    {"nautical_miles", ON::nautical_mile},
    {"astronomical_units", ON::astronomical},
    {"lightyears", ON::lightyears},
    {"parsecs", ON::parsecs},
};

constexpr const char* kCustomUnitsForm = "{\"name\": ..., \"meters\": ...}";

std::string UnitNameList() {
  std::string out;
  for (const UnitName& unit : kUnitNames) out += (out.empty() ? "" : ", ") + std::string(unit.name);
  return out;
}

// A custom unit is only meaningful with its length, which a bare name or code cannot carry.
ON::unit_system NotCustom(const Node& units, ON::unit_system code) {
  if (code == ON::custom_unit_system)
    units.fail(std::string("custom units need their length in metres: write ") + kCustomUnitsForm);
  return code;
}

ON::unit_system UnitNamed(const Node& units) {
  const std::string name = units.text();
  for (const UnitName& unit : kUnitNames)
    if (name == unit.name) return NotCustom(units, unit.code);
  units.expected("a unit name (" + UnitNameList() + ")");
}

ON::unit_system UnitCoded(const Node& units) {
  const int code = units.integer(0, static_cast<int>(std::size(kUnitNames)) - 1);
  return NotCustom(units, kUnitNames[code].code);
}

}  // namespace

ON_UnitSystem ReadUnits(const Node& units) {
  ON_UnitSystem result;
  if (units.isString()) {
    result.m_unit_system = UnitNamed(units);
  } else if (units.isInteger()) {
    result.m_unit_system = UnitCoded(units);
  } else if (units.isObject()) {
    units.checkKeys({"name", "meters"});
    result.m_unit_system = ON::custom_unit_system;
    // The file gives one unit's length in metres; the host counts units in a metre.
    result.m_custom_unit_scale =
        1.0 / units.required("meters", "the length of one custom unit in metres").positive();
    if (auto name = units.member("name")) result.m_custom_unit_name = Wide(name->text());
  } else {
    units.expected(std::string("a unit name, a unit code or custom units ") + kCustomUnitsForm);
  }
  return result;
}

// ---- path

/// The path the document was saved under; a relative one is taken from the document file's folder.
std::string SavedPath(const Node& path, const std::string& fileName) {
  const std::filesystem::path saved(path.text());
  if (saved.empty() || saved.is_absolute()) return saved.string();
  return (std::filesystem::absolute(fileName).parent_path() / saved).lexically_normal().string();
}

// ---- materials

ON_Color ReadColour(const Node& colour) {
  if (!colour.isArray() || (colour.size() != 3 && colour.size() != 4))
    colour.expected("a colour [red, green, blue] or [red, green, blue, alpha]");
  int channels[4] = {0, 0, 0, 0};
  const std::vector<Node> elements = colour.elements();
  for (std::size_t i = 0; i < elements.size(); ++i) channels[i] = elements[i].integer(0, 255);
  return ON_Color(channels[0], channels[1], channels[2], channels[3]);
}

namespace {

struct MaterialColour {
  const char* key;
  ON_Color ON_Material::*colour;
};

constexpr MaterialColour kMaterialColours[] = {
    {"ambient", &ON_Material::m_ambient},       {"diffuse", &ON_Material::m_diffuse},
    {"emission", &ON_Material::m_emission},     {"specular", &ON_Material::m_specular},
    {"reflection", &ON_Material::m_reflection}, {"transparent", &ON_Material::m_transparent},
};

ON_Texture::TYPE TextureType(const Node& type) {
  static constexpr std::pair<const char*, ON_Texture::TYPE> kTypes[] = {
      {"bitmap", ON_Texture::bitmap_texture},
      {"bump", ON_Texture::bump_texture},
      {"transparency", ON_Texture::transparency_texture},
      {"environment", ON_Texture::emap_texture},
  };
  const std::string name = type.text();
  for (const auto& [known, value] : kTypes)
    if (name == known) return value;
  type.expected("a texture type (bitmap, bump, transparency, environment)");
}

void ReadTexture(const Node& texture, ON_Texture& result) {
  texture.checkKeys({"file", "relative", "type"});
  const Node file = texture.required("file", "the texture's image file name");
  if (file.text().empty()) file.expected("an image file name");
  result.m_filename = Wide(file.text());
  if (auto relative = texture.member("relative")) result.m_bFilenameRelative = relative->flag();
  if (auto type = texture.member("type")) result.m_type = TextureType(*type);
}

ON_Material ReadMaterial(const Node& material) {
  material.checkKeys({"name", "ambient", "diffuse", "emission", "specular", "reflection",
                      "transparent", "transparency", "shine", "reflectivity", "index_of_refraction",
                      "textures"});
  ON_Material result;
  if (auto name = material.member("name")) result.SetMaterialName(Wide(name->text()));
  for (const MaterialColour& entry : kMaterialColours)
    if (auto colour = material.member(entry.key)) result.*entry.colour = ReadColour(*colour);
  if (auto t = material.member("transparency")) result.SetTransparency(t->number(0, 1));
  if (auto shine = material.member("shine")) result.m_shine = shine->number(0, 255);
  if (auto r = material.member("reflectivity")) result.m_reflectivity = r->number(0, 1);
  if (auto ior = material.member("index_of_refraction"))
    result.m_index_of_refraction = ior->positive();
  if (auto textures = material.member("textures"))
    for (const Node& texture : textures->elements())
      ReadTexture(texture, result.m_textures.AppendNew());
  return result;
}

}  // namespace

NameTable ReadMaterials(const Node& materials, CRhinoDoc& doc) {
  NameTable names{"material", {}, {}};
  for (const Node& material : materials.elements()) {
    const ON_Material read = ReadMaterial(material);
    doc.m_material_table.AddMaterial(read);
    names.names.emplace_back(ON_String(read.MaterialName()).Array());
  }
  return names;
}

namespace {

// ---- layers

constexpr const char* kLayerPathSeparator = "::";

/// All layers' full paths together, in bytes: each is held while the document is read, and becomes
/// a scene layer's name, so a deep chain of layers must not cost memory in its length squared.
constexpr std::size_t kMaxLayerPathBytes = std::size_t{64} << 20;

/// Reads one layer; `pathBytes` is the length of the full paths of the layers read before.
void ReadLayer(const Node& layer, CRhinoDoc& doc, NameTable& layers, const NameTable& materials,
               std::size_t& pathBytes) {
  layer.checkKeys({"name", "parent", "visible", "locked", "material"});
  ON_Layer result;
  std::string name;
  if (auto node = layer.member("name")) {
    name = node->text();
    if (name.find(kLayerPathSeparator) != std::string::npos)
      node->fail(
          "a layer name cannot contain \"::\", which separates the names of a layer path; "
          "got " +
          Show(*node));
  }
  result.SetLayerName(Wide(name));
  std::string path = name;
  if (auto parent = layer.member("parent")) {
    const int index = Resolve(*parent, layers, "parent layer");
    result.m_parent_layer_id = doc.m_layer_table[index].m_layer_id;
    if (pathBytes + layers.paths[index].size() + name.size() + 2 > kMaxLayerPathBytes)
      parent->fail("the full paths of the layers come to more than the " +
                   std::to_string(kMaxLayerPathBytes >> 20) +
                   " MiB allowed with this layer (layers nested too deep)");
    path = layers.paths[index] + kLayerPathSeparator + name;
  }
  pathBytes += path.size();
  if (!layers.rowsWithPath(path).empty())
    layer.fail("another layer already has the full path \"" + path + "\"");
  if (auto visible = layer.member("visible")) result.SetVisible(visible->flag());
  if (auto locked = layer.member("locked")) result.SetLocked(locked->flag());
  if (auto material = layer.member("material"))
    result.SetRenderMaterialIndex(Resolve(*material, materials, "render material"));
  doc.m_layer_table.AddLayer(result);
  layers.names.push_back(name);
  layers.paths.push_back(path);
}

}  // namespace

NameTable ReadLayers(const Node& layers, CRhinoDoc& doc, const NameTable& materials) {
  NameTable read{"earlier layer", {}, {}};
  std::size_t pathBytes = 0;
  for (const Node& layer : layers.elements()) ReadLayer(layer, doc, read, materials, pathBytes);
  read.kind = "layer";
  return read;
}

}  // namespace document
