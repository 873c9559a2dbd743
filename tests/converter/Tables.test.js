'use strict';
// Units, colours and the layer table: parents before children, unique full paths.
const test = require('node:test');
const assert = require('node:assert');
const { convertUnits, convertLayers, colour } = require('../../tools/3dm/lib/Tables');

/** A model whose layer table is `layers` ({name, id, parentLayerId, ...}). */
function modelOf(layers) {
  return { layers: () => ({ count: layers.length, get: (i) => ({ visible: true, locked: false, renderMaterialIndex: -1, parentLayerId: '', ...layers[i] }) }) };
}

test('unit codes become names; custom units, whose length is not given, and unknown codes read as none', () => {
  const units = (value) => convertUnits({ modelUnitSystem: { value } });
  assert.strictEqual(units(2), 'millimeters');
  assert.strictEqual(units(19), 'yards');
  assert.strictEqual(units(11), 'none');
  assert.strictEqual(units(255), 'none');
});

test('colours turn the reader\'s opacity into the host\'s transparency alpha', () => {
  assert.deepStrictEqual(colour({ r: 1, g: 2, b: 3, a: 255 }), [1, 2, 3]);
  assert.deepStrictEqual(colour({ r: 1, g: 2, b: 3, a: 55 }), [1, 2, 3, 200]);
  assert.deepStrictEqual(colour({ r: 300, g: -4, b: NaN, a: 255 }), [255, 0, 0]);
});

test('layers come parents first, whatever the file\'s order, and objects find them by the index map', () => {
  const { layers, index } = convertLayers(modelOf([
    { name: 'Doors', id: 'd', parentLayerId: 'w' },
    { name: 'Walls', id: 'w', parentLayerId: 'h', visible: false },
    { name: 'House', id: 'h', renderMaterialIndex: 1 },
    { name: 'Loose', id: 'l', parentLayerId: 'missing' },
  ]), 2);
  assert.deepStrictEqual(layers.map((l) => l.name), ['House', 'Walls', 'Doors', 'Loose']);
  assert.deepStrictEqual(index, [2, 1, 0, 3]);
  assert.strictEqual(layers[1].parent, 0);
  assert.strictEqual(layers[2].parent, 1);
  assert.strictEqual(layers[1].visible, false);
  assert.strictEqual(layers[0].material, 1);
  assert.strictEqual(layers[3].parent, undefined);  // its parent is not in the file
});

test('a cycle of parents is cut and same full paths get numbered names without "::"', () => {
  const { layers } = convertLayers(modelOf([
    { name: 'A', id: 'a', parentLayerId: 'b' },
    { name: 'B', id: 'b', parentLayerId: 'a' },
    { name: 'Glass', id: 'g1', renderMaterialIndex: 7 },
    { name: 'Glass', id: 'g2' },
    { name: 'x::y', id: 'x' },
  ]), 2);
  assert.strictEqual(layers.length, 5);
  assert.ok(layers.some((l) => l.parent === undefined && (l.name === 'A' || l.name === 'B')));
  assert.deepStrictEqual(layers.filter((l) => l.name.startsWith('Glass')).map((l) => l.name), ['Glass', 'Glass (2)']);
  assert.ok(layers.every((l) => l.material === undefined));  // material 7 is not in the table
  assert.ok(layers.some((l) => l.name === 'x:y'));
});
