// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "materials/TextureSearch.h"

namespace {

// A link, even one to a folder, leads out of the tree it stands in.
bool isLink(const wchar_t* path) {
  const DWORD attributes = GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

FolderTreeIndex::FolderTreeIndex(const wchar_t* root, int maxFolders)
    : m_root(root), m_maxFolders(maxFolders) {
  list(root, 0);
}

void FolderTreeIndex::list(const wchar_t* folder, int depth) {
  if (m_folders >= m_maxFolders) {
    m_cutShort = true;
    return;
  }
  ++m_folders;
  wchar_t pattern[MAX_PATH];
  if (PathCombineW(pattern, folder, L"*.*") == nullptr) return;
  CStringArray subfolders;
  CFileFind finder;
  for (BOOL more = finder.FindFile(pattern); more;) {
    more = finder.FindNextFile();
    if (finder.IsDots()) continue;
    if (!finder.IsDirectory())
      m_files.push_back({finder.GetFileName(), finder.GetFilePath()});
    else if (!isLink(finder.GetFilePath()))
      subfolders.Add(finder.GetFilePath());
  }
  if (depth >= kMaxSearchDepth) return;
  for (int i = 0; i < subfolders.GetSize(); ++i) list(subfolders[i], depth + 1);
}

bool FolderTreeIndex::find(const wchar_t* wanted, CString& found) const {
  for (const Entry& file : m_files) {
    if (file.name.CompareNoCase(wanted) == 0) {
      found = file.path;
      return true;
    }
  }
  return false;
}

bool FindFileInTree(const wchar_t* wanted, const wchar_t* folder, CString& found) {
  return FolderTreeIndex(folder).find(wanted, found);
}
