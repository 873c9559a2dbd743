'use strict';
// Where the document's large numeric arrays go: inline as JSON numbers, or into one binary sidecar
// of little-endian arrays that the JSON refers to by offset and shape.

const fs = require('fs');

const ZEROS = new Uint8Array(8);

// At most this many pieces go to the system in one vectored write (the usual IOV_MAX).
const PIECES_PER_WRITE = 1024;

class ArrayStore {
  /** `binary` true: arrays go to the sidecar; false: they stay JSON arrays. */
  constructor(binary) {
    this.binary = binary;
    this.chunks = [];
    this.size = 0;
  }

  /**
   * Points as [[x, y, z], ...] (or [x, y, z, w] rows when `width` is 4), from a flat array. A
   * Float64Array or Float32Array goes to the sidecar as it is ("f64" or "f32"), without a copy:
   * the caller leaves it unchanged. Single-precision values stay so: the host widens each one
   * exactly.
   */
  points(flat, width) {
    const shape = [flat.length / width, width];
    if (this.binary && flat instanceof Float32Array) return this.add('f32', flat, shape);
    if (this.binary) return this.add('f64', doubles(flat), shape);
    return rows(flat, width);
  }

  /** A grid of control points [rows][cols][width], from a flat array, row-major (kept as points). */
  grid(flat, rowCount, colCount, width) {
    if (this.binary) return this.add('f64', doubles(flat), [rowCount, colCount, width]);
    const points = rows(flat, width);
    const result = [];
    for (let i = 0; i < rowCount; ++i) result.push(points.slice(i * colCount, (i + 1) * colCount));
    return result;
  }

  /** A flat array of numbers (knots). */
  numbers(values) {
    if (this.binary) return this.add('f64', doubles(values), [values.length]);
    return Array.from(values);
  }

  /**
   * Mesh faces that are all triangles, three indices each, from an Int32Array that goes to the
   * sidecar as it is (the caller leaves it unchanged).
   */
  triangles(indices) {
    const count = indices.length / 3;
    if (this.binary) return this.add('i32', indices, [count, 3]);
    const result = new Array(count);
    for (let f = 0; f < count; ++f) result[f] = [indices[3 * f], indices[3 * f + 1], indices[3 * f + 2]];
    return result;
  }

  /** Mesh faces from a flat array of four indices per face, where a triangle repeats its third. */
  faces(quadruples) {
    const count = quadruples.length / 4;
    let quads = false;
    for (let f = 0; f < count && !quads; ++f) quads = quadruples[4 * f + 2] !== quadruples[4 * f + 3];
    if (this.binary) {
      if (quads) return this.add('i32', Int32Array.from(quadruples), [count, 4]);
      const triangles = new Int32Array(3 * count);
      for (let f = 0; f < count; ++f)
        for (let k = 0; k < 3; ++k) triangles[3 * f + k] = quadruples[4 * f + k];
      return this.add('i32', triangles, [count, 3]);
    }
    const result = new Array(count);
    for (let f = 0; f < count; ++f) {
      const q = quadruples.slice(4 * f, 4 * f + 4);
      result[f] = q[2] === q[3] ? [q[0], q[1], q[2]] : Array.from(q);
    }
    return result;
  }

  /** Appends a typed array, 8-byte aligned, and returns its reference. The store keeps `array`. */
  add(type, array, shape) {
    const padding = (8 - (this.size % 8)) % 8;
    if (padding) this.chunks.push(ZEROS.subarray(0, padding));
    const offset = this.size + padding;
    const bytes = new Uint8Array(array.buffer, array.byteOffset, array.byteLength);
    this.chunks.push(bytes);
    this.size = offset + bytes.length;
    return { binary: type, offset, shape };
  }

  /**
   * Writes the sidecar to `file` (little-endian, as typed arrays are on every machine Node runs on
   * here), straight from the arrays, without gathering them into one buffer first. Throws the
   * system's error when the file cannot be written.
   */
  write(file) {
    const fd = fs.openSync(file, 'w');
    try {
      for (let first = 0; first < this.chunks.length; first += PIECES_PER_WRITE)
        writeAll(fd, this.chunks.slice(first, first + PIECES_PER_WRITE));
    } finally {
      fs.closeSync(fd);
    }
  }
}

/** Writes every piece, again from where the system stopped when it writes less than asked. */
function writeAll(fd, pieces) {
  let written = fs.writevSync(fd, pieces);
  for (let k = 0; k < pieces.length; ++k) {
    const length = pieces[k].length;
    if (written >= length) {
      written -= length;
      continue;
    }
    pieces = pieces.slice(k);
    pieces[0] = pieces[0].subarray(written);
    written = fs.writevSync(fd, pieces);
    k = -1;
  }
}

function doubles(values) {
  return values instanceof Float64Array ? values : Float64Array.from(values);
}

function rows(flat, width) {
  const result = new Array(flat.length / width);
  for (let i = 0; i < result.length; ++i) result[i] = Array.from(flat.slice(i * width, i * width + width));
  return result;
}

module.exports = { ArrayStore };
