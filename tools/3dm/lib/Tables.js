'use strict';
// The file's tables in the document format: units, materials with their textures, and layers
// (parents before children, full paths unique).

const UNIT_NAMES = [
  'none', 'microns', 'millimeters', 'centimeters', 'meters', 'kilometers', 'microinches', 'mils',
  'inches', 'feet', 'miles', 'custom', 'angstroms', 'nanometers', 'decimeters', 'dekameters',
  'hectometers', 'megameters', 'gigameters', 'yards', 'printer_points', 'printer_picas',
  'nautical_miles', 'astronomical_units', 'lightyears', 'parsecs',
];

/**
 * The model's unit system by name. The reader does not give a custom unit's length, so custom
 * units (and codes it does not know) read as "none".
 */
function convertUnits(settings) {
  const name = UNIT_NAMES[settings.modelUnitSystem.value];
  return name && name !== 'custom' ? name : 'none';
}

function clamp(x, low, high, fallback) {
  return Number.isFinite(x) ? Math.min(high, Math.max(low, x)) : fallback;
}

/** The reader's colour {r, g, b, a} (a 255 opaque) as [r, g, b] or [r, g, b, alpha] (0 opaque). */
function colour(c) {
  const channel = (x) => clamp(Math.round(x), 0, 255, 0);
  const alpha = 255 - channel(c.a === undefined ? 255 : c.a);
  const rgb = [channel(c.r), channel(c.g), channel(c.b)];
  return alpha === 0 ? rgb : rgb.concat([alpha]);
}

const TEXTURE_KINDS = [
  ['getBitmapTexture', 'bitmap'],
  ['getBumpTexture', 'bump'],
  ['getTransparencyTexture', 'transparency'],
  ['getEnvironmentTexture', 'environment'],
];

/** `textures.resolve(texture)` gives where the image is (see Textures.js). */
function convertMaterial(material, textures) {
  const result = { name: material.name || '' };
  const colours = [
    ['ambient', material.ambientColor], ['diffuse', material.diffuseColor],
    ['emission', material.emissionColor], ['specular', material.specularColor],
    ['reflection', material.reflectionColor], ['transparent', material.transparentColor],
  ];
  for (const [key, value] of colours) if (value) result[key] = colour(value);
  result.transparency = clamp(material.transparency, 0, 1, 0);
  result.shine = clamp(material.shine, 0, 255, 0);
  result.reflectivity = clamp(material.reflectivity, 0, 1, 0);
  if (material.indexOfRefraction > 0 && Number.isFinite(material.indexOfRefraction))
    result.index_of_refraction = material.indexOfRefraction;
  const list = [];
  for (const [getter, type] of TEXTURE_KINDS) {
    const texture = material[getter]();
    const file = texture ? textures.resolve(texture) : '';
    if (!file) continue;
    list.push(type === 'bitmap' ? { file } : { file, type });
  }
  if (list.length > 0) result.textures = list;
  return result;
}

function convertMaterials(model, textures) {
  const table = model.materials();
  const result = [];
  for (let i = 0; i < table.count; ++i) result.push(convertMaterial(table.get(i), textures));
  return result;
}

/**
 * The layers, each parent before its children (a parent that is missing, or that would make a
 * cycle, leaves its child at the top level). Returns {layers, index}: `index[i]` is the document
 * index of the file's layer i.
 */
function convertLayers(model, materialCount) {
  const table = model.layers();
  const read = [];
  const byId = new Map();
  for (let i = 0; i < table.count; ++i) {
    const layer = table.get(i);
    read.push(layer);
    byId.set(layer.id, i);
  }
  const parentOf = (i) => {
    const p = byId.get(read[i].parentLayerId);
    return p === undefined || p === i ? -1 : p;
  };
  const index = new Array(read.length).fill(-1);
  const layers = [];
  const paths = new Set();
  const place = (i, chain) => {
    if (index[i] >= 0) return;
    let parent = parentOf(i);
    if (parent >= 0 && chain.has(parent)) parent = -1;
    if (parent >= 0) {
      chain.add(i);
      place(parent, chain);
      chain.delete(i);
    }
    const layer = read[i];
    const entry = { name: uniqueName(layer.name, parent >= 0 ? layers[index[parent]].path : '', paths) };
    entry.path = (parent >= 0 ? layers[index[parent]].path + '::' : '') + entry.name;
    paths.add(entry.path);
    if (parent >= 0) entry.parent = index[parent];
    if (!layer.visible) entry.visible = false;
    if (layer.locked) entry.locked = true;
    const m = layer.renderMaterialIndex;
    if (Number.isInteger(m) && m >= 0 && m < materialCount) entry.material = m;
    index[i] = layers.length;
    layers.push(entry);
  };
  for (let i = 0; i < read.length; ++i) place(i, new Set());
  for (const layer of layers) delete layer.path;
  return { layers, index };
}

/** A layer name without "::", made unique under its parent by a number: "Walls (2)". */
function uniqueName(name, parentPath, paths) {
  const base = (name || '').split('::').join(':');
  const full = (n) => (parentPath ? parentPath + '::' : '') + n;
  let candidate = base;
  for (let k = 2; paths.has(full(candidate)); ++k) candidate = `${base} (${k})`;
  return candidate;
}

module.exports = { convertUnits, convertMaterials, convertLayers, colour, clamp };
