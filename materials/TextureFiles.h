// TextureFiles: from the file name a host texture stores to the file URL a scene material refers
// to. Owns the texture folder beside the scene file and the copies made into it during one export.
#pragma once

#include <memory>

#include "materials/TextureSearch.h"
#include "output/StagedFiles.h"
#include "plugin/stdafx.h"

/// What identifies a file or folder whatever path reaches it (links followed): its volume and its
/// index on that volume.
struct FileIdentity {
  DWORD volume = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;
  bool operator==(const FileIdentity&) const = default;
};

/// The identity of the existing file or folder at `path` (not null); false when it cannot be
/// opened.
bool identifyFile(const wchar_t* path, FileIdentity& identity);

/// The images copied into texture folders during one export, in order: one copy per distinct
/// source file. A later texture naming the same source (by whatever path) refers to its copy
/// instead of copying again; a different source whose file name is taken in that folder (by this
/// export's copies, ignoring case, or by any entry already there that does not hold the same
/// bytes) is copied under a name of its own ("wood-2.jpg"). The copies wait under temporary
/// names in `staged` until the scene is saved (saveToFile places them). Lives as long as the
/// export's SceneWriter.
struct TextureCopies {
  struct Copy {
    bool identified;      // false when the source could not be identified: it matches nothing
    FileIdentity source;  // valid when identified
    CString folder;       // the texture folder copied into
    CString path;         // the copy's full path
  };
  ON_ClassArray<Copy> copies;
  StagedFiles staged;
  CString folder;             // the texture folder last looked at; empty before the first
  bool folderUsable = false;  // whether `folder` is a real folder (no link) that copies go into
  std::unique_ptr<FolderTreeIndex> search;  // the document's folder tree, listed at first need
};

/// Joins a texture's stored file name to the folder of the document at `documentPath` (drive and
/// folder of the path, with a separator between them and `name` unless one ends the folder): the
/// form a name marked relative to the document's folder stands for. The name is used as stored
/// when the document has no path (never saved) or its path does not fit the splitting buffers.
CString joinToDocumentFolder(const wchar_t* documentPath, const wchar_t* name);

/// The file name of `path` without folder and extension ("model" for "E:\proj\model.3dm");
/// empty for an empty path or one that does not fit the splitting buffers.
CString fileBaseName(const wchar_t* path);

/// The file the scene material refers to for the image at `path`; empty when the texture is
/// left out. First the texture folder, exportFolder joined with exportBaseName, is made if
/// nothing has its name (one level; none when either is empty or the join does not fit
/// MAX_PATH); a folder that cannot be made or is a symbolic link is used for nothing, with a
/// warning. Then an existing image (a regular file of a known image format, see
/// inspectTextureSource) is staged for copying there under its file name or a name of its own
/// (see TextureCopies) and the copy's path returned; a same-named file already there holding the
/// same bytes is used instead of a copy. A source that is no image, or cannot be copied, is
/// referred to where it lies, with a warning, unless it lies in the system's temporary folder
/// (where the host puts a model's embedded images, deleted after the export): that texture is
/// left out with a warning. An image that is missing is looked for by file name under the
/// folder of the document at `documentPath` (or in that folder when the path names a folder
/// itself), one listing per export (see FolderTreeIndex), and returned where it was found,
/// without a copy. Otherwise, and for a path of MAX_PATH characters or more, `path` comes back
/// unchanged. Warnings go to the command line.
CString ResolveTextureFile(CString path, CString documentPath, TextureCopies& copies);

/// The URL of a file path as the renderer reads it: every ':' becomes '|' and every '\' a '/',
/// behind "file:///", or "file://" when the path then starts with '/' (file:///C|/maps/wood.jpg,
/// file:///srv/maps/wood.jpg). Nothing else is encoded: spaces and letters beyond ASCII stay.
CString TextureFileUrl(CString path);
