'use strict';
// Meshes read from the reader: quads kept, triangles as triangles, whether read in one call
// (meshes of one face kind) or face by face (mixed), and vertices in double precision.
const test = require('node:test');
const assert = require('node:assert');
const { ArrayStore } = require('../../tools/3dm/lib/ArrayStore');
const { convertMesh, convertEdgeCurve } = require('../../tools/3dm/lib/Geometry');

let rh;
test.before(async () => {
  rh = await require('rhino3dm')();
});

function meshOf(faces, vertexCount = 6) {
  const mesh = new rh.Mesh();
  for (let i = 0; i < vertexCount; ++i) mesh.vertices().add(i, i * i, 0.1 * i);
  for (const f of faces) {
    if (f.length === 3) mesh.faces().addTriFace(...f);
    else mesh.faces().addQuadFace(...f);
  }
  return mesh;
}

test('meshes of triangles only, quads only or both keep every face as it is', () => {
  const store = new ArrayStore(false);
  const cases = [
    [[0, 1, 2], [2, 3, 4], [0, 4, 5]],
    [[0, 1, 2, 3], [2, 3, 4, 5], [5, 4, 1, 0]],
    [[0, 1, 2, 3], [3, 4, 5], [1, 2, 4, 5], [2, 4, 0]],
  ];
  for (const faces of cases) assert.deepStrictEqual(convertMesh(rh, meshOf(faces), store).faces, faces);
});

test('quad pairs that happen to look alike are not taken for quads, and double vertices stay double', () => {
  const store = new ArrayStore(false);
  // Two triangles a b c and c d a: the same index pattern as one quad split in two.
  assert.deepStrictEqual(convertMesh(rh, meshOf([[0, 1, 2], [2, 3, 0]]), store).faces, [[0, 1, 2], [2, 3, 0]]);
  const mesh = meshOf([[0, 1, 2]], 3);
  mesh.vertices().useDoublePrecisionVertices = true;
  mesh.vertices().setPoint3dAt(0, [0.1, 0.2, 1e-9]);
  const converted = convertMesh(rh, mesh, store);
  assert.strictEqual(converted.precision, 'double');
  assert.deepStrictEqual(converted.vertices[0], [0.1, 0.2, 1e-9]);
});

test('rational edge curves give their control points in space with the weight last', () => {
  const arc = rh.NurbsCurve.createFromCircle(new rh.Circle(2));
  const edge = convertEdgeCurve(arc, new ArrayStore(false));
  assert.strictEqual(edge.degree, 2);
  assert.strictEqual(edge.points[1].length, 4);
  const [x, y, , w] = edge.points[1];
  assert.ok(Math.abs(Math.hypot(x, y) - 2 * Math.SQRT2) < 1e-12);  // the corner of the square
  assert.ok(Math.abs(w - Math.SQRT1_2) < 1e-12);
  const dot = rh.NurbsCurve.create(false, 1, [[1, 1, 1], [1, 1, 1]]);
  assert.strictEqual(convertEdgeCurve(dot, new ArrayStore(false)), null);  // length 0
});
