// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "materials/TextureFiles.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "export/Utf8Converter.h"
#include "materials/ImageSignature.h"
#include "output/FileReplacement.h"
#include "plugin/ExportOptions.h"

namespace {

std::string utf8(const wchar_t* text) {
  return toUtf8(text);
}

bool endsWithSeparator(const CString& path) {
  if (path.IsEmpty()) return false;
  const wchar_t last = path.GetAt(path.GetLength() - 1);
  return last == L'\\' || last == L'/';
}

void warnTexture(const CString& path, const char* what) {
  RhinoApp().Print("Warning: texture %s %s\n", utf8(path).c_str(), what);
}

// Whether the folder at `folder` takes copies: made when nothing has its name, refused with a
// warning when it cannot be made or is a link (whose target may be anybody's folder).
bool folderTakesCopies(const wchar_t* folder, StagedFiles& staged) {
  const std::string name = utf8(folder);
  struct stat entry;
  int error = 0;
  if (::lstat(name.c_str(), &entry) == 0) {
    if (S_ISDIR(entry.st_mode)) return true;
    if (S_ISLNK(entry.st_mode)) {
      RhinoApp().Print("Warning: images are not copied: the texture folder %s is a symbolic link\n",
                       name.c_str());
      return false;
    }
    error = EEXIST;
  } else {
    error = errno == ENOENT ? staged.makeFolder(name) : errno;
    if (error == 0) return true;
  }
  RhinoApp().Print("Warning: images are not copied: the texture folder %s cannot be made: %s\n",
                   name.c_str(), std::strerror(error));
  return false;
}

// The texture folder beside the scene file, looked at once per export; false when there is none
// to copy into.
bool textureFolder(TextureCopies& copies, wchar_t (&folder)[MAX_PATH]) {
  if (exportBaseName.IsEmpty() || exportFolder.IsEmpty()) return false;
  if (PathCombineW(folder, exportFolder, exportBaseName) == nullptr) return false;
  if (copies.folder.Compare(folder) != 0) {
    copies.folder = folder;
    copies.folderUsable = folderTakesCopies(folder, copies.staged);
  }
  return copies.folderUsable;
}

// "wood.jpg" for the path of an image; false when the path does not fit the splitting buffers.
bool fileNameOf(const wchar_t* path, CString& name) {
  wchar_t base[_MAX_FNAME];
  wchar_t extension[_MAX_EXT];
  if (_wsplitpath_s(path, nullptr, 0, nullptr, 0, base, _MAX_FNAME, extension, _MAX_EXT) != 0)
    return false;
  name = CString(base) + extension;
  return true;
}

// The copy already made of the same source file into `folder`, or null.
const TextureCopies::Copy* earlierCopy(const TextureCopies& copies, const FileIdentity& source,
                                       const wchar_t* folder) {
  for (int i = 0; i < copies.copies.Count(); ++i) {
    const TextureCopies::Copy& copy = copies.copies[i];
    if (copy.identified && copy.source == source && copy.folder.CompareNoCase(folder) == 0)
      return &copy;
  }
  return nullptr;
}

bool isTaken(const TextureCopies& copies, const wchar_t* path) {
  for (int i = 0; i < copies.copies.Count(); ++i)
    if (copies.copies[i].path.CompareNoCase(path) == 0) return true;
  return false;
}

// What a name in the texture folder offers the copy of `source`.
enum class Place { free, sameBytes, taken };

Place placeFor(const TextureCopies& copies, const wchar_t* source, const wchar_t* path) {
  if (isTaken(copies, path)) return Place::taken;
  const std::string name = utf8(path);
  struct stat entry;
  if (::lstat(name.c_str(), &entry) != 0) return errno == ENOENT ? Place::free : Place::taken;
  // Only a regular file can stand for the copy; a link there is never followed.
  if (S_ISREG(entry.st_mode) && holdSameBytes(name, utf8(source))) return Place::sameBytes;
  return Place::taken;
}

// "wood.jpg", or "wood-2.jpg", "wood-3.jpg"... the first name that is free or already holds the
// source's bytes; false when no such name fits MAX_PATH.
bool copyPathFor(const TextureCopies& copies, const wchar_t* source, const wchar_t* folder,
                 const wchar_t* fileName, wchar_t (&path)[MAX_PATH], Place& place) {
  wchar_t base[_MAX_FNAME];
  wchar_t extension[_MAX_EXT];
  if (_wsplitpath_s(fileName, nullptr, 0, nullptr, 0, base, _MAX_FNAME, extension, _MAX_EXT) != 0)
    return false;
  CString candidate = fileName;
  for (int n = 2;; ++n) {
    if (PathCombineW(path, folder, candidate) == nullptr) return false;
    place = placeFor(copies, source, path);
    if (place != Place::taken) return true;
    candidate = CString(base) + L"-";
    candidate += std::to_wstring(n).c_str();
    candidate += extension;
  }
}

// True when the file at `source` lies directly in `folder` (whatever paths reach them).
bool liesIn(const wchar_t* source, const wchar_t* folder) {
  wchar_t sourceFolder[MAX_PATH];
  if (std::wcslen(source) >= MAX_PATH) return false;
  std::wcscpy(sourceFolder, source);
  PathRemoveFileSpecW(sourceFolder);
  FileIdentity a, b;
  return sourceFolder[0] != L'\0' && identifyFile(sourceFolder, a) && identifyFile(folder, b) &&
         a == b;
}

// True when `path` lies below the system's temporary folder, which keeps nothing for long.
bool liesInTemporaryFolder(const wchar_t* path) {
  wchar_t temporary[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, temporary);
  if (length == 0 || length >= MAX_PATH) return false;
  char* folder = ::realpath(utf8(temporary).c_str(), nullptr);
  char* file = ::realpath(utf8(path).c_str(), nullptr);
  const std::size_t folderLength = folder != nullptr ? std::strlen(folder) : 0;
  const bool below = folder != nullptr && file != nullptr &&
                     std::strncmp(file, folder, folderLength) == 0 && file[folderLength] == '/';
  std::free(folder);
  std::free(file);
  return below;
}

// The reference to a source that is not copied: where it lies, or nothing for one in the
// temporary folder, which will not keep it for the scene.
CString uncopied(const CString& path) {
  if (!liesInTemporaryFolder(path)) return path;
  warnTexture(path, "is left out: it is not copied and lies in the system's temporary folder");
  return CString();
}

// Whether the existing file at `source` may be copied; warns when not.
bool isCopyableImage(const CString& source) {
  switch (inspectTextureSource(utf8(source))) {
    case TextureSource::image:
      return true;
    case TextureSource::notRegular:
      warnTexture(source, "is not copied: not a regular file");
      return false;
    case TextureSource::notImage:
      warnTexture(source, "is not copied: not an image file");
      return false;
    case TextureSource::unreadable:
      warnTexture(source, "is not copied: it cannot be read");
      return false;
  }
  return false;
}

// Stages the copy of the existing image at `source` for the texture folder, once per source
// file; empty when it is not copied. An image already in the folder is its own copy: it is
// neither copied onto itself nor renamed, and its name is taken for other sources.
CString copyIntoFolder(TextureCopies& copies, const CString& source, const wchar_t* folder,
                       const wchar_t* fileName) {
  FileIdentity identity;
  const bool identified = identifyFile(source, identity);
  if (identified) {
    if (const TextureCopies::Copy* earlier = earlierCopy(copies, identity, folder))
      return earlier->path;
    wchar_t inFolder[MAX_PATH];
    if (liesIn(source, folder) && PathCombineW(inFolder, folder, fileName) != nullptr) {
      copies.copies.Append({true, identity, CString(folder), CString(inFolder)});
      return inFolder;
    }
  }
  if (!isCopyableImage(source)) return CString();
  wchar_t target[MAX_PATH];
  Place place = Place::taken;
  if (!copyPathFor(copies, source, folder, fileName, target, place)) {
    warnTexture(source, "is not copied: no free name in the texture folder fits");
    return CString();
  }
  if (place == Place::free) {
    try {
      copies.staged.stage(utf8(source), utf8(target));
    } catch (const FileSystemError& error) {
      RhinoApp().Print("Warning: texture %s is not copied: %s\n", utf8(source).c_str(),
                       error.what());
      return CString();
    }
  }
  copies.copies.Append({identified, identity, CString(folder), CString(target)});
  return target;
}

// Where a missing image is looked for: the document's folder (the path itself when it names a
// folder); false for a document without a path or one too long for the buffer.
bool searchFolderOf(const CString& documentPath, wchar_t (&folder)[MAX_PATH]) {
  if (documentPath.IsEmpty() || documentPath.GetLength() >= MAX_PATH) return false;
  std::wcscpy(folder, documentPath);
  if (!PathIsDirectoryW(folder)) PathRemoveFileSpecW(folder);
  return folder[0] != L'\0';
}

// The export's listing of the tree below `folder`, made at its first use.
const FolderTreeIndex& searchIndex(TextureCopies& copies, const wchar_t* folder) {
  if (copies.search == nullptr || copies.search->root().Compare(folder) != 0) {
    copies.search = std::make_unique<FolderTreeIndex>(folder);
    if (copies.search->cutShort())
      RhinoApp().Print("Warning: the search for missing images stopped after %d folders below %s\n",
                       FolderTreeIndex::kMaxSearchFolders, utf8(folder).c_str());
  }
  return *copies.search;
}

}  // namespace

