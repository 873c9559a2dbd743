// Binary arrays in a sidecar: every kind of array reads back as its JSON form does, and every bad
// reference or element is refused naming the document, the reference's place and the problem.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "DocumentFile.h"
#include "TempFolder.h"

namespace {

/// A sidecar being written: each array added at the next multiple of 8 bytes.
struct BinaryFile {
  std::string bytes;

  template <class T>
  std::string add(const char* type, const std::vector<T>& values,
                  const std::vector<std::size_t>& shape) {
    bytes.resize((bytes.size() + 7) / 8 * 8);
    const std::size_t offset = bytes.size();
    bytes.append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
    std::string dims;
    for (std::size_t n : shape) dims += (dims.empty() ? "" : ", ") + std::to_string(n);
    return R"({"binary": ")" + std::string(type) + R"(", "offset": )" + std::to_string(offset) +
           R"(, "shape": [)" + dims + "]}";
  }
};

/// The JSON form of `values`, rows of `width` (a flat array when 0).
template <class T>
std::string JsonArray(const std::vector<T>& values, std::size_t width = 0) {
  std::string text = "[";
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (width && i % width == 0)
      text += (i ? "], [" : "[");
    else if (i)
      text += ", ";
    text += std::to_string(values[i]);
  }
  return text + (width && !values.empty() ? "]]" : "]");
}

class DocumentBinary : public ::testing::Test {
 protected:
  /// Loads `json` as model.json beside model.bin holding `sidecar`; the error message, or empty.
  std::string Load(const std::string& json, const BinaryFile& sidecar, CRhinoDoc& doc) {
    std::ofstream(folder.path / "model.json") << json;
    std::ofstream(folder.path / "model.bin", std::ios::binary) << sidecar.bytes;
    try {
      LoadDocumentFile((folder.path / "model.json").string(), doc);
    } catch (const DocumentError& error) {
      const std::string prefix = (folder.path / "model.json").string() + ": ";
      std::string message = error.what();
      return message.rfind(prefix, 0) == 0 ? "model.json: " + message.substr(prefix.size())
                                           : message;
    }
    return {};
  }

  std::string ErrorFor(const std::string& json, const BinaryFile& sidecar) {
    CRhinoDoc doc;
    return Load(json, sidecar, doc);
  }

  /// A document of one object whose geometry is `geometry`, with the sidecar named.
  static std::string Object(const std::string& geometry) {
    return R"({"binary": "model.bin", "objects": [{)" + geometry + "}]}";
  }

  TempFolder folder{"orv-binary"};
};

const ON_Mesh& MeshOf(const CRhinoDoc& doc, int object) {
  return *static_cast<const CRhinoMeshObject*>(doc.m_object_table.Object(object))->Mesh();
}

