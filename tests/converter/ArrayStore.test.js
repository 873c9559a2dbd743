'use strict';
// Arrays inline or in the binary sidecar: the references' offsets, shapes and bytes.
const test = require('node:test');
const assert = require('node:assert');
const { ArrayStore } = require('../../tools/3dm/lib/ArrayStore');

test('inline arrays are the document format\'s nested JSON arrays', () => {
  const store = new ArrayStore(false);
  assert.deepStrictEqual(store.points([1, 2, 3, 4, 5, 6], 3), [[1, 2, 3], [4, 5, 6]]);
  assert.deepStrictEqual(store.grid([1, 2, 3, 4, 5, 6, 7, 8], 2, 1, 4), [[[1, 2, 3, 4]], [[5, 6, 7, 8]]]);
  // A triangle repeats its third index among quadruples; inline it has three.
  assert.deepStrictEqual(store.faces(Int32Array.from([0, 1, 2, 2, 0, 2, 3, 1])), [[0, 1, 2], [0, 2, 3, 1]]);
  assert.strictEqual(store.sidecar().length, 0);
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
  const bytes = store.sidecar();
  assert.strictEqual(bytes.length, 72 + 48);
  assert.strictEqual(bytes.readDoubleLE(8), 0.5);
  assert.deepStrictEqual([0, 1, 2].map((k) => bytes.readInt32LE(24 + 4 * k)), [0, 1, 2]);
  assert.strictEqual(bytes.readInt32LE(40 + 28), 1);
  assert.strictEqual(bytes.readDoubleLE(72 + 40), 6);
});
