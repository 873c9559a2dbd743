#!/usr/bin/env node
'use strict';
// Writes the small .3dm models the tests export (tests/host/fixtures/3dm/), with the same npm
// package that reads them. Each holds what its test checks in the exported scene:
//   house.3dm         millimetres; materials with colours, transparency and textures (one stored
//                     under another machine's path, one relative); a layer tree with a hidden and
//                     a locked layer; a quad mesh in double precision, a triangle mesh, a box brep,
//                     a point, a polyline and a text dot; objects hidden and locked
//   blocks-lights.3dm centimetres; blocks nested three deep (room > table > leg) placed moved and
//                     turned; point, spot, directional and switched-off lights
//   views-sun.3dm     metres; a sphere, a perspective and a parallel view, a named view, the earth
//                     anchor point and a sun that is on
//   trimmed.3dm       inches; a disc trimmed out of a plane, a closed box, a capped cylinder, an
//                     extrusion and an untrimmed NURBS surface, none with a render mesh
//   custom-units.3dm  custom units, whose length the reader does not give
// Run again after changing it: node tools/3dm/make-fixtures.js

const fs = require('fs');
const path = require('path');

const FOLDER = path.resolve(__dirname, '..', '..', 'tests', 'host', 'fixtures', '3dm');

function attributes(rh, values) {
  const a = new rh.ObjectAttributes();
  Object.assign(a, values);
  return a;
}

function colour(r, g, b) {
  return { r, g, b, a: 255 };
}

/** A box of six quads from (x0, y0, z0) to (x1, y1, z1); vertices in double precision. */
function boxMesh(rh, [x0, y0, z0], [x1, y1, z1]) {
  const mesh = new rh.Mesh();
  const vertices = mesh.vertices();
  vertices.useDoublePrecisionVertices = true;
  for (const z of [z0, z1]) for (const [x, y] of [[x0, y0], [x1, y0], [x1, y1], [x0, y1]]) vertices.addPoint3d(x, y, z);
  const quads = [[0, 3, 2, 1], [4, 5, 6, 7], [0, 1, 5, 4], [1, 2, 6, 5], [2, 3, 7, 6], [3, 0, 4, 7]];
  for (const q of quads) mesh.faces().addQuadFace(...q);
  return mesh;
}

function triangleMesh(rh, points) {
  const mesh = new rh.Mesh();
  for (const p of points) mesh.vertices().add(...p);
  for (let k = 0; k + 2 < points.length; k += 3) mesh.faces().addTriFace(k, k + 1, k + 2);
  return mesh;
}

function addMaterial(rh, model, values, texture) {
  const material = new rh.Material();
  Object.assign(material, values);
  if (texture) material.setBitmapTextureFilename(texture);
  model.materials().add(material);
  return model.materials().count - 1;
}

function addLayer(rh, model, values, parent) {
  const layer = new rh.Layer();
  Object.assign(layer, values);
  if (parent !== undefined) layer.parentLayerId = model.layers().get(parent).id;
  return model.layers().add(layer);
}

