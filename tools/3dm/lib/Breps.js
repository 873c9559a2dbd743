'use strict';
// Breps in the document format: one surface per face, the edges as NURBS curves, and each face's
// outer loop and holes as trims along edges. Trims without an edge (at a surface's pole) are left
// out, as are edges of length 0: their ends meet, so the loops still close.

const { convertMesh, convertSurface, convertEdgeCurve } = require('./Geometry');

const OUTER = 1;
const INNER = 2;

/** The trims of a loop that run along kept edges: [{edge, reversed}], with their end points. */
function loopTrims(loop, edgeIndex, edgeEnds) {
  const trims = [];
  const list = loop.trims;
  for (let t = 0; t < list.count; ++t) {
    const trim = list.get(t);
    const edge = trim.edgeIndex >= 0 ? edgeIndex[trim.edgeIndex] : -1;
    if (edge === undefined || edge < 0) continue;
    const entry = { edge };
    if (trim.isReversed) entry.reversed = true;
    const [start, end] = edgeEnds[edge];
    trims.push({ entry, start: trim.isReversed ? end : start, end: trim.isReversed ? start : end });
  }
  return trims;
}

/** The largest distance between the end of one trim and the start of the next in a loop. */
function largestGap(trims) {
  let gap = 0;
  for (let k = 0; k < trims.length; ++k) {
    const before = trims[(k + trims.length - 1) % trims.length].end;
    const start = trims[k].start;
    gap = Math.max(gap, Math.hypot(start[0] - before[0], start[1] - before[1], start[2] - before[2]));
  }
  return gap;
}

/**
 * The face's loops, outer first: null when the face has an outer loop of which no trim can be
 * kept (it cannot be meshed inside its trims), an empty array when it has no loops at all.
 */
function faceLoops(face, edgeIndex, edgeEnds, gaps) {
  const list = face.loops;
  const outer = [];
  const inner = [];
  for (let l = 0; l < list.count; ++l) {
    const loop = list.get(l);
    const type = loop.loopType.value;
    if (type !== OUTER && type !== INNER) continue;
    const trims = loopTrims(loop, edgeIndex, edgeEnds);
    if (type === OUTER && trims.length === 0) return null;
    if (trims.length === 0) continue;
    gaps.push(largestGap(trims));
    (type === OUTER ? outer : inner).push({ type: type === OUTER ? 'outer' : 'inner', trims: trims.map((t) => t.entry) });
  }
  if (outer.length === 0 && inner.length > 0) return null;
  return outer.slice(0, 1).concat(inner);
}

/**
 * A brep, with each face's saved render mesh where it has one. `tolerance` is the file's modelling
 * tolerance; the brep's own is at least the largest gap between its trims. Null when no face is
 * left.
 */
function convertBrep(rh, brep, store, tolerance) {
  const edgeList = brep.edges();
  const edges = [];
  const edgeIndex = [];
  const edgeEnds = [];
  for (let e = 0; e < edgeList.count; ++e) {
    const edge = edgeList.get(e);
    const curve = convertEdgeCurve(edge, store);
    edgeIndex.push(curve ? edges.length : -1);
    if (!curve) continue;
    edges.push(curve);
    edgeEnds.push([edge.pointAtStart, edge.pointAtEnd]);
  }
  const surfaces = [];
  const faces = [];
  const gaps = [0];
  const faceList = brep.faces();
  for (let f = 0; f < faceList.count; ++f) {
    const face = faceList.get(f);
    const surface = convertSurface(face.underlyingSurface(), store);
    const loops = surface ? faceLoops(face, edgeIndex, edgeEnds, gaps) : null;
    if (!loops) continue;
    const entry = { surface: surfaces.length };
    surfaces.push(surface);
    if (face.orientationIsReversed) entry.reversed = true;
    if (loops.length > 0) entry.loops = loops;
    const mesh = face.getMesh(rh.MeshType.Render);
    if (mesh && mesh.faces().count > 0) entry.render_mesh = convertMesh(rh, mesh, store);
    faces.push(entry);
  }
  if (faces.length === 0) return null;
  const result = { surfaces, edges, faces };
  const needed = Math.max(tolerance > 0 ? tolerance : 0, 1.01 * Math.max(...gaps));
  if (needed > 0 && Number.isFinite(needed)) result.tolerance = needed;
  return result;
}

module.exports = { convertBrep };
