'use strict';
// Opening a .3dm file with the reader, refusing what is not one with a message that names the file
// and the reason.

const fs = require('fs');
const path = require('path');

/** A model that cannot be read; the message names the file and says why. */
class ModelError extends Error {}

const SIGNATURE = '3D Geometry File Format ';

// Models one instance of the reader reads before a fresh one is started (see shareReader).
let modelsPerReader = 1;
let reader = null;  // the instance in use, a promise, and how many models it has been handed
let readerUses = 0;

/**
 * From now on, readModel hands out the same instance of the reader for `count` models in a row
 * (a batch): starting one costs about as much as reading a small model, but each instance keeps
 * what it has read in its memory, which cannot be given back.
 */
function shareReader(count) {
  modelsPerReader = count;
}

/** An instance of the reader (a promise), fresh or shared as shareReader asks. */
function readerFor(file) {
  let factory;
  try {
    factory = require('rhino3dm');
  } catch {
    const root = path.resolve(__dirname, '..', '..', '..');
    throw new ModelError(
      `${file}: cannot read .3dm files: the npm package rhino3dm is not installed (run "npm ci" in ${root})`);
  }
  if (readerUses++ % modelsPerReader === 0) reader = factory();
  return reader;
}

function readBytes(file) {
  try {
    if (fs.statSync(file).isDirectory()) throw new ModelError(`${file}: is a folder, not a .3dm file`);
    return fs.readFileSync(file);
  } catch (error) {
    if (error instanceof ModelError) throw error;
    const reason = error.code === 'ENOENT' ? 'no such file' : error.code === 'EACCES' ? 'permission denied' : error.message;
    throw new ModelError(`${file}: cannot open: ${reason}`);
  }
}

/** The file's version from its 32-byte start "3D Geometry File Format " and eight characters. */
function fileVersion(file, bytes) {
  const start = bytes.subarray(0, 32).toString('latin1');
  if (bytes.length < 32 || !start.startsWith(SIGNATURE))
    throw new ModelError(`${file}: not a .3dm file: it does not begin with "${SIGNATURE.trim()}"`);
  const version = Number.parseInt(start.slice(SIGNATURE.length).trim(), 10);
  if (!Number.isInteger(version)) throw new ModelError(`${file}: not a .3dm file: no file version after "${SIGNATURE.trim()}"`);
  return version;
}

/** Reads the model; resolves to {rh, model}, or rejects with a ModelError. */
async function readModel(file) {
  const bytes = readBytes(file);
  const version = fileVersion(file, bytes);
  const major = version >= 10 ? Math.floor(version / 10) : version;
  if (major < 1 || major > 8)
    throw new ModelError(`${file}: .3dm file version ${major} is not supported: versions 1 to 8 are read`);
  const rh = await readerFor(file);
  const model = rh.File3dm.fromByteArray(new Uint8Array(bytes.buffer, bytes.byteOffset, bytes.length));
  if (!model) throw new ModelError(`${file}: the .3dm file is damaged or truncated: the reader could not read it`);
  return { rh, model };
}

module.exports = { readModel, shareReader, ModelError };