function house(rh) {
  const model = new rh.File3dm();
  model.settings().modelUnitSystem = rh.UnitSystem.Millimeters;
  const brick = addMaterial(rh, model, { name: 'Brick', diffuseColor: colour(180, 60, 40), shine: 30 },
    'C:\\textures\\brick.png');
  const glass = addMaterial(rh, model, { name: 'Glass', diffuseColor: colour(200, 225, 235), transparency: 0.5 });
  const tiles = addMaterial(rh, model, { name: 'Roof tiles', diffuseColor: colour(120, 40, 30) }, 'maps/roof.png');
  const houseLayer = addLayer(rh, model, { name: 'House' });
  const walls = addLayer(rh, model, { name: 'Walls', renderMaterialIndex: brick }, houseLayer);
  const windows = addLayer(rh, model, { name: 'Windows', visible: false }, houseLayer);
  const roof = addLayer(rh, model, { name: 'Roof', renderMaterialIndex: tiles });
  const fixed = addLayer(rh, model, { name: 'Fixed', locked: true });
  const objects = model.objects();
  objects.addMesh(boxMesh(rh, [0, 0, 0], [4000.1, 3000.3, 2500.7]), attributes(rh, { name: 'Walls', layerIndex: walls }));
  objects.addMesh(triangleMesh(rh, [[0, -10, 1000], [1000, -10, 1000], [1000, -10, 2000]]),
    attributes(rh, { name: 'Pane', layerIndex: houseLayer, materialSource: rh.ObjectMaterialSource.MaterialFromObject, materialIndex: glass }));
  objects.addMesh(triangleMesh(rh, [[0, 0, 3000], [10, 0, 3000], [0, 10, 3000]]), attributes(rh, { name: 'Frame', layerIndex: windows }));
  const roofBox = new rh.BoundingBox([0, 0, 2500], [4000, 3000, 3500]);
  objects.addBrep(rh.Brep.createFromBoundingBox(roofBox), attributes(rh, { name: 'Roof', layerIndex: roof }));
  objects.addPoint([1, 2, 3], attributes(rh, { name: 'Survey point', layerIndex: houseLayer }));
  objects.addPolyline([[0, 0, 0], [100, 0, 0], [100, 100, 0]], attributes(rh, { name: 'Outline', layerIndex: houseLayer }));
  objects.addTextDot('Door', [2000, 0, 0], attributes(rh, { name: 'Label', layerIndex: houseLayer }));
  objects.addMesh(boxMesh(rh, [5000, 0, 0], [5100, 100, 100]), attributes(rh, { name: 'Hidden box', layerIndex: houseLayer, mode: rh.ObjectMode.Hidden }));
  objects.addMesh(boxMesh(rh, [6000, 0, 0], [6100, 100, 100]), attributes(rh, { name: 'Fixed box', layerIndex: fixed }));
  return model;
}

function blocksAndLights(rh) {
  const model = new rh.File3dm();
  model.settings().modelUnitSystem = rh.UnitSystem.Centimeters;
  const oak = addMaterial(rh, model, { name: 'Oak', diffuseColor: colour(150, 110, 60) });
  addLayer(rh, model, { name: 'Furniture' });
  const defs = model.instanceDefinitions();
  const fromParent = () => attributes(rh, { materialSource: rh.ObjectMaterialSource.MaterialFromParent });
  defs.add('Leg', '', '', '', [0, 0, 0], [boxMesh(rh, [0, 0, 0], [5, 5, 70])], [fromParent()]);
  const leg = defs.get(0).id;
  const table = [boxMesh(rh, [0, 0, 70], [100, 60, 75])];
  for (const [x, y] of [[0, 0], [95, 0], [95, 55], [0, 55]])
    table.push(new rh.InstanceReference(leg, rh.Transform.translationXYZ(x, y, 0)));
  defs.add('Table', '', '', '', [0, 0, 0], table, table.map(fromParent));
  const tableId = defs.get(1).id;
  const room = [new rh.InstanceReference(tableId, rh.Transform.identity()),
    new rh.InstanceReference(tableId, rh.Transform.translationXYZ(200, 0, 0))];
  defs.add('Room', '', '', '', [0, 0, 0], room, room.map(fromParent));
  const objects = model.objects();
  const placed = (name) => attributes(rh, { name, layerIndex: 0, materialSource: rh.ObjectMaterialSource.MaterialFromObject, materialIndex: oak });
  objects.addInstanceObject(new rh.InstanceReference(defs.get(2).id, rh.Transform.translationXYZ(1000, 0, 0)), placed('Dining room'));
  objects.addInstanceObject(new rh.InstanceReference(tableId, rh.Transform.rotation(Math.PI / 2, [0, 0, 1], [0, 0, 0])), placed('Turned table'));
  const light = (name, style, values) => {
    const l = new rh.Light();
    l.lightStyle = style;
    Object.assign(l, values);
    objects.add(l, attributes(rh, { name, layerIndex: 0 }));
  };
  light('Bulb', rh.LightStyle.WorldPoint, { location: [50, 30, 250], diffuse: colour(255, 200, 150), intensity: 0.8 });
  light('Spot', rh.LightStyle.WorldSpot, { location: [0, 0, 300], direction: [0, 0, -300], spotAngleRadians: Math.PI / 6, shadowIntensity: 0.5 });
  light('Daylight', rh.LightStyle.WorldDirectional, { location: [0, 0, 1000], direction: [1, 1, -1] });
  light('Off', rh.LightStyle.WorldSpot, { location: [0, 0, 100], direction: [0, 0, -1], isEnabled: false });
  return model;
}

