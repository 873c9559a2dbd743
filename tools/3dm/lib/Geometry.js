'use strict';
// Geometry from the reader's model in the document format: meshes with their quads, NURBS
// surfaces and curves, breps with their faces, loops and trims, and the points that stand for
// geometry without a mesh.

const HIGHEST_DEGREE = 11;

/**
 * A mesh: its vertices in the precision the file holds them in and its faces with quads kept.
 * `precision` is "double" when the file holds double-precision vertices.
 */
function convertMesh(rh, mesh, store) {
  const vertexList = mesh.vertices();
  const count = vertexList.count;
  const doubles = vertexList.useDoublePrecisionVertices;
  // One call gives the single-precision vertices and the triangle indices of the whole mesh.
  const buffers = mesh.toThreejsBuffers(false);
  const whole = buffers && buffers.vertexCount === count && buffers.position.length === 3 * count;
  let flat;
  if (whole && !doubles) {
    flat = buffers.position;  // the file's single-precision vertices, handed on as they are
  } else {
    flat = doublePoints(vertexList, count);
  }
  const result = { vertices: store.points(flat, 3) };
  if (doubles) result.precision = 'double';
  const faceList = mesh.faces();
  const triangles = whole ? triangleIndices(faceList, buffers.index) : null;
  if (triangles) {
    if (triangles.length > 0) result.faces = store.triangles(triangles);
    return result;
  }
  const faces = faceQuadruples(faceList, count, whole ? buffers.index : null);
  if (faces.length > 0) result.faces = store.faces(faces);
  return result;
}

/**
 * The mesh's vertices in double precision. The reader has no bulk call for them; asking point by
 * point costs about a third of its whole-list call, which builds a nested array first.
 */
function doublePoints(vertexList, count) {
  const flat = new Float64Array(3 * count);
  for (let i = 0; i < count; ++i) {
    const p = vertexList.point3dAt(i);
    flat[3 * i] = p[0];
    flat[3 * i + 1] = p[1];
    flat[3 * i + 2] = p[2];
  }
  return flat;
}

/**
 * The faces of a mesh of triangles only, three indices each, straight from the reader's triangle
 * `index` buffer (the same bytes: indices are far below 2^31); null for any other mesh.
 */
function triangleIndices(faceList, index) {
  const total = faceList.count;
  if (faceList.quadCount !== 0 || faceList.triangleCount !== total) return null;
  if (!(index instanceof Uint32Array) || index.length !== 3 * total) return null;
  return new Int32Array(index.buffer, index.byteOffset, index.length);
}

/**
 * Four vertex indices per face (a triangle repeats its third). Faces naming a vertex the mesh
 * does not have are left out. Meshes of quads only are read from the reader's triangle `index`
 * buffer (when given); others face by face.
 */
function faceQuadruples(faceList, vertexCount, index) {
  const total = faceList.count;
  if (index && total > 0 && faceList.quadCount === total) {
    const fast = quadsFromTriangles(index, total);
    if (fast) return fast;
  }
  const result = new Int32Array(4 * total);
  let kept = 0;
  for (let f = 0; f < total; ++f) {
    const q = faceList.get(f);
    if (!q.every((v) => Number.isInteger(v) && v >= 0 && v < vertexCount)) continue;
    result.set(q, 4 * kept++);
  }
  return result.subarray(0, 4 * kept);
}

/**
 * The faces of a mesh of quads only from the reader's triangle index buffer, where a quad a b c d
 * comes as the triangles a b c and c d a. Null when the buffer is not of that form, so that the
 * caller reads face by face.
 */
function quadsFromTriangles(index, total) {
  if (index.length !== 6 * total) return null;
  const result = new Int32Array(4 * total);
  for (let f = 0; f < total; ++f) {
    const t = 6 * f;
    if (index[t + 3] !== index[t + 2] || index[t + 5] !== index[t]) return null;
    result[4 * f] = index[t];
    result[4 * f + 1] = index[t + 1];
    result[4 * f + 2] = index[t + 2];
    result[4 * f + 3] = index[t + 4];
  }
  return result;
}

