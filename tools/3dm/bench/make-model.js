#!/usr/bin/env node
'use strict';
// Writes the benchmark's model: 100 meshes of 10 000 triangles each (about a million in all) on
// 5 layers in 10 materials, millimetres.   node make-model.js OUT.3dm

const fs = require('fs');

const MESHES = 100;
const SIDE = 70; // 70 × 70 quads cut into 2 triangles: 9 800 triangles a mesh

require('rhino3dm')().then((rh) => {
  const model = new rh.File3dm();
  model.settings().modelUnitSystem = rh.UnitSystem.Millimeters;
  for (let m = 0; m < 10; ++m) {
    const material = new rh.Material();
    material.name = `Material ${m}`;
    material.diffuseColor = { r: 25 * m, g: 120, b: 200 - 15 * m, a: 255 };
    model.materials().add(material);
  }
  for (let l = 0; l < 5; ++l) {
    const layer = new rh.Layer();
    layer.name = `Layer ${l}`;
    model.layers().add(layer);
  }
  for (let k = 0; k < MESHES; ++k) {
    const mesh = new rh.Mesh();
    const vertices = mesh.vertices();
    const x0 = (k % 10) * 1000;
    const y0 = Math.floor(k / 10) * 1000;
    for (let i = 0; i <= SIDE; ++i)
      for (let j = 0; j <= SIDE; ++j) {
        const x = x0 + i * 10, y = y0 + j * 10;
        vertices.add(x, y, 50 * Math.sin(x / 100) * Math.cos(y / 100));
      }
    const faces = mesh.faces();
    for (let i = 0; i < SIDE; ++i)
      for (let j = 0; j < SIDE; ++j) {
        const a = i * (SIDE + 1) + j;
        faces.addTriFace(a, a + SIDE + 1, a + SIDE + 2);
        faces.addTriFace(a, a + SIDE + 2, a + 1);
      }
    const attributes = new rh.ObjectAttributes();
    attributes.name = `Mesh ${k}`;
    attributes.layerIndex = k % 5;
    attributes.materialSource = rh.ObjectMaterialSource.MaterialFromObject;
    attributes.materialIndex = k % 10;
    model.objects().addMesh(mesh, attributes);
  }
  fs.writeFileSync(process.argv[2], model.toByteArray());
});
