#!/usr/bin/env node
'use strict';
// The reader alone: opens a .3dm file and does nothing with it; with --arrays it also takes every
// mesh's vertex and triangle arrays out of the reader in its one bulk call, as the converter and the
// glTF comparison do.   node read-only.js MODEL.3dm [--arrays]
const fs = require('fs');

require('rhino3dm')().then((rh) => {
  const model = rh.File3dm.fromByteArray(fs.readFileSync(process.argv[2]));
  if (!model) {
    process.exitCode = 2;
    return;
  }
  if (process.argv[3] !== '--arrays') return;
  const objects = model.objects();
  for (let i = 0; i < objects.count; ++i) {
    const geometry = objects.get(i).geometry();
    if (geometry instanceof rh.Mesh) geometry.toThreejsBuffers(false);
  }
});
