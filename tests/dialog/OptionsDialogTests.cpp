// The options command and dialog as a person uses them: what the dialog shows for the current
// options, the enable rule, what OK and Cancel keep, and the command's identity.
#include <gtest/gtest.h>

#include <string>

#include "DialogTestSupport.h"
#include "RhinoHostServices.h"
#include "plugin/ExportOptions.h"
#include "plugin/ozuUiOptionsDlg.h"
#include "plugin/resource.h"

namespace {

/// The dialog's state, control by control: x checked, _ clear, - indeterminate; ! disabled.
std::string StateOf(const CDialog& d) {
  const std::pair<const char*, int> controls[] = {{"layerOutput", IDC_SINGLE_LAYER_OUTPUT},
                                                  {"single", IDC_SINGLE_OBJECT},
                                                  {"material", IDC_BY_MATERIAL},
                                                  {"layer", IDC_BY_LAYER},
                                                  {"object", IDC_BY_OBJECT},
                                                  {"group", IDC_MATERIAL_DEFINED_GROUP}};
  std::string state;
  for (const auto& [name, id] : controls) {
    state += state.empty() ? "" : " ";
    state += name;
    state += ":";
    if (id != IDC_MATERIAL_DEFINED_GROUP) state += "_x-"[CheckOf(d, id)];
    if (!EnabledOf(d, id)) state += "!";
  }
  return state;
}

const char kFirstRun[] = "layerOutput:x single:x material:x! layer:_! object:_! group:!";

class OptionsDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    // Each test starts from the values the plug-in has when it is loaded.
    GroupingMode = SingleObject;
    singleLayerOutput = 1;
  }

  /// Runs the options command, as the host does from its own module state; `act` operates the
  /// dialog. Returns the dialog's state as it opened.
  std::string Run(const std::function<void(CDialog&)>& act) {
    CRhinoCommand* command = RhinoHost::FindCommand(L"Orvelle6ExportOptionsDialog");
    EXPECT_NE(command, nullptr);
    if (!command) return {};
    std::string opened;
    ScriptedDriver driver([&](CDialog& d) {
      EXPECT_EQ(AfxGetModuleState(), AfxGetStaticModuleState()) << "the plug-in's state is current";
      opened = StateOf(d);
      act(d);
    });
    AFX_MODULE_STATE hostState;
    AFX_MANAGE_STATE(&hostState);
    EXPECT_EQ(command->RunCommand(CRhinoCommandContext()), CRhinoCommand::success);
    EXPECT_EQ(AfxGetModuleState(), &hostState) << "the host's state is current again";
    EXPECT_EQ(driver.runs(), 1);
    return opened;
  }

  static void PressOk(CDialog& d) { EXPECT_TRUE(d.ClickDlgItem(IDOK)); }
};

TEST_F(OptionsDialog, FirstRunShowsSingleObjectWithTheGroupingChoicesDisabled) {
  EXPECT_EQ(Run([](CDialog& d) {
              EXPECT_FALSE(d.ClickDlgItem(IDC_BY_LAYER)) << "disabled radios take no clicks";
            }),
            kFirstRun);
  EXPECT_EQ(GroupingMode, SingleObject);
  EXPECT_EQ(singleLayerOutput, 1);
}

TEST_F(OptionsDialog, ClearingSingleObjectEnablesTheChoicesWithByMaterialSelected) {
  Run([](CDialog& d) {
    d.ClickDlgItem(IDC_SINGLE_OBJECT);
    EXPECT_EQ(StateOf(d), "layerOutput:x single:_ material:x layer:_ object:_ group:");
    d.ClickDlgItem(IDC_SINGLE_OBJECT);
    EXPECT_EQ(StateOf(d), kFirstRun) << "checking it again disables them again";
    d.ClickDlgItem(IDC_SINGLE_OBJECT);
    PressOk(d);
  });
  EXPECT_EQ(GroupingMode, ByMaterial);
}

TEST_F(OptionsDialog, EachModeChosenIsShownWhenTheDialogOpensAgain) {
  const std::pair<int, const char*> choices[] = {
      {IDC_BY_LAYER, "layerOutput:x single:_ material:_ layer:x object:_ group:"},
      {IDC_BY_OBJECT, "layerOutput:x single:_ material:_ layer:_ object:x group:"},
      {IDC_BY_MATERIAL, "layerOutput:x single:_ material:x layer:_ object:_ group:"}};
  for (const auto& [radio, reopened] : choices) {
    Run([radio = radio](CDialog& d) {
      if (CheckOf(d, IDC_SINGLE_OBJECT) == BST_CHECKED) d.ClickDlgItem(IDC_SINGLE_OBJECT);
      d.ClickDlgItem(radio);
      PressOk(d);
    });
    EXPECT_EQ(GroupingMode, radio - IDC_BY_MATERIAL + ByMaterial);
    EXPECT_EQ(Run([](CDialog&) {}), reopened);
  }
}

