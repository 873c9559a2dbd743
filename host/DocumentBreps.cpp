// Breps in document files: surfaces, edges as NURBS curves, and faces trimmed by loops of trims
// that name their edges, checked so that every loop closes.
#include <algorithm>
#include <cmath>

#include "DocumentBinary.h"
#include "DocumentReading.h"

namespace document {

namespace {

/// An index into a list of `count` things of a kind ("surface", "edge") that the brep has.
int IndexInto(const Node& index, int count, const std::string& kind) {
  if (!index.isInteger()) index.expected("a " + kind + " index (an integer)");
  const std::int64_t i = IndexValue(index.numberValue(), count);
  if (i < 0 || i >= count)
    index.fail("no " + kind + " " + Show(index) + ": the brep has " + std::to_string(count) + " " +
               kind + (count == 1 ? "" : "s") +
               (count > 0 ? ", 0 to " + std::to_string(count - 1) : std::string()));
  return static_cast<int>(i);
}

std::string ShowPoint(const ON_3dPoint& p) {
  return "[" + ShowNumber(p.x) + ", " + ShowNumber(p.y) + ", " + ShowNumber(p.z) + "]";
}

/// The control points of an edge of `degree` from a binary array [n, 3] or [n, 4] (with weights).
std::unique_ptr<ON_NurbsCurve> ReadBinaryEdgePoints(const Node& points, int degree) {
  BinaryArray array(points, ElementKind::numbers);
  array.expectShape(2, {3, 4}, "[n, 3] or [n, 4]");
  const int count = int(array.shape()[0]);
  if (count < degree + 1)
    array.expected("at least " + std::to_string(degree + 1) + " control points");
  const bool rational = array.shape()[1] == 4;
  auto curve = std::make_unique<ON_NurbsCurve>(3, rational, degree + 1, count);
  for (int i = 0; i < count; ++i) {
    const double x = array.finite(), y = array.finite(), z = array.finite();
    curve->SetCV(i, ON_3dPoint(x, y, z));
    if (rational) curve->SetWeight(i, array.positive());
  }
  return curve;
}

/// The control points of an edge of `degree` from JSON: [[x, y, z] or [x, y, z, weight], ...].
std::unique_ptr<ON_NurbsCurve> ReadJsonEdgePoints(const Node& points, int degree) {
  const std::vector<Node> cvs = points.elements();
  if (cvs.size() < std::size_t(degree + 1))
    points.expected("at least " + std::to_string(degree + 1) + " control points");
  bool rational = false;
  for (const Node& cv : cvs) rational = rational || (cv.isArray() && cv.size() == 4);
  auto curve = std::make_unique<ON_NurbsCurve>(3, rational, degree + 1, int(cvs.size()));
  for (std::size_t i = 0; i < cvs.size(); ++i) {
    if (!cvs[i].isArray() || (cvs[i].size() != 3 && cvs[i].size() != 4))
      cvs[i].expected("a control point [x, y, z] or [x, y, z, weight]");
    const std::vector<Node> xyzw = cvs[i].elements();
    curve->SetCV(int(i), ON_3dPoint(xyzw[0].finite(), xyzw[1].finite(), xyzw[2].finite()));
    if (xyzw.size() == 4) curve->SetWeight(int(i), xyzw[3].positive());
  }
  return curve;
}

/// An edge's 3-D curve: {"degree": d, "points": [[x, y, z] or [x, y, z, w], ...], "knots": [...]}.
std::unique_ptr<ON_NurbsCurve> ReadEdgeCurve(const Node& edge) {
  edge.checkKeys({"degree", "points", "knots"});
  const int degree = edge.required("degree", "the curve's degree").integer(1, 11);
  const Node points = edge.required("points", "the control points [[x, y, z], ...]");
  std::unique_ptr<ON_NurbsCurve> curve = IsBinaryReference(points)
                                             ? ReadBinaryEdgePoints(points, degree)
                                             : ReadJsonEdgePoints(points, degree);
  ON_3dPoint first, p;
  curve->GetCV(0, first);
  bool moves = false;
  for (int i = 1; i < curve->CVCount() && !moves; ++i) moves = curve->GetCV(i, p) && !(p == first);
  if (!moves) points.fail("the edge has length 0: all its control points are one point");
  if (auto knots = edge.member("knots")) {
    const std::vector<double> values = ReadKnotVector(*knots, degree + 1, curve->CVCount());
    for (std::size_t k = 0; k < values.size(); ++k) curve->SetKnot(int(k), values[k]);
  } else {
    curve->MakeClampedUniformKnotVector();
  }
  return curve;
}

/// A loop's trims, each {"edge": index, "reversed": flag}, added to the loop; then the check that
/// each trim starts where the one before it ends (the last before the first), within tolerance.
void ReadTrims(const Node& trims, ON_Brep& brep, ON_BrepLoop& loop, double tolerance) {
  const std::vector<Node> nodes = trims.elements();
  if (nodes.empty()) trims.expected("a loop of at least one trim");
  std::vector<ON_3dPoint> starts, ends;
  for (const Node& trim : nodes) {
    trim.checkKeys({"edge", "reversed"});
    const int ei =
        IndexInto(trim.required("edge", "the edge the trim runs along"), brep.m_E.Count(), "edge");
    const bool reversed = trim.member("reversed") ? trim.member("reversed")->flag() : false;
    brep.NewTrim(brep.m_E[ei], reversed, loop);
    const ON_Curve& curve = *brep.m_E[ei].EdgeCurveOf();
    starts.push_back(reversed ? curve.PointAtEnd() : curve.PointAtStart());
    ends.push_back(reversed ? curve.PointAtStart() : curve.PointAtEnd());
  }
  for (std::size_t k = 0; k < nodes.size(); ++k) {
    const std::size_t before = (k + nodes.size() - 1) % nodes.size();
    const double gap = starts[k].DistanceTo(ends[before]);
    if (gap > tolerance)
      nodes[k].fail("the loop does not close: trim " + std::to_string(k) + " starts at " +
                    ShowPoint(starts[k]) + ", " + ShowNumber(gap) + " from the end of trim " +
                    std::to_string(before) + " at " + ShowPoint(ends[before]) + " (tolerance " +
                    ShowNumber(tolerance) + ")");
  }
}

/// A face: {"surface": index, "reversed": flag, "loops": [...], "render_mesh": mesh}. The first
/// loop is the outer one, any others inner.
void ReadBrepFace(const Node& face, ON_Brep& brep, double tolerance) {
  face.checkKeys({"surface", "reversed", "loops", "render_mesh"});
  const int si = IndexInto(face.required("surface", "the face's surface, by index"),
                           brep.m_S.Count(), "surface");
  ON_BrepFace& added = brep.NewFace(si);
  if (auto reversed = face.member("reversed")) added.m_bRev = reversed->flag();
  if (auto mesh = face.member("render_mesh"))
    added.SetMesh(ON::render_mesh, ReadMesh(*mesh).release());
  const int fi = added.m_face_index;
  if (auto loops = face.member("loops")) {
    const std::vector<Node> nodes = loops->elements();
    for (std::size_t k = 0; k < nodes.size(); ++k) {
      const Node& loop = nodes[k];
      loop.checkKeys({"type", "trims"});
      const Node type = loop.required("type", "\"outer\" or \"inner\"");
      const std::string name = type.text();
      if (name != "outer" && name != "inner") type.expected("\"outer\" or \"inner\"");
      if (k == 0 && name != "outer") type.fail("a face's first loop is its outer loop");
      if (k > 0 && name != "inner") type.fail("a face has one outer loop, its first");
      ON_BrepLoop& added_loop =
          brep.NewLoop(k == 0 ? ON_BrepLoop::outer : ON_BrepLoop::inner, *brep.Face(fi));
      ReadTrims(loop.required("trims", "the loop's trims [{\"edge\": index}, ...]"), brep,
                added_loop, tolerance);
    }
  }
}

/// The size of the box around the edges' control points.
double EdgeSize(const ON_Brep& brep) {
  ON_BoundingBox box;
  bool found = false;
  for (int i = 0; i < brep.m_C3.Count(); ++i)
    if (brep.m_C3[i]->GetTightBoundingBox(box, found)) found = true;
  return found ? box.m_min.DistanceTo(box.m_max) : 0.0;
}

}  // namespace

std::unique_ptr<ON_Brep> ReadBrep(const Node& brep) {
  brep.checkKeys({"surfaces", "edges", "faces", "tolerance"});
  auto result = std::make_unique<ON_Brep>();
  const Node surfaces = brep.required("surfaces", "the brep's surfaces [...]");
  if (!surfaces.isArray() || surfaces.size() == 0)
    surfaces.expected("a non-empty array of surfaces");
  for (const Node& surface : surfaces.elements()) {
    if (auto mesh = surface.member("render_mesh"))
      mesh->fail("a brep's render meshes belong to its faces");
    result->AddSurface(ReadSurfaceGeometry(surface).release());
  }
  if (auto edges = brep.member("edges"))
    for (const Node& edge : edges->elements())
      result->NewEdge(result->AddEdgeCurve(ReadEdgeCurve(edge).release()));
  const double tolerance =
      brep.member("tolerance") ? brep.member("tolerance")->positive() : 1e-6 * EdgeSize(*result);
  const Node faces = brep.required("faces", "the brep's faces [...]");
  if (!faces.isArray() || faces.size() == 0) faces.expected("a non-empty array of faces");
  for (const Node& face : faces.elements()) ReadBrepFace(face, *result, tolerance);
  return result;
}

}  // namespace document
