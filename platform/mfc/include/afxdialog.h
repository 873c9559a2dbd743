// The MFC dialog stand-in: run-time class information, message maps, child windows and buttons,
// modal dialogs built from a module's dialog templates, and the driver that stands for the screen.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "afxwin.h"

// Window styles, the subset dialog templates use (values as the Windows headers define them).
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_CAPTION 0x00C00000L
#define WS_SYSMENU 0x00080000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_EX_NOPARENTNOTIFY 0x00000004L
#define WS_EX_CLIENTEDGE 0x00000200L

// Dialog styles.
#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L
#define DS_FIXEDSYS 0x0008L
#define DS_CENTER 0x0800L
#define DS_SHELLFONT (DS_SETFONT | DS_FIXEDSYS)

// Button styles: the low four bits are the button type.
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_CHECKBOX 0x00000002L
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_RADIOBUTTON 0x00000004L
#define BS_3STATE 0x00000005L
#define BS_AUTO3STATE 0x00000006L
#define BS_GROUPBOX 0x00000007L
#define BS_AUTORADIOBUTTON 0x00000009L
#define BS_TYPEMASK 0x0000000FL

// Check states of check boxes and radio buttons.
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BST_INDETERMINATE 0x0002

// Dialog results, command ids of the standard buttons, and the id of controls nobody addresses.
#define IDOK 1
#define IDCANCEL 2
#define IDC_STATIC (-1)

#define WM_COMMAND 0x0111
#define BN_CLICKED 0

// GetWindow relations.
#define GW_HWNDFIRST 0
#define GW_HWNDLAST 1
#define GW_HWNDNEXT 2
#define GW_HWNDPREV 3
#define GW_CHILD 5

typedef std::intptr_t INT_PTR;

/// Marks message handlers in class declarations.
#define afx_msg

class CObject;

/// The framework's run-time class information: the class name and the base class (null for
/// CObject). One constant object per class, made by IMPLEMENT_DYNAMIC.
struct AFX_CLASS CRuntimeClass {
  const char* m_lpszClassName;
  const CRuntimeClass* m_pBaseClass;

  /// True when this class is `pBaseClass` or derives from it.
  BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)             \
 public:                                        \
  static const CRuntimeClass class##class_name; \
  const CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                  \
  const CRuntimeClass class_name::class##class_name = {#class_name,                     \
                                                       RUNTIME_CLASS(base_class_name)}; \
  const CRuntimeClass* class_name::GetRuntimeClass() const {                            \
    return RUNTIME_CLASS(class_name);                                                   \
  }

/// Root of the framework's classes that carry run-time class information.
class AFX_CLASS CObject {
 public:
  static const CRuntimeClass classCObject;
  virtual ~CObject();
  virtual const CRuntimeClass* GetRuntimeClass() const;
  BOOL IsKindOf(const CRuntimeClass* pClass) const;

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

/// `pObject` when it is of class `pClass` or derived from it, else null (null stays null).
AFX_CLASS CObject* AfxDynamicDownCast(const CRuntimeClass* pClass, CObject* pObject);
#define DYNAMIC_DOWNCAST(class_name, object) \
  static_cast<class_name*>(AfxDynamicDownCast(RUNTIME_CLASS(class_name), object))

class CCmdTarget;
typedef void (CCmdTarget::*AFX_PMSG)();

/// One message-map line: a command or control notification from control ids nID..nLastID.
struct AFX_MSGMAP_ENTRY {
  UINT nMessage;
  UINT nCode;
  UINT nID;
  UINT nLastID;
  AFX_PMSG pfn;  // null ends the map
};

/// A class's message map and the way to its base class's map (null for CCmdTarget).
struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                   \
 protected:                                     \
  static const AFX_MSGMAP* GetThisMessageMap(); \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)        \
  const AFX_MSGMAP* theClass::GetMessageMap() const { \
    return GetThisMessageMap();                       \
  }                                                   \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {   \
    typedef baseClass TheBaseClass;                   \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define ON_COMMAND(id, memberFxn)                                        \
  {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), static_cast<UINT>(id), \
   static_cast<AFX_PMSG>(memberFxn)},
#define ON_CONTROL(wNotifyCode, id, memberFxn)                                               \
  {WM_COMMAND, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), static_cast<UINT>(id), \
   static_cast<AFX_PMSG>(memberFxn)},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define END_MESSAGE_MAP()                                                                       \
  { 0, 0, 0, 0, nullptr }                                                                       \
  }                                                                                             \
  ;                                                                                             \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
  return &messageMap;                                                                           \
  }

