// How finely surfaces and edges are cut for render meshes: grid sizes from the mesh parameters and
// the surface's size and curvature, parameters along edge curves, and the plain quad grid.
#pragma once

#include <vector>

#include "opennurbs_brep.h"

namespace on_detail {

inline double Dot(const ON_3dVector& a, const ON_3dVector& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline ON_3dVector Cross(const ON_3dVector& a, const ON_3dVector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

/// The most grid cells one face may get: mp.m_grid_max_count, or 2^20 when that is 0.
int MostCells(const ON_MeshParameters& mp);

/// Shrinks nu and nv by the same factor (keeping at least one each) until nu · nv <= most.
void LimitCells(int& nu, int& nv, int most);

/// The number of grid cells in u and v for meshing the whole surface with mp: each span cut by
/// its curvature (or into degree cells without a refine angle), at least the minimum count, cells
/// within the aspect ratio, and at most MostCells(mp) cells.
void GridSize(const ON_Surface& surface, const ON_MeshParameters& mp, int& nu, int& nv);

/// The surface sampled on an (nu + 1) × (nv + 1) grid over its whole domain, one quad per cell;
/// the caller owns the mesh.
ON_Mesh* GridMesh(const ON_Surface& surface, int nu, int nv);

/// Increasing parameters along the curve from its start to its end, both included: every span
/// boundary, and more points in each span where it bends (by mp's refine angle) or is longer than
/// target_length (ignored when not greater than 0), spaced evenly along its length.
std::vector<double> EdgeParameters(const ON_Curve& curve, const ON_MeshParameters& mp,
                                   double target_length);

}  // namespace on_detail
