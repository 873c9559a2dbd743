#include "OptionsControls.h"

#include <cwchar>

#include "OptionsCommand.h"
#include "RhinoHostServices.h"

namespace options_dialog {

namespace {

/// Makes `driver` the screen for its lifetime.
class InstalledDriver {
 public:
  explicit InstalledDriver(CDialogDriver& driver) : m_previous(AfxSetDialogDriver(&driver)) {}
  ~InstalledDriver() { AfxSetDialogDriver(m_previous); }
  InstalledDriver(const InstalledDriver&) = delete;
  InstalledDriver& operator=(const InstalledDriver&) = delete;

 private:
  CDialogDriver* m_previous;
};

}  // namespace

std::string Utf8(const wchar_t* text) {
  return ON_String(text).Array();
}

CButton* ButtonCaptioned(const CDialog& dialog, const wchar_t* caption) {
  for (CWnd* w = dialog.GetWindow(GW_CHILD); w; w = w->GetWindow(GW_HWNDNEXT)) {
    CString shown;
    w->GetWindowText(shown);
    if (std::wcscmp(shown.GetString(), caption) != 0) continue;
    if (CButton* button = DYNAMIC_DOWNCAST(CButton, w)) return button;
  }
  return nullptr;
}

std::string RunOptionsCommand(CDialogDriver& driver) {
  CRhinoCommand* command = RhinoHost::FindCommand(kOptionsCommandName);
  if (!command) return "no plug-in loaded offers the command " + Utf8(kOptionsCommandName);
  InstalledDriver installed(driver);
  command->RunCommand(CRhinoCommandContext());
  return {};
}

}  // namespace options_dialog
