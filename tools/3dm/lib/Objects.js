'use strict';
// The file's objects and block definitions in the document format: each object's attributes and
// its geometry, meshes and breps with their saved render meshes, and everything without a mesh as
// a point, a polyline or an annotation that keeps its attributes.

const { convertMesh, convertSurface, curvePoints, centre } = require('./Geometry');
const { convertBrep } = require('./Breps');
const { convertSubD } = require('./SubD');
const { colour, clamp } = require('./Tables');

const MATERIAL_SOURCES = { 0: 'layer', 1: 'object', 3: 'parent' };
const ANNOTATION_KINDS = new Set([
  'Text', 'TextDot', 'Leader', 'Dimension', 'DimLinear', 'DimAngular', 'DimRadial', 'DimOrdinate',
  'Centermark', 'AnnotationBase',
]);

/** What the converter needs while it walks the objects. */
class ObjectContext {
  constructor(rh, store, tolerance, layerIndex, materialCount, blockIndex) {
    this.rh = rh;
    this.store = store;
    this.tolerance = tolerance;
    this.layerIndex = layerIndex;
    this.materialCount = materialCount;
    this.blockIndex = blockIndex; // block id -> index in "blocks"
  }
}

function lightKind(style) {
  const name = style.constructor.name || '';
  if (/Spot/.test(name)) return 'spot';
  if (/Directional/.test(name)) return 'directional';
  if (/Linear/.test(name)) return 'linear';
  if (/Rectangular/.test(name)) return 'rectangular';
  return 'point';
}

function convertLight(light, objectName) {
  const result = { kind: lightKind(light.lightStyle) };
  if (light.name && light.name !== objectName) result.name = light.name;
  result.location = Array.from(light.location);
  result.direction = Array.from(light.direction);
  result.diffuse = colour(light.diffuse).slice(0, 3);
  result.intensity = clamp(light.intensity, -Infinity, Infinity, 1);
  result.shadow_intensity = clamp(light.shadowIntensity, -Infinity, Infinity, 1);
  result.spot_angle = clamp((light.spotAngleRadians * 180) / Math.PI, 0, 90, 45);
  if (!result.location.every(Number.isFinite)) result.location = [0, 0, 0];
  if (!result.direction.every(Number.isFinite)) result.direction = [0, 0, -1];
  return result;
}

/** The instance's 4x4 matrix as rows, or null when it holds a number that is not finite. */
function matrix(xform) {
  const m = xform.toFloatArray(true);
  if (!m.every(Number.isFinite)) return null;
  return [m.slice(0, 4), m.slice(4, 8), m.slice(8, 12), m.slice(12, 16)].map((r) => Array.from(r));
}

/**
 * The geometry key and value of one object: {key, value}. Geometry that cannot be converted as
 * what it is (a brep with no face left, an instance of a missing block) stands as a point.
 */
function convertGeometry(geometry, objectName, context) {
  const { rh, store } = context;
  const kind = geometry.constructor.name;
  if (geometry instanceof rh.Mesh) return { key: 'mesh', value: convertMesh(rh, geometry, store) };
  if (geometry instanceof rh.SubD) {
    const subd = convertSubD(rh, geometry);
    if (subd) return { key: 'subd', value: subd };
    const net = rh.Mesh.createFromSubDControlNet(geometry);
    if (net) return { key: 'mesh', value: convertMesh(rh, net, store) };
  }
  if (geometry instanceof rh.Brep) {
    const brep = convertBrep(rh, geometry, store, context.tolerance);
    if (brep) return { key: 'brep', value: brep };
  }
  if (geometry instanceof rh.Extrusion) {
    const mesh = geometry.getMesh(rh.MeshType.Render);
    if (mesh && mesh.faces().count > 0) return { key: 'mesh', value: convertMesh(rh, mesh, store) };
    const asBrep = geometry.toBrep(true);
    const brep = asBrep ? convertBrep(rh, asBrep, store, context.tolerance) : null;
    if (brep) return { key: 'brep', value: brep };
  } else if (geometry instanceof rh.Surface) {
    const surface = convertSurface(geometry, store);
    if (surface) return { key: 'surface', value: surface };
  }
  if (geometry instanceof rh.Light) return { key: 'light', value: convertLight(geometry, objectName) };
  if (geometry instanceof rh.InstanceReference) {
    const block = context.blockIndex.get(geometry.parentIdefId);
    const transform = matrix(geometry.xform);
    if (block !== undefined && transform) return { key: 'instance', value: { block, transform } };
  }
  if (geometry instanceof rh.Point) return { key: 'point', value: finitePoint(geometry.location) };
  if (geometry instanceof rh.Curve) {
    const points = curvePoints(geometry);
    if (points) return { key: 'curve', value: { points } };
  }
  if (ANNOTATION_KINDS.has(kind) || geometry instanceof rh.AnnotationBase)
    return { key: 'annotation', value: centre(geometry) };
  return { key: 'point', value: centre(geometry) };
}

