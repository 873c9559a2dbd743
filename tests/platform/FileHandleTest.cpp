// File handles that identify what a path reaches: the same file or folder through a link gives
// the same volume and index; folders open only when asked for.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TempFolder.h"
#include "windows.h"

namespace {

namespace fs = std::filesystem;

struct Identity {
  DWORD volume = 0, high = 0, low = 0, attributes = 0;
  bool operator==(const Identity&) const = default;
};

// The identity of what `path` reaches; fails the test when it cannot be opened.
Identity IdentityOf(const fs::path& path, DWORD flags = FILE_FLAG_BACKUP_SEMANTICS) {
  Identity id;
  HANDLE handle = CreateFileW(path.wstring().c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              flags, nullptr);
  EXPECT_NE(handle, INVALID_HANDLE_VALUE) << path;
  if (handle == INVALID_HANDLE_VALUE) return id;
  BY_HANDLE_FILE_INFORMATION info;
  EXPECT_TRUE(GetFileInformationByHandle(handle, &info));
  EXPECT_TRUE(CloseHandle(handle));
  id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow, info.dwFileAttributes};
  return id;
}

TEST(FileHandles, ALinkReachesTheSameFolderAndFile) {
  TempFolder temp("handles");
  fs::create_directory(temp.path / "maps");
  std::ofstream(temp.path / "maps" / "wood.jpg") << "image";
  fs::create_directory_symlink(temp.path / "maps", temp.path / "shortcut");
  fs::create_symlink(temp.path / "maps" / "wood.jpg", temp.path / "wood-link.jpg");

  const Identity folder = IdentityOf(temp.path / "maps");
  EXPECT_EQ(IdentityOf(temp.path / "shortcut"), folder);
  EXPECT_TRUE(folder.attributes & FILE_ATTRIBUTE_DIRECTORY);
  const Identity file = IdentityOf(temp.path / "maps" / "wood.jpg", 0);
  EXPECT_EQ(IdentityOf(temp.path / "wood-link.jpg", 0), file);
  EXPECT_EQ(IdentityOf(temp.path / "shortcut" / "wood.jpg", 0), file);
  EXPECT_FALSE(file == folder);
  EXPECT_EQ(file.attributes, DWORD{FILE_ATTRIBUTE_NORMAL});
}

TEST(FileHandles, RefuseMissingPathsFoldersWithoutTheFlagAndOtherDispositions) {
  TempFolder temp("handles");
  std::ofstream(temp.path / "a.txt") << "a";
  const std::wstring folder = temp.path.wstring();
  EXPECT_EQ(CreateFileW(folder.c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileW((temp.path / "none").wstring().c_str(), 0, 0, nullptr, OPEN_EXISTING,
                        FILE_FLAG_BACKUP_SEMANTICS, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileW((temp.path / "a.txt").wstring().c_str(), 0, 0, nullptr, 1, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileW(L"", 0, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  BY_HANDLE_FILE_INFORMATION info;
  EXPECT_FALSE(GetFileInformationByHandle(INVALID_HANDLE_VALUE, &info));
  EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
}

}  // namespace
