// Validates one glTF or GLB file with the glTF validator from the repository's node_modules
// (installed by scripts/bootstrap) and prints every issue found, one a line. External resources
// (images beside the file) are loaded and checked too.
// Exit status: 0 no errors, 1 errors found, 2 the validator cannot be loaded or the file read.
'use strict';
const fs = require('fs');
const path = require('path');

let validator;
try {
  validator = require('gltf-validator');
} catch (error) {
  console.error('the glTF validator is not installed: run scripts/bootstrap (npm ci) first');
  process.exit(2);
}

const file = process.argv[2];
let bytes;
try {
  bytes = fs.readFileSync(file);
} catch (error) {
  console.error(String(error));
  process.exit(2);
}

validator
  .validateBytes(new Uint8Array(bytes), {
    uri: path.basename(file),
    maxIssues: 0,
    writeTimestamp: false,
    externalResourceFunction: (uri) =>
      fs.promises.readFile(path.resolve(path.dirname(file), decodeURIComponent(uri))),
  })
  .then((report) => {
    const severities = ['error', 'warning', 'info', 'hint'];
    for (const message of report.issues.messages) {
      console.log(`${severities[message.severity]} ${message.code} ${message.pointer || ''}: ` +
                  message.message);
    }
    console.log(`errors ${report.issues.numErrors} warnings ${report.issues.numWarnings}`);
    process.exit(report.issues.numErrors === 0 ? 0 : 1);
  })
  .catch((error) => {
    console.error(String(error));
    process.exit(2);
  });
