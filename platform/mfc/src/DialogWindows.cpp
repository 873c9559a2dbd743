// Child windows and buttons of the MFC stand-in: text, enabled state, sibling order, focus, and
// what check boxes and radio buttons do by themselves when clicked.
#include <cassert>

#include "afxdialog.h"

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)
IMPLEMENT_DYNAMIC(CButton, CWnd)

namespace {
// Windows keeps one keyboard focus per user-interface thread; so does the stand-in.
CWnd* g_focus = nullptr;
}  // namespace

CWnd::CWnd() = default;

CWnd::~CWnd() {
  if (g_focus == this) g_focus = nullptr;
}

void CWnd::SetWindowText(const wchar_t* lpszString) {
  m_text = lpszString;
}

void CWnd::GetWindowText(CString& rString) const {
  rString = m_text;
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
  BOOL wasDisabled = !IsWindowEnabled();
  if (bEnable)
    m_style &= ~static_cast<DWORD>(WS_DISABLED);
  else
    m_style |= WS_DISABLED;
  return wasDisabled;
}

int CWnd::ChildIndex(const CWnd* child) const {
  for (size_t i = 0; i < m_children.size(); ++i)
    if (m_children[i].get() == child) return static_cast<int>(i);
  return -1;
}

CWnd* CWnd::GetWindow(UINT nCmd) const {
  if (nCmd == GW_CHILD) return m_children.empty() ? nullptr : m_children.front().get();
  if (!m_parent) return nullptr;
  const auto& siblings = m_parent->m_children;
  const int i = m_parent->ChildIndex(this);
  if (i < 0) return nullptr;  // an owned window such as a dialog is not among its owner's children
  const int count = static_cast<int>(siblings.size());
  switch (nCmd) {
    case GW_HWNDFIRST:
      return siblings.front().get();
    case GW_HWNDLAST:
      return siblings.back().get();
    case GW_HWNDNEXT:
      return i + 1 < count ? siblings[i + 1].get() : nullptr;
    case GW_HWNDPREV:
      return i > 0 ? siblings[i - 1].get() : nullptr;
    default:
      return nullptr;
  }
}

CWnd* CWnd::SetFocus() {
  CWnd* previous = g_focus;
  g_focus = this;
  return previous;
}

CWnd* CWnd::GetFocus() {
  return g_focus;
}

BOOL CButton::HasCheckState() const {
  switch (GetButtonStyle()) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return TRUE;
    default:
      return FALSE;
  }
}

void CButton::SetCheck(int nCheck) {
  assert(nCheck == BST_UNCHECKED || nCheck == BST_CHECKED || nCheck == BST_INDETERMINATE);
  if (HasCheckState()) m_check = nCheck;
}

BOOL CButton::OnUserClick() {
  switch (GetButtonStyle()) {
    case BS_GROUPBOX:
      return FALSE;
    case BS_AUTOCHECKBOX:
      // An indeterminate box counts as clear: a click checks it.
      SetCheck(m_check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
      return TRUE;
    case BS_AUTO3STATE:
      SetCheck((m_check + 1) % 3);
      return TRUE;
    case BS_AUTORADIOBUTTON:
      SetCheck(BST_CHECKED);
      ClearOtherRadioButtonsOfGroup();
      return TRUE;
    default:
      return TRUE;
  }
}

// A group runs from a control with WS_GROUP (or the first control) up to the next WS_GROUP.
void CButton::ClearOtherRadioButtonsOfGroup() {
  CWnd* first = this;
  while (!(first->GetStyle() & WS_GROUP) && first->GetWindow(GW_HWNDPREV))
    first = first->GetWindow(GW_HWNDPREV);
  for (CWnd* w = first; w; w = w->GetWindow(GW_HWNDNEXT)) {
    if (w != first && (w->GetStyle() & WS_GROUP)) break;
    auto* radio = DYNAMIC_DOWNCAST(CButton, w);
    if (radio && radio != this && radio->GetButtonStyle() == BS_AUTORADIOBUTTON)
      radio->SetCheck(BST_UNCHECKED);
  }
}
