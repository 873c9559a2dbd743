// The options dialog on template IDD_OPTIONS: shows a grouping mode and the single-layer flag,
// enables the grouping choices only while "Single object" is clear, and reads both back on OK.
#pragma once

#include "../platform/mfc/include/afxdialog.h"
#include "ExportOptions.h"
#include "resource.h"
#include "stdafx.h"

class ozuUiOptionsDlg : public CDialog {
  DECLARE_DYNAMIC(ozuUiOptionsDlg)

 public:
  enum { IDD = IDD_OPTIONS };

  /// `pParent` may be null (no owner window); it is not owned.
  explicit ozuUiOptionsDlg(CWnd* pParent = nullptr);
  ~ozuUiOptionsDlg() override;

  /// A GroupingModes value: shown when the dialog opens (any other value leaves the grouping
  /// controls as the template makes them) and set from the controls when OK closes it.
  int m_groupingMode = SingleObject;
  /// 1 when "Use a single layer output" is (to be) checked; set to 0 or 1 when OK closes it.
  int m_singleLayerOutput = 1;

 protected:
  /// Shows the two members in the controls and applies the enable rule; always TRUE.
  BOOL OnInitDialog() override;
  /// Reads the controls back into the two members, then closes with IDOK.
  void OnOK() override;
  afx_msg void OnBnClickedSingleObject();

  DECLARE_MESSAGE_MAP()

 private:
  /// The check box or radio button `nID`, or null when the dialog has none.
  CButton* Button(int nID) const;
  /// True only for the checked state: missing, clear and indeterminate controls are not checked.
  bool IsChecked(int nID) const;
  void SetCheck(int nID, int nCheck);
  void ShowGroupingMode();
  /// The grouping choices are disabled while "Single object" is checked.
  void EnableGroupingChoices();
};
