// The calls a save makes to replace a file in one step: files created beside the target with its
// permissions, written, flushed, linked and moved with or without replacing what is there;
// devices and pipes written in place; the error of each failure.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "TempFolder.h"
#include "wincrt.h"
#include "windows.h"

namespace {

namespace fs = std::filesystem;

std::string contentsOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void writeFile(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

// A path as the Windows calls take it; valid until the end of the full expression.
const wchar_t* wide(const fs::path& file, std::wstring&& text = {}) {
  text = file.wstring();
  return text.c_str();
}

mode_t modeOf(const fs::path& file) {
  struct stat info;
  EXPECT_EQ(::stat(file.c_str(), &info), 0) << file;
  return info.st_mode & 07777;
}

HANDLE openAs(const fs::path& file, DWORD access, DWORD disposition, HANDLE model = nullptr) {
  return CreateFileW(file.wstring().c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                     model);
}

class FileWrites : public testing::Test {
 protected:
  TempFolder temp{"file-writes"};
  fs::path a = temp.path / "a.txt";
  fs::path b = temp.path / "b.txt";
};

TEST_F(FileWrites, ANewFileIsWrittenFlushedAndReadBack) {
  const HANDLE out = openAs(a, GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileType(out), DWORD{FILE_TYPE_DISK});
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(out, "scene bytes", 11, &written, nullptr));
  EXPECT_EQ(written, 11u);
  EXPECT_TRUE(FlushFileBuffers(out));
  EXPECT_TRUE(CloseHandle(out));

  const HANDLE in = openAs(a, GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(in, INVALID_HANDLE_VALUE);
  char buffer[32];
  DWORD read = 0;
  EXPECT_TRUE(ReadFile(in, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "scene bytes");
  EXPECT_TRUE(ReadFile(in, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(read, 0u);  // the end of the file
  CloseHandle(in);

  // The name is taken now.
  EXPECT_EQ(openAs(a, GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD{EEXIST});
  EXPECT_EQ(openAs(temp.path / "none", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD{ENOENT});
}

TEST_F(FileWrites, ATemplateGivesItsPermissionsWhateverTheMask) {
  writeFile(a, "previous");
  fs::permissions(a, static_cast<fs::perms>(0664));
  const mode_t mask = ::umask(0027);  // would narrow 0664 to 0640
  const HANDLE model = openAs(a, 0, OPEN_EXISTING);
  const HANDLE copied = openAs(b, GENERIC_WRITE, CREATE_NEW, model);
  const HANDLE plain = openAs(temp.path / "c.txt", GENERIC_WRITE, CREATE_NEW);
  ::umask(mask);
  ASSERT_NE(copied, INVALID_HANDLE_VALUE);
  EXPECT_EQ(modeOf(b), 0664u);
  EXPECT_EQ(modeOf(temp.path / "c.txt"), 0640u);  // no template: the mask's
  CloseHandle(model);
  CloseHandle(copied);
  CloseHandle(plain);
}

TEST_F(FileWrites, AReplacingMoveTakesTheNameInOneStep) {
  writeFile(a, "new");
  writeFile(b, "old");
  ASSERT_TRUE(MoveFileExW(wide(a), wide(b), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(contentsOf(b), "new");
  EXPECT_FALSE(fs::exists(a));

  // Two names of one file: the move still leaves only the new name.
  ASSERT_TRUE(CreateHardLinkW(wide(a), wide(b), nullptr));
  EXPECT_FALSE(CreateHardLinkW(wide(a), wide(b), nullptr));
  EXPECT_EQ(GetLastError(), DWORD{EEXIST});
  ASSERT_TRUE(MoveFileExW(wide(a), wide(b), MOVEFILE_REPLACE_EXISTING));
  EXPECT_FALSE(fs::exists(a));
  EXPECT_EQ(contentsOf(b), "new");

  // A read-only file is not replaced.
  writeFile(a, "newer");
  fs::permissions(b, static_cast<fs::perms>(0444));
  EXPECT_FALSE(MoveFileExW(wide(a), wide(b), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), DWORD{EACCES});
  EXPECT_EQ(contentsOf(b), "new");
  EXPECT_EQ(contentsOf(a), "newer");
}

TEST_F(FileWrites, AMoveWithoutReplacingNeverTouchesWhatHasTheName) {
  const fs::path elsewhere = temp.path / "elsewhere.txt";
  writeFile(a, "copy");
  writeFile(elsewhere, "someone else's");
  fs::create_symlink(elsewhere, b);  // not even written through
  EXPECT_FALSE(MoveFileExW(wide(a), wide(b), MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(GetLastError(), DWORD{EEXIST});
  EXPECT_EQ(contentsOf(elsewhere), "someone else's");
  EXPECT_EQ(contentsOf(a), "copy");

  const fs::path free = temp.path / "free.txt";
  ASSERT_TRUE(MoveFileExW(wide(a), wide(free), MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(contentsOf(free), "copy");
  EXPECT_FALSE(fs::exists(a));
}

TEST_F(FileWrites, DevicesAndPipesAreWrittenInPlace) {
  const HANDLE null = openAs("/dev/null", GENERIC_WRITE, OPEN_EXISTING);
  ASSERT_NE(null, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileType(null), DWORD{FILE_TYPE_CHAR});
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(null, "x", 1, &written, nullptr));
  EXPECT_TRUE(FlushFileBuffers(null));  // nothing to flush is no failure
  CloseHandle(null);

  const fs::path pipe = temp.path / "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  // Nobody reads it: refused at once rather than waiting.
  EXPECT_EQ(openAs(pipe, GENERIC_WRITE, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD{ENXIO});
  const HANDLE asked = openAs(pipe, 0, OPEN_EXISTING);
  EXPECT_EQ(GetFileType(asked), DWORD{FILE_TYPE_PIPE});
  CloseHandle(asked);
}

TEST_F(FileWrites, DescriptorsAndStreamsShareTheHandle) {
  const HANDLE out = openAs(a, GENERIC_WRITE, CREATE_NEW);
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(out), _O_WRONLY);
  ASSERT_GE(fd, 0);
  FILE* stream = _fdopen(fd, "wb");
  ASSERT_NE(stream, nullptr);
  std::fputs("through the stream", stream);
  std::fflush(stream);
  const HANDLE under = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  EXPECT_TRUE(FlushFileBuffers(under));
  std::fclose(stream);
  EXPECT_EQ(contentsOf(a), "through the stream");
  EXPECT_EQ(_get_osfhandle(fd), reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE));  // closed
  EXPECT_EQ(_open_osfhandle(reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE), _O_RDONLY), -1);
}

TEST_F(FileWrites, FilesAndEmptyFoldersAreRemoved) {
  const fs::path folder = temp.path / "maps";
  ASSERT_TRUE(CreateDirectoryW(wide(folder), nullptr));
  EXPECT_FALSE(CreateDirectoryW(wide(folder), nullptr));
  EXPECT_EQ(GetLastError(), DWORD{EEXIST});
  writeFile(folder / "wood.jpg", "image");
  EXPECT_FALSE(RemoveDirectoryW(wide(folder)));  // not empty
  EXPECT_TRUE(DeleteFileW(wide(folder / "wood.jpg")));
  EXPECT_FALSE(DeleteFileW(wide(folder / "wood.jpg")));
  EXPECT_EQ(GetLastError(), DWORD{ENOENT});
  EXPECT_TRUE(RemoveDirectoryW(wide(folder)));
  EXPECT_FALSE(fs::exists(folder));
}

}  // namespace
