#include <gtest/gtest.h>

#include <string>

#include "PlugInModule.h"
#include "RhinoHostServices.h"

namespace {

std::string Utf8(const wchar_t* text) {
  return ON_String(text).Array();
}

TEST(PlugInModule, LoadingConstructsThePlugInsObjectsAndUnloadingDestroysThem) {
  AFX_MODULE_STATE* const hostState = AfxGetModuleState();
  ASSERT_EQ(RhinoHost::PlugIns().Count(), 0);
  ASSERT_EQ(RhinoHost::Commands().Count(), 0);
  {
    PlugInModule module(PLUGIN_PATH);
    EXPECT_EQ(RhinoHost::PlugIns().Count(), 1);
    EXPECT_NE(RhinoHost::FindCommand(L"Orvelle6ExportOptionsDialog"), nullptr);
    EXPECT_EQ(AfxGetModuleState(), hostState);

    const PlugInInfo& info = module.Info();
    EXPECT_EQ(info.sdkVersion, PlugInModule::kSdkVersion);
    EXPECT_EQ(Utf8(info.name), "Orvelle6 Export");
    EXPECT_STREQ(info.version.Array(), "1.0.16.31");
    EXPECT_EQ(RhinoHost::PlugIns()[0]->PlugInID(), ON_UuidFromString(info.id.Array()));
    ASSERT_EQ(module.FileTypes().Count(), 1);
    EXPECT_EQ(Utf8(module.FileTypes()[0].Description()), "Orvelle 6 (*.orv)");
  }
  EXPECT_EQ(RhinoHost::PlugIns().Count(), 0);
  EXPECT_EQ(RhinoHost::Commands().Count(), 0);
  EXPECT_EQ(AfxGetModuleState(), hostState);
}

TEST(PlugInModule, PicksTheFileTypeByTheOutputExtensionIgnoringCase) {
  PlugInModule module(PLUGIN_PATH);
  EXPECT_EQ(module.FileTypeIndexFor(L"/out/house.orv"), 0);
  EXPECT_EQ(module.FileTypeIndexFor(L"/out/HOUSE.ORV"), 0);
  EXPECT_EQ(module.FileTypeIndexFor(L"/out/house.orv.bak"), -1);
  EXPECT_EQ(module.FileTypeIndexFor(L"/out.orv/house"), -1);
  EXPECT_EQ(module.FileTypeIndexFor(L"/out/orv"), -1);
}

struct FaultyModule {
  const char* fault;
  const char* problem;  // part of the refusal
};

TEST(PlugInModule, RefusesModulesTheHostCannotUseAndUnloadsThem) {
  const FaultyModule cases[] = {
      {"wrong_sdk_version", "built for host SDK version 201000000"},
      {"not_an_export_plugin", "not a file export plug-in"},
      {"id_mismatch", "is not the id 0D7C2A4E-5B61-4F0E-9C3A-7E21B8D4F6A1"},
      {"refuses_to_load", "OnLoadPlugIn returned 0"},
      {"no_update_url", "does not export RhinoPlugInUpdateURL"},
      {"no_file_type", "registers no file type"},
  };
  for (const FaultyModule& faulty : cases) {
    const std::string path = std::string(FAULTY_PLUGIN_DIR) + "/faulty_" + faulty.fault + ".rhp";
    try {
      PlugInModule module(path);
      ADD_FAILURE() << faulty.fault << ": loaded";
    } catch (const PlugInLoadError& error) {
      const std::string message = error.what();
      EXPECT_EQ(message.rfind(path + ": ", 0), 0u) << message;
      EXPECT_NE(message.find(faulty.problem), std::string::npos) << message;
    }
    EXPECT_EQ(RhinoHost::PlugIns().Count(), 0) << faulty.fault << ": still loaded";
  }
}

TEST(PlugInModule, ReportsAModuleThatCannotBeOpened) {
  try {
    PlugInModule module("/nonexistent/ORVExportPlugIn6.rhp");
    FAIL() << "loaded";
  } catch (const PlugInLoadError& error) {
    EXPECT_NE(std::string(error.what()).find("/nonexistent/ORVExportPlugIn6.rhp"),
              std::string::npos);
  }
}

}  // namespace
