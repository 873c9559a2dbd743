// How far two meshes of one object lie apart: the area ratio, the two-sided distance between
// them (its largest value and 99th percentile over points sampled evenly on both), triangles
// turned the wrong way, and whether each is closed.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "TriangleSet.h"

/// What one mesh of an object is measured against the other ("ours" against "host"), distances
/// in the objects' units.
struct MeshMeasures {
  std::size_t hostTriangles = 0;
  std::size_t ourTriangles = 0;
  double hostArea = 0.0;
  double ourArea = 0.0;
  /// The diagonal of the box around the host's points: the measure distances are given in.
  double diagonal = 0.0;
  /// The largest distance from a sample of either mesh to the other, and the distance that 99%
  /// of the area of both (each mesh counted on its own, the larger of the two) stays within.
  double maxDistance = 0.0;
  double p99Distance = 0.0;
  /// Our triangles whose normal (by the right hand) points away from that of the host's
  /// triangle nearest to their centre on the same face (a negative dot product).
  std::size_t flipped = 0;
  /// The first few flipped triangles: their face and centre.
  std::vector<std::pair<int, ON_3dPoint>> flippedAt;
  std::size_t hostOpenEdges = 0;
  std::size_t ourOpenEdges = 0;

  /// Per face (part) that either mesh has: the largest distance from that face's samples of
  /// either mesh to the other mesh (0 for a face neither has).
  std::vector<double> faceMaxDistance;
  /// Per face: where that largest distance was found, and whether on the host's mesh.
  std::vector<ON_3dPoint> faceWorstPoint;
  std::vector<bool> faceWorstOnHost;
  /// Per face: triangles of each mesh.
  std::vector<std::size_t> faceHostTriangles, faceOurTriangles;

  double AreaRatio() const { return hostArea > 0 ? ourArea / hostArea : 0.0; }
  /// Distances as percentages of the diagonal.
  double MaxPercent() const { return diagonal > 0 ? 100.0 * maxDistance / diagonal : 0.0; }
  double P99Percent() const { return diagonal > 0 ? 100.0 * p99Distance / diagonal : 0.0; }
};

/// The spacing of the samples: a thousandth of the diagonal, or wider where that would give one
/// mesh more than about a million samples. Each triangle gets points about this far apart, its
/// corners and sides included.
double SampleSpacing(const TriangleSet& mesh, double diagonal);

/// Measures `ours` against `host`; faces are the sets' parts. Either may be empty (its
/// distances are then 0 and its area 0).
MeshMeasures CompareMeshes(const TriangleSet& ours, const TriangleSet& host);