/// A class that receives commands through its message map.
class AFX_CLASS CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)
 public:
  /// Runs the handler mapped to notification `nCode` from control `nID`, searching this class's
  /// map, then each base class's. FALSE when no entry matches.
  virtual BOOL OnCmdMsg(UINT nID, int nCode);

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;
};

/// One control of a dialog template. Positions and sizes are in dialog units (a quarter of the
/// font's average character width, an eighth of its height), relative to the dialog's client area.
struct AFX_DLGITEMTEMPLATE {
  int id;                      // IDC_STATIC for controls nobody addresses
  const wchar_t* windowClass;  // L"Button", L"Static", ...
  const wchar_t* caption;
  DWORD style;
  DWORD exStyle;
  short x, y, cx, cy;
};

/// A dialog template as a module's resources hold it; the items are in template order, which is
/// also the tab order.
struct AFX_DLGTEMPLATE {
  UINT id;
  DWORD style;
  DWORD exStyle;
  short x, y, cx, cy;
  const wchar_t* caption;
  const wchar_t* fontName;  // null when the template names no font
  short pointSize;
  const AFX_DLGITEMTEMPLATE* items;
  int itemCount;
};

/// Adds a module's compiled dialog templates to that module's resources for its lifetime. The
/// code generated from a module's resource script holds one of these, made with the module's
/// AfxGetStaticModuleState(). The templates must outlive this object.
class AFX_CLASS CModuleDialogResources {
 public:
  CModuleDialogResources(AFX_MODULE_STATE* module, const AFX_DLGTEMPLATE* templates, int count);
  ~CModuleDialogResources();
  CModuleDialogResources(const CModuleDialogResources&) = delete;
  CModuleDialogResources& operator=(const CModuleDialogResources&) = delete;

 private:
  AFX_MODULE_STATE* m_module;
  const AFX_DLGTEMPLATE* m_templates;
};

/// The dialog template `nIDTemplate` among the resources of the module state current now, or null.
AFX_CLASS const AFX_DLGTEMPLATE* AfxFindDialogTemplate(UINT nIDTemplate);

/// A window: a dialog or one of its controls. Child windows belong to their parent and are
/// destroyed with it; a dialog's controls exist only while the dialog runs.
class AFX_CLASS CWnd : public CCmdTarget {
  DECLARE_DYNAMIC(CWnd)
 public:
  CWnd();
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  /// The control id from the template; 0 for a window that is no control.
  int GetDlgCtrlID() const { return m_id; }
  void SetWindowText(const wchar_t* lpszString);
  void GetWindowText(CString& rString) const;
  DWORD GetStyle() const { return m_style; }
  DWORD GetExStyle() const { return m_exStyle; }
  /// Enables or disables input; returns nonzero when the window was disabled before.
  BOOL EnableWindow(BOOL bEnable = TRUE);
  BOOL IsWindowEnabled() const { return (m_style & WS_DISABLED) == 0; }
  CWnd* GetParent() const { return m_parent; }
  /// A related window (GW_CHILD: first child; GW_HWNDNEXT / GW_HWNDPREV / GW_HWNDFIRST /
  /// GW_HWNDLAST: siblings in template order), or null.
  CWnd* GetWindow(UINT nCmd) const;
  /// The template line the window was made from; null for a window made otherwise.
  const AFX_DLGITEMTEMPLATE* GetDlgItemTemplate() const { return m_template; }
  /// Moves the keyboard focus here; returns the window that had it (may be null).
  CWnd* SetFocus();
  /// The window with the keyboard focus, or null.
  static CWnd* GetFocus();

 protected:
  /// What the control itself does when clicked, before its parent is told. Returns whether the
  /// click notifies the parent; windows that are no buttons ignore clicks.
  virtual BOOL OnUserClick() { return FALSE; }

 private:
  friend class CDialog;
  int ChildIndex(const CWnd* child) const;
  int m_id = 0;
  DWORD m_style = 0;
  DWORD m_exStyle = 0;
  CString m_text;
  CWnd* m_parent = nullptr;
  const AFX_DLGITEMTEMPLATE* m_template = nullptr;
  std::vector<std::unique_ptr<CWnd>> m_children;
};

