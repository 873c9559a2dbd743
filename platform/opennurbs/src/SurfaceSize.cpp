// Surface sizes: how wide and high a surface is, approximately, for texture sizes and mesh
// densities.
#include <algorithm>
#include <cmath>

#include "opennurbs_surface.h"

namespace {

/// Length of the polyline through `segments` + 1 points of the iso curve point(t), t from 0 to 1.
template <class IsoCurve>
double PolylineLength(IsoCurve point, int segments) {
  double length = 0.0;
  ON_3dPoint previous = point(0.0);
  for (int k = 1; k <= segments; ++k) {
    const ON_3dPoint next = point(static_cast<double>(k) / segments);
    length += previous.DistanceTo(next);
    previous = next;
  }
  return length;
}

}  // namespace

bool ON_Surface::GetSurfaceSize(double* width, double* height) const {
  // Each size is the longest of three iso curves (both edges and the middle), as polylines.
  constexpr int kSegments = 32;
  const ON_Interval u = Domain(0), v = Domain(1);
  double size[2] = {0.0, 0.0};
  for (double across : {0.0, 0.5, 1.0}) {
    const double at_v = v.ParameterAt(across), at_u = u.ParameterAt(across);
    size[0] = std::max(
        size[0],
        PolylineLength([&](double x) { return PointAt(u.ParameterAt(x), at_v); }, kSegments));
    size[1] = std::max(
        size[1],
        PolylineLength([&](double x) { return PointAt(at_u, v.ParameterAt(x)); }, kSegments));
  }
  if (width) *width = size[0];
  if (height) *height = size[1];
  return size[0] > 0.0 || size[1] > 0.0;
}

bool ON_PlaneSurface::GetSurfaceSize(double* width, double* height) const {
  const double w = std::fabs(m_extents[0].Length()) * m_x_axis.Length();
  const double h = std::fabs(m_extents[1].Length()) * m_y_axis.Length();
  if (width) *width = w;
  if (height) *height = h;
  return w > 0.0 || h > 0.0;
}