/** Homogeneous control point [wx, wy, wz, w] of the reader as [x, y, z] or [x, y, z, w]. */
function euclidean(point, rational) {
  const w = point.length > 3 ? point[3] : 1;
  if (!rational) return [point[0], point[1], point[2]];
  return [point[0] / w, point[1] / w, point[2] / w, w];
}

/** A NURBS surface of the document format, or null when the reader cannot give one. */
function convertSurface(surface, store) {
  const nurbs = surface.toNurbsSurface ? surface.toNurbsSurface() : null;
  if (!nurbs) return null;
  const degreeU = nurbs.orderU - 1;
  const degreeV = nurbs.orderV - 1;
  if (degreeU < 1 || degreeV < 1 || degreeU > HIGHEST_DEGREE || degreeV > HIGHEST_DEGREE) return null;
  const pointList = nurbs.points();
  const rows = pointList.countU;
  const cols = pointList.countV;
  const rational = nurbs.isRational;
  const width = rational ? 4 : 3;
  const flat = new Float64Array(rows * cols * width);
  for (let i = 0; i < rows; ++i)
    for (let j = 0; j < cols; ++j) flat.set(euclidean(pointList.get(i, j), rational), (i * cols + j) * width);
  if (!flat.every(Number.isFinite) || (rational && !weightsPositive(flat, width))) return null;
  return {
    kind: 'nurbs',
    degree: degreeU === degreeV ? degreeU : [degreeU, degreeV],
    points: store.grid(flat, rows, cols, width),
    knots: [store.numbers(nurbs.knotsU().toList()), store.numbers(nurbs.knotsV().toList())],
  };
}

function weightsPositive(flat, width) {
  for (let k = width - 1; k < flat.length; k += width) if (!(flat[k] > 0)) return false;
  return true;
}

/**
 * A 3-D curve as a NURBS edge curve {degree, points, knots}, or null when it has none or all its
 * control points are one point (an edge of length 0).
 */
function convertEdgeCurve(curve, store) {
  const nurbs = curve.toNurbsCurve ? curve.toNurbsCurve() : null;
  if (!nurbs) return null;
  const degree = nurbs.order - 1;
  if (degree < 1 || degree > HIGHEST_DEGREE) return null;
  const pointList = nurbs.points();
  const rational = nurbs.isRational;
  const width = rational ? 4 : 3;
  const flat = new Float64Array(pointList.count * width);
  let moves = false;
  for (let i = 0; i < pointList.count; ++i) {
    const p = euclidean(pointList.get(i), rational);
    flat.set(p, i * width);
    moves = moves || p[0] !== flat[0] || p[1] !== flat[1] || p[2] !== flat[2];
  }
  if (!moves || !flat.every(Number.isFinite) || (rational && !weightsPositive(flat, width))) return null;
  return { degree, points: store.points(flat, width), knots: store.numbers(nurbs.knots().toList()) };
}

/** Points along a curve: a polyline's own points, else samples across its domain. */
function curvePoints(curve) {
  if (typeof curve.point === 'function' && curve.pointCount >= 2) {
    const points = [];
    for (let i = 0; i < curve.pointCount; ++i) points.push(curve.point(i));
    return points;
  }
  const [t0, t1] = curve.domain;
  const steps = curve.isLinear && curve.isLinear() ? 1 : 16;
  const points = [];
  for (let k = 0; k <= steps; ++k) points.push(curve.pointAt(t0 + ((t1 - t0) * k) / steps));
  return points.every((p) => p.every(Number.isFinite)) ? points : null;
}

/** The centre of a geometry's bounding box, or the origin when it has none. */
function centre(geometry) {
  const box = geometry.getBoundingBox ? geometry.getBoundingBox() : null;
  const c = box && box.isValid ? box.center : null;
  return c && c.every(Number.isFinite) ? Array.from(c) : [0, 0, 0];
}

module.exports = { convertMesh, convertSurface, convertEdgeCurve, curvePoints, centre };