TEST_F(DocumentBinary, MeshesReadTheSameFromEitherForm) {
  const std::vector<double> xyz = {0, 0, 0, 1, 0, 0, 1, 1, 0.1, 0, 1, 1e8};
  const std::vector<float> xyz32(xyz.begin(), xyz.end());
  const std::vector<std::int32_t> triangles = {0, 1, 2, 0, 2, 3};
  const std::vector<std::int32_t> quads = {0, 1, 2, 3, 0, 1, 2, 2};  // a triangle repeats c
  BinaryFile bin;
  const std::string f64 = bin.add("f64", xyz, {4, 3}), f32 = bin.add("f32", xyz32, {4, 3});
  const std::string tri = bin.add("i32", triangles, {2, 3}), quad = bin.add("i32", quads, {2, 4});
  const std::string none = bin.add("f64", std::vector<double>{}, {0, 3});
  CRhinoDoc binary, json;
  ASSERT_EQ(Load(R"({"binary": "model.bin", "objects": [
      {"mesh": {"vertices": )" +
                     f64 + R"(, "faces": )" + tri + R"(, "precision": "double"}},
      {"mesh": {"vertices": )" +
                     f32 + R"(, "faces": )" + quad + R"(}},
      {"mesh": {"vertices": )" +
                     none + R"(, "faces": )" + bin.add("i32", triangles, {0, 3}) + R"(}}]})",
                 bin, binary),
            "");
  ASSERT_EQ(Load(R"({"objects": [
      {"mesh": {"vertices": )" +
                     JsonArray(xyz, 3) + R"(, "faces": [[0, 1, 2], [0, 2, 3]],
                "precision": "double"}},
      {"mesh": {"vertices": )" +
                     JsonArray(xyz, 3) + R"(, "faces": [[0, 1, 2, 3], [0, 1, 2]]}},
      {"mesh": {"vertices": [], "faces": []}}]})",
                 BinaryFile{}, json),
            "");
  for (int object = 0; object < 3; ++object) {
    const ON_Mesh &fromBinary = MeshOf(binary, object), &fromJson = MeshOf(json, object);
    ASSERT_EQ(fromBinary.VertexCount(), fromJson.VertexCount());
    ASSERT_EQ(fromBinary.FaceCount(), fromJson.FaceCount());
    EXPECT_EQ(fromBinary.HasDoublePrecisionVertices(), fromJson.HasDoublePrecisionVertices());
    for (int v = 0; v < fromJson.VertexCount(); ++v)
      EXPECT_EQ(fromBinary.Vertex(v), fromJson.Vertex(v)) << "object " << object << " vertex " << v;
    for (int f = 0; f < fromJson.FaceCount(); ++f)
      EXPECT_EQ(std::memcmp(fromBinary.m_F[f].vi, fromJson.m_F[f].vi, sizeof(int[4])), 0);
  }
  EXPECT_EQ(MeshOf(binary, 0).m_dV[3].z, 1e8);
  EXPECT_TRUE(MeshOf(binary, 1).m_F[1].IsTriangle());
}

