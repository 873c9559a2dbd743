// The constrained Delaunay triangulation of a face's domain, by the triangulation library.
#include "DomainTriangulation.h"

#include <CGAL/Constrained_Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Triangulation_face_base_with_info_2.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>

#include <unordered_map>
#include <utility>

namespace on_detail {

namespace {

struct VertexInfo {
  int index = -1;  // into the caller's points; -1 for a crossing the triangulation made
};

struct FaceInfo {
  int depth = -1;  // loops crossed from outside; -1 until reached
  // The corners (vertex addresses, which insertions and flips never change) the face had when
  // its samples were last found within the tolerance: while it keeps them, they still are.
  std::array<const void*, 3> settled = {};
};

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using VertexBase = CGAL::Triangulation_vertex_base_with_info_2<VertexInfo, Kernel>;
using FaceBase = CGAL::Constrained_triangulation_face_base_2<
    Kernel, CGAL::Triangulation_face_base_with_info_2<FaceInfo, Kernel>>;
using Structure = CGAL::Triangulation_data_structure_2<VertexBase, FaceBase>;
// Exact predicates let crossing loop segments be split rather than refused.
using Triangulation =
    CGAL::Constrained_Delaunay_triangulation_2<Kernel, Structure, CGAL::Exact_predicates_tag>;
using Point = Kernel::Point_2;

struct PairHash {
  std::size_t operator()(const std::pair<double, double>& p) const {
    return std::hash<double>()(p.first) * 31 + std::hash<double>()(p.second);
  }
};

/// Gives every face its depth: 0 outside everything, and one more across each loop segment.
void MarkDepths(Triangulation& triangulation) {
  for (auto face = triangulation.all_faces_begin(); face != triangulation.all_faces_end(); ++face)
    face->info().depth = -1;
  std::vector<Triangulation::Edge> borders;
  std::vector<Triangulation::Face_handle> queue;
  auto flood = [&](Triangulation::Face_handle start, int depth) {
    queue.assign(1, start);
    while (!queue.empty()) {
      Triangulation::Face_handle face = queue.back();
      queue.pop_back();
      if (face->info().depth != -1) continue;
      face->info().depth = depth;
      for (int i = 0; i < 3; ++i) {
        Triangulation::Face_handle next = face->neighbor(i);
        if (next->info().depth != -1) continue;
        if (triangulation.is_constrained(Triangulation::Edge(face, i)))
          borders.emplace_back(face, i);
        else
          queue.push_back(next);
      }
    }
  };
  flood(triangulation.infinite_face(), 0);
  // Breadth by depth is not needed: a border's far side is reached only through a border.
  while (!borders.empty()) {
    const Triangulation::Edge border = borders.back();
    borders.pop_back();
    Triangulation::Face_handle next = border.first->neighbor(border.second);
    if (next->info().depth == -1) flood(next, border.first->info().depth + 1);
  }
}

/// The caller's point nearest to the crossing v along the segments through it (the loops' own
/// points; any neighbour when none is), or -1 when it has no neighbour of the caller's.
int NearestGiven(const Triangulation& triangulation, Triangulation::Vertex_handle v) {
  int nearest = -1;
  bool along = false;
  double best = 0.0;
  auto edge = triangulation.incident_edges(v), done = edge;
  do {
    if (triangulation.is_infinite(edge)) continue;
    const Triangulation::Face_handle face = edge->first;
    const int i = edge->second;
    Triangulation::Vertex_handle other = face->vertex(Triangulation::cw(i));
    if (other == v) other = face->vertex(Triangulation::ccw(i));
    if (other->info().index < 0) continue;
    const bool constrained = triangulation.is_constrained(*edge);
    const double d = CGAL::squared_distance(other->point(), v->point());
    if (nearest < 0 || (constrained && !along) || (constrained == along && d < best)) {
      nearest = other->info().index;
      along = constrained;
      best = d;
    }
  } while (++edge != done);
  return nearest;
}

/// The parameters of the sample of a triangle farthest off the surface beyond the tolerance
/// (its centroid, or the midpoint of a side no constraint runs along), or false when none is.
bool FarthestSample(const Triangulation& triangulation, Triangulation::Face_handle face,
                    const Refinement& refinement, Uv& farthest) {
  std::array<int, 3> corners;
  Uv at[3];
  for (int i = 0; i < 3; ++i) {
    corners[i] = face->vertex(i)->info().index;
    if (corners[i] < 0) return false;
    at[i] = {face->vertex(i)->point().x(), face->vertex(i)->point().y()};
  }
  double worst = refinement.tolerance;
  bool found = false;
  auto sample = [&](const double w[3]) {
    const Uv uv{w[0] * at[0].u + w[1] * at[1].u + w[2] * at[2].u,
                w[0] * at[0].v + w[1] * at[1].v + w[2] * at[2].v};
    const double d = refinement.deviation(corners, uv, w);
    if (d > worst) worst = d, farthest = uv, found = true;
  };
  // Sides along loops and borders stay as they are: where their own chords stand off the
  // surface, points inside would only pile up towards them.
  bool free[3];
  for (int i = 0; i < 3; ++i) {
    // Side i lies opposite corner i.
    free[i] = !triangulation.is_constrained(Triangulation::Edge(face, i));
    double w[3] = {0.5, 0.5, 0.5};
    w[i] = 0.0;
    if (!free[i]) {
      const Uv mid{w[0] * at[0].u + w[1] * at[1].u + w[2] * at[2].u,
                   w[0] * at[0].v + w[1] * at[1].v + w[2] * at[2].v};
      worst = std::max(worst, refinement.deviation(corners, mid, w));
    }
  }
  const double third[3] = {1.0 / 3, 1.0 / 3, 1.0 / 3};
  sample(third);
  for (int i = 0; i < 3; ++i) {
    if (!free[i]) continue;
    double w[3] = {0.5, 0.5, 0.5};
    w[i] = 0.0;
    sample(w);
  }
  return found;
}

std::array<const void*, 3> Corners(Triangulation::Face_handle face) {
  return {&*face->vertex(0), &*face->vertex(1), &*face->vertex(2)};
}

/// Adds the farthest samples of the triangles inside the domain as points, round after round,
/// within the refinement's bounds. Triangles found within the tolerance are not sampled again
/// while they keep their corners: a round then costs what its new triangles cost.
void Refine(Triangulation& triangulation, const Refinement& refinement, std::vector<Uv>& points) {
  std::size_t added = 0;
  std::vector<Uv> wanted;
  for (int round = 0; round < refinement.most_rounds && added < refinement.most_points; ++round) {
    wanted.clear();
    for (auto face = triangulation.finite_faces_begin(); face != triangulation.finite_faces_end();
         ++face) {
      if (face->info().depth % 2 == 0 || face->info().settled == Corners(face)) continue;
      Uv farthest;
      if (FarthestSample(triangulation, face, refinement, farthest))
        wanted.push_back(farthest);
      else
        face->info().settled = Corners(face);
    }
    if (wanted.empty()) return;
    for (const Uv& uv : wanted) {
      if (added >= refinement.most_points) break;
      const Triangulation::Vertex_handle v = triangulation.insert(Point(uv.u, uv.v));
      if (v->info().index >= 0) continue;  // a point already there
      v->info().index = static_cast<int>(points.size());
      points.push_back(uv);
      ++added;
    }
    MarkDepths(triangulation);
  }
}

}  // namespace

DomainOutcome TriangulateDomain(std::vector<Uv>& points, std::size_t count,
                                const std::vector<std::vector<int>>& loops,
                                const std::vector<std::array<int, 2>>& borders,
                                std::vector<std::array<int, 3>>& triangles,
                                const Refinement* refinement) {
  const std::size_t kept = triangles.size();
  const std::size_t given = points.size();
  try {
    // Points with equal coordinates become one vertex, named by the first of them.
    std::vector<int> first(count);
    std::unordered_map<std::pair<double, double>, int, PairHash> seen;
    std::vector<std::pair<Point, VertexInfo>> unique;
    seen.reserve(count);
    unique.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
      const auto [it, added] = seen.try_emplace({points[i].u, points[i].v}, int(i));
      first[i] = it->second;
      if (added) unique.push_back({Point(points[i].u, points[i].v), VertexInfo{int(i)}});
    }
    Triangulation triangulation;
    triangulation.insert(unique.begin(), unique.end());
    std::vector<Triangulation::Vertex_handle> handle(count);
    // Points on one line bound nothing (and make a triangulation without faces).
    if (triangulation.dimension() < 2) return DomainOutcome::triangulated;
    for (auto v = triangulation.finite_vertices_begin(); v != triangulation.finite_vertices_end();
         ++v)
      handle[v->info().index] = v;
    const std::size_t most_vertices = unique.size() + count;
    auto constrain = [&](int a, int b) {
      if (handle[first[a]] == handle[first[b]]) return true;
      triangulation.insert_constraint(handle[first[a]], handle[first[b]]);
      return triangulation.number_of_vertices() <= most_vertices;
    };
    for (const std::vector<int>& loop : loops)
      for (std::size_t k = 0; k < loop.size(); ++k)
        if (!constrain(loop[k], loop[(k + 1) % loop.size()])) return DomainOutcome::crossings;
    for (const std::array<int, 2>& border : borders)
      if (!constrain(border[0], border[1])) return DomainOutcome::crossings;
    MarkDepths(triangulation);
    for (auto v = triangulation.finite_vertices_begin(); v != triangulation.finite_vertices_end();
         ++v)
      if (v->info().index < 0) v->info().index = NearestGiven(triangulation, v);
    if (refinement) Refine(triangulation, *refinement, points);
    for (auto face = triangulation.finite_faces_begin(); face != triangulation.finite_faces_end();
         ++face) {
      if (face->info().depth % 2 == 0) continue;
      std::array<int, 3> triangle;
      for (int i = 0; i < 3; ++i) {
        VertexInfo& info = face->vertex(i)->info();
        if (info.index < 0) {
          const Point& p = face->vertex(i)->point();
          info.index = static_cast<int>(points.size());
          points.push_back({p.x(), p.y()});
        }
        triangle[i] = info.index;
      }
      // A triangle at a crossing that became one of its neighbours has collapsed.
      if (triangle[0] == triangle[1] || triangle[1] == triangle[2] || triangle[2] == triangle[0])
        continue;
      triangles.push_back(triangle);
    }
    return DomainOutcome::triangulated;
  } catch (const CGAL::Failure_exception&) {
    triangles.resize(kept);
    points.resize(given);
    return DomainOutcome::failed;
  }
}

}  // namespace on_detail
