// Modal dialogs of the MFC stand-in: the modules' dialog templates, the installed dialog driver,
// and CDialog's run from template to result.
#include "../../common/src/PlatformText.h"
#include "afxdialog.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

namespace {

struct ModuleResources {
  AFX_MODULE_STATE* module;
  const AFX_DLGTEMPLATE* templates;
  int count;
};

// Never destroyed, so a module that unregisters during process exit still finds it.
std::vector<ModuleResources>& ResourceRegistry() {
  static auto* registry = new std::vector<ModuleResources>;
  return *registry;
}

CDialogDriver* g_driver = nullptr;

bool IsButtonClass(const wchar_t* windowClass) {
  return windowClass && platform_text::CompareNoCase(windowClass, L"Button") == 0;
}

}  // namespace

CModuleDialogResources::CModuleDialogResources(AFX_MODULE_STATE* module,
                                               const AFX_DLGTEMPLATE* templates, int count)
    : m_module(module), m_templates(templates) {
  ResourceRegistry().push_back({module, templates, count});
}

CModuleDialogResources::~CModuleDialogResources() {
  auto& registry = ResourceRegistry();
  for (auto it = registry.begin(); it != registry.end(); ++it) {
    if (it->module == m_module && it->templates == m_templates) {
      registry.erase(it);
      return;
    }
  }
}

const AFX_DLGTEMPLATE* AfxFindDialogTemplate(UINT nIDTemplate) {
  const AFX_MODULE_STATE* current = AfxGetModuleState();
  for (const ModuleResources& r : ResourceRegistry()) {
    if (r.module != current) continue;
    for (int i = 0; i < r.count; ++i)
      if (r.templates[i].id == nIDTemplate) return &r.templates[i];
  }
  return nullptr;
}

CDialogDriver::~CDialogDriver() = default;

CDialogDriver* AfxSetDialogDriver(CDialogDriver* pDriver) {
  CDialogDriver* previous = g_driver;
  g_driver = pDriver;
  return previous;
}

CDialogDriver* AfxGetDialogDriver() {
  return g_driver;
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate) {
  m_parent = pParentWnd;
}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
  const AFX_DLGTEMPLATE* dialogTemplate = AfxFindDialogTemplate(m_nIDTemplate);
  CDialogDriver* driver = AfxGetDialogDriver();
  if (!dialogTemplate || !driver) return -1;

  m_template = dialogTemplate;
  m_ended = FALSE;
  m_result = IDCANCEL;
  // The controls go away however the run ends, as the windows of a destroyed dialog do.
  struct Teardown {
    CDialog* dialog;
    ~Teardown() { dialog->DestroyControls(); }
  } teardown{this};
  CreateControls();
  if (OnInitDialog()) FocusFirstTabStop();
  driver->run(*this);
  if (!m_ended) OnCancel();
  if (!m_ended) EndDialog(IDCANCEL);
  return m_result;
}

void CDialog::CreateControls() {
  m_style = m_template->style;
  m_exStyle = m_template->exStyle;
  m_text = m_template->caption;
  for (int i = 0; i < m_template->itemCount; ++i) {
    const AFX_DLGITEMTEMPLATE& item = m_template->items[i];
    std::unique_ptr<CWnd> control =
        IsButtonClass(item.windowClass) ? std::make_unique<CButton>() : std::make_unique<CWnd>();
    control->m_id = item.id;
    control->m_style = item.style;
    control->m_exStyle = item.exStyle;
    control->m_text = item.caption;
    control->m_parent = this;
    control->m_template = &item;
    m_children.push_back(std::move(control));
  }
}

void CDialog::DestroyControls() {
  m_children.clear();
  m_template = nullptr;
}

void CDialog::FocusFirstTabStop() {
  for (const auto& control : m_children) {
    if ((control->GetStyle() & WS_TABSTOP) && control->IsWindowEnabled()) {
      control->SetFocus();
      return;
    }
  }
}

void CDialog::EndDialog(int nResult) {
  m_ended = TRUE;
  m_result = nResult;
}

CWnd* CDialog::GetDlgItem(int nID) const {
  for (const auto& control : m_children)
    if (control->GetDlgCtrlID() == nID) return control.get();
  return nullptr;
}

BOOL CDialog::OnInitDialog() {
  return TRUE;
}

BOOL CDialog::ClickDlgItem(CWnd* pControl) {
  if (!pControl || m_ended || pControl->GetParent() != this || !pControl->IsWindowEnabled())
    return FALSE;
  if (!pControl->OnUserClick()) return FALSE;
  OnCmdMsg(static_cast<UINT>(pControl->GetDlgCtrlID()), BN_CLICKED);
  return TRUE;
}

CWnd* CDialog::GetDefaultButton() const {
  for (const auto& control : m_children) {
    auto* button = DYNAMIC_DOWNCAST(CButton, control.get());
    if (button && button->GetButtonStyle() == BS_DEFPUSHBUTTON) return button;
  }
  return nullptr;
}

void CDialog::OnOK() {
  EndDialog(IDOK);
}

void CDialog::OnCancel() {
  EndDialog(IDCANCEL);
}
