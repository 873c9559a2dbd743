#include <cmath>

#include "DocumentBinary.h"
#include "DocumentReading.h"

namespace document {

namespace {

// ---- points, vectors and transforms

/// Three finite numbers; `what` says what they make, for the complaint.
ON_3dPoint ReadXyz(const Node& node, const std::string& what) {
  if (!node.isArray() || node.size() != 3) node.expected(what);
  const std::vector<Node> xyz = node.elements();
  return {xyz[0].finite(), xyz[1].finite(), xyz[2].finite()};
}

}  // namespace

ON_3dPoint ReadPoint(const Node& point) {
  return ReadXyz(point, "a point [x, y, z]");
}

ON_3dVector ReadVector(const Node& vector) {
  const ON_3dPoint xyz = ReadXyz(vector, "a vector [x, y, z]");
  return {xyz.x, xyz.y, xyz.z};
}

namespace {

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
  if (matrix.size() != 4) matrix.expected("a 4x4 matrix: four rows of four numbers");
  ON_Xform result;
  const std::vector<Node> rows = matrix.elements();
  for (int i = 0; i < 4; ++i) {
    if (!rows[i].isArray() || rows[i].size() != 4) rows[i].expected("a matrix row of four numbers");
    const std::vector<Node> entries = rows[i].elements();
    for (int j = 0; j < 4; ++j) result.m_xform[i][j] = entries[j].finite();
  }
  return result;
}

ON_Xform ReadScale(const Node& scale) {
  ON_Xform result;
  if (scale.isNumber()) {
    const double s = NonZero(scale);
    result.Scale(s, s, s);
    return result;
  }
  if (!scale.isArray() || scale.size() != 3)
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

}  // namespace

ON_Xform ReadTransform(const Node& transform) {
  if (transform.isArray()) return ReadMatrix(transform);
  if (!transform.isObject())
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

namespace {

// ---- meshes

/// A vertex index of a face: an integer naming one of the mesh's `count` vertices.
int VertexIndex(const Node& index, int count) {
  if (!index.isInteger()) index.expected("a vertex index (an integer)");
  if (count == 0) index.fail("the mesh has no vertices for a face to use");
  const std::int64_t i = IndexValue(index.numberValue(), count);
  if (i < 0 || i >= count)
    index.fail("no vertex " + Show(index) + ": the mesh has " + std::to_string(count) +
               " vertices, 0 to " + std::to_string(count - 1));
  return static_cast<int>(i);
}

}  // namespace

namespace {

// Binary mesh arrays are read this many points or faces at a time.
constexpr std::size_t kPointsAtOnce = 1024;

/// Passes each point of a binary array of shape [n, 3] to `add`, in order.
template <class Add>
void AddBinaryPoints(BinaryArray& points, Add add) {
  for (std::size_t i = 0; i < points.shape()[0]; ++i) {
    const double x = points.finite(), y = points.finite(), z = points.finite();
    add(ON_3dPoint(x, y, z));
  }
}

/// Passes each point [x, y, z] of a JSON array to `add`, in order.
template <class Add>
void AddJsonPoints(const Node& points, Add add) {
  for (ElementCursor point(points); point.next();) {
    double xyz[3];
    if (point.numbers(xyz, 3) == 3)
      add(ON_3dPoint(xyz[0], xyz[1], xyz[2]));
    else  // the general way, which also says what is wrong
      add(ReadPoint(point.node()));
  }
}

// Inline: it is the loop body of every vertex read.
inline void AddVertex(const ON_3dPoint& p, bool exact, ON_Mesh& mesh) {
  if (exact) mesh.m_dV.Append(p);
  mesh.m_V.Append(ON_3fPoint(float(p.x), float(p.y), float(p.z)));
}

void ReadVertices(const Node& vertices, bool exact, ON_Mesh& mesh) {
  const auto add = [&](const ON_3dPoint& p) { AddVertex(p, exact, mesh); };
  if (IsBinaryReference(vertices)) {
    BinaryArray array(vertices, ElementKind::numbers);
    array.expectShape(2, {3}, "[n, 3]");
    mesh.m_V.Reserve(int(array.shape()[0]));
    if (exact) mesh.m_dV.Reserve(int(array.shape()[0]));
    double xyz[3 * kPointsAtOnce];
    for (std::size_t left = array.shape()[0]; left > 0;) {
      const std::size_t n = std::min(left, kPointsAtOnce);
      array.finiteNumbers(xyz, 3 * n);
      for (std::size_t i = 0; i < n; ++i)
        add(ON_3dPoint(xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]));
      left -= n;
    }
    return;
  }
  mesh.m_V.Reserve(int(vertices.size()));
  if (exact) mesh.m_dV.Reserve(int(vertices.size()));
  AddJsonPoints(vertices, add);
}

/// Appends a triangle (`corners` 3) or a quad whose vertex indices `vi` were checked already: the
/// host keeps a triangle with its third index repeated. Inline: it is the loop body of every face
/// read.
inline void AddFace(const int* vi, std::size_t corners, ON_Mesh& mesh) {
  mesh.m_F.Append({{vi[0], vi[1], vi[2], corners == 3 ? vi[2] : vi[3]}});
}

/// Fails at element `element` of a binary faces array, the vertex index `i`, which names none
/// of the mesh's `count` vertices.
[[noreturn]] void NoSuchVertex(const BinaryArray& faces, std::size_t element, std::int32_t i,
                               int count) {
  if (count == 0) faces.failAt(element, "the mesh has no vertices for a face to use");
  faces.failAt(element, "no vertex " + std::to_string(i) + ": the mesh has " +
                            std::to_string(count) + " vertices, 0 to " + std::to_string(count - 1));
}

void ReadFaces(const Node& faces, ON_Mesh& mesh) {
  if (IsBinaryReference(faces)) {
    BinaryArray array(faces, ElementKind::integers);
    // A triangle of an [n, 4] array repeats its third index, as the host keeps triangles.
    array.expectShape(2, {3, 4}, "[n, 3] or [n, 4]");
    const std::size_t corners = array.shape()[1];
    const int count = mesh.VertexCount();
    mesh.m_F.Reserve(int(array.shape()[0]));
    std::int32_t indices[4 * kPointsAtOnce];
    for (std::size_t left = array.shape()[0]; left > 0;) {
      const std::size_t n = std::min(left, kPointsAtOnce);
      const std::size_t first = array.position();
      array.integers(indices, corners * n);
      for (std::size_t k = 0; k < corners * n; ++k)
        if (indices[k] < 0 || indices[k] >= count)
          NoSuchVertex(array, first + k, indices[k], count);
      for (std::size_t f = 0; f < n; ++f) AddFace(indices + corners * f, corners, mesh);
      left -= n;
    }
    return;
  }
  mesh.m_F.Reserve(int(faces.size()));
  const int count = mesh.VertexCount();
  for (ElementCursor cursor(faces); cursor.next();) {
    int vi[4];
    const std::size_t n = cursor.integers(vi, 4);
    if ((n == 3 || n == 4) && vi[0] < count && vi[1] < count && vi[2] < count &&
        vi[n - 1] < count) {
      AddFace(vi, n, mesh);
      continue;
    }
    // The general way, which also says what is wrong.
    const Node face = cursor.node();
    if (!face.isArray() || (face.size() != 3 && face.size() != 4))
      face.expected("a triangle [a, b, c] or a quad [a, b, c, d] of vertex indices");
    const std::vector<Node> corners = face.elements();
    for (std::size_t k = 0; k < corners.size(); ++k)
      vi[k] = VertexIndex(corners[k], mesh.VertexCount());
    AddFace(vi, corners.size(), mesh);
  }
}

}  // namespace

std::unique_ptr<ON_Mesh> ReadMesh(const Node& mesh) {
  mesh.checkKeys({"vertices", "faces", "precision"});
  auto result = std::make_unique<ON_Mesh>();
  bool exact = false;
  if (auto precision = mesh.member("precision")) {
    const std::string kind = precision->text();
    if (kind != "float" && kind != "double") precision->expected("\"float\" or \"double\"");
    exact = kind == "double";
  }
  ReadVertices(mesh.required("vertices", "the mesh's vertices [[x, y, z], ...]"), exact, *result);
  if (auto faces = mesh.member("faces")) ReadFaces(*faces, *result);
  return result;
}

namespace {

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
  if (degree.isArray()) {
    if (degree.size() != 2) degree.expected("a degree or two degrees [u, v]");
    const std::vector<Node> both = degree.elements();
    degrees[0] = both[0].integer(1, kHighest);
    degrees[1] = both[1].integer(1, kHighest);
  } else {
    degrees[0] = degrees[1] = degree.integer(1, kHighest);
  }
}

}  // namespace

