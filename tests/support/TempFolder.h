// Test support shared by the test binaries: a fresh temporary folder per test, removed with
// everything in it, and reading a file back whole.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

/// A new, empty folder under the system's temporary folder, named after `prefix`; removed with
/// its contents (read-only entries included) when the object goes.
class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "orv-test") {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    path = mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  /// The wide path of `name` inside the folder.
  std::wstring file(const char* name) const { return (path / name).wstring(); }

  std::filesystem::path path;
};

/// The bytes of a file; empty when it cannot be read.
inline std::string contentsOf(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