TEST_F(OptionsDialog, SingleObjectOverridesTheRadioChoice) {
  Run([](CDialog& d) {
    d.ClickDlgItem(IDC_SINGLE_OBJECT);
    d.ClickDlgItem(IDC_BY_OBJECT);
    PressOk(d);
  });
  ASSERT_EQ(GroupingMode, ByObject);
  Run([](CDialog& d) {
    d.ClickDlgItem(IDC_SINGLE_OBJECT);
    EXPECT_EQ(CheckOf(d, IDC_BY_OBJECT), BST_CHECKED) << "the radio still shows By object";
    PressOk(d);
  });
  EXPECT_EQ(GroupingMode, SingleObject);
  EXPECT_EQ(Run([](CDialog&) {}), kFirstRun);
}

TEST_F(OptionsDialog, CancelAndClosingAfterChangesKeepBothOptions) {
  const std::function<void(CDialog&)> change = [](CDialog& d) {
    d.ClickDlgItem(IDC_SINGLE_OBJECT);
    d.ClickDlgItem(IDC_BY_LAYER);
    d.ClickDlgItem(IDC_SINGLE_LAYER_OUTPUT);
  };
  Run([&](CDialog& d) {
    change(d);
    EXPECT_TRUE(d.ClickDlgItem(IDCANCEL));
  });
  Run(change);  // the driver leaves: closed as with the close box
  EXPECT_EQ(GroupingMode, SingleObject);
  EXPECT_EQ(singleLayerOutput, 1);
}

TEST_F(OptionsDialog, ClearedSingleLayerOutputHoldsForLaterRuns) {
  Run([](CDialog& d) {
    d.ClickDlgItem(IDC_SINGLE_LAYER_OUTPUT);
    PressOk(d);
  });
  EXPECT_EQ(singleLayerOutput, 0);
  EXPECT_EQ(GroupingMode, SingleObject) << "the grouping was not touched";
  EXPECT_EQ(Run(PressOk), "layerOutput:_ single:x material:x! layer:_! object:_! group:!");
  EXPECT_EQ(singleLayerOutput, 0);
}

TEST_F(OptionsDialog, UnknownModeLeavesTheTemplatesStatesAndIsKeptByOk) {
  GroupingMode = 7;
  EXPECT_EQ(Run(PressOk), "layerOutput:x single:_ material:_ layer:_ object:_ group:");
  EXPECT_EQ(GroupingMode, 7) << "nothing checked keeps the mode";
}

TEST_F(OptionsDialog, IndeterminateChecksCountAsClear) {
  GroupingMode = ByLayer;
  Run([](CDialog& d) {
    DYNAMIC_DOWNCAST(CButton, d.GetDlgItem(IDC_SINGLE_OBJECT))->SetCheck(BST_INDETERMINATE);
    DYNAMIC_DOWNCAST(CButton, d.GetDlgItem(IDC_SINGLE_LAYER_OUTPUT))->SetCheck(BST_INDETERMINATE);
    PressOk(d);
  });
  EXPECT_EQ(GroupingMode, ByLayer);
  EXPECT_EQ(singleLayerOutput, 0);
}

TEST(OptionsCommandIdentity, OneCommandUnderOneNameWithItsOwnId) {
  CRhinoCommand* command = RhinoHost::FindCommand(L"Orvelle6ExportOptionsDialog");
  ASSERT_NE(command, nullptr);
  EXPECT_STREQ(command->EnglishCommandName(), L"Orvelle6ExportOptionsDialog");
  EXPECT_STREQ(command->LocalCommandName(), L"Orvelle6ExportOptionsDialog");
  EXPECT_FALSE(ON_UuidIsNil(command->CommandUUID()));
  for (int i = 0; i < RhinoHost::PlugIns().Count(); ++i)
    EXPECT_NE(command->CommandUUID(), RhinoHost::PlugIns()[i]->PlugInID());
  EXPECT_STREQ(RUNTIME_CLASS(ozuUiOptionsDlg)->m_lpszClassName, "ozuUiOptionsDlg");
  EXPECT_EQ(RUNTIME_CLASS(ozuUiOptionsDlg)->m_pBaseClass, RUNTIME_CLASS(CDialog));
}

}  // namespace
