// The MFC dialog stand-in operated through a driver: what buttons do by themselves, message-map
// dispatch, DoModal's outcomes, template order, focus and run-time class information.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DialogTestSupport.h"

namespace {

constexpr UINT kControlsDialog = 901;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

const AFX_DLGITEMTEMPLATE kControls[] = {
    {102, L"Button", L"Disabled box", kChild | BS_AUTOCHECKBOX | WS_TABSTOP | WS_DISABLED, 0, 5, 5,
     80, 10},
    {101, L"Button", L"Box", kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 0, 5, 20, 80, 10},
    {103, L"Button", L"Three states", kChild | BS_AUTO3STATE | WS_TABSTOP, 0, 5, 35, 80, 10},
    {111, L"Button", L"A", kChild | BS_AUTORADIOBUTTON | WS_GROUP, 0, 5, 50, 80, 10},
    {112, L"Button", L"B", kChild | BS_AUTORADIOBUTTON, 0, 5, 60, 80, 10},
    {113, L"Button", L"Manual", kChild | BS_RADIOBUTTON, 0, 5, 70, 80, 10},
    {121, L"Button", L"C", kChild | BS_AUTORADIOBUTTON | WS_GROUP, 0, 5, 80, 80, 10},
    {122, L"Button", L"D", kChild | BS_AUTORADIOBUTTON, 0, 5, 90, 80, 10},
    {131, L"Button", L"Frame", kChild | BS_GROUPBOX, 0, 2, 45, 90, 60},
    {IDOK, L"Button", L"OK", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 5, 110, 40, 14},
    {IDCANCEL, L"Button", L"Cancel", kChild | BS_PUSHBUTTON | WS_TABSTOP, 0, 50, 110, 40, 14},
    {140, L"Static", L"Label", kChild, 0, 5, 130, 80, 8},
};
const AFX_DLGTEMPLATE kTemplates[] = {{kControlsDialog, WS_POPUP | WS_CAPTION | DS_MODALFRAME, 0, 0,
                                       0, 100, 150, L"Controls", L"MS Shell Dlg", 8, kControls,
                                       static_cast<int>(std::size(kControls))}};
const CModuleDialogResources kResources(AfxGetStaticModuleState(), kTemplates, 1);

/// Records what the framework calls on it.
class RecordingDialog : public CDialog {
 public:
  RecordingDialog() : CDialog(kControlsDialog) {}
  bool initRan = false;
  bool okRan = false;
  std::vector<int> checksSeenByHandler;

