// Files that go into place together with a scene: copies made under temporary names in their
// folders during an export, moved to names nothing held yet just before the scene replaces its
// target, and removed again, with the folders made for them, when the save does not happen.
#pragma once

#include <string>
#include <vector>

/// The copies and folders one export adds beside its scene. Paths are UTF-8 file-system names.
/// Lives as long as the export; whatever is not committed by then is removed by the destructor.
class StagedFiles {
 public:
  StagedFiles() = default;
  ~StagedFiles();
  StagedFiles(const StagedFiles&) = delete;
  StagedFiles& operator=(const StagedFiles&) = delete;

  /// Makes the folder `folder` where nothing has that name; discard() removes it again if it is
  /// empty then. 0 when made, else the system's error number (EEXIST: something has the name).
  int makeFolder(const std::string& folder);

  /// A flushed copy of the file `source` under a temporary name ".orv-texture-XXXXXXXX.tmp" in
  /// the folder of `destination`, to be moved to `destination` by place(). Throws
  /// FileSystemError naming `destination` when no copy can be made; nothing stays then.
  void stage(const std::string& source, const std::string& destination);

  /// Moves every staged copy to its destination, never replacing or writing through anything at
  /// that name; a file that took the name meanwhile and holds the same bytes (another export of
  /// the same image) stands for the copy. Throws FileSystemError naming a destination that
  /// cannot be taken ("File exists"); discard() then removes what was placed.
  void place();
  /// Keeps what place() put in place and forgets it: the scene that refers to it is saved.
  void commit();
  /// Removes every copy staged or placed and not committed, then the folders made that are
  /// empty. Harmless when there is nothing.
  void discard();

 private:
  struct Copy {
    std::string temporary;  // empty when another's file of the same bytes stands for the copy
    std::string destination;
    bool placed = false;
  };
  std::vector<Copy> m_copies;
  std::vector<std::string> m_folders;  // made by makeFolder, innermost last
};

/// True when the files `a` and `b` (UTF-8) are both readable regular files holding the same
/// bytes. Reads both whole in the worst case.
bool holdSameBytes(const std::string& a, const std::string& b);
