// TextureFiles: from the file name a host texture stores to the file URL a scene material refers
// to. Owns the texture folder beside the scene file, the copies made into it during one export,
// and the search for an image that is not where its name says.
#pragma once

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
/// instead of copying again; a different source whose file name is taken in that folder is
/// copied under a name of its own ("wood-2.jpg"). Lives as long as the export's SceneWriter.
struct TextureCopies {
  struct Copy {
    bool identified;      // false when the source could not be identified: it matches nothing
    FileIdentity source;  // valid when identified
    CString folder;       // the texture folder copied into
    CString path;         // the copy's full path
  };
  ON_ClassArray<Copy> copies;
};

/// Joins a texture's stored file name to the folder of the document at `documentPath` (drive and
/// folder of the path, with a separator between them and `name` unless one ends the folder): the
/// form a name marked relative to the document's folder stands for. The name is used as stored
/// when the document has no path (never saved) or its path does not fit the splitting buffers.
CString joinToDocumentFolder(const wchar_t* documentPath, const wchar_t* name);

/// The file name of `path` without folder and extension ("model" for "E:\proj\model.3dm");
/// empty for an empty path or one that does not fit the splitting buffers.
CString fileBaseName(const wchar_t* path);

/// The file the scene material refers to for the image at `path`. First the texture folder,
/// exportFolder joined with exportBaseName, is made if it does not exist (one level; none when
/// either is empty, the join does not fit MAX_PATH or the folder cannot be made). Then an existing
/// image is copied there under its file name (or a name of its own, see TextureCopies) and the
/// copy returned; one that is missing is looked for by file name under the folder of the
/// document at `documentPath` (or in that folder when the path names a folder itself) and
/// returned where it was found, without a copy. Otherwise, and for a path of MAX_PATH characters
/// or more, `path` comes back unchanged. Nothing is reported: a failed copy refers to the source.
CString ResolveTextureFile(CString path, CString documentPath, TextureCopies& copies);

/// Searches the folder `folder` and below for a file named `wanted` (name and extension, letter
/// case ignored): first the folder's own files, then each subfolder in turn, depth first, in the
/// enumerator's order. Folder links are followed, but each real folder is searched once and the
/// search goes no deeper than 32 levels below `folder`. True with `found` set to the first
/// match's full path; false with `found` unchanged.
bool FindFileInTree(const wchar_t* wanted, const wchar_t* folder, CString& found);

/// The URL of a file path as the renderer reads it: every ':' becomes '|' and every '\' a '/',
/// behind "file:///", or "file://" when the path then starts with '/' (file:///C|/maps/wood.jpg,
/// file:///srv/maps/wood.jpg). Nothing else is encoded: spaces and letters beyond ASCII stay.
CString TextureFileUrl(CString path);
