#include "DocumentFile.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

namespace {

// Ordered, so that of several mistakes in one object the first one in the file is reported.
using Json = nlohmann::ordered_json;
using Pointer = Json::json_pointer;

constexpr double kPi = 3.14159265358979323846;

/// A value as it appears in the file, cut short (on a character boundary) when it is long.
std::string Show(const Json& value) {
  constexpr std::size_t kLongest = 60;
  std::string text = value.dump();
  if (text.size() <= kLongest) return text;
  std::size_t end = kLongest;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end) + "...";
}

std::string ShowNumber(double value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

ON_wString Wide(const std::string& utf8) {
  return ON_wString(utf8.c_str());
}

/// One value of the document with its place in it. Every complaint about it names the file, the
/// place as a JSON path and the value.
class Node {
 public:
  Node(const std::string& file, const Json& value, Pointer at)
      : m_file(file), m_value(value), m_at(std::move(at)) {}

  const Json& value() const { return m_value; }

  [[noreturn]] void fail(const std::string& problem) const {
    const std::string place = m_at.empty() ? std::string("top level") : m_at.to_string();
    throw DocumentError(m_file + ": " + place + ": " + problem);
  }

  [[noreturn]] void expected(const std::string& what) const {
    fail("expected " + what + ", got " + Show(m_value));
  }

  /// Fails unless this is an object whose keys are all in `known`. Keys in `later` name features
  /// this build cannot read yet; they are refused as such rather than as typos.
  void checkKeys(std::initializer_list<std::string_view> known,
                 std::initializer_list<std::string_view> later = {}) const {
    if (!m_value.is_object()) expected("an object {...}");
    for (const auto& [key, value] : m_value.items()) {
      if (Contains(known, key)) continue;
      const Node member(m_file, value, m_at / key);
      if (Contains(later, key)) member.fail("\"" + key + "\" is not supported yet by this build");
      member.fail("unknown key \"" + key + "\" (expected one of " + Join(known) + ")");
    }
  }

  /// The member `key` of this object, or nothing when the object has none.
  std::optional<Node> member(const std::string& key) const {
    const auto it = m_value.find(key);
    if (it == m_value.end()) return std::nullopt;
    return Node(m_file, *it, m_at / key);
  }

  /// The member `key`, which the object must have; `what` says what it gives.
  Node required(const std::string& key, const std::string& what) const {
    if (auto found = member(key)) return *found;
    fail("missing \"" + key + "\", " + what);
  }

  std::vector<Node> elements() const {
    if (!m_value.is_array()) expected("an array [...]");
    std::vector<Node> out;
    for (std::size_t i = 0; i < m_value.size(); ++i) out.emplace_back(m_file, m_value[i], m_at / i);
    return out;
  }

  std::string text() const {
    if (!m_value.is_string()) expected("a string");
    return m_value.get<std::string>();
  }

  /// Any finite number.
  double finite() const { return anyNumber("a number"); }

  /// The last step of this value's path: its key in the enclosing object.
  std::string key() const { return m_at.back(); }

  bool flag() const {
    if (!m_value.is_boolean()) expected("true or false");
    return m_value.get<bool>();
  }

  /// A number from lo to hi, both included.
  double number(double lo, double hi) const {
    const double x = anyNumber("a number from " + ShowNumber(lo) + " to " + ShowNumber(hi));
    if (x < lo || x > hi) expected("a number from " + ShowNumber(lo) + " to " + ShowNumber(hi));
    return x;
  }

  double positive() const {
    const double x = anyNumber("a number greater than 0");
    if (x <= 0) expected("a number greater than 0");
    return x;
  }

  /// An integer from lo to hi, both included; 2.0 is not an integer.
  int integer(int lo, int hi) const {
    const std::string range = "an integer from " + std::to_string(lo) + " to " + std::to_string(hi);
    if (!m_value.is_number_integer()) expected(range);
    if (m_value.is_number_unsigned() &&
        m_value.get<std::uint64_t>() > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
      expected(range);
    const std::int64_t x = m_value.get<std::int64_t>();
    if (x < lo || x > hi) expected(range);
    return static_cast<int>(x);
  }

 private:
  static bool Contains(std::initializer_list<std::string_view> keys, std::string_view key) {
    for (std::string_view k : keys)
      if (k == key) return true;
    return false;
  }

  static std::string Join(std::initializer_list<std::string_view> keys) {
    std::string out;
    for (std::string_view k : keys) out += (out.empty() ? "" : ", ") + std::string(k);
    return out;
  }

  // Numbers too large for a double arrive as infinity.
  double anyNumber(const std::string& what) const {
    if (!m_value.is_number() || !std::isfinite(m_value.get<double>())) expected(what);
    return m_value.get<double>();
  }

  const std::string& m_file;
  const Json& m_value;
  Pointer m_at;
};

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

ON_UnitSystem ReadUnits(const Node& units) {
  ON_UnitSystem result;
  const Json& value = units.value();
  if (value.is_string()) {
    result.m_unit_system = UnitNamed(units);
  } else if (value.is_number_integer()) {
    result.m_unit_system = UnitCoded(units);
  } else if (value.is_object()) {
    units.checkKeys({"name", "meters"});
    result.m_unit_system = ON::custom_unit_system;
    result.m_custom_unit_scale =
        units.required("meters", "the length of one custom unit in metres").positive();
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

// ---- references by name or index

/// What a reference in the file points into: the names in table order and, for layers, their
/// full paths, which also identify them.
struct NameTable {
  const char* kind;  // "material", "earlier layer"
  std::vector<std::string> names;
  std::vector<std::string> paths;  // empty, or one per name
};

int Resolve(const Node& ref, const NameTable& table, const std::string& role) {
  const int count = static_cast<int>(table.names.size());
  if (ref.value().is_number_integer()) {
    if (count == 0) ref.fail(std::string("there is no ") + table.kind + " to refer to");
    return ref.integer(0, count - 1);
  }
  if (!ref.value().is_string()) ref.expected("the name or index of the " + role);
  const std::string name = ref.text();
  // A full path identifies a layer; only when none matches do plain names count.
  std::vector<int> found;
  for (int i = 0; i < count && !table.paths.empty(); ++i)
    if (table.paths[i] == name) found.push_back(i);
  if (found.empty())
    for (int i = 0; i < count; ++i)
      if (table.names[i] == name) found.push_back(i);
  if (found.size() == 1) return found[0];
  if (found.empty()) ref.fail(std::string("no ") + table.kind + " is named " + Show(ref.value()));
  ref.fail(
      std::to_string(found.size()) + " " + table.kind + "s are named " + Show(ref.value()) +
      (table.paths.empty() ? "; refer to it by index" : "; refer to it by full path or index"));
}

// ---- materials

struct MaterialColour {
  const char* key;
  ON_Color ON_Material::*colour;
};

constexpr MaterialColour kMaterialColours[] = {
    {"ambient", &ON_Material::m_ambient},       {"diffuse", &ON_Material::m_diffuse},
    {"emission", &ON_Material::m_emission},     {"specular", &ON_Material::m_specular},
    {"reflection", &ON_Material::m_reflection}, {"transparent", &ON_Material::m_transparent},
};

ON_Color ReadColour(const Node& colour) {
  const Json& value = colour.value();
  if (!value.is_array() || (value.size() != 3 && value.size() != 4))
    colour.expected("a colour [red, green, blue] or [red, green, blue, alpha]");
  int channels[4] = {0, 0, 0, 0};
  const std::vector<Node> elements = colour.elements();
  for (std::size_t i = 0; i < elements.size(); ++i) channels[i] = elements[i].integer(0, 255);
  return ON_Color(channels[0], channels[1], channels[2], channels[3]);
}

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

NameTable ReadMaterials(const Node& materials, CRhinoDoc& doc) {
  NameTable names{"material", {}, {}};
  for (const Node& material : materials.elements()) {
    const ON_Material read = ReadMaterial(material);
    doc.m_material_table.AddMaterial(read);
    names.names.emplace_back(ON_String(read.MaterialName()).Array());
  }
  return names;
}

// ---- layers

constexpr const char* kLayerPathSeparator = "::";

void ReadLayer(const Node& layer, CRhinoDoc& doc, NameTable& layers, const NameTable& materials) {
  layer.checkKeys({"name", "parent", "visible", "locked", "material"});
  ON_Layer result;
  std::string name;
  if (auto node = layer.member("name")) {
    name = node->text();
    if (name.find(kLayerPathSeparator) != std::string::npos)
      node->fail(
          "a layer name cannot contain \"::\", which separates the names of a layer path; "
          "got " +
          Show(node->value()));
  }
  result.SetLayerName(Wide(name));
  std::string path = name;
  if (auto parent = layer.member("parent")) {
    const int index = Resolve(*parent, layers, "parent layer");
    result.m_parent_layer_id = doc.m_layer_table[index].m_layer_id;
    path = layers.paths[index] + kLayerPathSeparator + name;
  }
  for (const std::string& known : layers.paths)
    if (known == path) layer.fail("another layer already has the full path \"" + path + "\"");
  if (auto visible = layer.member("visible")) result.SetVisible(visible->flag());
  if (auto locked = layer.member("locked")) result.SetLocked(locked->flag());
  if (auto material = layer.member("material"))
    result.SetRenderMaterialIndex(Resolve(*material, materials, "render material"));
  doc.m_layer_table.AddLayer(result);
  layers.names.push_back(name);
  layers.paths.push_back(path);
}

/// The layers, named "layer" for what refers to them after the table.
NameTable ReadLayers(const Node& layers, CRhinoDoc& doc, const NameTable& materials) {
  NameTable read{"earlier layer", {}, {}};
  for (const Node& layer : layers.elements()) ReadLayer(layer, doc, read, materials);
  read.kind = "layer";
  return read;
}

// ---- points, vectors and transforms

/// Three finite numbers; `what` says what they make, for the complaint.
ON_3dPoint ReadXyz(const Node& node, const std::string& what) {
  const Json& value = node.value();
  if (!value.is_array() || value.size() != 3) node.expected(what);
  const std::vector<Node> xyz = node.elements();
  return {xyz[0].finite(), xyz[1].finite(), xyz[2].finite()};
}

ON_3dPoint ReadPoint(const Node& point) {
  return ReadXyz(point, "a point [x, y, z]");
}

ON_3dVector ReadVector(const Node& vector) {
  const ON_3dPoint xyz = ReadXyz(vector, "a vector [x, y, z]");
  return {xyz.x, xyz.y, xyz.z};
}

ON_3dVector NonZeroVector(const Node& vector) {
  const ON_3dVector v = ReadVector(vector);
  if (!(v.Length() > 0.0)) vector.expected("a vector that is not zero");
  return v;
}

double NonZero(const Node& number) {
  const double x = number.finite();
  if (x == 0.0) number.expected("a number that is not 0");
  return x;
}

ON_Xform ReadMatrix(const Node& matrix) {
  const Json& value = matrix.value();
  if (value.size() != 4) matrix.expected("a 4x4 matrix: four rows of four numbers");
  ON_Xform result;
  const std::vector<Node> rows = matrix.elements();
  for (int i = 0; i < 4; ++i) {
    if (!rows[i].value().is_array() || rows[i].value().size() != 4)
      rows[i].expected("a matrix row of four numbers");
    const std::vector<Node> entries = rows[i].elements();
    for (int j = 0; j < 4; ++j) result.m_xform[i][j] = entries[j].finite();
  }
  return result;
}

ON_Xform ReadScale(const Node& scale) {
  ON_Xform result;
  if (scale.value().is_number()) {
    const double s = NonZero(scale);
    result.Scale(s, s, s);
    return result;
  }
  if (!scale.value().is_array() || scale.value().size() != 3)
    scale.expected("a scale factor or three factors [sx, sy, sz]");
  const std::vector<Node> factors = scale.elements();
  result.Scale(NonZero(factors[0]), NonZero(factors[1]), NonZero(factors[2]));
  return result;
}

ON_Xform ReadRotation(const Node& rotation) {
  rotation.checkKeys({"axis", "degrees"});
  const ON_3dVector axis =
      NonZeroVector(rotation.required("axis", "the rotation axis through the origin"));
  const double degrees = rotation.required("degrees", "the rotation angle").finite();
  ON_Xform result;
  result.Rotation(degrees * kPi / 180.0, axis, ON_3dPoint::Origin);
  return result;
}

/// A 4x4 matrix, or scale, then rotation, then translation.
ON_Xform ReadTransform(const Node& transform) {
  if (transform.value().is_array()) return ReadMatrix(transform);
  if (!transform.value().is_object())
    transform.expected("a 4x4 matrix or {\"scale\": ..., \"rotate\": ..., \"translate\": ...}");
  transform.checkKeys({"scale", "rotate", "translate"});
  ON_Xform result(1);
  if (auto scale = transform.member("scale")) result = ReadScale(*scale) * result;
  if (auto rotate = transform.member("rotate")) result = ReadRotation(*rotate) * result;
  if (auto translate = transform.member("translate")) {
    const ON_3dVector d = ReadVector(*translate);
    ON_Xform move;
    move.Translation(d.x, d.y, d.z);
    result = move * result;
  }
  return result;
}

// ---- meshes

/// A vertex index of a face: an integer naming one of the mesh's `count` vertices.
int VertexIndex(const Node& index, int count) {
  if (!index.value().is_number_integer()) index.expected("a vertex index (an integer)");
  if (count == 0) index.fail("the mesh has no vertices for a face to use");
  // Indices too large for a signed integer are as missing as negative ones.
  const bool huge = index.value().is_number_unsigned() &&
                    index.value().get<std::uint64_t>() > std::uint64_t(count);
  const std::int64_t i = huge ? count : index.value().get<std::int64_t>();
  if (i < 0 || i >= count)
    index.fail("no vertex " + Show(index.value()) + ": the mesh has " + std::to_string(count) +
               " vertices, 0 to " + std::to_string(count - 1));
  return static_cast<int>(i);
}

std::unique_ptr<ON_Mesh> ReadMesh(const Node& mesh) {
  mesh.checkKeys({"vertices", "faces", "precision"});
  auto result = std::make_unique<ON_Mesh>();
  bool exact = false;
  if (auto precision = mesh.member("precision")) {
    const std::string kind = precision->text();
    if (kind != "float" && kind != "double") precision->expected("\"float\" or \"double\"");
    exact = kind == "double";
  }
  for (const Node& vertex :
       mesh.required("vertices", "the mesh's vertices [[x, y, z], ...]").elements()) {
    const ON_3dPoint p = ReadPoint(vertex);
    if (exact) result->m_dV.Append(p);
    result->m_V.Append(ON_3fPoint(float(p.x), float(p.y), float(p.z)));
  }
  if (auto faces = mesh.member("faces"))
    for (const Node& face : faces->elements()) {
      const Json& value = face.value();
      if (!value.is_array() || (value.size() != 3 && value.size() != 4))
        face.expected("a triangle [a, b, c] or a quad [a, b, c, d] of vertex indices");
      int vi[4];
      const std::vector<Node> corners = face.elements();
      for (std::size_t k = 0; k < corners.size(); ++k)
        vi[k] = VertexIndex(corners[k], result->VertexCount());
      if (corners.size() == 3)
        result->SetTriangle(result->FaceCount(), vi[0], vi[1], vi[2]);
      else
        result->SetQuad(result->FaceCount(), vi[0], vi[1], vi[2], vi[3]);
    }
  return result;
}

// ---- surfaces

std::unique_ptr<ON_Surface> ReadPlane(const Node& plane) {
  plane.checkKeys({"kind", "origin", "x_axis", "y_axis", "width", "height", "render_mesh"});
  ON_3dPoint origin;
  ON_3dVector x_axis(1, 0, 0), y_axis(0, 1, 0);
  if (auto node = plane.member("origin")) origin = ReadPoint(*node);
  if (auto node = plane.member("x_axis")) x_axis = NonZeroVector(*node);
  const std::optional<Node> y_node = plane.member("y_axis");
  if (y_node) y_axis = NonZeroVector(*y_node);
  // The rectangle's sides are perpendicular: the y axis may not lean on the x axis.
  const double cosine = (x_axis.x * y_axis.x + x_axis.y * y_axis.y + x_axis.z * y_axis.z) /
                        (x_axis.Length() * y_axis.Length());
  if (std::fabs(cosine) > 1e-9) {
    if (y_node) y_node->expected("a vector perpendicular to x_axis");
    plane.fail("x_axis is not perpendicular to the default y_axis [0, 1, 0]: give a y_axis");
  }
  x_axis.Unitize();
  y_axis.Unitize();
  const double width = plane.required("width", "the size along x_axis").positive();
  const double height = plane.required("height", "the size along y_axis").positive();
  return std::make_unique<ON_PlaneSurface>(origin, x_axis, y_axis, ON_Interval(0, width),
                                           ON_Interval(0, height));
}

/// Degrees in u and v: one number for both, or [u, v].
void ReadDegrees(const Node& degree, int degrees[2]) {
  constexpr int kHighest = 11;
  if (degree.value().is_array()) {
    if (degree.value().size() != 2) degree.expected("a degree or two degrees [u, v]");
    const std::vector<Node> both = degree.elements();
    degrees[0] = both[0].integer(1, kHighest);
    degrees[1] = both[1].integer(1, kHighest);
  } else {
    degrees[0] = degrees[1] = degree.integer(1, kHighest);
  }
}

/// Knots of one direction: order + count - 2 values, or order + count with the two outermost
/// (which no evaluation uses) dropped; non-decreasing, with a non-empty domain.
void ReadKnots(const Node& knots, ON_NurbsSurface& surface, int dir) {
  const int order = surface.Order(dir), count = surface.CVCount(dir);
  const std::size_t inner = order + count - 2;
  const std::size_t given = knots.value().is_array() ? knots.value().size() : 0;
  if (given != inner && given != inner + 2)
    knots.expected("an array of " + std::to_string(inner) + " (or " + std::to_string(inner + 2) +
                   ") knots for order " + std::to_string(order) + " and " + std::to_string(count) +
                   " control points");
  const std::vector<Node> values = knots.elements();
  const std::size_t skip = given == inner ? 0 : 1;
  for (std::size_t k = 0; k < inner; ++k) {
    const Node& knot = values[k + skip];
    const double value = knot.finite();
    if (k > 0 && value < surface.Knot(dir, int(k) - 1))
      knot.expected("a knot no smaller than the one before it");
    surface.SetKnot(dir, int(k), value);
  }
  if (!surface.Domain(dir).IsIncreasing())
    knots.fail("the knots leave the surface an empty domain: knot " +
               std::to_string(order - 2 + skip) + " must be smaller than knot " +
               std::to_string(count - 1 + skip));
}

std::unique_ptr<ON_Surface> ReadNurbs(const Node& nurbs) {
  nurbs.checkKeys({"kind", "degree", "points", "knots", "render_mesh"});
  int degrees[2];
  ReadDegrees(nurbs.required("degree", "the degree, or degrees [u, v]"), degrees);
  const Node points = nurbs.required("points", "the control points as rows along u");
  const std::vector<Node> rows = points.elements();
  if (rows.size() < std::size_t(degrees[0] + 1))
    points.expected("at least " + std::to_string(degrees[0] + 1) + " rows of control points");
  // Every row has as many points as the first.
  const Json& first = rows[0].value();
  if (!first.is_array() || first.size() < std::size_t(degrees[1] + 1))
    rows[0].expected("a row of at least " + std::to_string(degrees[1] + 1) + " control points");
  const int count0 = int(rows.size()), count1 = int(first.size());
  bool rational = false;
  for (const Node& row : rows)
    for (const Json& point : row.value())
      rational = rational || (point.is_array() && point.size() == 4);
  auto surface = std::make_unique<ON_NurbsSurface>(3, rational, degrees[0] + 1, degrees[1] + 1,
                                                   count0, count1);
  for (int i = 0; i < count0; ++i) {
    if (!rows[i].value().is_array() || int(rows[i].value().size()) != count1)
      rows[i].expected("a row of " + std::to_string(count1) + " control points, as the first");
    const std::vector<Node> row = rows[i].elements();
    for (int j = 0; j < count1; ++j) {
      const Json& value = row[j].value();
      if (!value.is_array() || (value.size() != 3 && value.size() != 4))
        row[j].expected("a control point [x, y, z] or [x, y, z, weight]");
      const std::vector<Node> xyzw = row[j].elements();
      surface->SetCV(i, j, {xyzw[0].finite(), xyzw[1].finite(), xyzw[2].finite()});
      if (xyzw.size() == 4) surface->SetWeight(i, j, xyzw[3].positive());
    }
  }
  if (auto knots = nurbs.member("knots")) {
    if (!knots->value().is_array() || knots->value().size() != 2)
      knots->expected("two knot arrays [u knots, v knots]");
    const std::vector<Node> both = knots->elements();
    ReadKnots(both[0], *surface, 0);
    ReadKnots(both[1], *surface, 1);
  } else {
    surface->MakeClampedUniformKnotVector(0);
    surface->MakeClampedUniformKnotVector(1);
  }
  return surface;
}

void ReadFace(const Node& face, ON_Brep& brep) {
  if (!face.value().is_object()) face.expected("a surface {\"kind\": ...}");
  const Node kind = face.required("kind", "\"plane\" or \"nurbs\"");
  std::unique_ptr<ON_Surface> surface;
  if (kind.value() == "plane")
    surface = ReadPlane(face);
  else if (kind.value() == "nurbs")
    surface = ReadNurbs(face);
  else
    kind.expected("a surface kind (plane, nurbs)");
  ON_BrepFace& added = brep.NewFace(surface.release());
  if (auto mesh = face.member("render_mesh"))
    added.SetMesh(ON::render_mesh, ReadMesh(*mesh).release());
}

/// One surface, or several (a polysurface) as an array.
std::unique_ptr<ON_Brep> ReadSurface(const Node& surface) {
  auto brep = std::make_unique<ON_Brep>();
  if (!surface.value().is_array()) {
    ReadFace(surface, *brep);
    return brep;
  }
  if (surface.value().empty()) surface.expected("a surface or a non-empty array of surfaces");
  for (const Node& face : surface.elements()) ReadFace(face, *brep);
  return brep;
}

// ---- curves, points, lights

std::unique_ptr<ON_PolylineCurve> ReadCurve(const Node& curve) {
  curve.checkKeys({"points"});
  const Node points = curve.required("points", "the polyline's points [[x, y, z], ...]");
  auto result = std::make_unique<ON_PolylineCurve>();
  for (const Node& point : points.elements()) result->m_pline.Append(ReadPoint(point));
  if (result->PointCount() < 2) points.expected("at least two points");
  return result;
}

ON_Light::light_style LightKind(const Node& kind) {
  static constexpr std::pair<const char*, ON_Light::light_style> kKinds[] = {
      {"point", ON_Light::world_point_light},
      {"spot", ON_Light::world_spot_light},
      {"directional", ON_Light::world_directional_light},
      {"linear", ON_Light::world_linear_light},
      {"rectangular", ON_Light::world_rectangular_light},
  };
  const std::string name = kind.text();
  for (const auto& [known, style] : kKinds)
    if (name == known) return style;
  kind.expected("a light kind (point, spot, directional, linear, rectangular)");
}

std::unique_ptr<ON_Light> ReadLight(const Node& light, const ON_wString& objectName) {
  light.checkKeys({"kind", "name", "location", "direction", "diffuse", "intensity",
                   "shadow_intensity", "spot_angle"});
  auto result = std::make_unique<ON_Light>();
  result->m_light_name = objectName;
  if (auto node = light.member("kind")) result->m_style = LightKind(*node);
  if (auto node = light.member("name")) result->m_light_name = Wide(node->text());
  if (auto node = light.member("location")) result->m_location = ReadPoint(*node);
  if (auto node = light.member("direction")) result->m_direction = ReadVector(*node);
  if (auto node = light.member("diffuse")) result->m_diffuse = ReadColour(*node);
  if (auto node = light.member("intensity")) result->m_intensity = node->finite();
  if (auto node = light.member("shadow_intensity")) result->m_shadow_intensity = node->finite();
  if (auto node = light.member("spot_angle"))
    result->m_spot_angle_radians = node->number(0, 90) * kPi / 180.0;
  return result;
}

// ---- objects and block definitions

/// What objects refer to: materials and layers by name or index, blocks by name or index.
struct References {
  NameTable materials;
  NameTable layers;
  NameTable blocks{"block", {}, {}};
};

/// A block instance met inside a block definition: which block it places, and where it stands,
/// so that a cycle can be reported at the instance that closes it.
struct BlockUse {
  int block;
  Node at;
};

constexpr std::string_view kGeometryKeys[] = {"mesh",       "surface", "curve",   "point",
                                              "annotation", "light",   "instance"};

/// The one geometry key of an object; of two, the second in the file is refused.
Node GeometryOf(const Node& object) {
  std::optional<Node> found;
  for (const auto& [key, value] : object.value().items()) {
    if (std::find(std::begin(kGeometryKeys), std::end(kGeometryKeys), key) ==
        std::end(kGeometryKeys))
      continue;
    const Node node = *object.member(key);
    if (found)
      node.fail("an object has one geometry, but \"" + found->key() + "\" and \"" + key +
                "\" are both given");
    found.emplace(node);
  }
  if (!found)
    object.fail(
        "missing the object's geometry: one of mesh, surface, curve, point, annotation, light, "
        "instance");
  return *found;
}

std::unique_ptr<CRhinoObject> MakeObject(const std::string& key, const Node& geometry,
                                         const ON_wString& name, const References& references,
                                         CRhinoDoc& doc, std::vector<BlockUse>* uses) {
  if (key == "mesh") return std::make_unique<CRhinoMeshObject>(ReadMesh(geometry).release());
  if (key == "surface") return std::make_unique<CRhinoBrepObject>(ReadSurface(geometry).release());
  if (key == "curve") return std::make_unique<CRhinoCurveObject>(ReadCurve(geometry).release());
  if (key == "point") return std::make_unique<CRhinoPointObject>(new ON_Point(ReadPoint(geometry)));
  if (key == "annotation")
    return std::make_unique<CRhinoAnnotationObject>(new ON_Point(ReadPoint(geometry)));
  if (key == "light") return std::make_unique<CRhinoLight>(ReadLight(geometry, name).release());
  assert(key == "instance");
  geometry.checkKeys({"block", "transform"});
  const Node block = geometry.required("block", "the placed block, by name or index");
  const int index = Resolve(block, references.blocks, "block");
  if (uses) uses->push_back({index, block});
  ON_Xform xform(1);
  if (auto transform = geometry.member("transform")) xform = ReadTransform(*transform);
  return std::make_unique<CRhinoInstanceObject>(doc.m_instance_definition_table[index], xform);
}

ON_3dmObjectAttributes::material_source MaterialSource(const Node& source) {
  const std::string name = source.text();
  if (name == "layer") return ON_3dmObjectAttributes::material_from_layer;
  if (name == "object") return ON_3dmObjectAttributes::material_from_object;
  if (name == "parent") return ON_3dmObjectAttributes::material_from_parent;
  source.expected("a material source (layer, object, parent)");
}

ON_3dmObjectAttributes::object_mode ObjectMode(const Node& mode) {
  const std::string name = mode.text();
  if (name == "normal") return ON_3dmObjectAttributes::normal_object;
  if (name == "hidden") return ON_3dmObjectAttributes::hidden_object;
  if (name == "locked") return ON_3dmObjectAttributes::locked_object;
  mode.expected("an object mode (normal, hidden, locked)");
}

/// Reads one object. Objects of block definitions (uses not null) record the blocks they place
/// and cannot be reference objects; top-level objects report whether they are one.
std::unique_ptr<CRhinoObject> ReadObject(const Node& object, const References& references,
                                         CRhinoDoc& doc, std::vector<BlockUse>* uses,
                                         bool* reference) {
  object.checkKeys({"name", "layer", "material_source", "material", "mode", "selected", "reference",
                    "mesh", "surface", "curve", "point", "annotation", "light", "instance"},
                   {"mappings"});
  if (auto flag = object.member("reference"); flag && !reference)
    flag->fail("the objects of a block cannot be reference objects");
  CRhinoObjectAttributes attributes;
  if (auto name = object.member("name")) attributes.m_name = Wide(name->text());
  if (auto layer = object.member("layer"))
    attributes.m_layer_index = Resolve(*layer, references.layers, "object's layer");
  if (auto source = object.member("material_source"))
    attributes.SetMaterialSource(MaterialSource(*source));
  if (auto material = object.member("material"))
    attributes.m_material_index = Resolve(*material, references.materials, "object's material");
  if (auto mode = object.member("mode")) attributes.SetMode(ObjectMode(*mode));
  const Node geometry = GeometryOf(object);
  std::unique_ptr<CRhinoObject> result =
      MakeObject(geometry.key(), geometry, attributes.m_name, references, doc, uses);
  result->SetAttributes(attributes);
  if (auto selected = object.member("selected")) result->Select(selected->flag());
  if (reference)
    if (auto flag = object.member("reference")) *reference = flag->flag();
  return result;
}

void ReadObjects(const Node& objects, const References& references, CRhinoDoc& doc) {
  for (const Node& object : objects.elements()) {
    bool reference = false;
    std::unique_ptr<CRhinoObject> read = ReadObject(object, references, doc, nullptr, &reference);
    doc.AddObject(read.release(), reference);
  }
}

/// Fails at the instance that makes a block contain itself, naming the chain of blocks.
void RefuseCycles(const std::vector<std::vector<BlockUse>>& uses, const NameTable& blocks) {
  enum Mark { unvisited, open, done };
  std::vector<Mark> marks(uses.size(), unvisited);
  std::vector<int> chain;
  auto name = [&](int b) {
    return blocks.names[b].empty() ? "#" + std::to_string(b) : "\"" + blocks.names[b] + "\"";
  };
  // Depth-first; an edge back to an open block closes a cycle.
  std::function<void(int)> visit = [&](int b) {
    marks[b] = open;
    chain.push_back(b);
    for (const BlockUse& use : uses[b]) {
      if (marks[use.block] == open) {
        std::string path;
        for (auto it = std::find(chain.begin(), chain.end(), use.block); it != chain.end(); ++it)
          path += name(*it) + " > ";
        use.at.fail("block " + name(use.block) + " would contain itself: " + path +
                    name(use.block));
      }
      if (marks[use.block] == unvisited) visit(use.block);
    }
    chain.pop_back();
    marks[b] = done;
  };
  for (std::size_t b = 0; b < uses.size(); ++b)
    if (marks[b] == unvisited) visit(int(b));
}

/// Block definitions: all are made first, so that instances may place blocks defined later;
/// then their objects are read and cycles refused.
void ReadBlocks(const Node& blocks, References& references, CRhinoDoc& doc) {
  const std::vector<Node> entries = blocks.elements();
  for (const Node& block : entries) {
    block.checkKeys({"name", "objects"});
    auto definition = std::make_unique<CRhinoInstanceDefinition>();
    std::string name;
    if (auto node = block.member("name")) {
      name = node->text();
      for (const std::string& known : references.blocks.names)
        if (!name.empty() && known == name)
          node->fail("another block is already named " + Show(node->value()));
      definition->SetName(Wide(name));
    }
    doc.m_instance_definition_table.AddInstanceDefinition(definition.release());
    references.blocks.names.push_back(name);
  }
  std::vector<std::vector<BlockUse>> uses(entries.size());
  for (std::size_t b = 0; b < entries.size(); ++b)
    if (auto objects = entries[b].member("objects"))
      for (const Node& object : objects->elements())
        doc.m_instance_definition_table[int(b)]->AddObject(
            ReadObject(object, references, doc, &uses[b], nullptr).release());
  RefuseCycles(uses, references.blocks);
}

void ReadDocument(const Node& root, const std::string& fileName, CRhinoDoc& doc) {
  if (!root.value().is_object()) root.expected("a document object {...}");
  root.checkKeys({"units", "path", "materials", "layers", "blocks", "objects"},
                 {"views", "earth_anchor", "sun"});
  if (auto units = root.member("units")) doc.Properties().SetModelUnits(ReadUnits(*units));
  if (auto path = root.member("path")) doc.SetPathName(Wide(SavedPath(*path, fileName)));
  References references{{"material", {}, {}}, {"layer", {}, {}}};
  if (auto list = root.member("materials")) references.materials = ReadMaterials(*list, doc);
  if (auto list = root.member("layers"))
    references.layers = ReadLayers(*list, doc, references.materials);
  if (auto list = root.member("blocks")) ReadBlocks(*list, references, doc);
  if (auto list = root.member("objects")) ReadObjects(*list, references, doc);
}

/// The parser's own account of a syntax error, without its exception-class prefix.
std::string SyntaxProblem(const Json::parse_error& error) {
  const std::string what = error.what();
  const std::size_t prefixEnd = what.find("] ");
  return prefixEnd == std::string::npos ? what : what.substr(prefixEnd + 2);
}

}  // namespace

void LoadDocumentText(const std::string& text, const std::string& fileName, CRhinoDoc& doc) {
  assert(doc.m_material_table.MaterialCount() == 0 && doc.m_layer_table.LayerCount() == 0 &&
         doc.m_object_table.ObjectCount() == 0 &&
         doc.m_instance_definition_table.InstanceDefinitionCount() == 0);
  Json root;
  try {
    root = Json::parse(text, nullptr, /*allow_exceptions=*/true, /*ignore_comments=*/true);
  } catch (const Json::parse_error& error) {
    throw DocumentError(fileName + ": " + SyntaxProblem(error));
  }
  ReadDocument(Node(fileName, root, Pointer()), fileName, doc);
}

void LoadDocumentFile(const std::string& fileName, CRhinoDoc& doc) {
  std::error_code ignored;
  if (std::filesystem::is_directory(fileName, ignored))
    throw DocumentError(fileName + ": is a folder, not a document file");
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw DocumentError(fileName + ": cannot open: " + std::strerror(errno));
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw DocumentError(fileName + ": cannot read: " + std::strerror(errno));
  LoadDocumentText(text, fileName, doc);
}
