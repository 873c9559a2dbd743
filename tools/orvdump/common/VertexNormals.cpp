#include "common/VertexNormals.h"

#include <algorithm>
#include <numbers>
#include <numeric>
#include <tuple>

namespace QzOrv::scene {
namespace {

/// One triangle corner, as an index into the definition's flattened corner list.
struct Corner {
  std::uint32_t slot;
  std::uint32_t index;  // into triangles.slots[slot].corners
};

/// Union-find over the corners around one point.
class Regions {
 public:
  explicit Regions(std::size_t count) : parent_(count) {
    std::iota(parent_.begin(), parent_.end(), std::size_t{0});
  }
  std::size_t find(std::size_t i) {
    while (parent_[i] != i) i = parent_[i] = parent_[parent_[i]];
    return i;
  }
  void join(std::size_t a, std::size_t b) { parent_[find(a)] = find(b); }

 private:
  std::vector<std::size_t> parent_;
};

}  // namespace

VertexNormals::VertexNormals(const ObjectDefinition& definition,
                             const DefinitionTriangles& triangles, double creaseDegrees) {
  const double smoothCosine =
      std::cos(std::clamp(creaseDegrees, 0.0, 180.0) * std::numbers::pi / 180);
  // Each triangle's unit normal (nothing without area), the angle at each of its corners, and
  // the corners around each point.
  std::vector<std::vector<std::optional<Vec3>>> faceNormals(triangles.slots.size());
  std::vector<std::vector<double>> cornerAngles(triangles.slots.size());
  std::vector<std::vector<Corner>> around(pointCount(definition));
  for (std::uint32_t s = 0; s < triangles.slots.size(); ++s) {
    const std::vector<std::uint32_t>& corners = triangles.slots[s].corners;
    vertexOfCorner.emplace_back(corners.size(), 0);
    for (std::uint32_t t = 0; t + 2 < corners.size(); t += 3) {
      const Vec3 a = toVec3(pointAt(definition, corners[t]));
      const Vec3 b = toVec3(pointAt(definition, corners[t + 1]));
      const Vec3 c = toVec3(pointAt(definition, corners[t + 2]));
      faceNormals[s].push_back(normalized(cross(b - a, c - a)));
      for (const auto& [at, p, q] : {std::tuple{a, b, c}, {b, c, a}, {c, a, b}}) {
        const double size = length(p - at) * length(q - at);
        cornerAngles[s].push_back(
            size > 0 ? std::acos(std::clamp(dot(p - at, q - at) / size, -1.0, 1.0)) : 0);
      }
      for (std::uint32_t k = 0; k < 3; ++k) around[corners[t + k]].push_back({s, t + k});
    }
  }
  auto faceOf = [&](const Corner& c) -> const std::optional<Vec3>& {
    return faceNormals[c.slot][c.index / 3];
  };
  // The corner's two neighbours in its triangle: the other ends of its edges through the point.
  auto otherEnd = [&](const Corner& c, std::uint32_t step) {
    const std::uint32_t first = c.index - c.index % 3;
    return triangles.slots[c.slot].corners[first + (c.index - first + step) % 3];
  };

  struct EdgeEnd {
    std::uint32_t point;
    std::size_t corner;  // into the point's `around` list
  };
  std::vector<EdgeEnd> ends;
  for (const std::vector<Corner>& corners : around) {
    if (corners.empty()) continue;
    // Corners whose triangles share an edge through the point name the same other end: sorted
    // by it, they stand next to each other.
    ends.clear();
    for (std::size_t i = 0; i < corners.size(); ++i) {
      ends.push_back({otherEnd(corners[i], 1), i});
      ends.push_back({otherEnd(corners[i], 2), i});
    }
    std::sort(ends.begin(), ends.end(),
              [](const EdgeEnd& x, const EdgeEnd& y) { return x.point < y.point; });
    // Neighbours in that order are compared (an edge that more than two triangles share links
    // them in a chain), which keeps the work in proportion to the corners however odd the mesh.
    Regions regions(corners.size());
    for (std::size_t i = 0; i + 1 < ends.size(); ++i) {
      if (ends[i + 1].point != ends[i].point) continue;
      const std::optional<Vec3>& a = faceOf(corners[ends[i].corner]);
      const std::optional<Vec3>& b = faceOf(corners[ends[i + 1].corner]);
      // Faces in one plane are always smooth, whatever the crease angle.
      if (a && b && (dot(*a, *b) > smoothCosine || dot(*a, *b) > 1 - 1e-12)) {
        regions.join(ends[i].corner, ends[i + 1].corner);
      }
    }
    // One smooth vertex per region, numbered in order of the corners' first appearance.
    std::vector<std::uint32_t> vertexOfRegion(corners.size(), UINT32_MAX);
    std::vector<Vec3> sums;
    for (std::size_t i = 0; i < corners.size(); ++i) {
      std::uint32_t& vertex = vertexOfRegion[regions.find(i)];
      if (vertex == UINT32_MAX) {
        vertex = static_cast<std::uint32_t>(normals.size() + sums.size());
        sums.emplace_back();
      }
      // Each face counts by its angle at the point, so a quad's two triangles weigh as much as
      // a neighbouring triangle of the same angle.
      const Corner& corner = corners[i];
      if (const std::optional<Vec3>& face = faceOf(corner)) {
        sums[vertex - normals.size()] =
            sums[vertex - normals.size()] + *face * cornerAngles[corner.slot][corner.index];
      }
      vertexOfCorner[corners[i].slot][corners[i].index] = vertex;
    }
    for (const Vec3& sum : sums) normals.push_back(normalized(sum).value_or(Vec3{0, 0, 1}));
  }
}

}  // namespace QzOrv::scene
