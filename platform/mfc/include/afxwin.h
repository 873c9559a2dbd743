// The MFC stand-in: wide strings (CString), string arrays, the application object, module-state
// switching, the wait cursor and folder enumeration (CFileFind).
#pragma once

#include <string>
#include <vector>

#include "../../opennurbs/include/opennurbs.h"
#include "../../win32/include/windows.h"

class AFX_CLASS CString {
 public:
  CString() = default;
  CString(const wchar_t* s);  // null gives the empty string
  CString(const char* s);     // UTF-8
  CString& operator=(const wchar_t* s);
  CString& operator+=(const wchar_t* s);
  CString& operator+=(wchar_t c);
  friend AFX_CLASS CString operator+(const CString& a, const wchar_t* b);
  int GetLength() const;
  bool IsEmpty() const;
  void Empty();
  wchar_t GetAt(int i) const;
  /// Replaces every occurrence; returns how many were replaced.
  int Replace(const wchar_t* oldText, const wchar_t* newText);
  int Compare(const wchar_t* other) const;
  int CompareNoCase(const wchar_t* other) const;
  operator const wchar_t*() const { return m_s.Array(); }
  const wchar_t* GetString() const { return m_s.Array(); }
  bool operator==(const wchar_t* other) const { return Compare(other) == 0; }

 private:
  ON_wString m_s;
};

class AFX_CLASS CStringArray {
 public:
  int GetSize() const;
  int GetCount() const { return GetSize(); }
  /// Index of the new element.
  int Add(const wchar_t* s);
  const CString& GetAt(int i) const;
  CString& operator[](int i);
  const CString& operator[](int i) const;
  void RemoveAt(int i, int count = 1);
  void RemoveAll();

 private:
  ON_ClassArray<CString> m_a;
};

class CWinApp;

/// Per-module MFC state: which application object belongs to the module.
struct AFX_MODULE_STATE {
  CWinApp* m_pCurrentWinApp = nullptr;
};

/// The state of the calling module, never null. Each module links its own copy from the
/// mfc_module static library: in a plug-in library it is that library's own state, in the host
/// program it is the base state (AfxGetAppModuleState). mfc_module also makes the module's state
/// current while the module's global objects are constructed at load (so a global CWinApp
/// registers with its module) and gives the loader its state back afterwards; this relies on
/// mfc_module being linked after the module's own objects, as target_link_libraries does.
__attribute__((visibility("hidden"))) AFX_MODULE_STATE* AfxGetStaticModuleState();
/// The process's base state, the host program's own: current whenever no module switched.
AFX_CLASS AFX_MODULE_STATE* AfxGetAppModuleState();
/// The state that is current now on this thread, never null.
AFX_CLASS AFX_MODULE_STATE* AfxGetModuleState();
/// Makes `state` current on this thread (null: the base state); returns the previous current
/// state. Prefer AFX_MANAGE_STATE, which restores on every way out of a scope.
AFX_CLASS AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* state);

/// Makes a module state current for its lifetime, restoring the previous one on destruction
/// (also when an exception leaves the scope).
class AFX_CLASS AFX_MAINTAIN_STATE2 {
 public:
  explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state);
  ~AFX_MAINTAIN_STATE2();
  AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
  AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

 private:
  AFX_MODULE_STATE* m_previous;
};
#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE2 _ctlState(p)

/// The application object of a module. Usually one global object per module.
class AFX_CLASS CWinApp {
 public:
  /// Registers this object as the application of the module state current at construction;
  /// `appName` (may be null) is not used.
  explicit CWinApp(const wchar_t* appName = nullptr);
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;
  /// Unregisters from the state it registered with, if it is still that state's application.
  virtual ~CWinApp();
  /// TRUE.
  virtual BOOL InitInstance();
  /// 0.
  virtual int ExitInstance();
  /// Shows the wait cursor until the matching EndWaitCursor; calls nest.
  void BeginWaitCursor();
  /// Ends one BeginWaitCursor; an end without a begin is ignored.
  void EndWaitCursor();
  /// +1 begins, -1 ends, 0 restores the wait cursor (only while one is shown). Each accepted
  /// code is passed to the wait-cursor handler.
  virtual void DoWaitCursor(int nCode);
  /// Number of BeginWaitCursor calls not yet ended.
  int WaitCursorCount() const { return m_nWaitCursorCount; }

 private:
  AFX_MODULE_STATE* m_pModuleState;
  int m_nWaitCursorCount = 0;
};

/// The application object of the current module state, or null.
AFX_CLASS CWinApp* AfxGetApp();

/// Shows the wait cursor for its lifetime, through the current application object (or straight
/// through the wait-cursor handler when the current module has none).
class AFX_CLASS CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;

 private:
  CWinApp* m_pApp;  // the application that began the wait, or null
};

/// Receives wait-cursor changes (+1 begin, -1 end, 0 restore) from every application object; the
/// host program installs one. Null restores the default, which does nothing.
AFX_CLASS void AfxSetWaitCursorHandler(void (*handler)(int nCode));

/// Enumerates the entries of one folder that match a pattern ("folder\\*.*"), in name order
/// ignoring case, "." and ".." included. Usage:
///   CFileFind finder;
///   for (BOOL more = finder.FindFile(pattern); more;) { more = finder.FindNextFile(); ... }
/// The pattern's last component may hold '*' and '?'; "*.*" matches every name, with or without
/// a dot. Matching ignores case.
class AFX_CLASS CFileFind {
 public:
  CFileFind() = default;
  virtual ~CFileFind() = default;
  CFileFind(const CFileFind&) = delete;
  CFileFind& operator=(const CFileFind&) = delete;

  /// Starts an enumeration (null pattern: "*.*" in the working folder). TRUE when at least one
  /// entry matches; the first entry becomes current only after FindNextFile.
  BOOL FindFile(LPCWSTR pstrName = nullptr, DWORD dwUnused = 0);
  /// Makes the next entry current; nonzero when more entries follow it, 0 when it is the last.
  BOOL FindNextFile();
  /// Name of the current entry, extension included.
  CString GetFileName() const;
  /// The pattern's folder part followed by the current entry's name.
  CString GetFilePath() const;
  /// The pattern's folder part, with its trailing separator (empty when it has none).
  CString GetRoot() const;
  /// Nonzero when the current entry is a folder (or a link to one).
  BOOL IsDirectory() const;
  /// Nonzero for the entries "." and "..".
  BOOL IsDots() const;
  /// Ends the enumeration.
  void Close();

 private:
  struct Entry {
    std::wstring name;
    bool is_directory;
  };
  std::wstring m_root;
  std::vector<Entry> m_entries;
  int m_current = -1;
};
