'use strict';
// Where images are: stored paths, paths relative to the model, images embedded in the model
// written out once, and stored names left for the plug-in's search.
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { TextureResolver } = require('../../tools/3dm/lib/Textures');

const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'converter-textures-'));
test.after(() => fs.rmSync(folder, { recursive: true, force: true }));
fs.mkdirSync(path.join(folder, 'maps'));
fs.writeFileSync(path.join(folder, 'maps', 'oak.png'), 'oak');
const modelFile = path.join(folder, 'model.3dm');

/** A model holding embedded files {stored path: bytes}. */
function modelWith(embedded) {
  return {
    embeddedFilePaths: () => Object.keys(embedded),
    getEmbeddedFileAsBase64: (p) => Buffer.from(embedded[p]).toString('base64'),
  };
}
const texture = (fileName, relativePath = '') => ({ fileName, fileReference: () => ({ relativePath }) });

test('existing and model-relative images are used where they are', () => {
  const resolver = new TextureResolver(modelWith({}), modelFile, path.join(folder, 'x1'));
  const oak = path.join(folder, 'maps', 'oak.png');
  assert.strictEqual(resolver.resolve(texture(oak)), oak);
  assert.strictEqual(resolver.resolve(texture('maps/oak.png')), oak);
  assert.strictEqual(resolver.resolve(texture('C:\\old\\oak.png', 'maps\\oak.png')), oak);
  assert.ok(!fs.existsSync(path.join(folder, 'x1')));  // nothing written out
});

test('embedded images are written once, same-named ones under names of their own', () => {
  const extract = path.join(folder, 'x2');
  const resolver = new TextureResolver(modelWith({
    'C:\\maps\\wood.jpg': 'first wood', 'D:\\other\\Wood.jpg': 'second wood' }), modelFile, extract);
  const first = resolver.resolve(texture('C:\\maps\\wood.jpg'));
  const again = resolver.resolve(texture('/elsewhere/WOOD.JPG'));  // found by file name
  const second = resolver.resolve(texture('D:\\other\\Wood.jpg'));
  assert.strictEqual(first, path.join(extract, 'wood.jpg'));
  assert.strictEqual(again, first);
  assert.strictEqual(second, path.join(extract, 'Wood-2.jpg'));
  assert.strictEqual(fs.readFileSync(first, 'utf8'), 'first wood');
  assert.strictEqual(fs.readFileSync(second, 'utf8'), 'second wood');
  assert.deepStrictEqual(fs.readdirSync(extract).sort(), ['Wood-2.jpg', 'wood.jpg']);
});

test('a missing image without an embedded copy keeps its stored name, and printing writes nothing', () => {
  const resolver = new TextureResolver(modelWith({ 'C:\\maps\\wood.jpg': 'wood' }), modelFile, undefined);
  assert.strictEqual(resolver.resolve(texture('C:\\maps\\wood.jpg')), 'C:\\maps\\wood.jpg');
  assert.strictEqual(resolver.resolve(texture('C:\\maps\\stone.jpg')), 'C:\\maps\\stone.jpg');
  assert.strictEqual(resolver.resolve(texture('')), '');
});
