// Test helpers for dialogs: a driver that runs a test's script as the person at the screen, and
// its installation for the lifetime of a scope.
#pragma once

#include <functional>

#include "afxdialog.h"

/// Runs `script` on every dialog shown while installed; counts the dialogs shown.
class ScriptedDriver : public CDialogDriver {
 public:
  explicit ScriptedDriver(std::function<void(CDialog&)> script) : m_script(std::move(script)) {
    m_previous = AfxSetDialogDriver(this);
  }
  ~ScriptedDriver() override { AfxSetDialogDriver(m_previous); }
  ScriptedDriver(const ScriptedDriver&) = delete;
  ScriptedDriver& operator=(const ScriptedDriver&) = delete;

  void run(CDialog& dialog) override {
    ++m_runs;
    m_script(dialog);
  }
  int runs() const { return m_runs; }

 private:
  std::function<void(CDialog&)> m_script;
  CDialogDriver* m_previous = nullptr;
  int m_runs = 0;
};

/// The check state of button `id` of the running dialog; -1 when it has no such button.
inline int CheckOf(const CDialog& dialog, int id) {
  const auto* button = DYNAMIC_DOWNCAST(CButton, dialog.GetDlgItem(id));
  return button ? button->GetCheck() : -1;
}

/// Whether control `id` of the running dialog exists and is enabled.
inline bool EnabledOf(const CDialog& dialog, int id) {
  const CWnd* control = dialog.GetDlgItem(id);
  return control && control->IsWindowEnabled();
}