TEST_F(DocumentBinary, CurvesSurfacesAndEdgesReadTheSameFromEitherForm) {
  const std::vector<double> polyline = {0, 0, 0, 1, 0, 0, 1, 1, 0};
  // A rational net of 3 × 2 points [x, y, z, w]: a quarter of a cylinder.
  const double w = 0.7071067811865476;
  const std::vector<double> net = {1, 0, 0, 1, 1, 0, 1, 1, 1, 1, 0, w,
                                   1, 1, 1, w, 0, 1, 0, 1, 0, 1, 1, 1};
  const std::vector<double> uKnots = {0, 0, 1, 1}, vKnotsFull = {-1, 5, 6, 9};
  const std::vector<float> edge = {0, 0, 0, 4, 0, 0, 4, 2, 0, 0, 2, 0, 0, 0, 0};
  const std::vector<double> edgeKnots = {0, 1, 2, 3, 4};
  BinaryFile bin;
  const std::string json = R"({"objects": [
      {"curve": {"points": )" +
                           JsonArray(polyline, 3) + R"(}},
      {"surface": {"kind": "nurbs", "degree": [2, 1],
                   "points": [[[1, 0, 0, 1], [1, 0, 1, 1]], [[1, 1, 0, 0.7071067811865476],
                              [1, 1, 1, 0.7071067811865476]], [[0, 1, 0, 1], [0, 1, 1, 1]]],
                   "knots": [[0, 0, 1, 1], [-1, 5, 6, 9]]}},
      {"brep": {"surfaces": [{"kind": "plane", "width": 4, "height": 2}],
                "edges": [{"degree": 1, "points": )" +
                           JsonArray(edge, 3) + R"(,
                           "knots": [0, 1, 2, 3, 4]}],
                "faces": [{"surface": 0, "loops": [{"type": "outer", "trims": [{"edge": 0}]}]}]}}
    ]})";
  const std::string binaryJson = R"({"binary": "model.bin", "objects": [
      {"curve": {"points": )" + bin.add("f64", polyline, {3, 3}) +
                                 R"(}},
      {"surface": {"kind": "nurbs", "degree": [2, 1], "points": )" +
                                 bin.add("f64", net, {3, 2, 4}) + R"(,
                   "knots": [)" + bin.add("f64", uKnots, {4}) +
                                 ", " + bin.add("f64", vKnotsFull, {4}) + R"(]}},
      {"brep": {"surfaces": [{"kind": "plane", "width": 4, "height": 2}],
                "edges": [{"degree": 1, "points": )" +
                                 bin.add("f32", edge, {5, 3}) + R"(,
                           "knots": )" +
                                 bin.add("f64", edgeKnots, {5}) + R"(}],
                "faces": [{"surface": 0, "loops": [{"type": "outer", "trims": [{"edge": 0}]}]}]}}
    ]})";
  CRhinoDoc fromJson, fromBinary;
  ASSERT_EQ(Load(json, BinaryFile{}, fromJson), "");
  ASSERT_EQ(Load(binaryJson, bin, fromBinary), "");

  const auto curveOf = [](const CRhinoDoc& doc) {
    return static_cast<const ON_PolylineCurve*>(doc.m_object_table.Object(0)->Geometry());
  };
  ASSERT_EQ(curveOf(fromBinary)->PointCount(), 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(curveOf(fromBinary)->m_pline[i], curveOf(fromJson)->m_pline[i]);

  const auto surfaceOf = [](const CRhinoDoc& doc) {
    return static_cast<const ON_NurbsSurface*>(
        static_cast<const CRhinoBrepObject*>(doc.m_object_table.Object(1))
            ->Brep()
            ->Face(0)
            ->SurfaceOf());
  };
  const ON_NurbsSurface &a = *surfaceOf(fromBinary), &b = *surfaceOf(fromJson);
  EXPECT_TRUE(a.IsRational());
  EXPECT_EQ(a.Domain(1).m_t[0], 5.0);  // the full knot vector's outer knots are dropped
  for (double u : {0.0, 0.3, 1.0})
    for (double v : {5.0, 5.5, 6.0}) EXPECT_EQ(a.PointAt(u, v), b.PointAt(u, v));

  const auto edgeOf = [](const CRhinoDoc& doc) {
    return static_cast<const CRhinoBrepObject*>(doc.m_object_table.Object(2))->Brep()->m_C3[0];
  };
  const auto* edgeA = static_cast<const ON_NurbsCurve*>(edgeOf(fromBinary));
  const auto* edgeB = static_cast<const ON_NurbsCurve*>(edgeOf(fromJson));
  ASSERT_EQ(edgeA->CVCount(), 5);
  for (double t : {0.0, 1.5, 4.0}) EXPECT_EQ(edgeA->PointAt(t), edgeB->PointAt(t));
}

struct BadReference {
  std::string geometry;  // the object's geometry key and value, given the sidecar below
  std::string message;   // the whole message
};

