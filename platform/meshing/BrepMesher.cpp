// The render-mesh maker of breps: untrimmed faces become quad grids; trimmed faces keep the grid's
// quads wherever no trim passes and are triangulated in parameter space along their loops, whose
// points come from the edges so that neighbouring faces share them.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "DomainTriangulation.h"
#include "LoopSeams.h"
#include "MeshDensity.h"
#include "SurfacePullback.h"
#include "TrimmedGrid.h"

namespace {

using on_detail::Coordinate;
using on_detail::kOnSide;
using on_detail::LoopPoint;
using on_detail::Uv;

// Trims of a loop that end farther apart than this fraction of the brep's size leave it open.
// Document loaders hold loops to the model's tolerance; this only stops nonsense.
constexpr double kOpenLoop = 1e-3;
// Edge points closer than this fraction of the brep's size are one point: about what the mesh's
// single-precision vertices tell apart.
constexpr double kTinyEdge = 1e-7;
// Sides of a surface closer than this fraction of its width apart make a seam.
constexpr double kSeamShare = 0.01;
// Triangles of trimmed faces are refined until they stand off the surface by at most this
// fraction of the brep's size (or the mesh parameters' tolerance, when tighter).
constexpr double kMostDeviation = 0.005;
// A brep wider than single precision reaches cannot become a mesh; below this every length the
// mesher measures stays a finite number.
constexpr double kMostSize = 3.4e38;

/// x to six significant digits, for the reason a face was not meshed.
std::string Number(double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", x);
  return text;
}

struct PointHash {
  std::size_t operator()(const ON_3dPoint& p) const {
    const std::hash<double> hash;
    return (hash(p.x) * 31 + hash(p.y)) * 31 + hash(p.z);
  }
};

double BrepSize(const ON_Brep& brep) {
  ON_BoundingBox box;
  bool found = brep.GetTightBoundingBox(box);
  for (int i = 0; i < brep.m_C3.Count(); ++i)
    if (brep.m_C3[i] && brep.m_C3[i]->GetTightBoundingBox(box, found)) found = true;
  return found ? box.m_min.DistanceTo(box.m_max) : 0.0;
}

/// Whether the sides of direction dir meet in space, so that a loop may run along them as along
/// a seam: the surface is `closed` there, or its sides lie within `gap` of each other and close
/// compared with the surface's width (surfaces saved as closed to a model's tolerance only).
bool Seamed(const ON_Surface& surface, bool closed, int dir, double gap) {
  if (closed) return true;
  const ON_Interval along = surface.Domain(dir), across = surface.Domain(1 - dir);
  auto at = [&](double s, double t) {
    return dir == 0 ? surface.PointAt(s, t) : surface.PointAt(t, s);
  };
  for (double x : {0.0, 0.25, 0.5, 0.75, 1.0}) {
    const double t = across.ParameterAt(x);
    const ON_3dPoint lo = at(along[0], t), hi = at(along[1], t),
                     mid = at(along.ParameterAt(0.5), t);
    const double apart = lo.DistanceTo(hi);
    if (!(apart <= gap) || !(apart <= kSeamShare * lo.DistanceTo(mid))) return false;
  }
  return true;
}

/// Drops the inner points of an edge that lie within `spacing` of the point kept before them (or
/// of the edge's end): a span shrunk to a point, cut as finely as a real one, would pile up
/// points that pull back to one place.
void ThinOut(std::vector<ON_3dPoint>& points, double spacing) {
  if (points.size() < 3) return;
  const ON_3dPoint end = points.back();
  std::size_t kept = 1;
  for (std::size_t k = 1; k + 1 < points.size(); ++k)
    if (points[k].DistanceTo(points[kept - 1]) > spacing) points[kept++] = points[k];
  if (kept > 1 && end.DistanceTo(points[kept - 1]) <= spacing) --kept;
  points[kept++] = end;
  points.resize(kept);
}

/// Points a face's loops may have: a quarter of its most cells (eight times what a loop round a
/// square grid of that many cells takes along the cells), and never fewer than a few hundred.
int MostLoopPoints(const ON_MeshParameters& mp) {
  return std::max(256, on_detail::MostCells(mp) / 4);
}

bool AllFinite(const ON_Mesh& mesh) {
  for (int i = 0; i < mesh.VertexCount(); ++i) {
    const ON_3dPoint p = mesh.Vertex(i);
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
  }
  return true;
}

/// Meshes the faces of one brep with shared edge points.
class BrepMesher {
 public:
  BrepMesher(const ON_Brep& brep, const ON_MeshParameters& mp)
      : m_brep(brep), m_mp(mp), m_most_points(MostLoopPoints(mp)) {
    m_size = BrepSize(brep);
    m_failure.resize(brep.FaceCount());
    if (!(m_size <= kMostSize)) {
      for (std::string& failure : m_failure)
        failure = "the brep is " + Number(m_size) + " across, beyond single precision";
      return;
    }
    SizeFaces();
    DivideEdges();
  }

