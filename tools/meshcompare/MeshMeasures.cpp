// Sampling both meshes, the distances of the samples to the other mesh, flipped triangles.
#include "MeshMeasures.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "NearestTriangle.h"

namespace {

// Rows of samples per triangle and samples per row at most, so that one triangle cannot take all
// the work.
constexpr int kMostSteps = 1024;
constexpr double kSamplesPerMesh = 1.0e6;

struct Sample {
  double distance;
  double weight;  // the area the sample stands for
};

/// Calls `visit` with points of triangle `a b c` at most about `spacing` apart: rows parallel to
/// its longest side, from that side to the opposite corner, each row's ends included; so the
/// corners and sides are sampled, and the count follows the area rather than the longest side.
template <typename Visit>
void SampleTriangle(const ON_3dPoint& a, const ON_3dPoint& b, const ON_3dPoint& c, double spacing,
                    Visit&& visit) {
  // Put the longest side first: from p0 to p1, with p2 the corner across it.
  const ON_3dPoint* corners[3] = {&a, &b, &c};
  int first = 0;
  double longest = -1.0;
  for (int k = 0; k < 3; ++k) {
    const double length = (*corners[(k + 1) % 3] - *corners[k]).Length();
    if (length > longest) longest = length, first = k;
  }
  const ON_3dPoint& p0 = *corners[first];
  const ON_3dPoint& p1 = *corners[(first + 1) % 3];
  const ON_3dPoint& p2 = *corners[(first + 2) % 3];
  const double height = longest > 0 ? ON_CrossProduct(p1 - p0, p2 - p0).Length() / longest : 0.0;
  const int rows = std::clamp(static_cast<int>(std::ceil(height / spacing)), 1, kMostSteps);
  for (int r = 0; r <= rows; ++r) {
    const double t = static_cast<double>(r) / rows;
    const ON_3dPoint from = p0 + (p2 - p0) * t, to = p1 + (p2 - p1) * t;
    const int steps =
        std::clamp(static_cast<int>(std::ceil(longest * (1.0 - t) / spacing)), 1, kMostSteps);
    for (int s = 0; s <= (r == rows ? 0 : steps); ++s)
      visit(from + (to - from) * (static_cast<double>(s) / steps));
  }
}

/// Samples every triangle of `from` and measures the distance of each sample to `to`; keeps the
/// largest distance per face in `m` (with `onHost` saying which mesh `from` is).
std::vector<Sample> SampleDistances(const TriangleSet& from, const NearestTriangle& to,
                                    double spacing, bool onHost, MeshMeasures& m) {
  std::vector<Sample> samples;
  if (to.Empty()) return samples;
  long hint = -1;  // the triangle nearest to the sample before
  for (std::size_t t = 0; t < from.TriangleCount(); ++t) {
    const std::size_t first = samples.size();
    const auto part = static_cast<std::size_t>(from.Part(t));
    SampleTriangle(from.Corner(t, 0), from.Corner(t, 1), from.Corner(t, 2), spacing,
                   [&](const ON_3dPoint& p) {
                     NearestTriangle::Hit hit;
                     to.Find(p, hit, hint);
                     hint = static_cast<long>(hit.triangle);
                     samples.push_back({hit.distance, 0.0});
                     if (hit.distance <= m.faceMaxDistance[part]) return;
                     m.faceMaxDistance[part] = hit.distance;
                     m.faceWorstPoint[part] = p;
                     m.faceWorstOnHost[part] = onHost;
                   });
    const double weight =
        0.5 * from.AreaVector(t).Length() / static_cast<double>(samples.size() - first);
    for (std::size_t s = first; s < samples.size(); ++s) samples[s].weight = weight;
  }
  return samples;
}

/// The least distance that samples holding `share` of the whole weight stay within.
double WeightedPercentile(std::vector<Sample>& samples, double share) {
  if (samples.empty()) return 0.0;
  std::sort(samples.begin(), samples.end(),
            [](const Sample& a, const Sample& b) { return a.distance < b.distance; });
  double total = 0.0;
  for (const Sample& s : samples) total += s.weight;
  double sum = 0.0;
  for (const Sample& s : samples) {
    sum += s.weight;
    if (sum >= share * total) return s.distance;
  }
  return samples.back().distance;
}

double Largest(const std::vector<Sample>& samples) {
  double largest = 0.0;
  for (const Sample& s : samples) largest = std::max(largest, s.distance);
  return largest;
}

int PartCount(const TriangleSet& a, const TriangleSet& b) {
  int parts = 0;
  for (const TriangleSet* set : {&a, &b})
    for (std::size_t t = 0; t < set->TriangleCount(); ++t)
      parts = std::max(parts, set->Part(t) + 1);
  return parts;
}

// Flipped triangles whose place is kept for the report.
constexpr std::size_t kFlippedShown = 8;

/// Counts our triangles facing away from the host's nearest triangle of the same face.
void FlippedTriangles(const TriangleSet& ours, const TriangleSet& host, int parts,
                      MeshMeasures& m) {
  for (int part = 0; part < parts; ++part) {
    const NearestTriangle nearest(host, part);
    if (nearest.Empty()) continue;
    for (std::size_t t = 0; t < ours.TriangleCount(); ++t) {
      if (ours.Part(t) != part) continue;
      const ON_3dVector normal = ours.AreaVector(t);
      if (!(normal.Length() > 0)) continue;
      const ON_3dPoint centre = ours.Corner(t, 0) + ((ours.Corner(t, 1) - ours.Corner(t, 0)) +
                                                     (ours.Corner(t, 2) - ours.Corner(t, 0))) *
                                                        (1.0 / 3.0);
      NearestTriangle::Hit hit;
      if (!nearest.Find(centre, hit)) continue;
      if (!(ON_DotProduct(normal, host.AreaVector(hit.triangle)) < 0)) continue;
      if (++m.flipped <= kFlippedShown) m.flippedAt.emplace_back(part, centre);
    }
  }
}

}  // namespace

