'use strict';
// SubD objects in the document format: the control net (points and polygons) with the edges
// tagged as creases and the points tagged as corners, for the host to refine into its smooth
// surface.

/**
 * The n items of a reader list (vertices, edges or faces of a SubD), walked with first() and
 * next(): the reader's get() goes by id, and next() past the last item stops the reader, so the
 * walk takes exactly its count.
 */
function items(list) {
  const result = [];
  for (let k = 0; k < list.count; ++k) result.push(k === 0 ? list.first() : list.next());
  return result;
}

/**
 * {vertices, faces, creases, corners} of a SubD: points in the reader's order, faces as lists of
 * point indices, creases as index pairs of the edges tagged crease, corners as the indices of
 * the points tagged corner. Null when the net holds no face, a face names a point the net does
 * not list, or a point is not finite.
 */
function convertSubD(rh, subd) {
  const indexOf = new Map();
  const vertices = [];
  const corners = [];
  for (const vertex of items(subd.vertices())) {
    const p = Array.from(vertex.controlNetPoint);
    if (!p.every(Number.isFinite)) return null;
    if (vertex.tag.value === rh.SubDVertexTag.Corner.value) corners.push(vertices.length);
    indexOf.set(vertex.id, vertices.length);
    vertices.push(p);
  }
  const faces = [];
  for (const face of items(subd.faces())) {
    const corner = [];
    for (let k = 0; k < face.vertexCount; ++k) corner.push(indexOf.get(face.vertex(k).id));
    if (corner.length < 3 || corner.some((i) => i === undefined)) return null;
    faces.push(corner);
  }
  if (faces.length === 0) return null;
  const creases = [];
  for (const edge of items(subd.edges())) {
    if (edge.tag.value !== rh.SubDEdgeTag.Crease.value) continue;
    const a = indexOf.get(edge.vertexId(0));
    const b = indexOf.get(edge.vertexId(1));
    if (a !== undefined && b !== undefined && a !== b) creases.push([a, b]);
  }
  const result = { vertices, faces };
  if (creases.length > 0) result.creases = creases;
  if (corners.length > 0) result.corners = corners;
  return result;
}

module.exports = { convertSubD };
