// clang-format off
#include "stdafx.h"
// clang-format on

#include "ORVExportPlugIn.h"

#include "CommandORVExportPlugIn.h"
#include "ExportOptions.h"
#include "export/SceneExporter.h"

namespace {

const wchar_t kPlugInId[] = L"B24419E5-BF85-4CD7-BC9F-57A680D3A5E5";
const wchar_t kPlugInName[] = L"Orvelle6 Export";

}  // namespace

// Information the host reads from the export table before it loads the plug-in.

ORV_PLUGIN_EXPORT int RhinoPlugInSdkVersion() {
  return 201103035;
}
ORV_PLUGIN_EXPORT int RhinoPlugInSdkServiceRelease() {
  return 201406095;
}
ORV_PLUGIN_EXPORT const wchar_t* RhinoPlugInId() {
  return kPlugInId;
}
ORV_PLUGIN_EXPORT const wchar_t* RhinoPlugInName() {
  return kPlugInName;
}
ORV_PLUGIN_EXPORT const char* RhinoPlugInVersion() {
  return kORVPlugInVersion;
}
ORV_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperOrganization() {
  return L"Orvelle Export Developers";
}
ORV_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperAddress() {
  return L"Unit 4, Tanner's Yard, 27 Quarry Lane, Lowmere LM4 7QT";
}
ORV_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperCountry() {
  return L"United Kingdom";
}
ORV_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperPhone() {
  return L"+44 1632 960418";
}
ORV_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperFax() {
  return L"+44 1632 960419";
}
ORV_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperEmail() {
  return L"support@orvelle-export.example";
}
ORV_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperWebsite() {
  return L"https://www.orvelle-export.example";
}
ORV_PLUGIN_EXPORT const wchar_t* RhinoPlugInUpdateURL() {
  return L"https://www.orvelle-export.example/support";
}

// The plug-in object.

CORVExportPlugInPlugIn::CORVExportPlugInPlugIn() {
  versionText = kORVPlugInVersion;
}

GUID CORVExportPlugInPlugIn::PlugInID() const {
  return ON_UuidFromString(RhinoPlugInId());
}

const wchar_t* CORVExportPlugInPlugIn::PlugInName() const {
  return RhinoPlugInName();
}

const wchar_t* CORVExportPlugInPlugIn::PlugInVersion() const {
  return versionText;
}

int CORVExportPlugInPlugIn::OnLoadPlugIn() {
  return CRhinoPlugIn::OnLoadPlugIn();
}

void CORVExportPlugInPlugIn::OnUnloadPlugIn() {
  CRhinoPlugIn::OnUnloadPlugIn();
}

void CORVExportPlugInPlugIn::AddFileType(ON_ClassArray<CRhinoFileType>& file_types,
                                         const CRhinoFileWriteOptions& /*options*/) {
  file_types.Append(CRhinoFileType(PlugInID(), L"Orvelle 6 (*.orv)", L"orv"));
}

int CORVExportPlugInPlugIn::WriteFile(const wchar_t* filename, int /*index*/, CRhinoDoc& doc,
                                      const CRhinoFileWriteOptions& options) {
  SceneExporter exporter(doc);
  exporter.applyWriteOptions(options);
  RhinoApp().Print("\nExporting model to Orvelle 6...\n");
  return exporter.run(filename, GroupingMode) ? 1 : 0;
}

// The application object.

BOOL CORVExportPlugInApp::InitInstance() {
  CWinApp::InitInstance();
  return TRUE;
}

int CORVExportPlugInApp::ExitInstance() {
  return CWinApp::ExitInstance();
}

// The process-wide objects of the library, constructed in this order when it is loaded and
// destroyed in the reverse order when it is unloaded. The framework makes the library's own MFC
// module state current while they are constructed, so the application object belongs to this
// library, not to the host.

namespace {

CORVExportPlugInPlugIn thePlugIn;
CORVExportPlugInApp theApp;
CCommandORVExportPlugIn theORVExportPlugInCommand;

}  // namespace

CString exportBaseName;
CString exportFolder;

int GroupingMode = SingleObject;
int singleLayerOutput = 1;

CORVExportPlugInPlugIn& ORVExportPlugIn() {
  return thePlugIn;
}