  /// The render mesh of face fi, or null with the reason in `failure` when it cannot be meshed.
  ON_Mesh* MeshFace(int fi, std::string& failure) const {
    failure = m_failure[fi];
    if (!failure.empty()) return nullptr;
    const ON_BrepFace& face = m_brep.m_F[fi];
    const ON_Surface* surface = face.SurfaceOf();
    if (!surface) {
      failure = "it has no surface";
      return nullptr;
    }
    for (int dir = 0; dir < 2; ++dir) {
      const ON_Interval domain = surface->Domain(dir);
      if (!domain.IsIncreasing() || !std::isfinite(domain.Length())) {
        failure = "its surface's domain in " + std::string(dir ? "v" : "u") + " runs from " +
                  Number(domain[0]) + " to " + Number(domain[1]);
        return nullptr;
      }
    }
    const Grid& grid = m_grid[fi];
    std::unique_ptr<ON_Mesh> mesh(
        face.LoopCount() == 0
            ? on_detail::GridMesh(*surface, grid.spans[0].Lines(), grid.spans[1].Lines())
            : TrimmedMesh(fi, *surface, failure));
    if (mesh && !AllFinite(*mesh)) {
      failure = "its surface gives points that are not finite numbers";
      return nullptr;
    }
    return mesh.release();
  }

 private:
  struct Grid {
    on_detail::SpanGrid spans[2];  // u and v
    double cell = 0.0;             // the longer side of an average cell in space
  };

  /// How far the mesh may stand off the surfaces: a fraction of the brep's size, or the mesh
  /// parameters' tolerance when that is tighter.
  double Tolerance() const {
    const double tolerance = kMostDeviation * m_size;
    return m_mp.m_tolerance > 0.0 ? std::min(tolerance, m_mp.m_tolerance) : tolerance;
  }

  /// Each face's grid, measured once for each surface the faces share.
  void SizeFaces() {
    m_grid.resize(m_brep.FaceCount());
    std::unordered_map<const ON_Surface*, Grid> measured;
    for (int fi = 0; fi < m_brep.FaceCount(); ++fi) {
      const ON_Surface* surface = m_brep.m_F[fi].SurfaceOf();
      if (!surface) continue;
      const auto [it, added] = measured.try_emplace(surface);
      Grid& grid = it->second;
      if (added) {
        on_detail::GridOf(*surface, m_mp, Tolerance(), grid.spans);
        double width = 0.0, height = 0.0;
        if (surface->GetSurfaceSize(&width, &height))
          grid.cell = std::max(width / grid.spans[0].count, height / grid.spans[1].count);
      }
      m_grid[fi] = grid;
    }
  }

  /// The face that loop li bounds, or -1.
  int FaceOfLoop(int li) const {
    const int fi = li >= 0 && li < m_brep.m_L.Count() ? m_brep.m_L[li].m_fi : -1;
    return fi >= 0 && fi < m_brep.FaceCount() ? fi : -1;
  }

