// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "materials/TextureFiles.h"

#include <cwchar>
#include <string>

#include "plugin/ExportOptions.h"

namespace {

// Deep enough for any real texture library, shallow enough to end a maze of links quickly.
constexpr int kMaxSearchDepth = 32;

bool endsWithSeparator(const CString& path) {
  if (path.IsEmpty()) return false;
  const wchar_t last = path.GetAt(path.GetLength() - 1);
  return last == L'\\' || last == L'/';
}

// The texture folder beside the scene file, made when missing; false when there is none.
bool makeTextureFolder(wchar_t (&folder)[MAX_PATH]) {
  if (exportBaseName.IsEmpty() || exportFolder.IsEmpty()) return false;
  if (PathCombineW(folder, exportFolder, exportBaseName) == nullptr) return false;
  return PathIsDirectoryW(folder) || CreateDirectoryW(folder, nullptr);
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

// "wood.jpg", or "wood-2.jpg", "wood-3.jpg"... when an earlier copy of another source has the
// name (ignoring case, as the folder may end up on a file system that does); false when no
// free name fits MAX_PATH.
bool freeCopyPath(const TextureCopies& copies, const wchar_t* folder, const wchar_t* fileName,
                  wchar_t (&path)[MAX_PATH]) {
  wchar_t base[_MAX_FNAME];
  wchar_t extension[_MAX_EXT];
  if (_wsplitpath_s(fileName, nullptr, 0, nullptr, 0, base, _MAX_FNAME, extension, _MAX_EXT) != 0)
    return false;
  CString candidate = fileName;
  for (int n = 2;; ++n) {
    if (PathCombineW(path, folder, candidate) == nullptr) return false;
    if (!isTaken(copies, path)) return true;
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

// Copies the existing image at `source` into the texture folder, once per source file; false
// when it could not be copied. An image already in the folder is its own copy: it is neither
// copied onto itself nor renamed, and its name is taken for other sources.
bool copyIntoFolder(TextureCopies& copies, const wchar_t* source, const wchar_t* folder,
                    const wchar_t* fileName, CString& copyPath) {
  FileIdentity identity;
  const bool identified = identifyFile(source, identity);
  if (identified) {
    if (const TextureCopies::Copy* earlier = earlierCopy(copies, identity, folder)) {
      copyPath = earlier->path;
      return true;
    }
    wchar_t inFolder[MAX_PATH];
    if (liesIn(source, folder) && PathCombineW(inFolder, folder, fileName) != nullptr) {
      copies.copies.Append({true, identity, CString(folder), CString(inFolder)});
      copyPath = inFolder;
      return true;
    }
  }
  wchar_t target[MAX_PATH];
  if (!freeCopyPath(copies, folder, fileName, target)) return false;
  if (!CopyFileW(source, target, FALSE)) return false;
  copies.copies.Append({identified, identity, CString(folder), CString(target)});
  copyPath = target;
  return true;
}

// Where a missing image is looked for: the document's folder (the path itself when it names a
// folder); false for a document without a path or one too long for the buffer.
bool searchFolderOf(const CString& documentPath, wchar_t (&folder)[MAX_PATH]) {
  if (documentPath.IsEmpty() || documentPath.GetLength() >= MAX_PATH) return false;
  std::wcscpy(folder, documentPath);
  if (!PathIsDirectoryW(folder)) PathRemoveFileSpecW(folder);
  return folder[0] != L'\0';
}

// FindFileInTree below `folder`, `depth` levels down, skipping folders searched before.
bool searchTree(const wchar_t* wanted, const wchar_t* folder, int depth,
                ON_SimpleArray<FileIdentity>& visited, CString& found) {
  FileIdentity identity;
  if (identifyFile(folder, identity)) {
    for (int i = 0; i < visited.Count(); ++i)
      if (visited[i] == identity) return false;  // reached again through a link
    visited.Append(identity);
  }
  wchar_t pattern[MAX_PATH];
  if (PathCombineW(pattern, folder, L"*.*") == nullptr) return false;
  CStringArray subfolders;
  CFileFind finder;
  for (BOOL more = finder.FindFile(pattern); more;) {
    more = finder.FindNextFile();
    if (finder.IsDots()) continue;
    if (finder.IsDirectory()) {
      subfolders.Add(finder.GetFilePath());
    } else if (finder.GetFileName().CompareNoCase(wanted) == 0) {
      found = finder.GetFilePath();
      return true;
    }
  }
  if (depth >= kMaxSearchDepth) return false;
  for (int i = 0; i < subfolders.GetSize(); ++i)
    if (searchTree(wanted, subfolders[i], depth + 1, visited, found)) return true;
  return false;
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
  wchar_t textureFolder[MAX_PATH];
  const bool haveFolder = makeTextureFolder(textureFolder);
  // A path the fixed buffers cannot hold is referred to as it is.
  if (path.IsEmpty() || path.GetLength() >= MAX_PATH) return path;
  CString fileName;
  if (!fileNameOf(path, fileName)) return path;

  if (PathFileExistsW(path)) {
    CString copyPath;
    if (haveFolder && copyIntoFolder(copies, path, textureFolder, fileName, copyPath))
      return copyPath;
    return path;
  }
  wchar_t searchFolder[MAX_PATH];
  CString found;
  if (searchFolderOf(documentPath, searchFolder) && FindFileInTree(fileName, searchFolder, found))
    return found;
  return path;
}

bool FindFileInTree(const wchar_t* wanted, const wchar_t* folder, CString& found) {
  ON_SimpleArray<FileIdentity> visited;
  return searchTree(wanted, folder, 0, visited, found);
}

CString TextureFileUrl(CString path) {
  path.Replace(L":", L"|");
  path.Replace(L"\\", L"/");
  const bool rooted = !path.IsEmpty() && path.GetAt(0) == L'/';
  return CString(rooted ? L"file://" : L"file:///") + path;
}
