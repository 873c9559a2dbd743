// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "export/SceneExporter.h"
#include "orv/SceneFileReader.h"
#include "plugin/ExportOptions.h"

namespace {

namespace fs = std::filesystem;

void addMaterial(CRhinoDoc& doc, const wchar_t* name) {
  ON_Material material;
  material.SetMaterialName(name);
  doc.m_material_table.AddMaterial(material);
}

TEST(SplitExportPath, TakesTheFileNameAndTheFolderWithItsSeparator) {
  struct Case {
    const wchar_t* path;
    const wchar_t* baseName;
    const wchar_t* folder;
  };
  const Case cases[] = {
      {L"C:\\scenes\\house.orv", L"house", L"C:\\scenes\\"},
      {L"/tmp/out/house.orv", L"house", L"/tmp/out/"},
      {L"house.orv", L"house", L""},  // a bare name has no folder
      {L"/tmp/out/house", L"house", L"/tmp/out/"},
      {L"/tmp/out/house.v2.orv", L"house.v2", L"/tmp/out/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ON_String(c.path).Array());
    exportFolder = L"stale\\";
    splitExportPath(c.path);
    EXPECT_STREQ(exportBaseName, c.baseName);
    EXPECT_STREQ(exportFolder, c.folder);
  }
}

TEST(SplitExportPath, APartTooLongForItsBufferEmptiesTheBaseNameAndKeepsTheFolder) {
  const std::wstring longFolder = L"/" + std::wstring(300, L'f') + L"/house.orv";
  const std::wstring longName = L"/tmp/" + std::wstring(300, L'n') + L".orv";
  const std::wstring longExtension = L"/tmp/house." + std::wstring(300, L'e');
  for (const std::wstring& path : {longFolder, longName, longExtension}) {
    exportBaseName = L"previous";
    exportFolder = L"/previous/";
    splitExportPath(path.c_str());
    EXPECT_STREQ(exportBaseName, L"");
    EXPECT_STREQ(exportFolder, L"/previous/");
  }
}

TEST(SceneExporter, RecordsTheDocumentMaterialsInTableOrder) {
  CRhinoDoc doc;
  addMaterial(doc, L"Brick");
  addMaterial(doc, L"Glass");
  addMaterial(doc, L"Oak");
  SceneExporter exporter(doc);
  exporter.collectDocumentMaterials();
  ASSERT_EQ(exporter.writer.documentMaterials.Count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(exporter.writer.documentMaterials[i], &doc.m_material_table[i]);
    EXPECT_EQ(exporter.writer.documentMaterials[i]->MaterialIndex(), i);
  }
}

TEST(SceneExporter, WritesTheSceneAndSplitsItsPath) {
  TempFolder folder{"orv-export"};
  CRhinoDoc doc;
  addMaterial(doc, L"Brick");
  const std::wstring target = folder.file("house.orv");
  SceneExporter exporter(doc);
  ASSERT_TRUE(exporter.run(target.c_str(), SingleObject));

  EXPECT_STREQ(exportBaseName, L"house");
  EXPECT_EQ(std::wstring(exportFolder), (folder.path / "").wstring());
  const QzOrv::scene::Scene scene = QzOrv::scene::readSceneFile(target);
  ASSERT_TRUE(scene.creator.has_value());
  EXPECT_EQ(scene.creator->application, "RhinoORVExportPlugIn");
  EXPECT_EQ(scene.creator->version, "1.0.16.31");
}

TEST(SceneExporter, TwoExportsInARowShareNoState) {
  TempFolder folder{"orv-export"};
  CRhinoDoc doc;
  addMaterial(doc, L"Brick");
  addMaterial(doc, L"Glass");
  for (const char* name : {"first.orv", "second.orv"}) {
    SceneExporter exporter(doc);
    EXPECT_EQ(exporter.writer.documentMaterials.Count(), 0);
    EXPECT_EQ(exporter.exportedMaterials.Count(), 0);
    EXPECT_FALSE(exporter.selectedOnly);
    ASSERT_TRUE(exporter.run(folder.file(name).c_str(), ByMaterial));
    EXPECT_EQ(exporter.writer.documentMaterials.Count(), 2);
  }
}

std::vector<int> waitCursorCalls;

TEST(SceneExporter, ShowsTheWaitCursorOnlyWhileItRuns) {
  TempFolder folder{"orv-export"};
  CRhinoDoc doc;
  waitCursorCalls.clear();
  AfxSetWaitCursorHandler([](int code) { waitCursorCalls.push_back(code); });
  {
    SceneExporter exporter(doc);
    EXPECT_TRUE(exporter.run(folder.file("house.orv").c_str(), SingleObject));
    EXPECT_EQ(waitCursorCalls, (std::vector<int>{1, -1}));
  }
  AfxSetWaitCursorHandler(nullptr);
}

// A material that records the order in which copies are deleted.
std::vector<int> deletedMaterials;
struct TrackedMaterial : ON_Material {
  explicit TrackedMaterial(int index) { SetMaterialIndex(index); }
  ~TrackedMaterial() override { deletedMaterials.push_back(MaterialIndex()); }
};

TEST(SceneExporter, DeletesItsMaterialCopiesInIndexOrder) {
  CRhinoDoc doc;
  deletedMaterials.clear();
  {
    SceneExporter exporter(doc);
    exporter.exportedMaterials.Append(new TrackedMaterial(-1));
    exporter.exportedMaterials.Append(nullptr);
    exporter.exportedMaterials.Append(new TrackedMaterial(4));
    exporter.exportedMaterials.Append(new TrackedMaterial(2));
  }
  EXPECT_EQ(deletedMaterials, (std::vector<int>{-1, 4, 2}));
}

}  // namespace
