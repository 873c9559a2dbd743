'use strict';
// Arrays inline or in the binary sidecar: the references' offsets, shapes and bytes.
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { ArrayStore } = require('../../tools/3dm/lib/ArrayStore');

function writtenSidecar(store) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'array-store-'));
  try {
    store.write(path.join(folder, 'document.bin'));
    return fs.readFileSync(path.join(folder, 'document.bin'));
  } finally {
    fs.rmSync(folder, { recursive: true });
  }
}

test('inline arrays are the document format\'s nested JSON arrays', () => {
  const store = new ArrayStore(false);
  assert.deepStrictEqual(store.points([1, 2, 3, 4, 5, 6], 3), [[1, 2, 3], [4, 5, 6]]);
  assert.deepStrictEqual(store.grid([1, 2, 3, 4, 5, 6, 7, 8], 2, 1, 4), [[[1, 2, 3, 4]], [[5, 6, 7, 8]]]);
  // A triangle repeats its third index among quadruples; inline it has three.
  assert.deepStrictEqual(store.faces(Int32Array.from([0, 1, 2, 2, 0, 2, 3, 1])), [[0, 1, 2], [0, 2, 3, 1]]);
  assert.deepStrictEqual(store.triangles(Int32Array.from([0, 1, 2, 2, 3, 0])), [[0, 1, 2], [2, 3, 0]]);
  assert.strictEqual(store.size, 0);
});

test('binary arrays are aligned little-endian references that read back', () => {
  const store = new ArrayStore(true);
  const knots = store.numbers([0, 0.5, 1]);
  const faces = store.faces(Int32Array.from([0, 1, 2, 2]));
  const quads = store.faces(Int32Array.from([0, 1, 2, 2, 0, 2, 3, 1]));
  const grid = store.grid([1, 2, 3, 4, 5, 6], 1, 2, 3);
  assert.deepStrictEqual(knots, { binary: 'f64', offset: 0, shape: [3] });
  assert.deepStrictEqual(faces, { binary: 'i32', offset: 24, shape: [1, 3] });
  // 24 + 12 bytes of triangle indices, padded to 40.
  assert.deepStrictEqual(quads, { binary: 'i32', offset: 40, shape: [2, 4] });
  assert.deepStrictEqual(grid, { binary: 'f64', offset: 72, shape: [1, 2, 3] });
  const bytes = writtenSidecar(store);
  assert.strictEqual(bytes.length, 72 + 48);
  assert.strictEqual(bytes.readDoubleLE(8), 0.5);
  assert.deepStrictEqual([0, 1, 2].map((k) => bytes.readInt32LE(24 + 4 * k)), [0, 1, 2]);
  assert.strictEqual(bytes.readInt32LE(40 + 28), 1);
  assert.strictEqual(bytes.readDoubleLE(72 + 40), 6);
});

test('a sidecar of more arrays than one write takes holds every array at its offset', () => {
  const store = new ArrayStore(true);
  // Odd lengths of triangle indices: most arrays are followed by padding, over 3000 pieces.
  const references = [];
  for (let k = 0; k < 1500; ++k) references.push(store.triangles(Int32Array.from([k, k + 1, k + 2])));
  references.push(store.points(Float64Array.from([1.5, 2.5, 3.5]), 3));
  const bytes = writtenSidecar(store);
  assert.strictEqual(bytes.length, store.size);
  references.slice(0, 1500).forEach((reference, k) => {
    assert.strictEqual(reference.offset, 16 * k);
    assert.strictEqual(bytes.readInt32LE(reference.offset + 8), k + 2);
  });
  assert.strictEqual(bytes.readDoubleLE(references[1500].offset + 16), 3.5);
});

test('points of either precision go to the sidecar as they are, and inline as the same numbers', () => {
  const single = Float32Array.from([0.1, -2.5, 3e30]);
  const store = new ArrayStore(true);
  const doubles = store.points(Float64Array.from([0.1, 2, 3]), 3);
  const floats = store.points(single, 3);
  assert.deepStrictEqual(doubles, { binary: 'f64', offset: 0, shape: [1, 3] });
  assert.deepStrictEqual(floats, { binary: 'f32', offset: 24, shape: [1, 3] });
  const bytes = writtenSidecar(store);
  assert.strictEqual(bytes.length, 36);
  assert.deepStrictEqual([0, 1, 2].map((k) => bytes.readFloatLE(24 + 4 * k)), Array.from(single));
  // Inline, a single-precision value is the double it widens to, as the host reads the sidecar.
  assert.deepStrictEqual(new ArrayStore(false).points(single, 3), [Array.from(single)]);
});
