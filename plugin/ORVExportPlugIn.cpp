// clang-format off
#include "stdafx.h"
// clang-format on

#include "ORVExportPlugIn.h"

#include <optional>

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
// destroyed in the reverse order when it is unloaded. The library's own MFC module state is
// current around them, so that the application object belongs to this library and not to
// whichever module happened to be current when the host loaded it.

namespace {

std::optional<AFX_MAINTAIN_STATE2> libraryModuleState;

void enterLibraryModuleState() {
  libraryModuleState.emplace(AfxGetStaticModuleState());
}
void leaveLibraryModuleState() {
  libraryModuleState.reset();
}

// Opens the library's module state before the first object and closes it after the last one.
struct LibraryModuleStateOpener {
  LibraryModuleStateOpener() { enterLibraryModuleState(); }
  ~LibraryModuleStateOpener() { leaveLibraryModuleState(); }
} libraryModuleStateOpener;

CORVExportPlugInPlugIn thePlugIn;
CORVExportPlugInApp theApp;
CCommandORVExportPlugIn theORVExportPlugInCommand;

}  // namespace

CString exportBaseName;
CString exportFolder;

namespace {

// Closes the library's module state after the last object and reopens it before unloading
// destroys them.
struct LibraryModuleStateCloser {
  LibraryModuleStateCloser() { leaveLibraryModuleState(); }
  ~LibraryModuleStateCloser() { enterLibraryModuleState(); }
} libraryModuleStateCloser;

}  // namespace

int GroupingMode = SingleObject;
int singleLayerOutput = 1;

CORVExportPlugInPlugIn& ORVExportPlugIn() {
  return thePlugIn;
}
