// ON_SubD's render mesh: the control net refined with OpenSubdiv's Catmull-Clark scheme to a
// level chosen from the mesh parameters, every vertex then moved onto the limit surface.
#include <opensubdiv/far/error.h>
#include <opensubdiv/far/primvarRefiner.h>
#include <opensubdiv/far/topologyDescriptor.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <unordered_map>

#include "MeshDensity.h"
#include "opennurbs_subd.h"

namespace {

using namespace OpenSubdiv;

constexpr int kDeepestLevel = 6;              // 4096 cells out of one quad of the net
constexpr std::int64_t kMostQuads = 1 << 20;  // the brep mesher's own ceiling per face
constexpr std::int64_t kFacesPerBudget = 64;  // a SubD gets the cells of this many brep faces

/// A control point as the refiner combines them.
struct LimitPoint {
  double x, y, z;
  void Clear(void* = nullptr) { x = y = z = 0.0; }
  void AddWithWeight(const LimitPoint& p, double w) {
    x += w * p.x;
    y += w * p.y;
    z += w * p.z;
  }
};

std::uint64_t EdgeKey(int a, int b) {
  return (std::uint64_t(std::uint32_t(std::min(a, b))) << 32) | std::uint32_t(std::max(a, b));
}

/// The net as the refiner needs it checked: every face of three or more different points that
/// exist. False for any other net.
bool IsRefinable(const ON_SubD& subd) {
  const int count = int(subd.m_points.size());
  std::vector<bool> named(subd.m_points.size(), false);  // the points of the face at hand
  for (const std::vector<int>& face : subd.m_faces) {
    if (face.size() < 3) return false;
    bool twice = false;
    for (int i : face) {
      if (i < 0 || i >= count) return false;
      twice = twice || named[std::size_t(i)];
      named[std::size_t(i)] = true;
    }
    for (int i : face) named[std::size_t(i)] = false;
    if (twice) return false;
  }
  for (int c : subd.m_corners)
    if (c < 0 || c >= count) return false;
  return true;
}

/// The faces on each edge of the net (the first two, and how many there are).
struct EdgeFaces {
  int faces[2] = {-1, -1};
  int count = 0;
};
using EdgeMap = std::unordered_map<std::uint64_t, EdgeFaces>;

EdgeMap EdgesOf(const ON_SubD& subd) {
  EdgeMap edges;
  for (std::size_t f = 0; f < subd.m_faces.size(); ++f) {
    const std::vector<int>& face = subd.m_faces[f];
    for (std::size_t k = 0; k < face.size(); ++k) {
      EdgeFaces& edge = edges[EdgeKey(face[k], face[(k + 1) % face.size()])];
      if (edge.count < 2) edge.faces[edge.count] = int(f);
      ++edge.count;
    }
  }
  return edges;
}

/// The face's normal by Newell's sum (its length twice the area of a flat face); zero for a face
/// folded onto itself.
ON_3dVector NewellNormal(const ON_SubD& subd, const std::vector<int>& face) {
  ON_3dVector n(0, 0, 0);
  for (std::size_t k = 0; k < face.size(); ++k) {
    const ON_3dPoint& a = subd.m_points[std::size_t(face[k])];
    const ON_3dPoint& b = subd.m_points[std::size_t(face[(k + 1) % face.size()])];
    n.x += (a.y - b.y) * (a.z + b.z);
    n.y += (a.z - b.z) * (a.x + b.x);
    n.z += (a.x - b.x) * (a.y + b.y);
  }
  return n;
}

/// The largest angle (radians) between two faces of the net meeting at a smooth edge: how much
/// the surface bends across one face of the net.
double LargestBend(const ON_SubD& subd, const EdgeMap& edges) {
  std::vector<ON_3dVector> normals;
  normals.reserve(subd.m_faces.size());
  for (const std::vector<int>& face : subd.m_faces) normals.push_back(NewellNormal(subd, face));
  std::unordered_map<std::uint64_t, bool> sharp;
  for (const auto& [a, b] : subd.m_creases) sharp[EdgeKey(a, b)] = true;
  double largest = 0.0;
  for (const auto& [key, edge] : edges) {
    if (edge.count != 2 || sharp.count(key)) continue;
    const ON_3dVector& n0 = normals[std::size_t(edge.faces[0])];
    const ON_3dVector& n1 = normals[std::size_t(edge.faces[1])];
    const double lengths = n0.Length() * n1.Length();
    if (!(lengths > 0.0)) continue;
    const double cosine = std::clamp(on_detail::Dot(n0, n1) / lengths, -1.0, 1.0);
    largest = std::max(largest, std::acos(cosine));
  }
  return largest;
}

/// The quads of one refinement: an n-sided face splits into n.
std::int64_t QuadsAtLevelOne(const ON_SubD& subd) {
  std::int64_t quads = 0;
  for (const std::vector<int>& face : subd.m_faces) quads += std::int64_t(face.size());
  return quads;
}

int ChooseLevel(const ON_SubD& subd, const ON_MeshParameters& mp, const EdgeMap& edges) {
  const std::int64_t budget =
      std::min(kMostQuads, kFacesPerBudget * std::int64_t(on_detail::MostCells(mp)));
  const std::int64_t quads = QuadsAtLevelOne(subd);
  if (quads == 0 || quads > budget) return 0;
  int level = 1;
  while (level < kDeepestLevel && (std::int64_t(1) << (2 * level)) < mp.m_grid_min_count) ++level;
  if (mp.m_refine_angle > 0.0) {
    const double bend = LargestBend(subd, edges);
    while (level < kDeepestLevel && bend / double(1 << level) > mp.m_refine_angle) ++level;
  }
  while (level > 1 && (quads << (2 * (level - 1))) > budget) --level;
  return level;
}

/// The refiner's messages are not the user's business: a net it refuses falls back to itself.
void Quiet(Far::ErrorType, const char*) {}

std::unique_ptr<Far::TopologyRefiner> MakeRefiner(const ON_SubD& subd, const EdgeMap& edges) {
  std::vector<int> sizes, indices, creasePairs, corners(subd.m_corners);
  for (const std::vector<int>& face : subd.m_faces) {
    sizes.push_back(int(face.size()));
    indices.insert(indices.end(), face.begin(), face.end());
  }
  for (const auto& [a, b] : subd.m_creases)
    if (a != b && edges.count(EdgeKey(a, b))) creasePairs.insert(creasePairs.end(), {a, b});
  const std::vector<float> creaseWeights(creasePairs.size() / 2, Sdc::Crease::SHARPNESS_INFINITE);
  const std::vector<float> cornerWeights(corners.size(), Sdc::Crease::SHARPNESS_INFINITE);

  Far::TopologyDescriptor net;
  net.numVertices = int(subd.m_points.size());
  net.numFaces = int(sizes.size());
  net.numVertsPerFace = sizes.data();
  net.vertIndicesPerFace = indices.data();
  net.numCreases = int(creaseWeights.size());
  net.creaseVertexIndexPairs = creasePairs.data();
  net.creaseWeights = creaseWeights.data();
  net.numCorners = int(corners.size());
  net.cornerVertexIndices = corners.data();
  net.cornerWeights = cornerWeights.data();

  // Boundary edges are sharp; boundary points become sharp corners only when tagged so.
  Sdc::Options rules;
  rules.SetVtxBoundaryInterpolation(Sdc::Options::VTX_BOUNDARY_EDGE_ONLY);
  using Factory = Far::TopologyRefinerFactory<Far::TopologyDescriptor>;
  static const bool quiet = (Far::SetErrorCallback(Quiet), true);
  (void)quiet;
  return std::unique_ptr<Far::TopologyRefiner>(
      Factory::Create(net, Factory::Options(Sdc::SCHEME_CATMARK, rules)));
}

/// The refined quads with their vertices on the limit surface.
ON_Mesh* LimitMesh(const ON_SubD& subd, Far::TopologyRefiner& refiner, int level) {
  Far::TopologyRefiner::UniformOptions uniform(level);
  uniform.fullTopologyInLastLevel = true;  // the limit needs the last level's edges and faces
  refiner.RefineUniform(uniform);
  const Far::PrimvarRefinerReal<double> primvars(refiner);
  std::vector<LimitPoint> points, finer;
  points.reserve(subd.m_points.size());
  for (const ON_3dPoint& p : subd.m_points) points.push_back({p.x, p.y, p.z});
  for (int l = 1; l <= level; ++l) {
    finer.resize(std::size_t(refiner.GetLevel(l).GetNumVertices()));
    primvars.Interpolate(l, points, finer);
    points.swap(finer);
  }
  std::vector<LimitPoint> limit(points.size());
  primvars.Limit(points, limit);

  auto* mesh = new ON_Mesh;
  mesh->m_V.Reserve(int(limit.size()));
  mesh->m_dV.Reserve(int(limit.size()));
  for (const LimitPoint& p : limit) {
    mesh->m_dV.Append(ON_3dPoint(p.x, p.y, p.z));
    mesh->m_V.Append(ON_3fPoint(float(p.x), float(p.y), float(p.z)));
  }
  const Far::TopologyLevel& last = refiner.GetLevel(level);
  mesh->m_F.Reserve(last.GetNumFaces());
  for (int f = 0; f < last.GetNumFaces(); ++f) {
    const Far::ConstIndexArray v = last.GetFaceVertices(f);
    mesh->SetQuad(mesh->FaceCount(), v[0], v[1], v[2], v[3]);  // every refined face is a quad
  }
  return mesh;
}

/// The control net as a mesh: triangles and quads as they are, larger faces as fans of
/// triangles; faces naming points the net does not have are left out.
ON_Mesh* ControlNetMesh(const ON_SubD& subd) {
  auto* mesh = new ON_Mesh;
  for (const ON_3dPoint& p : subd.m_points) mesh->AppendVertex(p);
  for (const std::vector<int>& face : subd.m_faces) {
    if (face.size() == 4) {
      mesh->SetQuad(mesh->FaceCount(), face[0], face[1], face[2], face[3]);
      continue;
    }
    for (std::size_t k = 1; k + 1 < face.size(); ++k)
      mesh->SetTriangle(mesh->FaceCount(), face[0], face[k], face[k + 1]);
  }
  return mesh;
}

}  // namespace

int ON_SubD::RenderMeshLevel(const ON_MeshParameters& parameters) const {
  if (!IsRefinable(*this)) return 0;
  return ChooseLevel(*this, parameters, EdgesOf(*this));
}

ON_Mesh* ON_SubD::CreateRenderMesh(const ON_MeshParameters& parameters) const {
  if (m_faces.empty()) return nullptr;
  if (!IsRefinable(*this)) return ControlNetMesh(*this);
  const EdgeMap edges = EdgesOf(*this);
  const int level = ChooseLevel(*this, parameters, edges);
  if (level == 0) return ControlNetMesh(*this);
  const std::unique_ptr<Far::TopologyRefiner> refiner = MakeRefiner(*this, edges);
  if (!refiner) return ControlNetMesh(*this);
  return LimitMesh(*this, *refiner, level);
}
