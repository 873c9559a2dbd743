'use strict';
// Where the document's large numeric arrays go: inline as JSON numbers, or into one binary sidecar
// of little-endian arrays that the JSON refers to by offset and shape.

class ArrayStore {
  /** `binary` true: arrays go to the sidecar; false: they stay JSON arrays. */
  constructor(binary) {
    this.binary = binary;
    this.chunks = [];
    this.size = 0;
  }

  /** Points as [[x, y, z], ...] (or [x, y, z, w] rows when `width` is 4), from a flat array. */
  points(flat, width) {
    if (this.binary) return this.add('f64', Float64Array.from(flat), [flat.length / width, width]);
    return rows(flat, width);
  }

  /** A grid of control points [rows][cols][width], from a flat array, row-major. */
  grid(flat, rowCount, colCount, width) {
    if (this.binary) return this.add('f64', Float64Array.from(flat), [rowCount, colCount, width]);
    const points = rows(flat, width);
    const result = [];
    for (let i = 0; i < rowCount; ++i) result.push(points.slice(i * colCount, (i + 1) * colCount));
    return result;
  }

  /** A flat array of numbers (knots). */
  numbers(values) {
    if (this.binary) return this.add('f64', Float64Array.from(values), [values.length]);
    return Array.from(values);
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

  /** Appends a typed array, 8-byte aligned, and returns its reference. */
  add(type, array, shape) {
    const padding = (8 - (this.size % 8)) % 8;
    if (padding) this.chunks.push(new Uint8Array(padding));
    const offset = this.size + padding;
    const bytes = new Uint8Array(array.buffer, array.byteOffset, array.byteLength);
    this.chunks.push(bytes);
    this.size = offset + bytes.length;
    return { binary: type, offset, shape };
  }

  /** The sidecar's bytes (little-endian, as typed arrays are on every machine Node runs on here). */
  sidecar() {
    return Buffer.concat(this.chunks.map((c) => Buffer.from(c.buffer, c.byteOffset, c.byteLength)));
  }
}

function rows(flat, width) {
  const result = new Array(flat.length / width);
  for (let i = 0; i < result.length; ++i) result[i] = Array.from(flat.slice(i * width, i * width + width));
  return result;
}

module.exports = { ArrayStore };
