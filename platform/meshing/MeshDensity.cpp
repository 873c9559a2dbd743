// Grid sizes and edge divisions for the render-mesh makers.
#include "MeshDensity.h"

#include <algorithm>
#include <cmath>

namespace on_detail {

namespace {

// A sliver with a strict aspect ratio could otherwise ask for any number of cells.
constexpr int kMostCells = 1 << 20;
// Points on one edge, at most.
constexpr int kMostEdgePoints = 1 << 16;

/// The angle between two directions; 0 when either is the zero vector.
double Angle(const ON_3dVector& a, const ON_3dVector& b) {
  const double la = a.Length(), lb = b.Length();
  if (!(la > 0.0) || !(lb > 0.0)) return 0.0;
  return std::atan2(Cross(a, b).Length(), Dot(a, b));
}

/// How far the surface bends over a span and how far a chord across it could stand off it.
struct Bend {
  double turn = 0.0;  // radians
  double sag = 0.0;   // length² times the sharpest curvature: a chord over 1 / n of the span
                      // stands about sag / (8 n²) off it
};

/// How far the surface bends over the span [a, b] of direction dir: along three iso curves
/// across the domain, the larger of the turn of the iso curve's tangent and of the surface normal.
Bend SpanBend(const ON_Surface& surface, int dir, double a, double b) {
  const ON_Interval across = surface.Domain(1 - dir);
  Bend most;
  for (double x : {0.0, 0.5, 1.0}) {
    const double at = across.ParameterAt(x);
    double tangent_turn = 0.0, normal_turn = 0.0, length = 0.0, sharpest = 0.0;
    ON_3dPoint last_point;
    ON_3dVector last_tangent, last_normal;
    for (int k = 0; k <= kProbes; ++k) {
      const double t = a + (b - a) * k / kProbes;
      ON_3dPoint p;
      ON_3dVector du, dv;
      if (!(dir == 0 ? surface.Ev1Der(t, at, p, du, dv) : surface.Ev1Der(at, t, p, du, dv)))
        return {};
      const ON_3dVector tangent = dir == 0 ? du : dv, normal = Cross(du, dv);
      if (k > 0) {
        const double tangent_step = Angle(last_tangent, tangent);
        const double normal_step = Angle(last_normal, normal);
        const double turn = std::max(tangent_step, normal_step);
        const double piece = p.DistanceTo(last_point);
        tangent_turn += tangent_step;
        normal_turn += normal_step;
        length += piece;
        if (piece > 0.0) sharpest = std::max(sharpest, turn / piece);
      }
      last_point = p;
      last_tangent = tangent;
      last_normal = normal;
    }
    most.turn = std::max({most.turn, tangent_turn, normal_turn});
    most.sag = std::max(most.sag, length * length * sharpest);
  }
  return most;
}

/// The spans of one direction and the cells each needs, before the size rules.
SpanGrid SpanNeeds(const ON_Surface& surface, int dir, const ON_MeshParameters& mp,
                   double tolerance) {
  const int spans = std::max(1, surface.SpanCount(dir));
  const int degree = std::max(1, surface.Degree(dir));
  SpanGrid grid;
  grid.bounds.resize(spans + 1);
  if (!surface.GetSpanVector(dir, grid.bounds.data())) {
    // Spans unknown: one span needing what they all would.
    const ON_Interval domain = surface.Domain(dir);
    grid.bounds = {domain[0], domain[1]};
    grid.needs = {CountWithin(double(spans) * degree, 1, kMostCells)};
    return grid;
  }
  grid.needs.assign(spans, degree);
  // A plane does not bend.
  if (dynamic_cast<const ON_PlaneSurface*>(&surface))
    grid.needs.assign(spans, 1);
  else if (mp.m_refine_angle > 0.0 || tolerance > 0.0)
    for (int s = 0; s < spans; ++s) {
      const Bend bend = SpanBend(surface, dir, grid.bounds[s], grid.bounds[s + 1]);
      double cells = mp.m_refine_angle > 0.0 ? bend.turn / mp.m_refine_angle : degree;
      // Half the tolerance for each direction: a cell's diagonal sags by both.
      if (tolerance > 0.0) cells = std::max(cells, std::sqrt(bend.sag / (4.0 * tolerance)));
      grid.needs[s] = CountWithin(cells, 1, kMostCells);
    }
  return grid;
}

/// Real shares x[s] = max(floor[s], lambda · weight[s]) adding up to total (weights > 0, floors
/// adding up to at most total): the spans leave their floors in the order of floor / weight.
std::vector<double> Shares(const std::vector<double>& floor, const std::vector<double>& weight,
                           double total) {
  const std::size_t spans = weight.size();
  std::vector<std::size_t> order(spans);
  for (std::size_t s = 0; s < spans; ++s) order[s] = s;
  auto ratio = [&](std::size_t s) { return floor[s] / weight[s]; };
  std::sort(order.begin(), order.end(), [&](auto a, auto b) { return ratio(a) < ratio(b); });
  double fixed = 0.0, free = 0.0, lambda = 0.0;
  for (double f : floor) fixed += f;
  for (std::size_t k = 0; k < spans; ++k) {
    fixed -= floor[order[k]];
    free += weight[order[k]];
    lambda = (total - fixed) / free;
    if (k + 1 == spans || lambda <= ratio(order[k + 1])) break;
  }
  std::vector<double> x(spans);
  for (std::size_t s = 0; s < spans; ++s) x[s] = std::max(floor[s], lambda * weight[s]);
  return x;
}

/// Whole counts n[s] >= floor[s] adding up to total, rounding the shares down and giving the
/// cells left to the largest remainders.
std::vector<int> Round(const std::vector<double>& share, const std::vector<double>& floor,
                       int total) {
  const std::size_t spans = share.size();
  std::vector<int> n(spans);
  long long given = 0;
  for (std::size_t s = 0; s < spans; ++s) {
    n[s] = std::max(int(floor[s]), int(std::min(share[s], double(total))));
    given += n[s];
  }
  std::vector<std::size_t> order(spans);
  for (std::size_t s = 0; s < spans; ++s) order[s] = s;
  const std::size_t left = given < total ? std::min<std::size_t>(spans, total - given) : 0;
  auto larger = [&](std::size_t a, std::size_t b) { return share[a] - n[a] > share[b] - n[b]; };
  if (left > 0 && left < spans)
    std::nth_element(order.begin(), order.begin() + left, order.end(), larger);
  for (std::size_t k = 0; k < left; ++k) ++n[order[k]];
  // Shares that overshoot (bisection's last bits) give back from the largest counts.
  for (std::size_t s = 0; given > total && s < spans; ++s)
    while (given > total && n[s] > std::max(1, int(floor[s]))) --n[s], --given;
  return n;
}

/// Raises `count` until a cell's side along it (size / count) is no more than `ratio` times the
/// other side (other_size / other_count).
int NotTooLong(int count, double size, double other_size, int other_count, double ratio) {
  if (!(ratio > 0.0) || !(other_size > 0.0)) return count;
  return CountWithin(size * other_count / (other_size * ratio), count, std::max(count, kMostCells));
}

}  // namespace

int MostCells(const ON_MeshParameters& mp) {
  return mp.m_grid_max_count > 0 ? std::min(mp.m_grid_max_count, kMostCells) : kMostCells;
}

void LimitCells(int& nu, int& nv, int most) {
  if (static_cast<double>(nu) * nv <= most) return;
  const double shrink = std::sqrt(most / (double(nu) * nv));
  nu = std::max(1, static_cast<int>(nu * shrink));
  nv = std::max(1, static_cast<int>(nv * shrink));
  // A side kept at one cell leaves the whole budget to the other; neither side drops below one.
  nu = std::max(1, std::min(nu, most / nv));
  nv = std::max(1, std::min(nv, most / nu));
}

double SpanGrid::Needed() const {
  double sum = 0.0;
  for (int need : needs) sum += need;
  return sum;
}

void SpanGrid::Spread(int total) {
  count = std::max(1, total);
  cells.clear();
  const std::size_t spans = needs.size();
  const double width = bounds.back() - bounds.front();
  even = true;
  for (std::size_t s = 0; s < spans && even && width > 0.0; ++s)
    even = count * ((bounds[s + 1] - bounds[s]) / width) >= needs[s] * (1.0 - 1e-9);
  if (even) return;
  // With enough cells each span gets its need and the rest goes by length; with fewer, the
  // needs shrink in proportion, keeping one cell a span while there are cells for it.
  std::vector<double> floor(spans), weight(spans);
  const bool enough = count >= Needed(), one_each = count >= double(spans);
  for (std::size_t s = 0; s < spans; ++s) {
    floor[s] = enough ? needs[s] : one_each ? 1.0 : 0.0;
    weight[s] = enough ? std::max(bounds[s + 1] - bounds[s], 1e-300) : double(needs[s]);
  }
  cells = Round(Shares(floor, weight, count), floor, count);
}

std::vector<double> SpanGrid::Lines() const {
  std::vector<double> lines{bounds.front()};
  lines.reserve(count + 1);
  if (even) {
    const ON_Interval range(bounds.front(), bounds.back());
    for (int i = 1; i <= count; ++i) lines.push_back(range.ParameterAt(double(i) / count));
    return lines;
  }
  for (std::size_t s = 0; s < cells.size(); ++s) {
    if (cells[s] == 0) continue;
    const double start = lines.back(), end = bounds[s + 1];
    for (int k = 1; k < cells[s]; ++k) lines.push_back(start + (end - start) * k / cells[s]);
    lines.push_back(end);
  }
  lines.back() = bounds.back();
  return lines;
}

SpanGrid SpanGrid::Within(double lo, double hi) const {
  SpanGrid part;
  const double width = bounds.back() - bounds.front();
  if (even || !(hi > lo) || !(width > 0.0)) {
    const double fraction = width > 0.0 ? std::min(1.0, (hi - lo) / width) : 1.0;
    part.bounds = {lo, hi};
    part.needs = {CountWithin(count * fraction, 1, kMostCells)};
    return part;
  }
  part.bounds.push_back(lo);
  for (std::size_t s = 0; s < cells.size(); ++s) {
    const double a = std::max(lo, bounds[s]), b = std::min(hi, bounds[s + 1]);
    if (!(b > a)) continue;
    part.bounds.push_back(b);
    part.needs.push_back(
        CountWithin(cells[s] * (b - a) / (bounds[s + 1] - bounds[s]), 1, kMostCells));
  }
  if (part.needs.empty()) {
    part.bounds = {lo, hi};
    part.needs = {1};
  }
  part.bounds.back() = hi;
  return part;
}

void GridOf(const ON_Surface& surface, const ON_MeshParameters& mp, double tolerance,
            SpanGrid grid[2]) {
  const int least = static_cast<int>(std::ceil(std::sqrt(std::max(1, mp.m_grid_min_count))));
  int n[2];
  for (int dir = 0; dir < 2; ++dir) {
    grid[dir] = SpanNeeds(surface, dir, mp, tolerance);
    n[dir] = std::max(least, CountWithin(grid[dir].Needed(), 1, kMostCells));
  }
  double width = 0.0, height = 0.0;
  if (surface.GetSurfaceSize(&width, &height)) {
    n[0] = NotTooLong(n[0], width, height, n[1], mp.m_grid_aspect_ratio);
    n[1] = NotTooLong(n[1], height, width, n[0], mp.m_grid_aspect_ratio);
  }
  LimitCells(n[0], n[1], MostCells(mp));
  grid[0].Spread(n[0]);
  grid[1].Spread(n[1]);
}

ON_Mesh* GridMesh(const ON_Surface& surface, const std::vector<double>& u,
                  const std::vector<double>& v) {
  auto* mesh = new ON_Mesh();
  const int nu = int(u.size()) - 1, nv = int(v.size()) - 1;
  mesh->m_V.Reserve((nu + 1) * (nv + 1));
  mesh->m_F.Reserve(nu * nv);
  // The sides of a closed direction are one seam: the last line takes the first's points, so
  // that the welded mesh closes there even where the two evaluations differ in the last bits.
  const bool closed[2] = {surface.IsClosed(0), surface.IsClosed(1)};
  for (int i = 0; i <= nu; ++i)
    for (int j = 0; j <= nv; ++j)
      mesh->AppendVertex(
          surface.PointAt(closed[0] && i == nu ? u[0] : u[i], closed[1] && j == nv ? v[0] : v[j]));
  auto at = [nv](int i, int j) { return i * (nv + 1) + j; };
  for (int i = 0; i < nu; ++i)
    for (int j = 0; j < nv; ++j)
      mesh->SetQuad(mesh->FaceCount(), at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
  return mesh;
}

int CountWithin(double x, int least, int most) {
  if (!(x > least)) return least;
  return x >= most ? most : std::max(least, static_cast<int>(std::ceil(x)));
}

EdgeMeasure MeasureEdge(const ON_Curve& curve, const ON_MeshParameters& mp, double tolerance) {
  const int spans = std::max(1, curve.SpanCount());
  std::vector<double> bounds(spans + 1);
  EdgeMeasure measure;
  if (!curve.GetSpanVector(bounds.data())) {
    // Only the ends, as one span that is never cut.
    EdgeMeasure::Span& span = measure.spans.emplace_back();
    for (int k = 0; k <= kProbes; ++k) {
      span.t[k] = k < kProbes ? curve.Domain()[0] : curve.Domain()[1];
      span.length[k] = 0.0;
    }
    span.end = curve.Domain()[1];
    span.pieces = 1;
    return measure;
  }
  const int degree = std::max(1, curve.Degree());
  measure.spans.resize(spans);
  for (int s = 0; s < spans; ++s) {
    // Probe the span: the running length at each probe, and how far the tangent turns.
    EdgeMeasure::Span& span = measure.spans[s];
    double turn = 0.0, sharpest = 0.0;
    ON_3dPoint last_point;
    ON_3dVector last_tangent;
    for (int k = 0; k <= kProbes; ++k) {
      span.t[k] = bounds[s] + (bounds[s + 1] - bounds[s]) * k / kProbes;
      ON_3dPoint p;
      ON_3dVector tangent;
      curve.Ev1Der(span.t[k], p, tangent);
      if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return {};
      const double piece = k == 0 ? 0.0 : p.DistanceTo(last_point);
      span.length[k] = k == 0 ? 0.0 : span.length[k - 1] + piece;
      if (k > 0) {
        const double bend = Angle(last_tangent, tangent);
        turn += bend;
        if (piece > 0.0) sharpest = std::max(sharpest, bend / piece);
      }
      last_point = p;
      last_tangent = tangent;
    }
    span.end = bounds[s + 1];
    double pieces = degree > 1 ? degree : 1;
    if (mp.m_refine_angle > 0.0) pieces = turn / mp.m_refine_angle;
    // A chord over 1 / n of the span stands about length² · curvature / (8 n²) off it.
    if (tolerance > 0.0)
      pieces = std::max(pieces, span.length[kProbes] * std::sqrt(sharpest / (8.0 * tolerance)));
    span.pieces = CountWithin(pieces, 1, kMostEdgePoints);
  }
  return measure;
}

double EdgeMeasure::Length() const {
  double length = 0.0;
  for (const Span& span : spans) length += span.length[kProbes];
  return length;
}

double EdgeMeasure::FixedPoints() const {
  double points = 1.0;
  for (const Span& span : spans) points += span.pieces + 1.0;
  return points;
}

std::vector<double> EdgeParameters(const EdgeMeasure& measure, double target_length) {
  if (measure.spans.empty()) return {};
  std::vector<double> out{measure.spans.front().t[0]};
  for (std::size_t s = 0; s < measure.spans.size() && int(out.size()) < kMostEdgePoints; ++s) {
    const EdgeMeasure::Span& span = measure.spans[s];
    const double* length = span.length;
    int n = span.pieces;
    if (target_length > 0.0) n = CountWithin(length[kProbes] / target_length, n, kMostEdgePoints);
    // Points evenly spaced along the probed polyline, mapped back to parameters linearly.
    int k = 0;
    for (int i = 1; i < n; ++i) {
      const double wanted = length[kProbes] * i / n;
      while (k < kProbes - 1 && length[k + 1] < wanted) ++k;
      const double piece = length[k + 1] - length[k];
      const double x = piece > 0.0 ? (wanted - length[k]) / piece : 0.0;
      out.push_back(span.t[k] + x * (span.t[k + 1] - span.t[k]));
    }
    out.push_back(span.end);
  }
  const double end = measure.spans.back().end;
  if (out.back() != end) out.push_back(end);
  return out;
}

}  // namespace on_detail
