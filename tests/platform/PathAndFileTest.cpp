// Path splitting and joining, and the file calls on wide paths (real files in a scratch folder).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "afxwin.h"
#include "shlwapi.h"
#include "wincrt.h"

namespace {

struct Split {
  std::wstring drive, dir, fname, ext;
};

Split SplitPath(const wchar_t* path) {
  wchar_t drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
  _wsplitpath(path, drive, dir, fname, ext);
  return {drive, dir, fname, ext};
}

TEST(SplitPath, SeparatesDriveFolderNameAndLastExtension) {
  Split s = SplitPath(L"C:\\scenes\\house.orv");
  EXPECT_EQ(s.drive, L"C:");
  EXPECT_EQ(s.dir, L"\\scenes\\");
  EXPECT_EQ(s.fname, L"house");
  EXPECT_EQ(s.ext, L".orv");

  s = SplitPath(L"/tmp/out.d/scene.v2.orv");  // both separators count, only the last dot does
  EXPECT_EQ(s.drive, L"");
  EXPECT_EQ(s.dir, L"/tmp/out.d/");
  EXPECT_EQ(s.fname, L"scene.v2");
  EXPECT_EQ(s.ext, L".orv");

  s = SplitPath(L"out.d\\README");  // a dot in a folder is not an extension
  EXPECT_EQ(s.dir, L"out.d\\");
  EXPECT_EQ(s.fname, L"README");
  EXPECT_EQ(s.ext, L"");

  s = SplitPath(L"house");
  EXPECT_EQ(s.dir, L"");
  EXPECT_EQ(s.fname, L"house");

  s = SplitPath(L"1:x/y");  // a drive is a letter and a colon
  EXPECT_EQ(s.drive, L"");
  EXPECT_EQ(s.dir, L"1:x/");
}

TEST(SplitPath, LongPartsAreCutToTheirBuffers) {
  const std::size_t tooLong = _MAX_DIR + 40;
  std::wstring path = L"D:\\" + std::wstring(tooLong, L'd') + L"\\" + std::wstring(tooLong, L'f') +
                      L"." + std::wstring(tooLong, L'e');
  // Each buffer sits between guards that must survive.
  struct Guarded {
    wchar_t before = L'#';
    wchar_t part[_MAX_DIR];
    wchar_t after = L'#';
  } dir, fname, ext;
  _wsplitpath(path.c_str(), nullptr, dir.part, fname.part, ext.part);
  for (const Guarded* g : {&dir, &fname, &ext}) {
    EXPECT_EQ(g->before, L'#');
    EXPECT_EQ(g->after, L'#');
    EXPECT_EQ(std::wstring(g->part).size(), std::size_t{_MAX_DIR - 1});
  }
  EXPECT_EQ(dir.part[0], L'\\');
  EXPECT_EQ(ext.part[0], L'.');
}

TEST(SplitPathS, ReportsPartsThatDoNotFitAndEmptiesEveryOutput) {
  wchar_t drive[_MAX_DRIVE], dir[_MAX_DIR], fname[8], ext[_MAX_EXT];
  EXPECT_EQ(
      _wsplitpath_s(L"C:\\a\\short.txt", drive, _MAX_DRIVE, dir, _MAX_DIR, fname, 8, ext, _MAX_EXT),
      0);
  EXPECT_STREQ(fname, L"short");
  EXPECT_EQ(_wsplitpath_s(L"C:\\a\\muchlonger.txt", drive, _MAX_DRIVE, dir, _MAX_DIR, fname, 8, ext,
                          _MAX_EXT),
            ERANGE);
  EXPECT_STREQ(drive, L"");
  EXPECT_STREQ(dir, L"");
  EXPECT_STREQ(ext, L"");
  EXPECT_EQ(_wsplitpath_s(nullptr, drive, _MAX_DRIVE, dir, _MAX_DIR, fname, 8, ext, _MAX_EXT),
            EINVAL);
  EXPECT_EQ(_wsplitpath_s(L"a.b", drive, 0, dir, _MAX_DIR, fname, 8, ext, _MAX_EXT), EINVAL);
}

TEST(PathCombine, JoinsWithTheFolderSeparatorAndKeepsAbsoluteNames) {
  wchar_t out[MAX_PATH];
  EXPECT_STREQ(PathCombineW(out, L"D:\\out", L"house"), L"D:\\out\\house");
  EXPECT_STREQ(PathCombineW(out, L"D:\\out\\", L"house"), L"D:\\out\\house");
  EXPECT_STREQ(PathCombineW(out, L"/tmp/out", L"house"), L"/tmp/out/house");
  EXPECT_STREQ(PathCombineW(out, L"out", L"*.*"), L"out\\*.*");
  EXPECT_STREQ(PathCombineW(out, L"D:\\out", L"E:\\maps\\a.jpg"), L"E:\\maps\\a.jpg");
  EXPECT_STREQ(PathCombineW(out, L"D:\\out", L"\\maps"), L"D:\\maps");
  EXPECT_STREQ(PathCombineW(out, L"/tmp", L"/var/x"), L"/var/x");
  EXPECT_STREQ(PathCombineW(out, nullptr, L"a"), L"a");
  EXPECT_EQ(PathCombineW(out, nullptr, nullptr), nullptr);
  // The folder may be the output buffer itself.
  PathCombineW(out, L"D:\\out", L"x");
  EXPECT_STREQ(PathCombineW(out, out, L"y"), L"D:\\out\\x\\y");
}

TEST(PathCombine, FailsWhenTheResultDoesNotFitMaxPath) {
  wchar_t out[MAX_PATH];
  std::wstring dir(200, L'd'), file(58, L'f');
  ASSERT_NE(PathCombineW(out, dir.c_str(), file.c_str()), nullptr);  // 259 characters fit
  EXPECT_EQ(std::wstring(out).size(), std::size_t{MAX_PATH - 1});
  file += L'f';
  EXPECT_EQ(PathCombineW(out, dir.c_str(), file.c_str()), nullptr);
  EXPECT_STREQ(out, L"");
}

TEST(PathRemoveFileSpec, DropsTheLastComponentButKeepsRoots) {
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
    BOOL removed;
  };
  const Case cases[] = {{L"E:\\proj\\model.3dm", L"E:\\proj", TRUE},
                        {L"E:\\proj\\", L"E:\\proj", TRUE},
                        {L"E:\\model.3dm", L"E:\\", TRUE},
                        {L"E:\\", L"E:\\", FALSE},
                        {L"/home/u/model.3dm", L"/home/u", TRUE},
                        {L"/model.3dm", L"/", TRUE},
                        {L"model.3dm", L"", TRUE},
                        {L"", L"", FALSE}};
  for (const Case& c : cases) {
    wchar_t buffer[MAX_PATH];
    std::wcscpy(buffer, c.in);
    EXPECT_EQ(PathRemoveFileSpecW(buffer), c.removed) << c.in;
    EXPECT_STREQ(buffer, c.out) << c.in;
  }
}

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = std::filesystem::temp_directory_path() / "platform-files-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(root); }

  // Wide form of a path under the scratch folder (UTF-8 names come back as wide text).
  std::wstring W(const std::string& relative) const {
    return CString((root / relative).string().c_str()).GetString();
  }
  void Write(const std::string& relative, const std::string& bytes) const {
    std::ofstream(root / relative, std::ios::binary) << bytes;
  }
  std::string Read(const std::string& relative) const {
    std::ifstream in(root / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::filesystem::path root;
};

TEST_F(Files, CopyFileOverwritesOnlyWhenAllowed) {
  Write("a.orv", std::string("new\0bytes", 9));
  Write("a.orv.bak", "an older and longer scene");
  EXPECT_FALSE(CopyFileW(W("a.orv").c_str(), W("a.orv.bak").c_str(), TRUE));
  EXPECT_EQ(Read("a.orv.bak"), "an older and longer scene");
  EXPECT_TRUE(CopyFileW(W("a.orv").c_str(), W("a.orv.bak").c_str(), FALSE));
  EXPECT_EQ(Read("a.orv.bak"), std::string("new\0bytes", 9));
  EXPECT_TRUE(CopyFileW(W("a.orv").c_str(), W("fresh").c_str(), TRUE));
  EXPECT_EQ(Read("fresh"), std::string("new\0bytes", 9));
}

TEST_F(Files, CopyFileFailsWithoutTouchingTheTarget) {
  Write("target", "kept");
  EXPECT_FALSE(CopyFileW(W("missing").c_str(), W("target").c_str(), FALSE));
  EXPECT_FALSE(CopyFileW(W("target").c_str(), W("target").c_str(), FALSE));
  EXPECT_FALSE(CopyFileW(W("target").c_str(), W("no/such/folder/x").c_str(), FALSE));
  Write("source", "data");
  Write("read-only", "locked");
  std::filesystem::permissions(root / "read-only", std::filesystem::perms::owner_read);
  EXPECT_FALSE(CopyFileW(W("source").c_str(), W("read-only").c_str(), FALSE));
  EXPECT_EQ(Read("read-only"), "locked");
  EXPECT_EQ(Read("target"), "kept");
}

TEST_F(Files, NonAsciiNamesReachTheFileSystemAsUtf8) {
  const std::string name = "\xD0\xB4\xD0\xBE\xD0\xBC \xF0\x9F\x98\x80.orv";  // "дом 😀.orv"
  FILE* f = _wfopen(W(name).c_str(), L"wb");
  ASSERT_NE(f, nullptr);
  std::fputs("scene", f);
  std::fclose(f);
  EXPECT_EQ(Read(name), "scene");
  EXPECT_TRUE(PathFileExistsW(W(name).c_str()));
  EXPECT_FALSE(PathIsDirectoryW(W(name).c_str()));
  EXPECT_EQ(_wunlink(W(name).c_str()), 0);
  EXPECT_FALSE(PathFileExistsW(W(name).c_str()));
  EXPECT_EQ(_wfopen(W("no/such/folder/x").c_str(), L"wb"), nullptr);
}

TEST_F(Files, CreateDirectoryMakesOneLevel) {
  EXPECT_TRUE(CreateDirectoryW(W("house").c_str(), nullptr));
  EXPECT_TRUE(PathIsDirectoryW(W("house").c_str()));
  EXPECT_FALSE(CreateDirectoryW(W("house").c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryW(W("a/b").c_str(), nullptr));
}

TEST_F(Files, AttributesDescribeTheEntryItselfAndTellLinks) {
  std::filesystem::create_directory(root / "folder");
  Write("file", "bytes");
  std::filesystem::create_directory_symlink(root / "folder", root / "folder-link");
  std::filesystem::create_symlink(root / "file", root / "file-link");
  const struct {
    const char* name;
    DWORD attributes;
  } cases[] = {{"folder", FILE_ATTRIBUTE_DIRECTORY},
               {"file", FILE_ATTRIBUTE_NORMAL},
               {"folder-link", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT},
               {"file-link", FILE_ATTRIBUTE_REPARSE_POINT},
               {"missing", INVALID_FILE_ATTRIBUTES}};
  for (const auto& c : cases)
    EXPECT_EQ(GetFileAttributesW(W(c.name).c_str()), c.attributes) << c.name;
}

TEST(TempPath, IsTheSystemsTemporaryFolderEndingInASeparator) {
  wchar_t buffer[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, buffer);
  const std::string expected = std::filesystem::temp_directory_path().string();
  ASSERT_GT(length, 0u);
  EXPECT_EQ(CString(buffer), CString((expected + (expected.ends_with('/') ? "" : "/")).c_str()));
  EXPECT_EQ(GetTempPathW(1, buffer), length + 1);  // too small: the size needed
}

TEST_F(Files, FileFindListsMatchesInNameOrderWithDots) {
  std::filesystem::create_directory(root / "tex");
  Write("b.JPG", "");
  Write("A.txt", "");
  Write("c", "");
  CFileFind finder;
  std::vector<std::wstring> names;
  std::wstring folders;
  for (BOOL more = finder.FindFile((W("") + L"*.*").c_str()); more;) {
    more = finder.FindNextFile();
    names.push_back(finder.GetFileName().GetString());
    if (finder.IsDirectory() && !finder.IsDots()) folders += finder.GetFilePath();
  }
  EXPECT_EQ(names, (std::vector<std::wstring>{L".", L"..", L"A.txt", L"b.JPG", L"c", L"tex"}));
  EXPECT_EQ(folders, W("tex"));

  ASSERT_TRUE(finder.FindFile((W("") + L"*.jpg").c_str()));
  EXPECT_FALSE(finder.FindNextFile());
  EXPECT_STREQ(finder.GetFileName(), L"b.JPG");
  EXPECT_FALSE(finder.FindFile(W("missing/*.*").c_str()));
}

}  // namespace
