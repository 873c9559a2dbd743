#!/usr/bin/env node
'use strict';
// The comparison for the benchmark: a .3dm read with the same package and written as binary glTF
// with a common JavaScript exporter, one mesh per object, positions and triangle indices.
//   node to-gltf.js MODEL.3dm OUT.glb
const fs = require('fs');
const { Document, NodeIO } = require('@gltf-transform/core');

require('rhino3dm')().then(async (rh) => {
  const model = rh.File3dm.fromByteArray(fs.readFileSync(process.argv[2]));
  const document = new Document();
  const buffer = document.createBuffer();
  const scene = document.createScene();
  const objects = model.objects();
  for (let i = 0; i < objects.count; ++i) {
    const geometry = objects.get(i).geometry();
    if (!(geometry instanceof rh.Mesh)) continue;
    const arrays = geometry.toThreejsBuffers(false);
    const position = document.createAccessor().setType('VEC3').setArray(arrays.position).setBuffer(buffer);
    const indices = document.createAccessor().setType('SCALAR').setArray(arrays.index).setBuffer(buffer);
    const primitive = document.createPrimitive().setAttribute('POSITION', position).setIndices(indices);
    scene.addChild(document.createNode().setMesh(document.createMesh().addPrimitive(primitive)));
  }
  fs.writeFileSync(process.argv[3], await new NodeIO().writeBinary(document));
});