namespace {

std::string KnotCountWanted(std::size_t inner, int order, int count) {
  return "an array of " + std::to_string(inner) + " (or " + std::to_string(inner + 2) +
         ") knots for order " + std::to_string(order) + " and " + std::to_string(count) +
         " control points";
}

/// The knots of a binary array [n], checked as those of a JSON array.
std::vector<double> ReadBinaryKnots(const Node& knots, int order, int count, std::size_t inner,
                                    std::size_t& skip) {
  BinaryArray array(knots, ElementKind::numbers);
  if (array.shape().size() != 1 || (array.shape()[0] != inner && array.shape()[0] != inner + 2))
    array.expected(KnotCountWanted(inner, order, count));
  skip = array.shape()[0] == inner ? 0 : 1;
  std::vector<double> result;
  if (skip) array.skip();
  for (std::size_t k = 0; k < inner; ++k) {
    const double value = array.finite();
    if (k > 0 && value < result.back())
      array.expectedElement("a knot no smaller than the one before it", value);
    result.push_back(value);
  }
  return result;
}

}  // namespace

std::vector<double> ReadKnotVector(const Node& knots, int order, int count) {
  const std::size_t inner = order + count - 2;
  std::size_t skip = 0;
  std::vector<double> result;
  if (IsBinaryReference(knots)) {
    result = ReadBinaryKnots(knots, order, count, inner, skip);
  } else {
    const std::size_t given = knots.isArray() ? knots.size() : 0;
    if (given != inner && given != inner + 2) knots.expected(KnotCountWanted(inner, order, count));
    const std::vector<Node> values = knots.elements();
    skip = given == inner ? 0 : 1;
    for (std::size_t k = 0; k < inner; ++k) {
      const Node& knot = values[k + skip];
      const double value = knot.finite();
      if (k > 0 && value < result.back()) knot.expected("a knot no smaller than the one before it");
      result.push_back(value);
    }
  }
  if (!(result[order - 2] < result[count - 1]))
    knots.fail("the knots leave an empty domain: knot " + std::to_string(order - 2 + skip) +
               " must be smaller than knot " + std::to_string(count - 1 + skip));
  return result;
}