function finitePoint(p) {
  return p && Array.from(p).every(Number.isFinite) ? Array.from(p) : [0, 0, 0];
}

/** An object of the document format from the file's object (attributes and geometry). */
function convertObject(object, context) {
  const attributes = object.attributes();
  const result = {};
  if (attributes.name) result.name = attributes.name;
  const layer = context.layerIndex[attributes.layerIndex];
  // An object on a layer the file does not have goes to the host's default layer.
  if (layer !== undefined && layer >= 0) result.layer = layer;
  const source = MATERIAL_SOURCES[attributes.materialSource.value];
  if (source && source !== 'layer') result.material_source = source;
  const m = attributes.materialIndex;
  if (Number.isInteger(m) && m >= 0 && m < context.materialCount) result.material = m;
  const mode = attributes.mode.value;
  if (mode === 1 || !attributes.visible) result.mode = 'hidden';
  else if (mode === 2) result.mode = 'locked';
  const { key, value } = convertGeometry(object.geometry(), attributes.name, context);
  if (key === 'light' && !object.geometry().isEnabled) result.mode = 'hidden';
  result[key] = value;
  return result;
}

/**
 * The top-level objects and the block definitions. Objects that belong to a block definition
 * (listed by it) are not top-level. An instance that would make a block contain itself is left
 * out of that block.
 */
function convertObjectsAndBlocks(model, context) {
  const table = model.objects();
  const objects = [];
  const byId = new Map();
  for (let i = 0; i < table.count; ++i) {
    const object = table.get(i);
    objects.push(object);
    byId.set(object.attributes().id, object);
  }
  const definitions = model.instanceDefinitions();
  const blocks = [];
  const names = new Set();
  for (let b = 0; b < definitions.count; ++b) {
    const definition = definitions.get(b);
    context.blockIndex.set(definition.id, b);
    let name = definition.name || '';
    for (let k = 2; name && names.has(name); ++k) name = `${definition.name} (${k})`;
    names.add(name);
    blocks.push({ definition, name });
  }
  const uses = blocks.map(({ definition }) => blockObjects(definition, byId));
  const cyclic = cycleClosingInstances(uses, context);
  const result = {
    blocks: blocks.map(({ name }, b) => {
      const block = { objects: [] };
      if (name) block.name = name;
      for (const object of uses[b]) if (!cyclic.has(object)) block.objects.push(convertObject(object, context));
      return block;
    }),
    objects: [],
  };
  for (const object of objects) {
    const attributes = object.attributes();
    if (attributes.isInstanceDefinitionObject || attributes.mode.value === 3) continue;
    result.objects.push(convertObject(object, context));
  }
  return result;
}

function blockObjects(definition, byId) {
  const ids = definition.getObjectIds() || [];
  const result = [];
  for (const id of ids) if (byId.has(id)) result.push(byId.get(id));
  return result;
}

/** The instances inside blocks that close a cycle of blocks placing each other. */
function cycleClosingInstances(uses, context) {
  const { rh } = context;
  const placed = uses.map((objects) =>
    objects
      .map((object) => {
        const g = object.geometry();
        const b = g instanceof rh.InstanceReference ? context.blockIndex.get(g.parentIdefId) : undefined;
        return b === undefined ? null : { object, block: b };
      })
      .filter(Boolean));
  const state = new Array(uses.length).fill(0); // 0 unvisited, 1 open, 2 done
  const cyclic = new Set();
  const visit = (b) => {
    state[b] = 1;
    for (const use of placed[b]) {
      if (state[use.block] === 1) cyclic.add(use.object);
      else if (state[use.block] === 0) visit(use.block);
    }
    state[b] = 2;
  };
  for (let b = 0; b < uses.length; ++b) if (state[b] === 0) visit(b);
  return cyclic;
}

module.exports = { convertObjectsAndBlocks, ObjectContext };
