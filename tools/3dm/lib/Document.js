'use strict';
// The whole model as one document of the document format, in its key order: units, path,
// materials, layers, objects, blocks, views, earth anchor point, sun.

const { ArrayStore } = require('./ArrayStore');
const { convertUnits, convertMaterials, convertLayers } = require('./Tables');
const { convertObjectsAndBlocks, ObjectContext } = require('./Objects');
const { convertViews, convertEarthAnchor, convertSun } = require('./Views');
const { TextureResolver } = require('./Textures');

/**
 * `options`: modelFile (absolute path of the .3dm), binary (arrays to the sidecar), extractFolder
 * (where embedded images are written; none: they are not). Returns {document, store}.
 */
function convertModel(rh, model, options) {
  const store = new ArrayStore(options.binary);
  const settings = model.settings();
  const textures = new TextureResolver(model, options.modelFile, options.extractFolder);
  const document = { units: convertUnits(settings), path: options.modelFile };
  const materials = convertMaterials(model, textures);
  const { layers, index } = convertLayers(model, materials.length);
  const tolerance = settings.modelAbsoluteTolerance;
  const context = new ObjectContext(rh, store, tolerance, index, materials.length, new Map());
  const { objects, blocks } = convertObjectsAndBlocks(model, context);
  if (materials.length) document.materials = materials;
  if (layers.length) document.layers = layers;
  if (objects.length) document.objects = objects;
  if (blocks.length) document.blocks = blocks;
  const views = convertViews(model);
  if (views.length) document.views = views;
  const anchor = convertEarthAnchor(settings);
  if (anchor) document.earth_anchor = anchor;
  const sun = convertSun(settings);
  if (sun) document.sun = sun;
  return { document, store };
}

module.exports = { convertModel };