/// Push buttons, check boxes, radio buttons and group boxes: the "Button" window class.
class AFX_CLASS CButton : public CWnd {
  DECLARE_DYNAMIC(CButton)
 public:
  /// BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE; push buttons and group boxes are unchecked.
  int GetCheck() const { return m_check; }
  /// Sets a check box's or radio button's state (BST_* values); push buttons and group boxes
  /// ignore it.
  void SetCheck(int nCheck);
  /// The button type: BS_PUSHBUTTON, BS_AUTOCHECKBOX, BS_GROUPBOX, ...
  UINT GetButtonStyle() const { return GetStyle() & BS_TYPEMASK; }

 protected:
  /// Automatic check boxes toggle, automatic three-state boxes cycle, automatic radio buttons
  /// check themselves and clear the other automatic radio buttons of their group. Group boxes
  /// ignore clicks.
  BOOL OnUserClick() override;

 private:
  BOOL HasCheckState() const;
  void ClearOtherRadioButtonsOfGroup();
  int m_check = BST_UNCHECKED;
};

class CDialog;

/// The screen as the framework sees it: shows a modal dialog and lets a person (or a script acting
/// as one) operate it through CDialog::ClickDlgItem until the dialog ends. The host program
/// installs one; tests install their own.
class AFX_CLASS CDialogDriver {
 public:
  virtual ~CDialogDriver();
  /// Called by DoModal after OnInitDialog. Returning while the dialog has not ended closes it as
  /// the window's close box would (OnCancel).
  virtual void run(CDialog& dialog) = 0;
};

/// Installs the driver that shows modal dialogs (null: none, so DoModal fails); returns the one
/// installed before. The driver is not owned and must outlive its installation.
AFX_CLASS CDialogDriver* AfxSetDialogDriver(CDialogDriver* pDriver);
AFX_CLASS CDialogDriver* AfxGetDialogDriver();

/// A modal dialog on a template from the current module's resources.
class AFX_CLASS CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)
 public:
  /// `pParentWnd` may be null (no owner window); it is not owned and is what GetParent returns.
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  ~CDialog() override;

  /// Creates the controls from the template in template order, calls OnInitDialog, hands the
  /// dialog to the installed driver and destroys the controls again. Returns the EndDialog result
  /// (IDOK, IDCANCEL), or -1 when the current module has no such template or no driver is
  /// installed (nothing is created then).
  virtual INT_PTR DoModal();
  /// Ends the modal loop with `nResult` once the current message has been handled.
  void EndDialog(int nResult);
  /// The control with id `nID`, or null (also when the dialog is not running).
  CWnd* GetDlgItem(int nID) const;
  /// Called once the controls exist. The base does nothing and returns TRUE; TRUE lets the
  /// framework put the focus on the first enabled tab stop.
  virtual BOOL OnInitDialog();

  // What a driver uses to operate the running dialog.

  /// Clicks `pControl` as a person would: nothing happens when it is null, disabled, not a child
  /// of this dialog, ignores clicks (group boxes, static text) or the dialog has ended. Otherwise
  /// the control's own behaviour runs, then the mapped handler of its BN_CLICKED notification
  /// (IDOK and IDCANCEL run OnOK and OnCancel). Returns whether the click was taken.
  BOOL ClickDlgItem(CWnd* pControl);
  BOOL ClickDlgItem(int nID) { return ClickDlgItem(GetDlgItem(nID)); }
  /// The default push button (BS_DEFPUSHBUTTON), or null.
  CWnd* GetDefaultButton() const;
  /// True once EndDialog was called in the current run.
  BOOL IsEnded() const { return m_ended; }
  /// The EndDialog result of the current run; meaningful once IsEnded().
  int GetModalResult() const { return m_result; }
  /// The template the running dialog was made from; null when it is not running.
  const AFX_DLGTEMPLATE* GetDlgTemplate() const { return m_template; }
  UINT GetTemplateID() const { return m_nIDTemplate; }

 protected:
  /// IDOK pressed: ends the dialog with IDOK.
  afx_msg virtual void OnOK();
  /// IDCANCEL pressed, Esc or the close box: ends the dialog with IDCANCEL.
  afx_msg virtual void OnCancel();

  DECLARE_MESSAGE_MAP()

 private:
  void CreateControls();
  void DestroyControls();
  void FocusFirstTabStop();
  UINT m_nIDTemplate;
  const AFX_DLGTEMPLATE* m_template = nullptr;
  BOOL m_ended = FALSE;
  int m_result = IDCANCEL;
};
