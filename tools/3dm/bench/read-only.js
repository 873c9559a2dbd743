#!/usr/bin/env node
'use strict';
// The reader alone: opens a .3dm file and does nothing with it.   node read-only.js MODEL.3dm
const fs = require('fs');

require('rhino3dm')().then((rh) => {
  const model = rh.File3dm.fromByteArray(fs.readFileSync(process.argv[2]));
  if (!model) process.exitCode = 2;
});