  /// Every edge's points, cut at least as finely as the grids of the faces it bounds, unless a
  /// face's loops would then take more points than its budget (MostLoopPoints): the
  /// edges of such a face are cut more coarsely, so that the face's loops stay within it. A face
  /// whose trims need more points than that however coarsely they are cut is not meshed.
  void DivideEdges() {
    const int edges = m_brep.m_E.Count();
    std::vector<on_detail::EdgeMeasure> measures(edges);
    std::vector<double> target(edges, 0.0);
    std::vector<bool> used(edges, false);
    for (int ti = 0; ti < m_brep.m_T.Count(); ++ti) {
      const ON_BrepTrim& trim = m_brep.m_T[ti];
      const int fi = FaceOfLoop(trim.m_li);
      if (fi < 0 || !trim.Edge()) continue;
      used[trim.m_ei] = true;
      const double cell = m_grid[fi].cell;
      double& wanted = target[trim.m_ei];
      if (cell > 0.0 && (wanted == 0.0 || cell < wanted)) wanted = cell;
    }
    for (int ei = 0; ei < edges; ++ei) {
      const ON_Curve* curve = m_brep.m_E[ei].EdgeCurveOf();
      if (used[ei] && curve && curve->Domain().IsIncreasing() &&
          std::isfinite(curve->Domain().Length()))
        measures[ei] = on_detail::MeasureEdge(*curve, m_mp, Tolerance());
    }
    KeepFacesWithinBudget(measures, target);
    m_edge_points.resize(edges);
    for (int ei = 0; ei < edges; ++ei) {
      const ON_Curve* curve = m_brep.m_E[ei].EdgeCurveOf();
      std::vector<ON_3dPoint>& points = m_edge_points[ei];
      for (double t : on_detail::EdgeParameters(measures[ei], target[ei]))
        points.push_back(curve->PointAt(t));
      ThinOut(points, kTinyEdge * m_size);
    }
    JoinEdgeEnds();
  }

  /// Raises the target lengths of the edges of every face whose loops would take more points
  /// than m_most_points, so that they take no more; marks the faces that cannot be kept within it.
  void KeepFacesWithinBudget(const std::vector<on_detail::EdgeMeasure>& measures,
                             std::vector<double>& target) {
    const int faces = m_brep.FaceCount();
    // Points each face's loops take at most: a fixed part, and a part from the edges' lengths.
    std::vector<double> fixed(faces, 0.0), by_length(faces, 0.0);
    for (int ti = 0; ti < m_brep.m_T.Count(); ++ti) {
      const ON_BrepTrim& trim = m_brep.m_T[ti];
      const int fi = FaceOfLoop(trim.m_li);
      if (fi < 0 || !trim.Edge()) continue;
      const on_detail::EdgeMeasure& measure = measures[trim.m_ei];
      fixed[fi] += measure.FixedPoints();
      if (target[trim.m_ei] > 0.0) by_length[fi] += measure.Length() / target[trim.m_ei];
    }
    std::vector<double> scale(target.size(), 1.0);
    for (int ti = 0; ti < m_brep.m_T.Count(); ++ti) {
      const ON_BrepTrim& trim = m_brep.m_T[ti];
      const int fi = FaceOfLoop(trim.m_li);
      if (fi < 0 || !trim.Edge() || !(fixed[fi] + by_length[fi] > m_most_points)) continue;
      if (!(fixed[fi] < m_most_points)) {
        m_failure[fi] = "its trims need more than the " + std::to_string(m_most_points) +
                        " points a face's loops may have";
        continue;
      }
      const double share = (m_most_points - fixed[fi]) / by_length[fi];
      scale[trim.m_ei] = std::min(scale[trim.m_ei], share);
    }
    // A share of 0 (edges too long to count their pieces) leaves only the bending's points.
    for (std::size_t ei = 0; ei < target.size(); ++ei)
      if (scale[ei] < 1.0)
        target[ei] =
            scale[ei] > 0.0 ? target[ei] / scale[ei] : std::numeric_limits<double>::infinity();
  }