TEST_F(DocumentBinary, BadReferencesAreRefusedWhereTheyStand) {
  BinaryFile bin;
  const std::string v8 = bin.add("f64", std::vector<double>(24, 1.0), {8, 3});  // offset 0
  const std::string f2 = bin.add("i32", std::vector<std::int32_t>{0, 1, 2, 3, 4, 5}, {2, 3});
  const std::string f12 =
      bin.add("i32", std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 12}, {3, 3});
  const std::string negative = bin.add("i32", std::vector<std::int32_t>{0, -1, 2}, {1, 3});
  const std::string nan = bin.add(
      "f64", std::vector<double>{0, 0, 0, 1, std::numeric_limits<double>::quiet_NaN(), 0}, {2, 3});
  const std::string inf =
      bin.add("f32", std::vector<float>{0, 0, -std::numeric_limits<float>::infinity()}, {1, 3});
  const std::string one = bin.add("f64", std::vector<double>{1, 2, 3}, {1, 3});
  const std::string size = std::to_string(bin.bytes.size());
  const std::string beforeEnd = std::to_string(bin.bytes.size() - 16);
  const std::string mesh = R"("mesh": {"vertices": )";
  const BadReference cases[] = {
      // One element short: the last array ends exactly at the end of the file.
      {mesh + R"({"binary": "f64", "offset": )" + beforeEnd + R"(, "shape": [1, 3]}})",
       "model.json: /objects/0/mesh/vertices: the array reaches past the end of model.bin, which "
       "has " +
           size + " bytes: [1, 3] \"f64\" from offset " + beforeEnd},
      {mesh + R"({"binary": "f64", "offset": 4000, "shape": [0, 3]}})",
       "model.json: /objects/0/mesh/vertices: the array reaches past the end of model.bin, which "
       "has " +
           size + " bytes: [0, 3] \"f64\" from offset 4000"},
      {mesh + R"({"binary": "f64", "offset": 0, "shape": [18446744073709551615, 3]}})",
       "model.json: /objects/0/mesh/vertices: the array reaches past the end of model.bin, which "
       "has " +
           size + " bytes: [18446744073709551615, 3] \"f64\" from offset 0"},
      {mesh + R"({"binary": "f64", "offset": 4, "shape": [1, 3]}})",
       "model.json: /objects/0/mesh/vertices/offset: offset 4 is not a multiple of 8, the size of "
       "one \"f64\""},
      {mesh + R"({"binary": "f64", "offset": -8, "shape": [1, 3]}})",
       "model.json: /objects/0/mesh/vertices/offset: expected a byte offset (an integer of 0 or "
       "more), got -8"},
      {mesh + R"({"binary": "u8", "offset": 0, "shape": [1, 3]}})",
       "model.json: /objects/0/mesh/vertices/binary: expected an element type (\"f64\", \"f32\" "
       "or \"i32\"), got \"u8\""},
      {mesh + R"({"binary": "i32", "offset": 0, "shape": [1, 3]}})",
       "model.json: /objects/0/mesh/vertices/binary: expected numbers here: \"f64\" or \"f32\", "
       "got \"i32\""},
      {mesh + v8 + R"(, "faces": {"binary": "f64", "offset": 0, "shape": [1, 3]}})",
       "model.json: /objects/0/mesh/faces/binary: expected integers here: \"i32\", got \"f64\""},
      {mesh + R"({"binary": "f64", "offset": 0, "shape": [24]}})",
       "model.json: /objects/0/mesh/vertices: expected a binary array of shape [n, 3], got shape "
       "[24]"},
      {mesh + R"({"binary": "f64", "offset": 0, "shape": [12, 2]}})",
       "model.json: /objects/0/mesh/vertices: expected a binary array of shape [n, 3], got shape "
       "[12, 2]"},
      {mesh + v8 + R"(, "faces": {"binary": "i32", "offset": 192, "shape": [3, 2]}})",
       "model.json: /objects/0/mesh/faces: expected a binary array of shape [n, 3] or [n, 4], got "
       "shape [3, 2]"},
      {mesh + R"({"binary": "f64", "offset": 0, "shape": []}})",
       "model.json: /objects/0/mesh/vertices/shape: expected a shape [n], [n, k] or [rows, cols, "
       "k], got []"},
      {mesh + R"({"binary": "f64", "offset": 0, "shape": [1, 1, 1, 3]}})",
       "model.json: /objects/0/mesh/vertices/shape: expected a shape [n], [n, k] or [rows, cols, "
       "k], got [1,1,1,3]"},
      {mesh + R"({"binary": "f64", "offset": 0, "shape": [1.5, 3]}})",
       "model.json: /objects/0/mesh/vertices/shape/0: expected a size (an integer of 0 or more), "
       "got 1.5"},
      {mesh + R"({"binary": "f64", "shape": [1, 3]}})",
       "model.json: /objects/0/mesh/vertices: missing \"offset\", the byte offset of the array's "
       "first element"},
      {mesh + R"({"binary": "f64", "offset": 0, "shape": [1, 3], "stride": 24}})",
       "model.json: /objects/0/mesh/vertices/stride: unknown key \"stride\" (expected one of "
       "binary, offset, shape)"},
      // The spec's own example of an element error: a face naming a vertex the mesh lacks.
      {mesh + v8 + R"(, "faces": )" + f12 + "}",
       "model.json: /objects/0/mesh/faces: element [2][2] of model.bin: no vertex 12: the mesh "
       "has 8 vertices, 0 to 7"},
      {mesh + v8 + R"(, "faces": )" + negative + "}",
       "model.json: /objects/0/mesh/faces: element [0][1] of model.bin: no vertex -1: the mesh "
       "has 8 vertices, 0 to 7"},
      {mesh + R"([], "faces": )" + f2 + "}",
       "model.json: /objects/0/mesh/faces: element [0][0] of model.bin: the mesh has no vertices "
       "for a face to use"},
      {mesh + nan + "}",
       "model.json: /objects/0/mesh/vertices: element [1][1] of model.bin: expected a finite "
       "number, got nan"},
      {mesh + inf + "}",
       "model.json: /objects/0/mesh/vertices: element [0][2] of model.bin: expected a finite "
       "number, got -inf"},
      {R"("curve": {"points": )" + one + "}",
       "model.json: /objects/0/curve/points: expected at least two points, got shape [1, 3]"},
  };
  for (const BadReference& bad : cases)
    EXPECT_EQ(ErrorFor(Object(bad.geometry), bin), bad.message) << bad.geometry;
}

