// TextureSearch: where an image that is not where the document says is looked for. Owns one
// index of the files below the document's folder, listed once per export for every missing image.
#pragma once

#include <vector>

#include "plugin/stdafx.h"

/// The files in a folder tree by name, listed once: first the folder's own files, then each
/// subfolder in turn, depth first, in name order. Links to folders are not entered, so the
/// listing never leaves the tree; it goes no deeper than kMaxSearchDepth levels below the root
/// and lists at most `maxFolders` folders (the root included; kMaxSearchFolders for an export).
class FolderTreeIndex {
 public:
  static constexpr int kMaxSearchDepth = 32;
  static constexpr int kMaxSearchFolders = 10000;

  /// Lists the tree below `root` (not null). A root that cannot be listed gives an empty index.
  explicit FolderTreeIndex(const wchar_t* root, int maxFolders = kMaxSearchFolders);

  /// The first file listed named `wanted` (name and extension, letter case ignored): true with
  /// `found` set to its full path; false with `found` unchanged.
  bool find(const wchar_t* wanted, CString& found) const;
  /// The folder listed from, as given.
  const CString& root() const { return m_root; }
  /// True when the folder limit ended the listing before the whole tree was seen.
  bool cutShort() const { return m_cutShort; }

 private:
  struct Entry {
    CString name;
    CString path;
  };
  void list(const wchar_t* folder, int depth);

  CString m_root;
  std::vector<Entry> m_files;  // in listing order
  int m_maxFolders;
  int m_folders = 0;
  bool m_cutShort = false;
};

/// Searches the folder `folder` and below for a file named `wanted` as FolderTreeIndex lists
/// it: true with `found` set to the first match's full path; false with `found` unchanged.
bool FindFileInTree(const wchar_t* wanted, const wchar_t* folder, CString& found);
