// The host's scripted options: every setting reached through the dialog, values left alone,
// refusals of what the dialog cannot reach, the read-back, and --options without a terminal.
#include <gtest/gtest.h>
#include <unistd.h>

#include "DialogTestSupport.h"
#include "OptionsCommand.h"
#include "plugin/ExportOptions.h"
#include "plugin/resource.h"

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr UINT kNoByObjectDialog = 910;  // By layer disabled for good, no By object, no layer box
constexpr UINT kDisabledOkDialog = 911;

const AFX_DLGITEMTEMPLATE kNoByObject[] = {
    {IDC_SINGLE_OBJECT, L"Button", L"Single object", kChild | BS_AUTOCHECKBOX, 0, 1, 1, 9, 9},
    {IDC_BY_MATERIAL, L"Button", L"By material", kChild | BS_AUTORADIOBUTTON | WS_GROUP, 0, 1, 1, 9,
     9},
    {IDC_BY_LAYER, L"Button", L"By layer", kChild | BS_AUTORADIOBUTTON | WS_DISABLED, 0, 1, 1, 9,
     9},
    {IDOK, L"Button", L"OK", kChild | BS_DEFPUSHBUTTON, 0, 1, 1, 9, 9},
};
const AFX_DLGITEMTEMPLATE kDisabledOk[] = {
    {IDC_SINGLE_LAYER_OUTPUT, L"Button", L"Use a single layer output", kChild | BS_AUTOCHECKBOX, 0,
     1, 1, 9, 9},
    {IDOK, L"Button", L"OK", kChild | BS_DEFPUSHBUTTON | WS_DISABLED, 0, 1, 1, 9, 9},
};
const AFX_DLGTEMPLATE kTemplates[] = {
    {kNoByObjectDialog, 0, 0, 0, 0, 50, 50, L"", nullptr, 0, kNoByObject, 4},
    {kDisabledOkDialog, 0, 0, 0, 0, 50, 50, L"", nullptr, 0, kDisabledOk, 2},
};
const CModuleDialogResources kResources(AfxGetStaticModuleState(), kTemplates, 2);

class ScriptedOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    GroupingMode = SingleObject;
    singleLayerOutput = 1;
  }
};

TEST_F(ScriptedOptions, EveryGroupingAndLayerSettingIsReachedThroughTheDialog) {
  const char* const names[] = {"single", "material", "layer", "object"};
  for (int grouping = ByObject; grouping >= SingleObject; --grouping) {
    for (bool single : {false, true}) {
      SCOPED_TRACE(names[grouping] + std::string(single ? " on" : " off"));
      EXPECT_EQ(chooseOptions(grouping, single), "");
      EXPECT_EQ(GroupingMode, grouping);
      EXPECT_EQ(singleLayerOutput, single ? 1 : 0);
      EXPECT_EQ(describeOptions(), std::string("--grouping ") + names[grouping] +
                                       " --single-layer " + (single ? "on" : "off"));
    }
  }
}

TEST_F(ScriptedOptions, AbsentValuesStayAsTheDialogShowsThem) {
  ASSERT_EQ(chooseOptions(ByLayer, false), "");
  EXPECT_EQ(chooseOptions(std::nullopt, true), "");
  EXPECT_EQ(GroupingMode, ByLayer);
  EXPECT_EQ(chooseOptions(SingleObject, std::nullopt), "");
  EXPECT_EQ(singleLayerOutput, 1);
  EXPECT_EQ(chooseOptions(std::nullopt, std::nullopt), "");
  EXPECT_EQ(GroupingMode, SingleObject);
}

TEST_F(ScriptedOptions, UnknownGroupingIsRefusedAndNothingChanges) {
  const std::string refused = chooseOptions(4, false);
  EXPECT_NE(refused.find("unknown grouping mode 4"), std::string::npos) << refused;
  EXPECT_EQ(GroupingMode, SingleObject);
  EXPECT_EQ(singleLayerOutput, 1);
}

TEST_F(ScriptedOptions, ReadBackSaysUnknownWhenTheDialogShowsNoGrouping) {
  GroupingMode = 9;
  EXPECT_EQ(describeOptions(), "--grouping unknown --single-layer on");
}

TEST(OptionsDialogScript, RefusesWhatTheDialogCannotReachAndLeavesItCancelled) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  const struct {
    UINT dialog;
    std::optional<int> grouping;
    std::optional<bool> singleLayer;
    const char* refusal;  // empty: reached, closed with OK
  } cases[] = {
      {kNoByObjectDialog, ByMaterial, std::nullopt, ""},
      {kNoByObjectDialog, ByLayer, std::nullopt, "\"By layer\" is disabled"},
      {kNoByObjectDialog, ByObject, std::nullopt, "has no control \"By object\""},
      {kNoByObjectDialog, std::nullopt, false, "has no control \"Use a single layer output\""},
      {kDisabledOkDialog, std::nullopt, false, "OK button of the options dialog is disabled"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.refusal);
    OptionsDialogScript script(c.grouping, c.singleLayer);
    CDialogDriver* previous = AfxSetDialogDriver(&script);
    CDialog dialog(c.dialog);
    const INT_PTR result = dialog.DoModal();
    AfxSetDialogDriver(previous);
    EXPECT_TRUE(script.shown());
    EXPECT_EQ(result, *c.refusal ? IDCANCEL : IDOK);
    if (*c.refusal)
      EXPECT_NE(script.refusal().find(c.refusal), std::string::npos) << script.refusal();
    else
      EXPECT_EQ(script.refusal(), "");
  }
}

TEST(TerminalOptionsDialog, RefusesWithoutATerminal) {
  if (isatty(STDIN_FILENO) && isatty(STDOUT_FILENO)) GTEST_SKIP() << "running on a terminal";
  EXPECT_NE(runOptionsDialogInTerminal().refusal.find("needs a terminal"), std::string::npos);
}

}  // namespace