TEST_F(DocumentBinary, LargeMeshArraysNameTheirBadElementPastTheFirstPiece) {
  // Large arrays are read a thousand points or faces at a time.
  BinaryFile bin;
  const std::string v8 = bin.add("f64", std::vector<double>(24, 1.0), {8, 3});
  std::vector<std::int32_t> quads(4 * 1500, 7);
  quads[4 * 1200 + 3] = 8;
  const std::string f1500 = bin.add("i32", quads, {1500, 4});
  std::vector<double> points(3 * 1100, 0.5);
  points[3 * 1050 + 2] = std::numeric_limits<double>::infinity();
  const std::string v1100 = bin.add("f64", points, {1100, 3});
  const std::string mesh = R"("mesh": {"vertices": )";
  const BadReference cases[] = {
      {mesh + v8 + R"(, "faces": )" + f1500 + "}",
       "model.json: /objects/0/mesh/faces: element [1200][3] of model.bin: no vertex 8: the mesh "
       "has 8 vertices, 0 to 7"},
      {mesh + v1100 + "}",
       "model.json: /objects/0/mesh/vertices: element [1050][2] of model.bin: expected a finite "
       "number, got inf"},
  };
  for (const BadReference& bad : cases)
    EXPECT_EQ(ErrorFor(Object(bad.geometry), bin), bad.message) << bad.geometry;
}