  /// The ends of edges that meet in a loop are one corner of the brep, but curves ending there
  /// rarely agree to the last bit. Each corner gets the point of one of its edge ends, so that
  /// every face meeting there has the same vertex and the welded mesh does not open at corners.
  /// Tiny edges shrink to their corner's one point.
  void JoinEdgeEnds() {
    // An edge end is 2 * edge + 0 for its start, + 1 for its end.
    std::vector<int> parent(2 * m_edge_points.size());
    for (std::size_t k = 0; k < parent.size(); ++k) parent[k] = int(k);
    auto root = [&](int k) {
      while (parent[k] != k) k = parent[k] = parent[parent[k]];
      return k;
    };
    // An edge the mesh cannot tell from a point is a corner saved as an edge: its points, pulled
    // back, would pile up on one parameter or scatter along a pole.
    std::vector<bool> tiny(m_edge_points.size(), false);
    for (std::size_t ei = 0; ei < m_edge_points.size(); ++ei) {
      const std::vector<ON_3dPoint>& points = m_edge_points[ei];
      double length = 0.0;
      for (std::size_t k = 1; k < points.size(); ++k) length += points[k].DistanceTo(points[k - 1]);
      if (points.empty() || !(length <= kTinyEdge * m_size)) continue;
      tiny[ei] = true;
      parent[root(int(2 * ei + 1))] = root(int(2 * ei));
    }
    const double gap = kOpenLoop * m_size;
    for (int li = 0; li < m_brep.m_L.Count(); ++li) {
      const ON_BrepLoop& loop = m_brep.m_L[li];
      for (int lti = 0; lti < loop.TrimCount(); ++lti) {
        const ON_BrepTrim* before = loop.Trim(lti);
        const ON_BrepTrim* after = loop.Trim((lti + 1) % loop.TrimCount());
        if (!before || !after || !before->Edge() || !after->Edge()) continue;
        if (m_edge_points[before->m_ei].empty() || m_edge_points[after->m_ei].empty()) continue;
        const int end = 2 * before->m_ei + (before->m_bRev3d ? 0 : 1);
        const int start = 2 * after->m_ei + (after->m_bRev3d ? 1 : 0);
        if (EndPoint(end).DistanceTo(EndPoint(start)) <= gap) parent[root(end)] = root(start);
      }
    }
    for (std::size_t k = 0; k < parent.size(); ++k)
      if (!m_edge_points[k / 2].empty()) EndPoint(int(k)) = EndPoint(root(int(k)));
    for (std::size_t ei = 0; ei < tiny.size(); ++ei)
      if (tiny[ei]) m_edge_points[ei].resize(1);
  }

  ON_3dPoint& EndPoint(int end) {
    std::vector<ON_3dPoint>& points = m_edge_points[end / 2];
    return end % 2 == 0 ? points.front() : points.back();
  }

  /// The loop's points in space, trim after trim; empty, with the reason in `failure`, when a
  /// trim has no edge points or the trims do not meet.
  std::vector<LoopPoint> LoopPoints(const ON_BrepLoop& loop, std::string& failure) const {
    std::vector<LoopPoint> out;
    const double gap = kOpenLoop * m_size;
    for (int lti = 0; lti < loop.TrimCount(); ++lti) {
      const ON_BrepTrim* trim = loop.Trim(lti);
      if (!trim || !trim->Edge() || m_edge_points[trim->m_ei].empty()) {
        failure = "trim " + std::to_string(lti) +
                  (trim && trim->Edge() ? " runs along edge " + std::to_string(trim->m_ei) +
                                              ", which cannot be evaluated"
                                        : " has no edge");
        return {};
      }
      const std::vector<ON_3dPoint>& points = m_edge_points[trim->m_ei];
      const std::size_t n = points.size();
      for (std::size_t k = 0; k < n; ++k) {
        const ON_3dPoint& p = points[trim->m_bRev3d ? n - 1 - k : k];
        if (k == 0 && !out.empty()) {
          if (!(out.back().p.DistanceTo(p) <= gap)) {
            failure = "trim " + std::to_string(lti) + " starts " +
                      Number(out.back().p.DistanceTo(p)) + " from where the trim before it ends";
            return {};
          }
          if (out.back().p == p) continue;  // where the previous trim ended
        }
        out.push_back({p, {}});
      }
    }
    if (out.size() > 1) {
      if (!(out.back().p.DistanceTo(out.front().p) <= gap)) {
        failure = "it ends " + Number(out.back().p.DistanceTo(out.front().p)) + " from its start";
        return {};
      }
      if (out.back().p == out.front().p) out.pop_back();
    }
    return out;
  }