bool identifyFile(const wchar_t* path, FileIdentity& identity) {
  HANDLE file = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION information;
  const BOOL known = GetFileInformationByHandle(file, &information);
  CloseHandle(file);
  if (!known) return false;
  identity = {information.dwVolumeSerialNumber, information.nFileIndexHigh,
              information.nFileIndexLow};
  return true;
}

CString joinToDocumentFolder(const wchar_t* documentPath, const wchar_t* name) {
  wchar_t drive[_MAX_DRIVE];
  wchar_t folder[_MAX_DIR];
  if (documentPath == nullptr || documentPath[0] == L'\0' ||
      _wsplitpath_s(documentPath, drive, _MAX_DRIVE, folder, _MAX_DIR, nullptr, 0, nullptr, 0) != 0)
    return CString(name);
  CString joined = CString(drive) + folder;
  if (joined.IsEmpty()) return CString(name);  // a bare file name: the current folder
  if (!endsWithSeparator(joined)) joined += L'\\';
  joined += name;
  return joined;
}

CString fileBaseName(const wchar_t* path) {
  wchar_t base[_MAX_FNAME];
  if (path == nullptr ||
      _wsplitpath_s(path, nullptr, 0, nullptr, 0, base, _MAX_FNAME, nullptr, 0) != 0)
    return CString();
  return CString(base);
}

CString ResolveTextureFile(CString path, CString documentPath, TextureCopies& copies) {
  wchar_t folder[MAX_PATH];
  const bool haveFolder = textureFolder(copies, folder);
  // A path the fixed buffers cannot hold is referred to as it is.
  if (path.IsEmpty() || path.GetLength() >= MAX_PATH) return path;
  CString fileName;
  if (!fileNameOf(path, fileName)) return path;

  if (PathFileExistsW(path)) {
    if (haveFolder) {
      const CString copy = copyIntoFolder(copies, path, folder, fileName);
      if (!copy.IsEmpty()) return copy;
    }
    return uncopied(path);
  }
  wchar_t searchFolder[MAX_PATH];
  CString found;
  if (searchFolderOf(documentPath, searchFolder) &&
      searchIndex(copies, searchFolder).find(fileName, found))
    return found;
  return path;
}

CString TextureFileUrl(CString path) {
  path.Replace(L":", L"|");
  path.Replace(L"\\", L"/");
  const bool rooted = !path.IsEmpty() && path.GetAt(0) == L'/';
  return CString(rooted ? L"file://" : L"file:///") + path;
}
