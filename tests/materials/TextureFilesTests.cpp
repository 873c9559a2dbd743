// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "MaterialsTestSupport.h"
#include "RhinoHostServices.h"
#include "TempFolder.h"
#include "materials/ImageSignature.h"
#include "materials/TextureFiles.h"

namespace materials_test {
namespace {

namespace fs = std::filesystem;

std::wstring wide(const CString& text) {
  return text.GetString();
}

// The first bytes of a PNG file: enough for a texture to count as an image.
const std::string kPng = "\x89PNG\r\n\x1a\n";

// A scene exported to <root>/out/house.orv from a document saved as <root>/proj/model.3dm.
class TextureFiles : public ExportStateTest {
 protected:
  void SetUp() override {
    ExportStateTest::SetUp();
    fs::create_directories(root / "out");
    fs::create_directories(root / "proj");
    exportFolder = (root / "out").wstring().append(L"/").c_str();
    exportBaseName = L"house";
    RhinoHost::SetCommandLineSink([this](const std::string& text) { printed += text; });
  }
  void TearDown() override {
    RhinoHost::SetCommandLineSink({});
    ExportStateTest::TearDown();
  }
  void write(const fs::path& relative, const std::string& bytes) const {
    fs::create_directories((root / relative).parent_path());
    std::ofstream(root / relative, std::ios::binary) << bytes;
  }
  CString resolve(const fs::path& image) {
    return ResolveTextureFile(CString(image.wstring().c_str()), CString(documentPath.c_str()),
                              copies);
  }
  // What the save does once the scene is written.
  void placeCopies() {
    copies.staged.place();
    copies.staged.commit();
  }
  // The names in the texture folder, temporary copies included.
  std::set<std::string> inFolder() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(textureFolder))
      names.insert(entry.path().filename().string());
    return names;
  }
  TempFolder temp{"textures"};
  const fs::path root = temp.path;
  const SystemTemporaryFolder systemTemporary{root / "tmp"};
  std::string printed;
  const fs::path textureFolder = root / "out" / "house";
  const std::wstring documentPath = (root / "proj" / "model.3dm").wstring();
  TextureCopies copies;
};

TEST_F(TextureFiles, AnExistingImageIsCopiedIntoTheFolderNamedAfterTheScene) {
  write("maps/wood.jpg", kPng + "oak grain");
  const CString copy = resolve(root / "maps" / "wood.jpg");
  EXPECT_EQ(wide(copy), (textureFolder / "wood.jpg").wstring());
  // Until the scene is saved the copy waits under a temporary name.
  EXPECT_FALSE(fs::exists(textureFolder / "wood.jpg"));
  ASSERT_EQ(inFolder().size(), 1u);
  EXPECT_TRUE(inFolder().begin()->starts_with(".orv-texture-"));
  placeCopies();
  EXPECT_EQ(inFolder(), std::set<std::string>{"wood.jpg"});
  EXPECT_EQ(contentsOf(textureFolder / "wood.jpg"), kPng + "oak grain");
  EXPECT_EQ(wide(TextureFileUrl(copy)), L"file://" + (textureFolder / "wood.jpg").wstring());
}