  /// Pulls the loop's points into the surface's parameters, each search starting where the
  /// previous point landed, then settles the points on the seams (in the directions `seamed`) and
  /// at the poles.
  void PullBack(std::vector<LoopPoint>& loop, const ON_Surface& surface,
                const on_detail::SurfaceShape& shape, const bool seamed[2],
                const on_detail::SurfacePullback& pullback) const {
    for (std::size_t k = 0; k < loop.size(); ++k) {
      const Uv* seed = k > 0 ? &loop[k - 1].uv : nullptr;
      const double accept =
          k > 0 ? 1e-3 * loop[k].p.DistanceTo(loop[k - 1].p) + 1e-9 * m_size : 0.0;
      loop[k].uv = pullback.Pull(loop[k].p, seed, accept);
    }
    const ON_Interval domain[2] = {surface.Domain(0), surface.Domain(1)};
    const bool* singular = shape.singular;
    // Points at a pole are no guide to a seam's side.
    std::vector<bool> at_pole(loop.size(), false);
    for (std::size_t k = 0; k < loop.size(); ++k)
      for (int side = 0; side < 4; ++side) {
        const int across = side % 2 == 0 ? 1 : 0;
        const double at = side == 0 || side == 3 ? domain[across][0] : domain[across][1];
        if (singular[side] &&
            std::fabs(Coordinate(loop[k].uv, across) - at) <= kOnSide * domain[across].Length())
          at_pole[k] = true;
      }
    for (int dir = 0; dir < 2; ++dir)
      if (seamed[dir]) ResolveSeam(loop, at_pole, dir, domain[dir]);
    for (int side = 0; side < 4; ++side)
      if (singular[side]) ResolvePole(loop, side, domain);
  }

