// The plug-in module: the information the host reads from the library's export table, the
// plug-in object that registers the "Orvelle 6 (*.orv)" file type and runs exports, and the
// library's MFC application object.
#pragma once

#include "stdafx.h"

/// Version of the plug-in, as the host shows it and as scene files record their creator.
inline constexpr char kORVPlugInVersion[] = "1.0.16.31";

// Exported information functions, read by the host before it loads the plug-in. Each text is
// constant, stored in the library, and never freed by the caller. RhinoPlugInVersion is narrow
// text; every other text is wide.
ORV_PLUGIN_EXPORT int RhinoPlugInSdkVersion();
ORV_PLUGIN_EXPORT int RhinoPlugInSdkServiceRelease();
/// The plug-in's fixed GUID: 36 upper-case hexadecimal characters with hyphens, no braces.
ORV_PLUGIN_EXPORT const wchar_t* RhinoPlugInId();
ORV_PLUGIN_EXPORT const wchar_t* RhinoPlugInName();
ORV_PLUGIN_EXPORT const char* RhinoPlugInVersion();
ORV_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperOrganization();
ORV_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperAddress();
ORV_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperCountry();
ORV_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperPhone();
ORV_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperFax();
ORV_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperEmail();
ORV_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperWebsite();
ORV_PLUGIN_EXPORT const wchar_t* RhinoPlugInUpdateURL();

/// The export plug-in. One process-wide instance, constructed when the library is loaded and
/// destroyed when it is unloaded; every operation runs on the host's user-interface thread.
class CORVExportPlugInPlugIn : public CRhinoFileExportPlugIn {
 public:
  CORVExportPlugInPlugIn();
  ~CORVExportPlugInPlugIn() override = default;

  /// The GUID whose text RhinoPlugInId returns.
  GUID PlugInID() const override;
  /// "Orvelle6 Export", the same text as RhinoPlugInName.
  const wchar_t* PlugInName() const override;
  /// The version as wide text; valid as long as the plug-in object.
  const wchar_t* PlugInVersion() const override;
  int OnLoadPlugIn() override;
  void OnUnloadPlugIn() override;

  /// Appends the one file type "Orvelle 6 (*.orv)", extension "orv"; `options` are not read.
  void AddFileType(ON_ClassArray<CRhinoFileType>& file_types,
                   const CRhinoFileWriteOptions& options) override;
  /// Exports `doc` to `filename` with the current GroupingMode, only the selected objects when
  /// the options ask for it. 1 when the file was written, 0 otherwise. Catches nothing: a scene
  /// manager that cannot be created, or a failure during the export, leaves as an exception.
  int WriteFile(const wchar_t* filename, int index, CRhinoDoc& doc,
                const CRhinoFileWriteOptions& options) override;

 private:
  ON_wString versionText;
};

/// The library's one plug-in object.
CORVExportPlugInPlugIn& ORVExportPlugIn();

/// The library's MFC application object, registered with the library's own module state.
class CORVExportPlugInApp : public CWinApp {
 public:
  CORVExportPlugInApp() : CWinApp(nullptr) {}
  BOOL InitInstance() override;
  int ExitInstance() override;
};
