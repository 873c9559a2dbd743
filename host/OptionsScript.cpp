// The scripted person behind --grouping and --single-layer: the options dialog operated until
// it shows the wanted options, then closed with OK.
#include <iterator>

#include "OptionsCommand.h"
#include "OptionsControls.h"

using namespace options_dialog;

namespace {

std::string Quoted(const CWnd& control) {
  CString caption;
  control.GetWindowText(caption);
  return "\"" + Utf8(caption) + "\"";
}

/// Clicks the check box or radio button captioned `caption` until it shows `wanted`; why not, or
/// empty.
std::string ClickUntil(CDialog& dialog, const wchar_t* caption, int wanted) {
  CButton* button = ButtonCaptioned(dialog, caption);
  if (!button) return "the options dialog has no control \"" + Utf8(caption) + "\"";
  // An automatic box reaches any state within two clicks; a third would only go round again.
  for (int clicks = 0; button->GetCheck() != wanted && clicks < 3; ++clicks) {
    if (!button->IsWindowEnabled()) return Quoted(*button) + " is disabled in the options dialog";
    if (!dialog.ClickDlgItem(button)) return Quoted(*button) + " does not respond to clicks";
  }
  if (button->GetCheck() != wanted)
    return Quoted(*button) + (wanted == BST_CHECKED ? " cannot be checked" : " cannot be cleared") +
           " by clicking it";
  return {};
}

}  // namespace

void OptionsDialogScript::run(CDialog& dialog) {
  m_shown = true;
  m_refusal = operate(dialog);
  if (!m_refusal.empty()) return;  // leaving the dialog closes it as Cancel does
  CWnd* ok = dialog.GetDlgItem(IDOK);
  if (!dialog.ClickDlgItem(ok))
    m_refusal = ok ? "the OK button of the options dialog is disabled"
                   : "the options dialog has no OK button";
  else if (!dialog.IsEnded() || dialog.GetModalResult() != IDOK)
    m_refusal = "the options dialog did not close with OK";
}

std::string OptionsDialogScript::operate(CDialog& dialog) const {
  if (m_grouping) {
    if (*m_grouping < 0 || *m_grouping >= static_cast<int>(std::size(kGroupings)))
      return "unknown grouping mode " + std::to_string(*m_grouping) +
             " (0 single, 1 material, 2 layer, 3 object)";
    // "Single object" overrides the radio buttons, and while checked it disables them.
    const bool single = *m_grouping == 0;
    if (std::string refused =
            ClickUntil(dialog, kGroupings[0].caption, single ? BST_CHECKED : BST_UNCHECKED);
        !refused.empty())
      return refused;
    if (!single) {
      if (std::string refused = ClickUntil(dialog, kGroupings[*m_grouping].caption, BST_CHECKED);
          !refused.empty())
        return refused;
    }
  }
  if (m_singleLayer)
    return ClickUntil(dialog, kSingleLayerCaption, *m_singleLayer ? BST_CHECKED : BST_UNCHECKED);
  return {};
}

std::string chooseOptions(std::optional<int> grouping, std::optional<bool> singleLayer) {
  OptionsDialogScript script(grouping, singleLayer);
  if (std::string refused = RunOptionsCommand(script); !refused.empty()) return refused;
  if (!script.shown()) return kNotShown;
  if (!script.refusal().empty()) return "cannot set the options: " + script.refusal();
  return {};
}