  ON_Mesh* TrimmedMesh(int fi, const ON_Surface& surface, std::string& failure) const {
    const ON_BrepFace& face = m_brep.m_F[fi];
    const on_detail::SurfaceShape shape = on_detail::SurfaceShape::Of(surface);
    const bool seamed[2] = {Seamed(surface, shape.closed[0], 0, kOpenLoop * m_size),
                            Seamed(surface, shape.closed[1], 1, kOpenLoop * m_size)};
    const on_detail::SurfacePullback pullback(surface, shape);
    std::vector<LoopPoint> boundary;
    std::vector<std::vector<int>> loops;
    for (int fli = 0; fli < face.LoopCount(); ++fli) {
      const ON_BrepLoop* loop = face.Loop(fli);
      if (!loop) {
        failure = "loop " + std::to_string(fli) + " is missing";
        return nullptr;
      }
      std::vector<LoopPoint> points = LoopPoints(*loop, failure);
      if (!failure.empty()) {
        failure = "loop " + std::to_string(fli) + ": " + failure;
        return nullptr;
      }
      // A hole of tiny edges only has shrunk to a point: nothing to cut out.
      if (points.size() == 1 && fli > 0 && loop->m_type == ON_BrepLoop::inner) continue;
      if (points.size() < 2) {
        failure = "loop " + std::to_string(fli) +
                  (loop->TrimCount() == 0 ? " has no trims" : " has shrunk to a point");
        return nullptr;
      }
      PullBack(points, surface, shape, seamed, pullback);
      std::vector<int>& indices = loops.emplace_back();
      for (const LoopPoint& point : points) {
        indices.push_back(static_cast<int>(boundary.size()));
        boundary.push_back(point);
      }
    }
    std::vector<Uv> uv;
    uv.reserve(boundary.size());
    for (const LoopPoint& point : boundary) {
      if (!std::isfinite(point.uv.u) || !std::isfinite(point.uv.v)) {
        failure = "its surface cannot be evaluated along its loops";
        return nullptr;
      }
      uv.push_back(point.uv);
    }
    const on_detail::TrimmedGrid grid = on_detail::CutGrid(GridOver(fi, uv), loops, uv);
    if (grid.overrun) {
      failure = "its loops cross more than " + std::to_string(on_detail::kMostCutSteps) +
                " grid cells for each node of its grid";
      return nullptr;
    }
    std::vector<std::array<int, 3>> triangles;
    // Corners in space: loop points where their edges put them, the others on the surface.
    std::vector<ON_3dPoint> corner;
    std::vector<bool> known;
    auto corner_at = [&](int k) {
      if (std::size_t(k) >= corner.size()) corner.resize(k + 1), known.resize(k + 1, false);
      if (!known[k])
        corner[k] =
            std::size_t(k) < boundary.size() ? boundary[k].p : surface.PointAt(uv[k].u, uv[k].v);
      known[k] = true;
      return corner[k];
    };
    // How far each loop point stands off the surface at its own parameters (its edge away from
    // the face); the other points lie on the surface.
    std::vector<double> gap(boundary.size());
    for (std::size_t k = 0; k < boundary.size(); ++k)
      gap[k] = boundary[k].p.DistanceTo(surface.PointAt(uv[k].u, uv[k].v));
    auto gap_at = [&](int k) { return std::size_t(k) < gap.size() ? gap[k] : 0.0; };
    on_detail::Refinement refinement;
    // A triangle whose corners stand off the surface stays that far off near them whatever is
    // inserted inside it, so only what lies beyond its corners' gaps counts: else the points
    // would pile up round an edge far from its face.
    refinement.deviation = [&](const std::array<int, 3>& t, const Uv& at, const double w[3]) {
      const ON_3dPoint a = corner_at(t[0]), b = corner_at(t[1]), c = corner_at(t[2]);
      const ON_3dPoint flat(w[0] * a.x + w[1] * b.x + w[2] * c.x,
                            w[0] * a.y + w[1] * b.y + w[2] * c.y,
                            w[0] * a.z + w[1] * b.z + w[2] * c.z);
      const double corners_off = w[0] * gap_at(t[0]) + w[1] * gap_at(t[1]) + w[2] * gap_at(t[2]);
      return surface.PointAt(at.u, at.v).DistanceTo(flat) - corners_off;
    };
    refinement.tolerance = Tolerance();
    refinement.most_points = std::size_t(m_most_points);
    switch (on_detail::TriangulateDomain(uv, grid.triangulated, loops, grid.borders, triangles,
                                         &refinement)) {
      case on_detail::DomainOutcome::triangulated:
        break;
      case on_detail::DomainOutcome::crossings:
        failure = "its loops cross one another more often than they have points";
        return nullptr;
      case on_detail::DomainOutcome::failed:
        failure = "its loops cannot be triangulated";
        return nullptr;
    }
    if (triangles.empty() && grid.quads.empty()) {
      failure = "its loops enclose no area on its surface";
      return nullptr;
    }
    return BuildMesh(face, surface, boundary, uv, triangles, grid.quads);
  }

  /// The grid over the loops' parameter box: the surface's grid cut to that box, with at least
  /// the minimum count across it and at most the most cells.
  on_detail::GridBox GridOver(int fi, const std::vector<Uv>& uv) const {
    double lo[2] = {uv[0].u, uv[0].v}, hi[2] = {uv[0].u, uv[0].v};
    for (const Uv& p : uv) {
      lo[0] = std::min(lo[0], p.u), hi[0] = std::max(hi[0], p.u);
      lo[1] = std::min(lo[1], p.v), hi[1] = std::max(hi[1], p.v);
    }
    const int least = static_cast<int>(std::ceil(std::sqrt(std::max(1, m_mp.m_grid_min_count))));
    on_detail::SpanGrid part[2];
    int cells[2];
    for (int dir = 0; dir < 2; ++dir) {
      part[dir] = m_grid[fi].spans[dir].Within(lo[dir], hi[dir]);
      cells[dir] = on_detail::CountWithin(part[dir].Needed(), least, on_detail::MostCells(m_mp));
    }
    on_detail::LimitCells(cells[0], cells[1], on_detail::MostCells(m_mp));
    on_detail::GridBox box;
    for (int dir = 0; dir < 2; ++dir) {
      part[dir].Spread(cells[dir]);
      box.lines[dir] = part[dir].Lines();
    }
    return box;
  }