double SampleSpacing(const TriangleSet& mesh, double diagonal) {
  const double area = mesh.Area();
  // A lattice of spacing h puts about 2 area / h^2 points on a surface of that area.
  const double widest = std::sqrt(2.0 * area / kSamplesPerMesh);
  const double spacing = std::max(diagonal / 1000.0, widest);
  return spacing > 0 && std::isfinite(spacing) ? spacing : 1.0;
}

MeshMeasures CompareMeshes(const TriangleSet& ours, const TriangleSet& host) {
  MeshMeasures m;
  m.hostTriangles = host.TriangleCount();
  m.ourTriangles = ours.TriangleCount();
  m.hostArea = host.Area();
  m.ourArea = ours.Area();
  const ON_BoundingBox box = host.Box();
  m.diagonal = box.IsValid() ? (box.m_max - box.m_min).Length() : 0.0;
  m.hostOpenEdges = host.OpenEdgeCount();
  m.ourOpenEdges = ours.OpenEdgeCount();
  const int parts = PartCount(ours, host);
  m.faceMaxDistance.assign(static_cast<std::size_t>(parts), 0.0);
  m.faceWorstPoint.assign(static_cast<std::size_t>(parts), ON_3dPoint());
  m.faceWorstOnHost.assign(static_cast<std::size_t>(parts), false);
  m.faceHostTriangles.assign(static_cast<std::size_t>(parts), 0);
  m.faceOurTriangles.assign(static_cast<std::size_t>(parts), 0);
  for (std::size_t t = 0; t < host.TriangleCount(); ++t)
    ++m.faceHostTriangles[static_cast<std::size_t>(host.Part(t))];
  for (std::size_t t = 0; t < ours.TriangleCount(); ++t)
    ++m.faceOurTriangles[static_cast<std::size_t>(ours.Part(t))];

  const double spacing = std::max(SampleSpacing(ours, m.diagonal), SampleSpacing(host, m.diagonal));
  const NearestTriangle toHost(host), toOurs(ours);
  std::vector<Sample> fromOurs = SampleDistances(ours, toHost, spacing, false, m);
  std::vector<Sample> fromHost = SampleDistances(host, toOurs, spacing, true, m);
  m.maxDistance = std::max(Largest(fromOurs), Largest(fromHost));
  m.p99Distance = std::max(WeightedPercentile(fromOurs, 0.99), WeightedPercentile(fromHost, 0.99));
  FlippedTriangles(ours, host, parts, m);
  return m;
}