TEST_F(TextureFiles, EachSourceIsCopiedOnceAndSameNamedSourcesGetNamesOfTheirOwn) {
  write("a/wood.jpg", kPng + "A");
  write("b/WOOD.jpg", kPng + "B");
  write("c/wood-2.jpg", kPng + "C");
  fs::create_symlink(root / "a" / "wood.jpg", root / "again.jpg");
  EXPECT_EQ(wide(resolve(root / "a" / "wood.jpg")), (textureFolder / "wood.jpg").wstring());
  EXPECT_EQ(wide(resolve(root / "b" / "WOOD.jpg")), (textureFolder / "WOOD-2.jpg").wstring());
  EXPECT_EQ(wide(resolve(root / "c" / "wood-2.jpg")), (textureFolder / "wood-2-2.jpg").wstring());
  placeCopies();
  EXPECT_EQ(contentsOf(textureFolder / "wood.jpg"), kPng + "A");
  EXPECT_EQ(contentsOf(textureFolder / "WOOD-2.jpg"), kPng + "B");
  EXPECT_EQ(contentsOf(textureFolder / "wood-2-2.jpg"), kPng + "C");

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
  write("maps/wood.jpg", kPng + "another oak");
  const fs::path inPlace = textureFolder / "wood.jpg";
  EXPECT_EQ(wide(resolve(root / "out" / "." / "house" / "wood.jpg")), inPlace.wstring());
  EXPECT_EQ(contentsOf(inPlace), "in place");
  // Its name is taken: another source of that name gets a name of its own.
  EXPECT_EQ(wide(resolve(root / "maps" / "wood.jpg")), (textureFolder / "wood-2.jpg").wstring());
  placeCopies();
  EXPECT_EQ(contentsOf(inPlace), "in place");
  EXPECT_EQ(contentsOf(textureFolder / "wood-2.jpg"), kPng + "another oak");
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

TEST_F(TextureFiles, TheSearchNeverEntersFolderLinksSoItStaysInTheDocumentsTree) {
  write("library/stone.jpg", "stone");
  write("proj/sub/moss.jpg", "moss");
  fs::create_directory_symlink(root / "proj", root / "proj" / "sub" / "up");  // a loop
  fs::create_directory_symlink(root / "library", root / "proj" / "maps");
  fs::create_directory_symlink("/etc", root / "proj" / "etc");
  const std::wstring tree = (root / "proj").wstring();
  CString found;
  EXPECT_FALSE(FindFileInTree(L"stone.jpg", tree.c_str(), found));
  EXPECT_FALSE(FindFileInTree(L"passwd", tree.c_str(), found));
  ASSERT_TRUE(FindFileInTree(L"moss.jpg", tree.c_str(), found));
  EXPECT_EQ(wide(found), (root / "proj" / "sub" / "moss.jpg").wstring());
}

TEST_F(TextureFiles, MissingImagesShareOneListingOfTheTreePerExport) {
  write("proj/tex/a.jpg", "a");
  EXPECT_EQ(wide(ResolveTextureFile(L"C:\\old\\a.jpg", documentPath.c_str(), copies)),
            (root / "proj" / "tex" / "a.jpg").wstring());
  write("proj/tex/b.jpg", "b");  // after the listing: this export does not see it
  EXPECT_EQ(wide(ResolveTextureFile(L"C:\\old\\b.jpg", documentPath.c_str(), copies)),
            L"C:\\old\\b.jpg");
  TextureCopies nextExport;
  EXPECT_EQ(wide(ResolveTextureFile(L"C:\\old\\b.jpg", documentPath.c_str(), nextExport)),
            (root / "proj" / "tex" / "b.jpg").wstring());
}

TEST(FolderTreeIndex, ListsNoMoreThanTheFolderLimit) {
  TempFolder temp("search");
  // With the root, the limit of 3 exactly; "zz" comes last in name order, one folder too many.
  for (const char* name : {"a", "b", "zz"}) fs::create_directory(temp.path / name);
  std::ofstream(temp.path / "b" / "early.jpg") << "early";
  std::ofstream(temp.path / "zz" / "late.jpg") << "late";
  CString found;
  const FolderTreeIndex cut(temp.path.wstring().c_str(), 3);
  EXPECT_TRUE(cut.cutShort());
  EXPECT_TRUE(cut.find(L"early.jpg", found));
  EXPECT_FALSE(cut.find(L"late.jpg", found));

  fs::remove(temp.path / "a");
  const FolderTreeIndex whole(temp.path.wstring().c_str(), 3);
  EXPECT_FALSE(whole.cutShort());
  EXPECT_TRUE(whole.find(L"late.jpg", found));
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

TEST_F(TextureFiles, AnUncopiedImageInTheTemporaryFolderIsLeftOutNeverReferredTo) {
  const fs::path embedded = root / "tmp" / "orvexport-1" / "textures" / "wood.png";
  write(embedded.lexically_relative(root), kPng + "embedded in the model");
  write("maps/wood.png", kPng + "lasting");
  write("out/house", "a file with the texture folder's name");
  EXPECT_EQ(wide(resolve(embedded)), L"");
  EXPECT_EQ(wide(resolve(root / "maps" / "wood.png")), (root / "maps" / "wood.png").wstring());
  EXPECT_EQ(printed, "Warning: images are not copied: the texture folder " +
                         textureFolder.string() + " cannot be made: File exists\n" +
                         "Warning: texture " + embedded.string() +
                         " is left out: it is not copied and lies in the system's temporary "
                         "folder\n");
}

TEST_F(TextureFiles, NothingIsWrittenThroughALinkInTheTextureFolderNorIntoALinkedFolder) {
  write("victim.txt", "precious");
  write("maps/oak.png", kPng + "oak");
  fs::create_directories(textureFolder);
  fs::create_symlink(root / "victim.txt", textureFolder / "oak.png");
  EXPECT_EQ(wide(resolve(root / "maps" / "oak.png")), (textureFolder / "oak-2.png").wstring());
  placeCopies();
  EXPECT_EQ(contentsOf(root / "victim.txt"), "precious");
  EXPECT_TRUE(fs::is_symlink(textureFolder / "oak.png"));
  EXPECT_EQ(contentsOf(textureFolder / "oak-2.png"), kPng + "oak");

  write("other/oak.png", "someone else's");
  fs::create_directory_symlink(root / "other", root / "out" / "linked");
  exportBaseName = L"linked";
  EXPECT_EQ(wide(resolve(root / "maps" / "oak.png")), (root / "maps" / "oak.png").wstring());
  EXPECT_EQ(contentsOf(root / "other" / "oak.png"), "someone else's");
  EXPECT_EQ(std::distance(fs::directory_iterator(root / "other"), fs::directory_iterator()), 1);
  EXPECT_EQ(printed, "Warning: images are not copied: the texture folder " +
                         (root / "out" / "linked").string() + " is a symbolic link\n");
}

TEST_F(TextureFiles, AFileThisExportDidNotWriteIsNeverOverwrittenAndTheSameBytesAreReused) {
  write("out/house/wood.jpg", "the user's own");
  write("maps/wood.jpg", kPng + "oak");
  EXPECT_EQ(wide(resolve(root / "maps" / "wood.jpg")), (textureFolder / "wood-2.jpg").wstring());
  placeCopies();
  EXPECT_EQ(contentsOf(textureFolder / "wood.jpg"), "the user's own");
  // Exporting again finds its copy in place and refers to it: no wood-3.jpg.
  TextureCopies again;
  EXPECT_EQ(wide(ResolveTextureFile(CString((root / "maps" / "wood.jpg").wstring().c_str()),
                                    documentPath.c_str(), again)),
            (textureFolder / "wood-2.jpg").wstring());
  again.staged.place();
  EXPECT_EQ(inFolder(), (std::set<std::string>{"wood.jpg", "wood-2.jpg"}));
}

TEST_F(TextureFiles, AnExportThatIsNotSavedLeavesNothingNew) {
  write("maps/a.png", kPng + "a");
  write("maps/b.png", kPng + "b");
  resolve(root / "maps" / "a.png");
  copies.staged.discard();
  EXPECT_FALSE(fs::exists(textureFolder));  // this export made it, and it is empty again

  write("out/house/old.png", "the previous scene's");
  TextureCopies second;
  ResolveTextureFile(CString((root / "maps" / "b.png").wstring().c_str()), documentPath.c_str(),
                     second);
  second.staged.place();
  second.staged.discard();
  EXPECT_EQ(inFolder(), std::set<std::string>{"old.png"});
}

TEST_F(TextureFiles, OnlyImagesAreCopiedAnythingElseIsReferredToWhereItIs) {
  write("proj/passwd", "root:x:0:0:root:/root:/bin/bash");
  write("proj/empty.png", "");
  fs::create_directories(root / "proj" / "maps");
  const struct {
    fs::path source;
    const char* why;
  } cases[] = {{root / "proj" / "passwd", "not an image file"},
               {root / "proj" / "empty.png", "not an image file"},
               {root / "proj" / "maps", "not a regular file"},
               {"/dev/null", "not a regular file"}};
  for (const auto& c : cases) {
    printed.clear();
    EXPECT_EQ(wide(resolve(c.source)), c.source.wstring());
    EXPECT_EQ(printed, "Warning: texture " + c.source.string() + " is not copied: " + c.why + "\n");
  }
  EXPECT_TRUE(inFolder().empty());
}

TEST(ImageSignature, TellsImagesByTheirFirstBytesAndTargaByItsHeaderAndName) {
  using namespace std::string_literals;
  TempFolder temp("signatures");
  const std::string targa = "\0\0\x02"s + std::string(9, '\0') + "\x02\0\x02\0\x18\0"s;
  const struct {
    const char* name;
    std::string bytes;
    TextureSource expected;
  } cases[] = {
      {"a.png", kPng + "IHDR", TextureSource::image},
      {"a.jpg", "\xff\xd8\xff\xe0", TextureSource::image},
      {"a.bmp", "BM"s + std::string(12, '\0') + "\x28\0\0\0"s, TextureSource::image},
      {"b.bmp", "BMW owners' club, minutes of the meeting", TextureSource::notImage},
      {"a.tif", "II*\0"s, TextureSource::image},
      {"b.tif", "MM\0*"s, TextureSource::image},
      {"a.hdr", "#?RADIANCE\n", TextureSource::image},
      {"a.exr", "\x76\x2f\x31\x01", TextureSource::image},
      {"a.gif", "GIF89a", TextureSource::image},
      {"a.webp", "RIFF\0\0\0\0WEBPVP8 "s, TextureSource::image},
      {"a.tga", targa, TextureSource::image},
      {"tga.png", targa, TextureSource::notImage},
      {"passwd", "root:x:0:0:root:/root:/bin/bash", TextureSource::notImage},
      {"empty.jpg", "", TextureSource::notImage},
  };
  for (const auto& c : cases) {
    std::ofstream(temp.path / c.name, std::ios::binary) << c.bytes;
    EXPECT_EQ(inspectTextureSource((temp.path / c.name).string()), c.expected) << c.name;
  }
  EXPECT_EQ(inspectTextureSource(temp.path.string()), TextureSource::notRegular);
  EXPECT_EQ(inspectTextureSource((temp.path / "missing.png").string()), TextureSource::unreadable);
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