  /// The mesh: loop points keep their edge points (one vertex for each place in space, so that
  /// the two sides of a seam and the two ends of a pole meet), other points are evaluated on the
  /// surface; triangles that collapse onto a pole are dropped, and so are points no triangle uses.
  ON_Mesh* BuildMesh(const ON_BrepFace& face, const ON_Surface& surface,
                     const std::vector<LoopPoint>& boundary, const std::vector<Uv>& uv,
                     const std::vector<std::array<int, 3>>& triangles,
                     const std::vector<std::array<int, 4>>& quads) const {
    auto mesh = std::make_unique<ON_Mesh>();
    std::vector<int> vertex(uv.size(), -1);
    std::unordered_map<ON_3dPoint, int, PointHash> boundary_vertex;
    mesh->m_dV.Reserve(static_cast<int>(uv.size()));
    mesh->m_V.Reserve(static_cast<int>(uv.size()));
    mesh->m_F.Reserve(static_cast<int>(triangles.size() + quads.size()));
    auto append = [&](const ON_3dPoint& p) {
      mesh->m_dV.Append(p);
      mesh->m_V.Append(ON_3fPoint(p));
      return mesh->VertexCount() - 1;
    };
    auto vertex_of = [&](int k) {
      if (vertex[k] >= 0) return vertex[k];
      if (std::size_t(k) < boundary.size()) {
        const auto [it, added] = boundary_vertex.try_emplace(boundary[k].p, -1);
        if (added) it->second = append(boundary[k].p);
        return vertex[k] = it->second;
      }
      return vertex[k] = append(surface.PointAt(uv[k].u, uv[k].v));
    };
    for (const std::array<int, 3>& t : triangles) {
      const int a = vertex_of(t[0]), b = vertex_of(t[1]), c = vertex_of(t[2]);
      if (a == b || b == c || c == a) continue;
      // Counter-clockwise in the parameters faces along the surface normal.
      if (face.m_bRev)
        mesh->SetTriangle(mesh->FaceCount(), a, c, b);
      else
        mesh->SetTriangle(mesh->FaceCount(), a, b, c);
    }
    for (const std::array<int, 4>& q : quads) {
      const int a = vertex_of(q[0]), b = vertex_of(q[1]), c = vertex_of(q[2]), d = vertex_of(q[3]);
      if (face.m_bRev)
        mesh->SetQuad(mesh->FaceCount(), a, d, c, b);
      else
        mesh->SetQuad(mesh->FaceCount(), a, b, c, d);
    }
    return mesh.release();
  }

  const ON_Brep& m_brep;
  const ON_MeshParameters& m_mp;
  const int m_most_points;  // on the loops of one face
  double m_size = 0.0;
  std::vector<std::string> m_failure;                  // per face: why it cannot be meshed
  std::vector<Grid> m_grid;                            // per face
  std::vector<std::vector<ON_3dPoint>> m_edge_points;  // per edge
};

}  // namespace

int ON_Brep::CreateMesh(const ON_MeshParameters& mp, ON_SimpleArray<ON_Mesh*>& meshes,
                        ON_ClassArray<ON_String>* failures) const {
  const BrepMesher mesher(*this, mp);
  int made = 0;
  std::string failure;
  for (int fi = 0; fi < FaceCount(); ++fi) {
    ON_Mesh* mesh = mesher.MeshFace(fi, failure);
    meshes.Append(mesh);
    if (mesh) ++made;
    if (failures) failures->Append(ON_String(failure.c_str()));
  }
  return made;
}