 protected:
  BOOL OnInitDialog() override {
    initRan = true;
    return CDialog::OnInitDialog();
  }
  void OnOK() override {
    okRan = true;
    CDialog::OnOK();
  }
  afx_msg void OnBoxClicked() { checksSeenByHandler.push_back(CheckOf(*this, 101)); }

  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RecordingDialog, CDialog)
ON_BN_CLICKED(101, &RecordingDialog::OnBoxClicked)
END_MESSAGE_MAP()

CButton& ButtonOf(CDialog& dialog, int id) {
  auto* button = DYNAMIC_DOWNCAST(CButton, dialog.GetDlgItem(id));
  EXPECT_NE(button, nullptr) << "no button " << id;
  return *button;
}

// The test templates are this program's resources, so its module state must be current.
class DialogStandIn : public ::testing::Test {
 protected:
  AFX_MAINTAIN_STATE2 m_moduleState{AfxGetStaticModuleState()};
};

TEST_F(DialogStandIn, CheckBoxesToggleOrCycleAndAnIndeterminateTwoStateBoxBecomesChecked) {
  std::vector<int> box, threeStates;
  ScriptedDriver driver([&](CDialog& d) {
    for (int i = 0; i < 2; ++i) {
      d.ClickDlgItem(101);
      box.push_back(CheckOf(d, 101));
    }
    ButtonOf(d, 101).SetCheck(BST_INDETERMINATE);
    d.ClickDlgItem(101);
    box.push_back(CheckOf(d, 101));
    for (int i = 0; i < 3; ++i) {
      d.ClickDlgItem(103);
      threeStates.push_back(CheckOf(d, 103));
    }
  });
  CDialog dialog(kControlsDialog);
  dialog.DoModal();
  EXPECT_EQ(box, (std::vector<int>{BST_CHECKED, BST_UNCHECKED, BST_CHECKED}));
  EXPECT_EQ(threeStates, (std::vector<int>{BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED}));
}

TEST_F(DialogStandIn, AutomaticRadioButtonClearsOnlyTheAutomaticRadiosOfItsOwnGroup) {
  ScriptedDriver driver([](CDialog& d) {
    ButtonOf(d, 111).SetCheck(BST_CHECKED);
    ButtonOf(d, 113).SetCheck(BST_CHECKED);
    ButtonOf(d, 121).SetCheck(BST_CHECKED);
    EXPECT_TRUE(d.ClickDlgItem(112));
    EXPECT_EQ(CheckOf(d, 111), BST_UNCHECKED);
    EXPECT_EQ(CheckOf(d, 112), BST_CHECKED);
    EXPECT_EQ(CheckOf(d, 113), BST_CHECKED) << "a manual radio button is left to its dialog";
    EXPECT_EQ(CheckOf(d, 121), BST_CHECKED) << "the next group starts at WS_GROUP";

    ButtonOf(d, 113).SetCheck(BST_UNCHECKED);
    EXPECT_TRUE(d.ClickDlgItem(113));
    EXPECT_EQ(CheckOf(d, 113), BST_UNCHECKED) << "a manual radio button does not check itself";
    EXPECT_EQ(CheckOf(d, 112), BST_CHECKED);
  });
  CDialog dialog(kControlsDialog);
  dialog.DoModal();
  EXPECT_EQ(driver.runs(), 1);
}

TEST_F(DialogStandIn, DisabledControlsGroupBoxesAndStaticTextIgnoreClicks) {
  RecordingDialog dialog;
  ScriptedDriver driver([&](CDialog& d) {
    EXPECT_FALSE(d.ClickDlgItem(102));
    EXPECT_EQ(CheckOf(d, 102), BST_UNCHECKED);
    EXPECT_TRUE(d.GetDlgItem(102)->EnableWindow(TRUE)) << "reports that it was disabled";
    EXPECT_TRUE(d.ClickDlgItem(102));
    EXPECT_EQ(CheckOf(d, 102), BST_CHECKED);

    EXPECT_FALSE(d.GetDlgItem(101)->EnableWindow(FALSE));
    EXPECT_FALSE(d.ClickDlgItem(101));
    EXPECT_FALSE(d.ClickDlgItem(131));
    EXPECT_FALSE(d.ClickDlgItem(140));
    EXPECT_FALSE(d.ClickDlgItem(999));
    ButtonOf(d, 131).SetCheck(BST_CHECKED);
    EXPECT_EQ(CheckOf(d, 131), BST_UNCHECKED) << "group boxes have no check state";
  });
  dialog.DoModal();
  EXPECT_TRUE(dialog.checksSeenByHandler.empty()) << "a disabled box must not notify";
}

TEST_F(DialogStandIn, MappedHandlerSeesTheNewStateAndOkRunsTheOverriddenOnOK) {
  RecordingDialog dialog;
  ScriptedDriver driver([](CDialog& d) {
    d.ClickDlgItem(101);
    d.ClickDlgItem(101);
    EXPECT_TRUE(d.ClickDlgItem(IDOK));
    EXPECT_TRUE(d.IsEnded());
    EXPECT_FALSE(d.ClickDlgItem(101)) << "an ended dialog takes no more clicks";
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_TRUE(dialog.initRan);
  EXPECT_TRUE(dialog.okRan);
  EXPECT_EQ(dialog.checksSeenByHandler, (std::vector<int>{BST_CHECKED, BST_UNCHECKED}));
}

TEST_F(DialogStandIn, DoModalNeedsADriverAndTheTemplateInTheCurrentModule) {
  {
    RecordingDialog dialog;
    EXPECT_EQ(dialog.DoModal(), -1) << "no driver installed";
    EXPECT_FALSE(dialog.initRan);
  }
  ScriptedDriver driver([](CDialog& d) { d.EndDialog(IDOK); });
  CDialog missing(999);
  EXPECT_EQ(missing.DoModal(), -1);
  {
    AFX_MODULE_STATE otherModule;
    AFX_MANAGE_STATE(&otherModule);
    CDialog elsewhere(kControlsDialog);
    EXPECT_EQ(elsewhere.DoModal(), -1) << "templates belong to the module that registered them";
  }
  EXPECT_EQ(driver.runs(), 0);
  CDialog found(kControlsDialog);
  EXPECT_EQ(found.DoModal(), IDOK);
}

TEST_F(DialogStandIn, LeavingTheDialogCancelsItAndEachRunStartsWithFreshControls) {
  int runs = 0;
  ScriptedDriver driver([&](CDialog& d) {
    EXPECT_EQ(CheckOf(d, 101), BST_UNCHECKED) << "run " << runs;
    d.ClickDlgItem(101);
    ++runs;
  });
  CDialog dialog(kControlsDialog);
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.GetDlgItem(101), nullptr) << "controls die with the dialog's run";
  EXPECT_EQ(dialog.GetDlgTemplate(), nullptr);
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(runs, 2);
}

TEST_F(DialogStandIn, ControlsFollowTemplateOrderAndTheFocusStartsOnTheFirstEnabledTabStop) {
  ScriptedDriver driver([](CDialog& d) {
    std::vector<int> ids;
    for (CWnd* w = d.GetWindow(GW_CHILD); w; w = w->GetWindow(GW_HWNDNEXT))
      ids.push_back(w->GetDlgCtrlID());
    std::vector<int> expected;
    for (const AFX_DLGITEMTEMPLATE& item : kControls) expected.push_back(item.id);
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(d.GetWindow(GW_CHILD)->GetWindow(GW_HWNDLAST)->GetDlgCtrlID(), 140);

    ASSERT_NE(CWnd::GetFocus(), nullptr);
    EXPECT_EQ(CWnd::GetFocus()->GetDlgCtrlID(), 101);
    EXPECT_EQ(d.GetDefaultButton()->GetDlgCtrlID(), IDOK);

    CString caption;
    d.GetWindowText(caption);
    EXPECT_STREQ(caption, L"Controls");
    EXPECT_EQ(d.GetDlgTemplate()->cy, 150);
    EXPECT_EQ(d.GetDlgItem(IDCANCEL)->GetDlgItemTemplate()->x, 50);
    EXPECT_EQ(DYNAMIC_DOWNCAST(CButton, d.GetDlgItem(140)), nullptr) << "static text is no button";
  });
  CDialog dialog(kControlsDialog);
  dialog.DoModal();
  EXPECT_EQ(CWnd::GetFocus(), nullptr) << "the focused control was destroyed with the dialog";
}

TEST(RuntimeClass, NamesAndBasesFollowTheClassHierarchy) {
  EXPECT_STREQ(RUNTIME_CLASS(CButton)->m_lpszClassName, "CButton");
  EXPECT_EQ(RUNTIME_CLASS(CButton)->m_pBaseClass, RUNTIME_CLASS(CWnd));
  EXPECT_EQ(RUNTIME_CLASS(CDialog)->m_pBaseClass, RUNTIME_CLASS(CWnd));
  CButton button;
  EXPECT_TRUE(button.IsKindOf(RUNTIME_CLASS(CObject)));
  EXPECT_FALSE(button.IsKindOf(RUNTIME_CLASS(CDialog)));
  CWnd plain;
  EXPECT_EQ(DYNAMIC_DOWNCAST(CButton, &plain), nullptr);
  EXPECT_EQ(DYNAMIC_DOWNCAST(CWnd, static_cast<CObject*>(&button)), &button);
}

}  // namespace
