// Module states, the application object and the wait cursor.
#include "afxwin.h"

namespace {

// The host program's own state, current whenever nothing was switched.
AFX_MODULE_STATE g_app_module_state;
thread_local AFX_MODULE_STATE* t_current_state = nullptr;
void (*g_wait_cursor_handler)(int) = nullptr;

void NotifyWaitCursor(int nCode) {
  if (g_wait_cursor_handler) g_wait_cursor_handler(nCode);
}

}  // namespace

AFX_MODULE_STATE* AfxGetAppModuleState() {
  return &g_app_module_state;
}

AFX_MODULE_STATE* AfxGetModuleState() {
  return t_current_state ? t_current_state : &g_app_module_state;
}

AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* state) {
  AFX_MODULE_STATE* previous = AfxGetModuleState();
  t_current_state = state;
  return previous;
}

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state)
    : m_previous(AfxSetModuleState(state)) {}

AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2() {
  AfxSetModuleState(m_previous);
}

CWinApp::CWinApp(const wchar_t* /*appName*/) : m_pModuleState(AfxGetModuleState()) {
  m_pModuleState->m_pCurrentWinApp = this;
}

CWinApp::~CWinApp() {
  if (m_pModuleState->m_pCurrentWinApp == this) m_pModuleState->m_pCurrentWinApp = nullptr;
}

BOOL CWinApp::InitInstance() {
  return TRUE;
}
int CWinApp::ExitInstance() {
  return 0;
}
void CWinApp::BeginWaitCursor() {
  DoWaitCursor(1);
}
void CWinApp::EndWaitCursor() {
  DoWaitCursor(-1);
}

void CWinApp::DoWaitCursor(int nCode) {
  if (nCode < 0) {
    if (m_nWaitCursorCount == 0) return;
    --m_nWaitCursorCount;
  } else if (nCode > 0) {
    ++m_nWaitCursorCount;
  } else if (m_nWaitCursorCount == 0) {
    return;  // nothing to restore
  }
  NotifyWaitCursor(nCode);
}

CWinApp* AfxGetApp() {
  return AfxGetModuleState()->m_pCurrentWinApp;
}

CWaitCursor::CWaitCursor() : m_pApp(AfxGetApp()) {
  if (m_pApp)
    m_pApp->BeginWaitCursor();
  else
    NotifyWaitCursor(1);
}

CWaitCursor::~CWaitCursor() {
  if (m_pApp)
    m_pApp->EndWaitCursor();
  else
    NotifyWaitCursor(-1);
}

void AfxSetWaitCursorHandler(void (*handler)(int nCode)) {
  g_wait_cursor_handler = handler;
}
