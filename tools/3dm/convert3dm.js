#!/usr/bin/env node
'use strict';
// Reads a .3dm model (file versions 1 to 8) with the npm package rhino3dm and writes it as a host
// document file (docs/document-format.md), for orvexport.
//
//   node convert3dm.js MODEL.3dm --print
//       prints the document (arrays inline) on standard output
//   node convert3dm.js MODEL.3dm --out FOLDER [--inline]
//       writes FOLDER/document.json (and its arrays to FOLDER/document.bin unless --inline); images
//       embedded in the model that it uses go to FOLDER/textures/, where the document refers to
//       them. Then prints the line "document written": everything is in place, and orvexport
//       reads the document while Node.js is still ending.
//
// A model that cannot be read is reported on standard error, naming the file and the reason, with
// exit status 2; nothing is written then.

const fs = require('fs');
const path = require('path');
const { readModel, ModelError } = require('./lib/ReadModel');
const { convertModel } = require('./lib/Document');

// Arrays go to the binary sidecar beside the document (--inline keeps them in the JSON).
const SIDECAR = true;

function parseArguments(argv) {
  const args = { input: '', print: false, out: '', inline: !SIDECAR };
  for (let i = 0; i < argv.length; ++i) {
    const a = argv[i];
    if (a === '--print') args.print = true;
    else if (a === '--inline') args.inline = true;
    else if (a === '--out') args.out = argv[++i] || '';
    else if (!args.input && !a.startsWith('--')) args.input = a;
    else throw new ModelError(`convert3dm: unexpected argument ${a}`);
  }
  if (!args.input || (!args.print && !args.out))
    throw new ModelError('usage: convert3dm.js MODEL.3dm (--print | --out FOLDER [--inline])');
  return args;
}

async function main() {
  const args = parseArguments(process.argv.slice(2));
  const { rh, model } = await readModel(args.input);
  const modelFile = path.resolve(args.input);
  if (args.print) {
    const { document } = convertModel(rh, model, { modelFile, binary: false });
    process.stdout.write(JSON.stringify(document, null, 1) + '\n');
    return;
  }
  fs.mkdirSync(args.out, { recursive: true });
  const { document, store } = convertModel(rh, model, {
    modelFile,
    binary: !args.inline,
    extractFolder: path.join(args.out, 'textures'),
  });
  if (!args.inline) {
    document.binary = 'document.bin';
    store.write(path.join(args.out, 'document.bin'));
  }
  fs.writeFileSync(path.join(args.out, 'document.json'), JSON.stringify(document));
  fs.writeSync(1, 'document written\n');
}

main().catch((error) => {
  process.stderr.write(`${error instanceof ModelError ? error.message : error.stack || error}\n`);
  process.exitCode = 2;
});
