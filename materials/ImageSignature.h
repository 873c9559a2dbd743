// ImageSignature: whether a file a document names as a texture is an image, told by its first
// bytes (and a Targa file by its header and name), so that only images are copied beside a scene.
#pragma once

#include <string>

/// What the file at a texture's path is.
enum class TextureSource {
  image,       // a regular file that starts like an image of a known format
  notRegular,  // a folder, device, pipe or socket
  notImage,    // a regular file of another kind (text, an empty file)
  unreadable   // it cannot be opened or read
};

/// Looks at the file `utf8Path` (links followed; never blocks on a pipe). The formats known:
/// PNG, JPEG, JPEG 2000, BMP, GIF, TIFF, Radiance HDR, OpenEXR, WebP, DDS, KTX, Photoshop, and
/// Targa (no signature: a ".tga" name and a plausible header).
TextureSource inspectTextureSource(const std::string& utf8Path);
