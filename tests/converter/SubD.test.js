'use strict';
// SubD objects read from the reader: the control net with its crease edges and corner points,
// checked on the shared SubD model (skipped where it is not at hand).
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const path = require('path');
const { convertSubD } = require('../../tools/3dm/lib/SubD');

const LOGO = path.resolve(__dirname, '../../../shared/3dm/v6_rhino_subd_logo.3dm');

let rh;
test.before(async () => {
  rh = await require('rhino3dm')();
});

test('a SubD gives every face of its net, its crease edges along faces and its corners', { skip: !fs.existsSync(LOGO) }, () => {
  const model = rh.File3dm.fromByteArray(new Uint8Array(fs.readFileSync(LOGO)));
  const table = model.objects();
  const creaseCounts = [];
  for (let i = 0; i < table.count; ++i) {
    const subd = table.get(i).geometry();
    if (!(subd instanceof rh.SubD)) continue;
    const net = convertSubD(rh, subd);
    assert.strictEqual(net.vertices.length, subd.vertexCount);
    assert.strictEqual(net.faces.length, subd.faceCount);
    const edges = new Set();
    for (const face of net.faces) {
      assert.ok(face.length >= 3 && face.every((v) => v >= 0 && v < net.vertices.length));
      face.forEach((v, k) => edges.add([v, face[(k + 1) % face.length]].sort((a, b) => a - b).join()));
    }
    for (const crease of net.creases || []) assert.ok(edges.has([...crease].sort((a, b) => a - b).join()));
    creaseCounts.push((net.creases || []).length);
  }
  // The logo's two plates are open tubes whose boundary edges are creases.
  assert.deepStrictEqual(creaseCounts, [0, 11, 40, 40, 20, 16]);
});

test('a SubD without faces gives no net', () => {
  assert.strictEqual(convertSubD(rh, new rh.SubD()), null);
});
