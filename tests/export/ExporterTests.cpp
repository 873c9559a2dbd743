// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <gtest/gtest.h>
#include <stdlib.h>

#include <climits>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "RhinoHostServices.h"
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
  const std::size_t tooLong = PATH_MAX + 1;
  const std::wstring longFolder = L"/" + std::wstring(tooLong, L'f') + L"/house.orv";
  const std::wstring longName = L"/tmp/" + std::wstring(tooLong, L'n') + L".orv";
  const std::wstring longExtension = L"/tmp/house." + std::wstring(tooLong, L'e');
  for (const std::wstring& path : {longFolder, longName, longExtension}) {
    exportBaseName = L"previous";
    exportFolder = L"/previous/";
    splitExportPath(path.c_str());
    EXPECT_STREQ(exportBaseName, L"");
    EXPECT_STREQ(exportFolder, L"/previous/");
  }
}

TEST(SceneExporter, AFolderLongerThanAWindowsPathPartKeepsTheBaseName) {
  // Folders nested past 255 characters, each name short enough for the file system.
  TempFolder top{"orv-export"};
  std::filesystem::path folder = top.path;
  while (folder.native().size() <= 300) folder /= std::string(60, 'f');
  std::filesystem::create_directories(folder);
  CRhinoDoc doc;
  doc.AddObject(new CRhinoMeshObject([] {
    auto* mesh = new ON_Mesh;
    for (const ON_3fPoint& p : {ON_3fPoint(0, 0, 0), ON_3fPoint(1, 0, 0), ON_3fPoint(1, 1, 0)})
      mesh->m_V.Append(p);
    mesh->m_F.Append(ON_MeshFace{{0, 1, 2, 2}});
    return mesh;
  }()));
  const int grouping = GroupingMode;
  GroupingMode = SingleObject;
  SceneExporter exporter(doc);
  const bool written = exporter.run((folder / "house.orv").wstring().c_str(), SingleObject);
  GroupingMode = grouping;
  ASSERT_TRUE(written);
  EXPECT_STREQ(exportBaseName, L"house");
  EXPECT_EQ(std::wstring(exportFolder), (folder / "").wstring());
  const QzOrv::scene::Scene scene = QzOrv::scene::readSceneFile(folder / "house.orv");
  ASSERT_EQ(scene.objectDefinitions.size(), 1u);
  EXPECT_EQ(scene.objectDefinitions[0].name, "house Definition");
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

// What the command line showed while `body` ran.
template <class Body>
std::string printedDuring(Body&& body) {
  std::string printed;
  RhinoHost::SetCommandLineSink([&](const std::string& text) { printed += text; });
  body();
  RhinoHost::SetCommandLineSink({});
  return printed;
}

CRhinoObject* pointObject(bool selected, ON_3dmObjectAttributes::object_mode mode =
                                             ON_3dmObjectAttributes::normal_object) {
  auto* object = new CRhinoPointObject(new ON_Point(ON_3dPoint(1, 2, 3)));
  CRhinoObjectAttributes attributes;
  attributes.SetMode(mode);
  object->SetAttributes(attributes);
  object->Select(selected);
  return object;
}

CRhinoObject* meshObject(bool selected) {
  auto* mesh = new ON_Mesh;
  for (const ON_3fPoint& p : {ON_3fPoint(0, 0, 0), ON_3fPoint(1, 0, 0), ON_3fPoint(1, 1, 0)})
    mesh->m_V.Append(p);
  mesh->m_F.Append(ON_MeshFace{{0, 1, 2, 2}});
  auto* object = new CRhinoMeshObject(mesh);
  object->Select(selected);
  return object;
}

CRhinoObject* instanceOf(CRhinoDoc& doc, std::vector<CRhinoObject*> objects) {
  auto* block = new CRhinoInstanceDefinition;
  for (CRhinoObject* object : objects) block->AddObject(object);
  doc.m_instance_definition_table.AddInstanceDefinition(block);
  auto* instance = new CRhinoInstanceObject(block, ON_Xform::IdentityTransformation);
  instance->Select(true);
  return instance;
}

// One rule decides both warnings: the objects the export takes are none of the document's, or
// only objects without polygons (listed by kind); a document with geometry to export, or with no
// objects at all, gets no warning.
TEST(SceneExporter, WarnsWhenItTakesNoObjectOrNoneWithGeometry) {
  TempFolder folder{"orv-export"};
  const std::wstring target = folder.file("house.orv");
  struct Case {
    const char* what;
    std::function<void(CRhinoDoc&)> fill;
    bool selectedOnly;
    std::string warning;
  };
  const auto hiddenMesh = [] {
    CRhinoObject* mesh = meshObject(true);
    CRhinoObjectAttributes attributes;
    attributes.SetMode(ON_3dmObjectAttributes::hidden_object);
    mesh->SetAttributes(attributes);
    return mesh;
  };
  const Case cases[] = {
      {"unselected points, selected only",
       [](CRhinoDoc& d) { d.AddObject(pointObject(false)), d.AddObject(pointObject(false)); }, true,
       "Warning: nothing to export: none of the document's 2 objects is both visible and "
       "selected\n"},
      {"unselected points",
       [](CRhinoDoc& d) { d.AddObject(pointObject(false)), d.AddObject(pointObject(false)); },
       false, "Warning: nothing with geometry to export (2 points)\n"},
      {"a hidden point",
       [](CRhinoDoc& d) { d.AddObject(pointObject(true, ON_3dmObjectAttributes::hidden_object)); },
       false, "Warning: nothing to export: none of the document's 1 object is visible\n"},
      {"one point selected",
       [](CRhinoDoc& d) { d.AddObject(pointObject(false)), d.AddObject(pointObject(true)); }, true,
       "Warning: nothing with geometry to export (1 point)\n"},
      {"a selected mesh",
       [](CRhinoDoc& d) { d.AddObject(pointObject(false)), d.AddObject(meshObject(true)); }, true,
       ""},
      {"a hidden mesh beside a curve",
       [&](CRhinoDoc& d) {
         d.AddObject(hiddenMesh());
         d.AddObject(new CRhinoCurveObject(nullptr));
       },
       false, "Warning: nothing with geometry to export (1 curve)\n"},
      {"every kind without geometry",
       [](CRhinoDoc& d) {
         d.AddObject(new CRhinoCurveObject(nullptr));
         d.AddObject(pointObject(true)), d.AddObject(pointObject(true));
         d.AddObject(new CRhinoAnnotationObject(nullptr));
         d.AddObject(new CRhinoLight(new ON_Light));
         d.AddObject(instanceOf(d, {new CRhinoCurveObject(nullptr), pointObject(false)}));
       },
       false,
       "Warning: nothing with geometry to export (1 curve, 2 points, 1 annotation, 1 light, 1 "
       "block instance)\n"},
      {"an instance of a block placing a mesh",
       [](CRhinoDoc& d) {
         CRhinoObject* inner = instanceOf(d, {meshObject(false)});
         d.AddObject(instanceOf(d, {inner}));
       },
       true, ""},
      {"no objects", [](CRhinoDoc&) {}, true, ""},
  };
  for (const Case& c : cases) {
    CRhinoDoc doc;
    c.fill(doc);
    const std::string printed = printedDuring([&] {
      SceneExporter exporter(doc);
      exporter.selectedOnly = c.selectedOnly;
      EXPECT_TRUE(exporter.run(target.c_str(), ByObject)) << c.what;
    });
    EXPECT_EQ(printed, c.warning) << c.what;
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
