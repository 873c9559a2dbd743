// The options dialog: check states from the grouping mode, the enable rule and the read-back.
#include "ozuUiOptionsDlg.h"

IMPLEMENT_DYNAMIC(ozuUiOptionsDlg, CDialog)

BEGIN_MESSAGE_MAP(ozuUiOptionsDlg, CDialog)
ON_BN_CLICKED(IDC_SINGLE_OBJECT, &ozuUiOptionsDlg::OnBnClickedSingleObject)
END_MESSAGE_MAP()

namespace {

// Check states of "Single object", "By material", "By layer" and "By object" for each mode.
// "By material" stays selected under Single object, so clearing it starts from a valid choice.
struct GroupingChecks {
  int singleObject, byMaterial, byLayer, byObject;
};
constexpr GroupingChecks kChecksByMode[] = {
    {BST_CHECKED, BST_CHECKED, BST_UNCHECKED, BST_UNCHECKED},    // SingleObject
    {BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED, BST_UNCHECKED},  // ByMaterial
    {BST_UNCHECKED, BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED},  // ByLayer
    {BST_UNCHECKED, BST_UNCHECKED, BST_UNCHECKED, BST_CHECKED},  // ByObject
};

// The radio buttons in the order their modes follow SingleObject.
constexpr int kGroupingRadios[] = {IDC_BY_MATERIAL, IDC_BY_LAYER, IDC_BY_OBJECT};

}  // namespace

ozuUiOptionsDlg::ozuUiOptionsDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

ozuUiOptionsDlg::~ozuUiOptionsDlg() = default;

CButton* ozuUiOptionsDlg::Button(int nID) const {
  return DYNAMIC_DOWNCAST(CButton, GetDlgItem(nID));
}

bool ozuUiOptionsDlg::IsChecked(int nID) const {
  const CButton* button = Button(nID);
  return button && button->GetCheck() == BST_CHECKED;
}

void ozuUiOptionsDlg::SetCheck(int nID, int nCheck) {
  if (CButton* button = Button(nID)) button->SetCheck(nCheck);
}

BOOL ozuUiOptionsDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  try {
    ShowGroupingMode();
    SetCheck(IDC_SINGLE_LAYER_OUTPUT, m_singleLayerOutput == 1 ? BST_CHECKED : BST_UNCHECKED);
    EnableGroupingChoices();
  } catch (...) {
    // A control that fails to take its state leaves the dialog as usable as the template made it.
  }
  return TRUE;
}

void ozuUiOptionsDlg::ShowGroupingMode() {
  if (m_groupingMode < SingleObject || m_groupingMode > ByObject) return;
  const GroupingChecks& checks = kChecksByMode[m_groupingMode];
  SetCheck(IDC_SINGLE_OBJECT, checks.singleObject);
  SetCheck(IDC_BY_MATERIAL, checks.byMaterial);
  SetCheck(IDC_BY_LAYER, checks.byLayer);
  SetCheck(IDC_BY_OBJECT, checks.byObject);
}

void ozuUiOptionsDlg::EnableGroupingChoices() {
  const BOOL enable = !IsChecked(IDC_SINGLE_OBJECT);
  for (int id : kGroupingRadios)
    if (CWnd* radio = GetDlgItem(id)) radio->EnableWindow(enable);
  if (CWnd* group = GetDlgItem(IDC_MATERIAL_DEFINED_GROUP)) group->EnableWindow(enable);
}

void ozuUiOptionsDlg::OnBnClickedSingleObject() {
  EnableGroupingChoices();
}

void ozuUiOptionsDlg::OnOK() {
  if (IsChecked(IDC_SINGLE_OBJECT)) {
    m_groupingMode = SingleObject;
  } else {
    for (int i = 0; i < 3; ++i) {
      if (IsChecked(kGroupingRadios[i])) {
        m_groupingMode = ByMaterial + i;
        break;
      }
    }
  }
  if (Button(IDC_SINGLE_LAYER_OUTPUT))
    m_singleLayerOutput = IsChecked(IDC_SINGLE_LAYER_OUTPUT) ? 1 : 0;
  CDialog::OnOK();
}