namespace {

/// Knots of one direction of the surface.
void ReadKnots(const Node& knots, ON_NurbsSurface& surface, int dir) {
  const std::vector<double> values =
      ReadKnotVector(knots, surface.Order(dir), surface.CVCount(dir));
  for (std::size_t k = 0; k < values.size(); ++k) surface.SetKnot(dir, int(k), values[k]);
}

/// The control points of a binary array [rows, cols, 3] or [rows, cols, 4] (with weights).
std::unique_ptr<ON_NurbsSurface> ReadBinaryNet(const Node& points, const int degrees[2]) {
  BinaryArray array(points, ElementKind::numbers);
  array.expectShape(3, {3, 4}, "[rows, cols, 3] or [rows, cols, 4]");
  const std::vector<std::size_t>& shape = array.shape();
  if (shape[0] < std::size_t(degrees[0] + 1))
    array.expected("at least " + std::to_string(degrees[0] + 1) + " rows of control points");
  if (shape[1] < std::size_t(degrees[1] + 1))
    array.expected("rows of at least " + std::to_string(degrees[1] + 1) + " control points");
  const bool rational = shape[2] == 4;
  auto surface = std::make_unique<ON_NurbsSurface>(3, rational, degrees[0] + 1, degrees[1] + 1,
                                                   int(shape[0]), int(shape[1]));
  for (int i = 0; i < int(shape[0]); ++i)
    for (int j = 0; j < int(shape[1]); ++j) {
      const double x = array.finite(), y = array.finite(), z = array.finite();
      surface->SetCV(i, j, {x, y, z});
      if (rational) surface->SetWeight(i, j, array.positive());
    }
  return surface;
}

/// The control points as JSON rows of points, each [x, y, z] or [x, y, z, weight].
std::unique_ptr<ON_NurbsSurface> ReadJsonNet(const Node& points, const int degrees[2]) {
  const std::vector<Node> rows = points.elements();
  if (rows.size() < std::size_t(degrees[0] + 1))
    points.expected("at least " + std::to_string(degrees[0] + 1) + " rows of control points");
  // Every row has as many points as the first.
  const Node& first = rows[0];
  if (!first.isArray() || first.size() < std::size_t(degrees[1] + 1))
    rows[0].expected("a row of at least " + std::to_string(degrees[1] + 1) + " control points");
  const int count0 = int(rows.size()), count1 = int(first.size());
  bool rational = false;
  for (const Node& row : rows)
    if (row.isArray())
      for (const Node& point : row.elements())
        rational = rational || (point.isArray() && point.size() == 4);
  auto surface = std::make_unique<ON_NurbsSurface>(3, rational, degrees[0] + 1, degrees[1] + 1,
                                                   count0, count1);
  for (int i = 0; i < count0; ++i) {
    if (!rows[i].isArray() || int(rows[i].size()) != count1)
      rows[i].expected("a row of " + std::to_string(count1) + " control points, as the first");
    const std::vector<Node> row = rows[i].elements();
    for (int j = 0; j < count1; ++j) {
      if (!row[j].isArray() || (row[j].size() != 3 && row[j].size() != 4))
        row[j].expected("a control point [x, y, z] or [x, y, z, weight]");
      const std::vector<Node> xyzw = row[j].elements();
      surface->SetCV(i, j, {xyzw[0].finite(), xyzw[1].finite(), xyzw[2].finite()});
      if (xyzw.size() == 4) surface->SetWeight(i, j, xyzw[3].positive());
    }
  }
  return surface;
}

std::unique_ptr<ON_Surface> ReadNurbs(const Node& nurbs) {
  nurbs.checkKeys({"kind", "degree", "points", "knots", "render_mesh"});
  int degrees[2];
  ReadDegrees(nurbs.required("degree", "the degree, or degrees [u, v]"), degrees);
  const Node points = nurbs.required("points", "the control points as rows along u");
  std::unique_ptr<ON_NurbsSurface> surface =
      IsBinaryReference(points) ? ReadBinaryNet(points, degrees) : ReadJsonNet(points, degrees);
  if (auto knots = nurbs.member("knots")) {
    if (!knots->isArray() || knots->size() != 2)
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

}  // namespace

std::unique_ptr<ON_Surface> ReadSurfaceGeometry(const Node& surface) {
  if (!surface.isObject()) surface.expected("a surface {\"kind\": ...}");
  const Node kind = surface.required("kind", "\"plane\" or \"nurbs\"");
  if (kind.isString() && kind.text() == "plane") return ReadPlane(surface);
  if (kind.isString() && kind.text() == "nurbs") return ReadNurbs(surface);
  kind.expected("a surface kind (plane, nurbs)");
}

namespace {

void ReadFace(const Node& face, ON_Brep& brep) {
  ON_BrepFace& added = brep.NewFace(ReadSurfaceGeometry(face).release());
  if (auto mesh = face.member("render_mesh"))
    added.SetMesh(ON::render_mesh, ReadMesh(*mesh).release());
}

}  // namespace

std::unique_ptr<ON_Brep> ReadSurface(const Node& surface) {
  auto brep = std::make_unique<ON_Brep>();
  if (!surface.isArray()) {
    ReadFace(surface, *brep);
    return brep;
  }
  if (surface.size() == 0) surface.expected("a surface or a non-empty array of surfaces");
  for (const Node& face : surface.elements()) ReadFace(face, *brep);
  return brep;
}

// ---- curves, points, lights

std::unique_ptr<ON_PolylineCurve> ReadCurve(const Node& curve) {
  curve.checkKeys({"points"});
  const Node points = curve.required("points", "the polyline's points [[x, y, z], ...]");
  auto result = std::make_unique<ON_PolylineCurve>();
  const auto add = [&](const ON_3dPoint& p) { result->m_pline.Append(p); };
  if (IsBinaryReference(points)) {
    BinaryArray array(points, ElementKind::numbers);
    array.expectShape(2, {3}, "[n, 3]");
    if (array.shape()[0] < 2) array.expected("at least two points");
    AddBinaryPoints(array, add);
    return result;
  }
  AddJsonPoints(points, add);
  if (result->PointCount() < 2) points.expected("at least two points");
  return result;
}

namespace {

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

}  // namespace

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

}  // namespace document
