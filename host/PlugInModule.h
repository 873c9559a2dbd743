// The host's side of one plug-in module: loading the library, checking its exported information,
// taking the plug-in object it constructs, its file types, exports through it, and unloading it.
#pragma once

#include <stdexcept>
#include <string>

#include "afxwin.h"
#include "rhinoSdk.h"

/// A module the host refuses or cannot load. The message names the module file and the problem.
class PlugInLoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// What the module's exported information functions return, copied when it is loaded.
struct PlugInInfo {
  int sdkVersion = 0;
  int sdkServiceRelease = 0;
  ON_wString id;
  ON_wString name;
  ON_String version;  // the one narrow text
  ON_wString organization;
  ON_wString address;
  ON_wString country;
  ON_wString phone;
  ON_wString fax;
  ON_wString email;
  ON_wString website;
  ON_wString updateUrl;
};

/// One loaded export plug-in module, from the load to the unload.
///
/// Construction does what the host does when it loads a plug-in: opens the library (which
/// constructs the module's process-wide objects), reads and checks its information, takes the
/// export plug-in object that registered itself during the load, calls OnLoadPlugIn and asks for
/// its file types. Destruction calls OnUnloadPlugIn and closes the library, which destroys those
/// objects. Calls into the plug-in leave the module state that was current at construction (the
/// host's own) current again; a plug-in that does not is reported as faulty.
class PlugInModule {
 public:
  /// The host SDK version this host implements; modules built for another are refused.
  static constexpr int kSdkVersion = 201103035;

  /// Loads the module file at `path` (a UTF-8 file-system path). Throws PlugInLoadError, after
  /// unloading the library again, when it cannot be opened, lacks an information function, was
  /// built for another SDK version, constructs no file export plug-in object or one whose id is
  /// not the exported id, refuses to load, or registers no file type.
  explicit PlugInModule(const std::string& path);
  ~PlugInModule();
  PlugInModule(const PlugInModule&) = delete;
  PlugInModule& operator=(const PlugInModule&) = delete;

  const std::string& Path() const { return m_path; }
  const PlugInInfo& Info() const { return m_info; }
  /// The file types the plug-in registered, in its order; never empty.
  const ON_ClassArray<CRhinoFileType>& FileTypes() const { return m_fileTypes; }

  /// The index among FileTypes() of the first type whose extension is the one of `fileName`
  /// (ignoring case), or -1 when none is.
  int FileTypeIndexFor(const wchar_t* fileName) const;

  /// Calls the plug-in's WriteFile exactly as the host does and returns its result (1 written,
  /// 0 failed). What the plug-in prints reaches the command line as it comes, except that when
  /// the write fails its last message, which says why, goes to standard error instead.
  /// Exceptions the plug-in throws pass through; a plug-in that leaves another module state
  /// current throws std::runtime_error.
  int WriteFile(const wchar_t* path, int fileTypeIndex, CRhinoDoc& doc,
                const CRhinoFileWriteOptions& options);

 private:
  void readInfo();
  void takePlugIn(const ON_SimpleArray<CRhinoPlugIn*>& constructedBefore);
  void startPlugIn();
  template <class Result>
  Result callInfo(const char* symbol);
  /// What the plug-in's `call` did wrong to the host's module state; empty when nothing.
  std::string moduleStateProblem(const char* call) const;
  void checkModuleState(const char* call);
  /// Unloads the plug-in (and closes the library) during construction, then throws.
  [[noreturn]] void refuse(const std::string& problem);

  std::string m_path;
  void* m_library = nullptr;
  AFX_MODULE_STATE* m_hostState;
  CWinApp* m_hostApp;  // the host's application in its module state; a plug-in must not change it
  CRhinoFileExportPlugIn* m_plugIn = nullptr;
  bool m_started = false;  // OnLoadPlugIn accepted
  PlugInInfo m_info;
  ON_ClassArray<CRhinoFileType> m_fileTypes;
};
