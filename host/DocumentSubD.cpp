// Reading a "subd" object: a control net of points and polygons with its creases and corners.
#include <algorithm>
#include <unordered_set>

#include "DocumentReading.h"

namespace document {

namespace {

/// An index naming one of the net's `count` points.
int PointIndex(const Node& index, int count) {
  if (!index.isInteger()) index.expected("a point index (an integer)");
  const std::int64_t i = IndexValue(index.numberValue(), count);
  if (i < 0 || i >= count)
    index.fail("no point " + Show(index) + ": the SubD has " + std::to_string(count) + " points" +
               (count > 0 ? ", 0 to " + std::to_string(count - 1) : ""));
  return static_cast<int>(i);
}

std::vector<int> ReadFace(const Node& face, int count) {
  if (!face.isArray() || face.size() < 3)
    face.expected("a face of three or more point indices [a, b, c, ...]");
  std::vector<int> result;
  std::unordered_set<int> named;  // a face may be long: no search through it per corner
  for (const Node& corner : face.elements()) {
    const int i = PointIndex(corner, count);
    if (!named.insert(i).second)
      corner.fail("point " + std::to_string(i) + " is named twice by one face");
    result.push_back(i);
  }
  return result;
}

std::uint64_t EdgeKey(int a, int b) {
  return (std::uint64_t(std::uint32_t(std::min(a, b))) << 32) | std::uint32_t(std::max(a, b));
}

void ReadCreases(const Node& creases, ON_SubD& subd) {
  std::unordered_set<std::uint64_t> edges;
  for (const std::vector<int>& face : subd.m_faces)
    for (std::size_t k = 0; k < face.size(); ++k)
      edges.insert(EdgeKey(face[k], face[(k + 1) % face.size()]));
  const int count = int(subd.m_points.size());
  for (const Node& crease : creases.elements()) {
    if (!crease.isArray() || crease.size() != 2)
      crease.expected("an edge [a, b]: the indices of its two points");
    const std::vector<Node> ends = crease.elements();
    const int a = PointIndex(ends[0], count), b = PointIndex(ends[1], count);
    if (!edges.count(EdgeKey(a, b)))
      crease.fail("points " + std::to_string(a) + " and " + std::to_string(b) +
                  " are not the ends of an edge of any face");
    subd.m_creases.emplace_back(a, b);
  }
}

}  // namespace

std::unique_ptr<ON_SubD> ReadSubD(const Node& subd) {
  subd.checkKeys({"vertices", "faces", "creases", "corners"});
  auto result = std::make_unique<ON_SubD>();
  const Node points = subd.required("vertices", "the control points [[x, y, z], ...]");
  for (const Node& point : points.elements()) result->m_points.push_back(ReadPoint(point));
  const int count = int(result->m_points.size());
  const Node faces = subd.required("faces", "the faces [[a, b, c, ...], ...]");
  for (const Node& face : faces.elements()) result->m_faces.push_back(ReadFace(face, count));
  if (auto creases = subd.member("creases")) ReadCreases(*creases, *result);
  if (auto corners = subd.member("corners"))
    for (const Node& corner : corners->elements())
      result->m_corners.push_back(PointIndex(corner, count));
  return result;
}

}  // namespace document
