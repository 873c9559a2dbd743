// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <filesystem>
#include <fstream>
#include <string>

#include "MaterialsTestSupport.h"
#include "TempFolder.h"
#include "materials/TextureFiles.h"

namespace materials_test {
namespace {

namespace fs = std::filesystem;

std::wstring wide(const CString& text) {
  return text.GetString();
}

// A scene exported to <root>/out/house.orv from a document saved as <root>/proj/model.3dm.
class TextureFiles : public ExportStateTest {
 protected:
  void SetUp() override {
    ExportStateTest::SetUp();
    fs::create_directories(root / "out");
    fs::create_directories(root / "proj");
    exportFolder = (root / "out").wstring().append(L"/").c_str();
    exportBaseName = L"house";
  }
  void write(const fs::path& relative, const std::string& bytes) const {
    fs::create_directories((root / relative).parent_path());
    std::ofstream(root / relative, std::ios::binary) << bytes;
  }
  CString resolve(const fs::path& image) {
    return ResolveTextureFile(CString(image.wstring().c_str()), CString(documentPath.c_str()),
                              copies);
  }
  TempFolder temp{"textures"};
  const fs::path root = temp.path;
  const fs::path textureFolder = root / "out" / "house";
  const std::wstring documentPath = (root / "proj" / "model.3dm").wstring();
  TextureCopies copies;
};

TEST_F(TextureFiles, AnExistingImageIsCopiedIntoTheFolderNamedAfterTheScene) {
  write("maps/wood.jpg", "oak grain");
  const CString copy = resolve(root / "maps" / "wood.jpg");
  EXPECT_EQ(wide(copy), (textureFolder / "wood.jpg").wstring());
  EXPECT_EQ(contentsOf(textureFolder / "wood.jpg"), "oak grain");
  EXPECT_EQ(wide(TextureFileUrl(copy)), L"file://" + (textureFolder / "wood.jpg").wstring());
}

TEST_F(TextureFiles, EachSourceIsCopiedOnceAndSameNamedSourcesGetNamesOfTheirOwn) {
  write("a/wood.jpg", "A");
  write("b/WOOD.jpg", "B");
  write("c/wood-2.jpg", "C");
  fs::create_symlink(root / "a" / "wood.jpg", root / "again.jpg");
  EXPECT_EQ(wide(resolve(root / "a" / "wood.jpg")), (textureFolder / "wood.jpg").wstring());
  EXPECT_EQ(wide(resolve(root / "b" / "WOOD.jpg")), (textureFolder / "WOOD-2.jpg").wstring());
  EXPECT_EQ(wide(resolve(root / "c" / "wood-2.jpg")), (textureFolder / "wood-2-2.jpg").wstring());
  EXPECT_EQ(contentsOf(textureFolder / "wood.jpg"), "A");
  EXPECT_EQ(contentsOf(textureFolder / "WOOD-2.jpg"), "B");
  EXPECT_EQ(contentsOf(textureFolder / "wood-2-2.jpg"), "C");

  // The same source again, by its own path or through a link, refers to its copy, not copied
  // again.
  std::ofstream(textureFolder / "wood.jpg") << "touched";
  EXPECT_EQ(wide(resolve(root / "again.jpg")), (textureFolder / "wood.jpg").wstring());
  EXPECT_EQ(wide(resolve(root / "a" / "wood.jpg")), (textureFolder / "wood.jpg").wstring());
  EXPECT_EQ(contentsOf(textureFolder / "wood.jpg"), "touched");
  EXPECT_EQ(copies.copies.Count(), 3);
}

TEST_F(TextureFiles, AnImageAlreadyInTheTextureFolderIsNeitherCopiedOntoItselfNorRenamed) {
  write("out/house/wood.jpg", "in place");
  write("maps/wood.jpg", "another oak");
  const fs::path inPlace = textureFolder / "wood.jpg";
  EXPECT_EQ(wide(resolve(root / "out" / "." / "house" / "wood.jpg")), inPlace.wstring());
  EXPECT_EQ(contentsOf(inPlace), "in place");
  // Its name is taken: another source of that name gets a name of its own.
  EXPECT_EQ(wide(resolve(root / "maps" / "wood.jpg")), (textureFolder / "wood-2.jpg").wstring());
  EXPECT_EQ(contentsOf(inPlace), "in place");
  EXPECT_EQ(contentsOf(textureFolder / "wood-2.jpg"), "another oak");
  EXPECT_EQ(fs::file_size(inPlace), 8u);
}

TEST_F(TextureFiles, AMissingImageIsFoundByNameIgnoringCaseAndNotCopied) {
  write("proj/tex/Wood.JPG", "found");
  EXPECT_EQ(wide(ResolveTextureFile(L"C:\\old\\wood.jpg", documentPath.c_str(), copies)),
            (root / "proj" / "tex" / "Wood.JPG").wstring());
  EXPECT_TRUE(fs::is_directory(textureFolder));  // made before the image was looked for
  EXPECT_TRUE(fs::is_empty(textureFolder));

  // A document path that is a folder is searched itself; one never saved searches nothing.
  EXPECT_EQ(wide(ResolveTextureFile(L"wood.jpg", (root / "proj").wstring().c_str(), copies)),
            (root / "proj" / "tex" / "Wood.JPG").wstring());
  EXPECT_EQ(wide(ResolveTextureFile(L"C:\\old\\wood.jpg", L"", copies)), L"C:\\old\\wood.jpg");
  EXPECT_EQ(wide(ResolveTextureFile(L"C:\\old\\none.jpg", documentPath.c_str(), copies)),
            L"C:\\old\\none.jpg");
}

TEST_F(TextureFiles, AFoldersFilesComeBeforeItsSubfoldersWhichAreSearchedDepthFirst) {
  write("proj/a/b/wood.jpg", "deep");
  write("proj/c/wood.jpg", "second");
  CString found;
  ASSERT_TRUE(FindFileInTree(L"wood.jpg", (root / "proj").wstring().c_str(), found));
  EXPECT_EQ(wide(found), (root / "proj" / "a" / "b" / "wood.jpg").wstring());
  write("proj/wood.jpg", "top");
  ASSERT_TRUE(FindFileInTree(L"WOOD.JPG", (root / "proj").wstring().c_str(), found));
  EXPECT_EQ(wide(found), (root / "proj" / "wood.jpg").wstring());

  CString untouched = L"kept";
  EXPECT_FALSE(FindFileInTree(L"none.jpg", (root / "proj").wstring().c_str(), untouched));
  EXPECT_EQ(wide(untouched), L"kept");
  EXPECT_FALSE(FindFileInTree(L"a", (root / "proj").wstring().c_str(), untouched));  // a folder
}

TEST_F(TextureFiles, TheSearchFollowsFolderLinksButVisitsEachRealFolderOnce) {
  write("library/stone.jpg", "stone");
  fs::create_directories(root / "proj" / "sub");
  fs::create_directory_symlink(root / "proj", root / "proj" / "sub" / "up");  // a loop
  fs::create_directory_symlink(root / "library", root / "proj" / "maps");
  CString found;
  EXPECT_FALSE(FindFileInTree(L"none.jpg", (root / "proj").wstring().c_str(), found));
  ASSERT_TRUE(FindFileInTree(L"stone.jpg", (root / "proj").wstring().c_str(), found));
  EXPECT_EQ(wide(found), (root / "proj" / "maps" / "stone.jpg").wstring());
}

TEST_F(TextureFiles, TheSearchGoesThirtyTwoLevelsDown) {
  fs::path deep = "proj";
  for (int level = 1; level <= 33; ++level) deep /= "d";
  write(deep / "deepest.jpg", "too deep");
  write(deep.parent_path() / "deep.jpg", "just deep enough");
  CString found;
  EXPECT_TRUE(FindFileInTree(L"deep.jpg", (root / "proj").wstring().c_str(), found));
  EXPECT_FALSE(FindFileInTree(L"deepest.jpg", (root / "proj").wstring().c_str(), found));
}

TEST_F(TextureFiles, WithoutATextureFolderImagesAreReferredToWhereTheyLie) {
  write("maps/wood.jpg", "oak");
  const std::wstring image = (root / "maps" / "wood.jpg").wstring();
  exportBaseName.Empty();
  EXPECT_EQ(wide(resolve(image)), image);
  exportBaseName = L"house";
  exportFolder = (root / "missing" / "").wstring().c_str();  // the folder cannot be made
  EXPECT_EQ(wide(resolve(image)), image);
  exportFolder = (root / std::string(300, 'o')).wstring().c_str();  // the join does not fit
  EXPECT_EQ(wide(resolve(image)), image);
  EXPECT_FALSE(fs::exists(textureFolder));
}

TEST_F(TextureFiles, OverlongPathsAreUsedUnchangedWithoutACopyOrASearch) {
  const fs::path longFolder = root / std::string(120, 'a') / std::string(120, 'b');
  write(longFolder / "wood.jpg", "far away");
  const std::wstring image = (longFolder / "wood.jpg").wstring();
  ASSERT_GE(image.size(), std::size_t{MAX_PATH});
  EXPECT_EQ(wide(resolve(image)), image);
  EXPECT_TRUE(fs::is_empty(textureFolder));

  write("proj/wood.jpg", "near");
  const std::wstring longDocument = (longFolder / "model.3dm").wstring();
  EXPECT_EQ(wide(ResolveTextureFile(L"C:\\x\\wood.jpg", longDocument.c_str(), copies)),
            L"C:\\x\\wood.jpg");
}

TEST(TextureFileUrl, WritesDrivePathsTheRenderersWayAndRootedPathsWithThreeSlashes) {
  EXPECT_STREQ(TextureFileUrl(L"C:\\maps\\wood.jpg"), L"file:///C|/maps/wood.jpg");
  EXPECT_STREQ(TextureFileUrl(L"D:\\out\\house\\wood.jpg"), L"file:///D|/out/house/wood.jpg");
  EXPECT_STREQ(TextureFileUrl(L"/srv/maps/wood.jpg"), L"file:///srv/maps/wood.jpg");
  EXPECT_STREQ(TextureFileUrl(L"\\\\server\\maps\\a:b.jpg"), L"file:////server/maps/a|b.jpg");
  EXPECT_STREQ(TextureFileUrl(L"maps\\wood.jpg"), L"file:///maps/wood.jpg");
  EXPECT_STREQ(TextureFileUrl(L"C:\\Mes Cartes\\b\u00f6is.jpg"),
               L"file:///C|/Mes Cartes/b\u00f6is.jpg");
}

TEST(DocumentFolder, JoinsStoredNamesToTheDocumentsFolderWithEitherSeparator) {
  EXPECT_STREQ(joinToDocumentFolder(L"E:\\proj\\model.3dm", L"maps\\wood.jpg"),
               L"E:\\proj\\maps\\wood.jpg");
  EXPECT_STREQ(joinToDocumentFolder(L"/home/u/model.3dm", L"maps/wood.jpg"),
               L"/home/u/maps/wood.jpg");
  EXPECT_STREQ(joinToDocumentFolder(L"C:model.3dm", L"wood.jpg"), L"C:\\wood.jpg");
  EXPECT_STREQ(joinToDocumentFolder(L"model.3dm", L"maps\\wood.jpg"), L"maps\\wood.jpg");
  EXPECT_STREQ(joinToDocumentFolder(L"", L"maps\\wood.jpg"), L"maps\\wood.jpg");
  EXPECT_STREQ(fileBaseName(L"E:\\proj\\model.3dm"), L"model");
  EXPECT_STREQ(fileBaseName(L""), L"");
}

}  // namespace
}  // namespace materials_test
