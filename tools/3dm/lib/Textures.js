'use strict';
// Where a material's image is: the stored path when it exists, the path stored relative to the
// model's folder, an image embedded in the file (written out once, for the plug-in to copy into
// the texture folder beside the scene like any other image), or else the stored name, which the
// plug-in looks for by file name below the model's folder.

const fs = require('fs');
const path = require('path');

/** The file name at the end of a path made on any platform ("C:\maps\wood.jpg" gives wood.jpg). */
function baseName(stored) {
  const parts = stored.split(/[\\/]/);
  return parts[parts.length - 1];
}

const sameName = (a, b) => a.toLowerCase() === b.toLowerCase();

class TextureResolver {
  /**
   * `modelFile` is the .3dm file's absolute path. Embedded images are written into
   * `extractFolder` (made when the first is written); without one they are not written and the
   * stored name stays.
   */
  constructor(model, modelFile, extractFolder) {
    this.model = model;
    this.modelFolder = path.dirname(modelFile);
    this.extractFolder = extractFolder;
    this.embedded = extractFolder ? embeddedPaths(model) : [];
    this.written = new Map(); // embedded path -> the name it was written under
    this.used = new Set(); // names taken in the texture folder, lower case
  }

  resolve(texture) {
    const stored = texture.fileName || '';
    if (!stored) return '';
    if (path.isAbsolute(stored) && exists(stored)) return stored;
    // A name that is no full path, of this machine or another, is relative to the model's folder.
    if (!path.isAbsolute(stored) && !/^[A-Za-z]:|^\\/.test(stored)) {
      const beside = path.resolve(this.modelFolder, stored.split('\\').join('/'));
      if (exists(beside)) return beside;
    }
    const reference = texture.fileReference ? texture.fileReference() : null;
    const relative = reference && reference.relativePath;
    if (relative) {
      const joined = path.resolve(this.modelFolder, relative.split('\\').join('/'));
      if (exists(joined)) return joined;
    }
    const embedded = this.findEmbedded(stored);
    return embedded ? this.writeOut(embedded) : stored;
  }

  /** The embedded file stored under the same path, or else under the same file name. */
  findEmbedded(stored) {
    const normal = (p) => p.split('\\').join('/').toLowerCase();
    return (
      this.embedded.find((p) => normal(p) === normal(stored)) ||
      this.embedded.find((p) => sameName(baseName(p), baseName(stored))) ||
      null
    );
  }

  /**
   * Writes the embedded file once, under its own file name or a numbered one ("wood-2.jpg") when
   * another embedded file of that name came first.
   */
  writeOut(embeddedPath) {
    if (!this.written.has(embeddedPath)) {
      const base64 = this.model.getEmbeddedFileAsBase64(embeddedPath);
      if (typeof base64 !== 'string' || base64.length === 0) return embeddedPath;
      const name = this.freeName(baseName(embeddedPath) || 'texture');
      fs.mkdirSync(this.extractFolder, { recursive: true });
      fs.writeFileSync(path.join(this.extractFolder, name), Buffer.from(base64, 'base64'));
      this.written.set(embeddedPath, name);
    }
    return path.join(this.extractFolder, this.written.get(embeddedPath));
  }

  freeName(name) {
    const ext = path.extname(name);
    const stem = name.slice(0, name.length - ext.length);
    let candidate = name;
    for (let k = 2; this.used.has(candidate.toLowerCase()); ++k) candidate = `${stem}-${k}${ext}`;
    this.used.add(candidate.toLowerCase());
    return candidate;
  }
}

function embeddedPaths(model) {
  try {
    return model.embeddedFilePaths() || [];
  } catch {
    return [];
  }
}

function exists(file) {
  try {
    return fs.statSync(file).isFile();
  } catch {
    return false;
  }
}

module.exports = { TextureResolver };