TEST_F(DocumentBinary, BadSurfaceAndEdgeArraysAreRefusedAtTheirElements) {
  BinaryFile bin;
  const std::string net = bin.add(
      "f64", std::vector<double>{0, 0, 0, 1, 0, 1, 0, 1, 1, 0, 0, 1, 1, 1, 0, -2}, {2, 2, 4});
  const std::string flatNet =
      bin.add("f64", std::vector<double>{0, 0, 0, 0, 1, 0, 1, 0, 0, 1, 1, 0}, {2, 2, 3});
  const std::string surface = R"("surface": {"kind": "nurbs", "degree": 1, "points": )";
  const BadReference cases[] = {
      {surface + net + "}",
       "model.json: /objects/0/surface/points: element [1][1][3] of model.bin: expected a number "
       "greater than 0, got -2.0"},
      {R"("surface": {"kind": "nurbs", "degree": 2, "points": )" + flatNet + "}",
       "model.json: /objects/0/surface/points: expected at least 3 rows of control points, got "
       "shape [2, 2, 3]"},
      {R"("surface": {"kind": "nurbs", "degree": [1, 2], "points": )" + flatNet + "}",
       "model.json: /objects/0/surface/points: expected rows of at least 3 control points, got "
       "shape [2, 2, 3]"},
      {surface + bin.add("f64", std::vector<double>(8, 0.0), {4, 2}) + "}",
       "model.json: /objects/0/surface/points: expected a binary array of shape [rows, cols, 3] or "
       "[rows, cols, 4], got shape [4, 2]"},
      {surface + flatNet + R"(, "knots": [)" + bin.add("f64", std::vector<double>{0, 1, 2}, {3}) +
           ", [0, 1]]}",
       "model.json: /objects/0/surface/knots/0: expected an array of 2 (or 4) knots for order 2 "
       "and 2 control points, got shape [3]"},
      {surface + flatNet + R"(, "knots": [[0, 1], )" +
           bin.add("f64", std::vector<double>{0, 2, 1, 3}, {4}) + "]}",
       "model.json: /objects/0/surface/knots/1: element [2] of model.bin: expected a knot no "
       "smaller than the one before it, got 1.0"},
      {surface + flatNet + R"(, "knots": [[0, 1], )" +
           bin.add("f64", std::vector<double>{1, 1}, {2}) + "]}",
       "model.json: /objects/0/surface/knots/1: the knots leave an empty domain: knot 0 must be "
       "smaller than knot 1"},
      {R"("brep": {"surfaces": [{"kind": "plane", "width": 1, "height": 1}], "edges": [
          {"degree": 2, "points": )" +
           bin.add("f64", std::vector<double>{0, 0, 0, 1, 0, 0}, {2, 3}) + R"(}], "faces": []})",
       "model.json: /objects/0/brep/edges/0/points: expected at least 3 control points, got shape "
       "[2, 3]"},
      {R"("brep": {"surfaces": [{"kind": "plane", "width": 1, "height": 1}], "edges": [
          {"degree": 1, "points": )" +
           bin.add("f32", std::vector<float>{1, 2, 3, 1, 1, 2, 3, 1}, {2, 4}) +
           R"(}], "faces": []})",
       "model.json: /objects/0/brep/edges/0/points: the edge has length 0: all its control points "
       "are one point"},
  };
  for (const BadReference& bad : cases)
    EXPECT_EQ(ErrorFor(Object(bad.geometry), bin), bad.message) << bad.geometry;
}

TEST_F(DocumentBinary, TheSidecarMustBeNamedAndBeThere) {
  BinaryFile bin;
  const std::string points = bin.add("f64", std::vector<double>{0, 0, 0}, {1, 3});
  EXPECT_EQ(ErrorFor(R"({"objects": [{"mesh": {"vertices": )" + points + "}}]}", bin),
            "model.json: /objects/0/mesh/vertices: a binary array, but the document names no "
            "binary file: add \"binary\": \"NAME.bin\" at its top level");
  const std::string missing = (folder.path / "other.bin").string();
  EXPECT_EQ(ErrorFor(R"({"binary": "other.bin"})", bin),
            "model.json: /binary: cannot open " + missing + ": No such file or directory");
  std::filesystem::create_directory(folder.path / "data.bin");
  EXPECT_EQ(
      ErrorFor(R"({"binary": "data.bin"})", bin),
      "model.json: /binary: " + (folder.path / "data.bin").string() + " is not a regular file");
  EXPECT_EQ(ErrorFor(R"({"binary": ""})", bin),
            "model.json: /binary: expected the name of the binary file beside the document, got "
            "\"\"");
  // An absolute name is taken as it is; an object that is not a reference stays a JSON mistake.
  CRhinoDoc doc;
  EXPECT_EQ(Load(R"({"binary": ")" + (folder.path / "model.bin").string() +
                     R"(", "objects": [{"mesh": {"vertices": )" + points + "}}]}",
                 bin, doc),
            "");
  EXPECT_EQ(MeshOf(doc, 0).VertexCount(), 1);
  EXPECT_EQ(ErrorFor(Object(R"("mesh": {"vertices": {"offset": 0}})"), bin),
            "model.json: /objects/0/mesh/vertices: expected an array [...], got {\"offset\":0}");
}

}  // namespace