function viewsAndSun(rh) {
  const model = new rh.File3dm();
  model.settings().modelUnitSystem = rh.UnitSystem.Meters;
  model.objects().addBrep(rh.Brep.createFromSphere(new rh.Sphere([0, 0, 1], 1)), attributes(rh, { name: 'Ball' }));
  const view = (name, viewport) => {
    const info = new rh.ViewInfo();
    info.name = name;
    info.setViewport(viewport);
    return info;
  };
  const perspective = new rh.ViewportInfo();
  perspective.changeToPerspectiveProjection(10, true, 50);
  perspective.setCameraLocation([10, -10, 5]);
  perspective.setCameraDirection([-10, 10, -4]);
  perspective.setCameraUp([0, 0, 1]);
  perspective.setFrustum(-0.4, 0.4, -0.3, 0.3, 1, 100);
  const top = rh.ViewportInfo.defaultTop();
  top.setCameraLocation([0, 0, 20]);
  top.setCameraDirection([0, 0, -1]);
  top.setCameraUp([0, 1, 0]);
  top.setFrustum(-6, 6, -4.5, 4.5, 1, 40);
  model.views().add(view('Perspective', perspective));
  model.views().add(view('Top', top));
  const entrance = new rh.ViewportInfo();
  entrance.changeToPerspectiveProjection(10, true, 50);
  entrance.setCameraLocation([0, -8, 1.7]);
  entrance.setCameraDirection([0, 1, 0]);
  entrance.setCameraUp([0, 0, 1]);
  entrance.setFrustum(-0.5, 0.5, -0.375, 0.375, 1, 50);
  model.namedViews().add(view('Entrance', entrance));
  const settings = model.settings();
  const anchor = settings.earthAnchorPoint;
  anchor.earthBasepointLatitude = 45.76;
  anchor.earthBasepointLongitude = 4.84;
  anchor.name = 'Lyon';
  settings.earthAnchorPoint = anchor;
  const sun = settings.renderSettings().sun;
  Object.assign(sun, { enableOn: true, north: 90, latitude: 45.76, longitude: 4.84, timeZone: 1,
    daylightSavingOn: true, year: 2024, month: 6, day: 21, hours: 17.5 });
  return model;
}

function trimmed(rh) {
  const model = new rh.File3dm();
  model.settings().modelUnitSystem = rh.UnitSystem.Inches;
  const objects = model.objects();
  const disc = rh.Brep.createTrimmedPlane(rh.Plane.worldXY(), rh.ArcCurve.createFromCircle(new rh.Circle(5)));
  objects.addBrep(disc, attributes(rh, { name: 'Disc' }));
  objects.addBrep(rh.Brep.createFromBoundingBox(new rh.BoundingBox([20, 0, 0], [30, 10, 10])), attributes(rh, { name: 'Box' }));
  const cylinder = new rh.Cylinder(new rh.Circle(3), 8);
  objects.addBrep(rh.Brep.createFromCylinder(cylinder, true, true), attributes(rh, { name: 'Can' }));
  const profile = rh.ArcCurve.createFromCircle(new rh.Circle(2));
  objects.addExtrusion(rh.Extrusion.create(profile, 6, true), attributes(rh, { name: 'Post' }));
  const sheet = rh.NurbsSurface.create(3, false, 3, 3, 3, 3);
  const points = sheet.points();
  for (let i = 0; i < 3; ++i) for (let j = 0; j < 3; ++j) points.set(i, j, [40 + 5 * i, 5 * j, i === 1 && j === 1 ? 4 : 0, 1]);
  sheet.knotsU().createUniformKnots(1);
  sheet.knotsV().createUniformKnots(1);
  objects.addSurface(sheet, attributes(rh, { name: 'Sheet' }));
  return model;
}

function customUnits(rh) {
  const model = new rh.File3dm();
  model.settings().modelUnitSystem = rh.UnitSystem.CustomUnits;
  model.objects().addMesh(triangleMesh(rh, [[0, 0, 0], [1, 0, 0], [0, 1, 0]]), attributes(rh, { name: 'Triangle' }));
  return model;
}

require('rhino3dm')().then((rh) => {
  fs.mkdirSync(FOLDER, { recursive: true });
  const models = { 'house.3dm': house, 'blocks-lights.3dm': blocksAndLights, 'views-sun.3dm': viewsAndSun,
    'trimmed.3dm': trimmed, 'custom-units.3dm': customUnits };
  for (const [name, make] of Object.entries(models)) {
    fs.writeFileSync(path.join(FOLDER, name), make(rh).toByteArray());
    process.stdout.write(`${path.join(FOLDER, name)}\n`);
  }
});
