#!/usr/bin/env node
'use strict';
// Reads a .3dm model (file versions 1 to 8) with the npm package rhino3dm and writes it as a host
// document file (docs/document-format.md), for orvexport.
//
//   node convert3dm.js MODEL.3dm --print
//       prints the document (arrays inline) on standard output
//   node convert3dm.js MODEL.3dm --out FOLDER [--inline] [--progress]
//       writes FOLDER/document.json (and its arrays to FOLDER/document.bin unless --inline); images
//       embedded in the model that it uses go to FOLDER/textures/, where the document refers to
//       them. Then prints the line "document written": everything is in place, and orvexport
//       reads the document while Node.js is still ending. With --progress it first prints
//       "progress converting" once the reader has read the model.
//   node convert3dm.js --batch MODEL FOLDER [MODEL FOLDER ...]
//       converts each model in turn as --out does, one reader for all, printing one line for each
//       as soon as it is done: "written" (its folder is complete) or "failed MESSAGE" (a model
//       that cannot be read; the others are still converted). Exit status 0 after the last.
//
// A model that cannot be read is reported on standard error, naming the file and the reason, with
// exit status 2; nothing is written then.

const fs = require('fs');
const path = require('path');
const { readModel, shareReader, ModelError } = require('./lib/ReadModel');
const { convertModel } = require('./lib/Document');

// Arrays go to the binary sidecar beside the document (--inline keeps them in the JSON).
const SIDECAR = true;

function parseArguments(argv) {
  const args = { input: '', print: false, out: '', inline: !SIDECAR, progress: false, batch: null };
  if (argv[0] === '--batch') {
    if (argv.length < 3 || argv.length % 2 === 0)
      throw new ModelError('usage: convert3dm.js --batch MODEL FOLDER [MODEL FOLDER ...]');
    args.batch = [];
    for (let i = 1; i < argv.length; i += 2) args.batch.push({ input: argv[i], out: argv[i + 1] });
    return args;
  }
  for (let i = 0; i < argv.length; ++i) {
    const a = argv[i];
    if (a === '--print') args.print = true;
    else if (a === '--inline') args.inline = true;
    else if (a === '--progress') args.progress = true;
    else if (a === '--out') args.out = argv[++i] || '';
    else if (!args.input && !a.startsWith('--')) args.input = a;
    else throw new ModelError(`convert3dm: unexpected argument ${a}`);
  }
  if (!args.input || (!args.print && !args.out))
    throw new ModelError('usage: convert3dm.js MODEL.3dm (--print | --out FOLDER [--inline] [--progress])');
  return args;
}

/// Writes the document of the model `input` (and its binary file unless `inline`, and its images)
/// into the folder `out`; `progress` prints "progress converting" once the model is read.
async function writeDocument(input, out, inline, progress = false) {
  const { rh, model } = await readModel(input);
  if (progress) fs.writeSync(1, 'progress converting\n');
  try {
    fs.mkdirSync(out, { recursive: true });
    const { document, store } = convertModel(rh, model, {
      modelFile: path.resolve(input),
      binary: !inline,
      extractFolder: path.join(out, 'textures'),
    });
    if (!inline) {
      document.binary = 'document.bin';
      store.write(path.join(out, 'document.bin'));
    }
    fs.writeFileSync(path.join(out, 'document.json'), JSON.stringify(document));
  } finally {
    model.delete();  // its memory in the reader, which a batch goes on using
  }
}

/// The reason a model failed, on one line (the batch's protocol is line by line).
function failureLine(error) {
  const text = error instanceof ModelError ? error.message : String((error && error.stack) || error);
  return text.replace(/\s*\n\s*/g, ' ');
}

// Models a batch reads with one instance of the reader before starting a fresh one.
const MODELS_PER_READER = 32;

async function convertBatch(batch) {
  shareReader(MODELS_PER_READER);
  for (const { input, out } of batch) {
    try {
      await writeDocument(input, out, !SIDECAR);
      fs.writeSync(1, 'written\n');
    } catch (error) {
      fs.writeSync(1, `failed ${failureLine(error)}\n`);
    }
  }
}

async function main() {
  const args = parseArguments(process.argv.slice(2));
  if (args.batch) return convertBatch(args.batch);
  if (args.print) {
    const { rh, model } = await readModel(args.input);
    const { document } = convertModel(rh, model, {
      modelFile: path.resolve(args.input),
      binary: false,
    });
    process.stdout.write(JSON.stringify(document, null, 1) + '\n');
    return;
  }
  await writeDocument(args.input, args.out, args.inline, args.progress);
  fs.writeSync(1, 'document written\n');
}

main().catch((error) => {
  process.stderr.write(`${error instanceof ModelError ? error.message : error.stack || error}\n`);
  process.exitCode = 2;
});
