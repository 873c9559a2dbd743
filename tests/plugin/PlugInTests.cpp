// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cwctype>
#include <filesystem>
#include <string>
#include <type_traits>

#include "RhinoHostServices.h"
#include "TempFolder.h"
#include "export/SceneExporter.h"
#include "orv/SceneFileReader.h"
#include "plugin/ExportOptions.h"
#include "plugin/ORVExportPlugIn.h"

namespace {

namespace fs = std::filesystem;

// Collects what the plug-in prints on the host command line.
class CommandLine {
 public:
  CommandLine() {
    RhinoHost::SetCommandLineSink([this](const std::string& text) { printed += text; });
  }
  ~CommandLine() { RhinoHost::SetCommandLineSink({}); }
  std::string printed;
};

static_assert(std::is_same_v<decltype(RhinoPlugInVersion()), const char*>);
static_assert(std::is_same_v<decltype(RhinoPlugInName()), const wchar_t*>);
static_assert(std::is_same_v<decltype(RhinoPlugInId()), const wchar_t*>);
static_assert(std::is_same_v<decltype(RhinoPlugInUpdateURL()), const wchar_t*>);
static_assert(std::is_same_v<decltype(RhinoPlugInSdkVersion()), int>);

TEST(PlugInInformation, GivesTheHostTheFixedValues) {
  EXPECT_EQ(RhinoPlugInSdkVersion(), 201103035);
  EXPECT_EQ(RhinoPlugInSdkServiceRelease(), 201406095);
  EXPECT_STREQ(RhinoPlugInName(), L"Orvelle6 Export");
  EXPECT_STREQ(RhinoPlugInVersion(), "1.0.16.31");
  EXPECT_STREQ(RhinoPlugInDeveloperOrganization(), L"Orvelle Export Developers");
}

TEST(PlugInInformation, IdIsAnUpperCaseGuidWithoutBraces) {
  const std::wstring id = RhinoPlugInId();
  ASSERT_EQ(id.size(), 36u);
  for (std::size_t i = 0; i < id.size(); ++i) {
    if (i == 8 || i == 13 || i == 18 || i == 23)
      EXPECT_EQ(id[i], L'-') << i;
    else
      EXPECT_TRUE(std::iswxdigit(id[i]) && !std::iswlower(id[i])) << i;
  }
  wchar_t formatted[37];
  EXPECT_STREQ(ON_UuidToString(ON_UuidFromString(id.c_str()), formatted), id.c_str());
}

TEST(PlugInObject, IdentifiesItselfWithTheExportedInformation) {
  CORVExportPlugInPlugIn& plugIn = ORVExportPlugIn();
  EXPECT_TRUE(plugIn.PlugInID() == ON_UuidFromString(RhinoPlugInId()));
  EXPECT_FALSE(ON_UuidIsNil(plugIn.PlugInID()));
  EXPECT_STREQ(plugIn.PlugInName(), RhinoPlugInName());
  EXPECT_STREQ(plugIn.PlugInVersion(), L"1.0.16.31");

  CRhinoCommand* command = RhinoHost::FindCommand(L"Orvelle6ExportOptionsDialog");
  ASSERT_NE(command, nullptr);
  EXPECT_FALSE(command->CommandUUID() == plugIn.PlugInID());
}

TEST(PlugInObject, RegistersExactlyOneFileTypeWhateverTheOptions) {
  CRhinoFileWriteOptions plain, selected, everything;
  selected.SetMode(CRhinoFileWriteOptions::SelectedMode, true);
  for (auto mode : {CRhinoFileWriteOptions::SelectedMode, CRhinoFileWriteOptions::AsTemplateMode,
                    CRhinoFileWriteOptions::BitmapMode, CRhinoFileWriteOptions::RenderMeshesMode,
                    CRhinoFileWriteOptions::HistoryMode, CRhinoFileWriteOptions::UserDataMode})
    everything.SetMode(mode, true);
  for (const CRhinoFileWriteOptions* options : {&plain, &selected, &everything}) {
    ON_ClassArray<CRhinoFileType> types;
    types.Append(CRhinoFileType(ON_nil_uuid, L"Another (*.xyz)", L"xyz"));
    ORVExportPlugIn().AddFileType(types, *options);
    ASSERT_EQ(types.Count(), 2);
    EXPECT_TRUE(types[1].PlugInID() == ORVExportPlugIn().PlugInID());
    EXPECT_STREQ(types[1].Description(), L"Orvelle 6 (*.orv)");
    EXPECT_STREQ(types[1].Extension(), L"orv");
  }
}

TEST(PlugInObject, WritesAnEmptyDocumentAndAnnouncesTheExport) {
  TempFolder folder{"orv-plugin"};
  const fs::path target = folder.path / "house.orv";
  CRhinoDoc doc;
  CommandLine commandLine;
  EXPECT_EQ(ORVExportPlugIn().WriteFile(target.wstring().c_str(), 0, doc, {}), 1);
  EXPECT_EQ(commandLine.printed, "\nExporting model to Orvelle 6...\n");
  EXPECT_NO_THROW(QzOrv::scene::readSceneFile(target));
}

TEST(PlugInObject, ReportsAFileThatCouldNotBeWritten) {
  TempFolder folder{"orv-plugin"};
  CRhinoDoc doc;
  const fs::path target = folder.path / "missing" / "house.orv";
  EXPECT_EQ(ORVExportPlugIn().WriteFile(target.wstring().c_str(), 0, doc, {}), 0);
}

TEST(PlugInObject, SelectedOnlyFollowsTheHostsSelectedObjectsMode) {
  CRhinoDoc doc;
  SceneExporter exporter(doc);
  CRhinoFileWriteOptions options;
  options.SetMode(CRhinoFileWriteOptions::RenderMeshesMode, true);
  exporter.applyWriteOptions(options);
  EXPECT_FALSE(exporter.selectedOnly);
  options.SetMode(CRhinoFileWriteOptions::SelectedMode, true);
  exporter.applyWriteOptions(options);
  EXPECT_TRUE(exporter.selectedOnly);
}

TEST(PlugInModule, StartsWithTheDefaultOptions) {
  EXPECT_EQ(GroupingMode, SingleObject);
  EXPECT_EQ(singleLayerOutput, 1);
}

TEST(PlugInModule, HasItsApplicationObjectInItsModuleState) {
  CWinApp* app = AfxGetStaticModuleState()->m_pCurrentWinApp;
  EXPECT_NE(dynamic_cast<CORVExportPlugInApp*>(app), nullptr);
}

}  // namespace
