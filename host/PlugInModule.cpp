#include "PlugInModule.h"

#include <dlfcn.h>

#include <cassert>
#include <cstdio>
#include <functional>
#include <string_view>

#include "ActivityIndicator.h"
#include "RhinoHostServices.h"

namespace {

// Hands command-line text to `sink`, or to the default (standard output) when it is empty.
void SendTo(const std::function<void(const std::string&)>& sink, const std::string& text) {
  if (text.empty()) return;
  if (sink)
    sink(text);
  else
    RhinoApp().Print("%s", text.c_str());
}

std::string Utf8(const wchar_t* text) {
  return ON_String(text).Array();
}

std::string IdText(const ON_UUID& id) {
  wchar_t text[37];
  return Utf8(ON_UuidToString(id, text));
}

/// The extension of a file name, without its dot; empty when the name has none.
std::wstring_view ExtensionOf(std::wstring_view fileName) {
  const std::size_t dot = fileName.find_last_of(L'.');
  const std::size_t folderEnd = fileName.find_last_of(L"/\\");
  if (dot == std::wstring_view::npos || (folderEnd != std::wstring_view::npos && dot < folderEnd))
    return {};
  return fileName.substr(dot + 1);
}

}  // namespace

PlugInModule::PlugInModule(const std::string& path)
    : m_path(path), m_hostState(AfxGetModuleState()), m_hostApp(m_hostState->m_pCurrentWinApp) {
  const ON_SimpleArray<CRhinoPlugIn*> constructedBefore = RhinoHost::PlugIns();
  m_library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (m_library == nullptr)
    throw PlugInLoadError(std::string("cannot load the plug-in module: ") + dlerror());
  try {
    checkModuleState("loading the module");
    readInfo();
    takePlugIn(constructedBefore);
    startPlugIn();
  } catch (const PlugInLoadError&) {
    throw;
  } catch (const std::exception& error) {
    refuse(std::string("the plug-in threw while it was being loaded: ") + error.what());
  } catch (...) {
    refuse("the plug-in threw while it was being loaded");
  }
}

PlugInModule::~PlugInModule() {
  m_plugIn->OnUnloadPlugIn();
  [[maybe_unused]] const int closed = dlclose(m_library);
  assert(closed == 0);
}

void PlugInModule::refuse(const std::string& problem) {
  if (m_started) m_plugIn->OnUnloadPlugIn();
  dlclose(m_library);
  throw PlugInLoadError(m_path + ": " + problem);
}

template <class Result>
Result PlugInModule::callInfo(const char* symbol) {
  void* const function = dlsym(m_library, symbol);
  if (function == nullptr)
    refuse(std::string("not a plug-in module for this host: it does not export ") + symbol);
  return reinterpret_cast<Result (*)()>(function)();
}

void PlugInModule::readInfo() {
  // The SDK version comes first: a module built for another SDK may differ in everything else.
  m_info.sdkVersion = callInfo<int>("RhinoPlugInSdkVersion");
  if (m_info.sdkVersion != kSdkVersion)
    refuse("built for host SDK version " + std::to_string(m_info.sdkVersion) +
           "; this host loads modules for version " + std::to_string(kSdkVersion) + " only");
  m_info.sdkServiceRelease = callInfo<int>("RhinoPlugInSdkServiceRelease");
  m_info.id = callInfo<const wchar_t*>("RhinoPlugInId");
  m_info.name = callInfo<const wchar_t*>("RhinoPlugInName");
  m_info.version = callInfo<const char*>("RhinoPlugInVersion");
  m_info.organization = callInfo<const wchar_t*>("RhinoPlugInDeveloperOrganization");
  m_info.address = callInfo<const wchar_t*>("RhinoPlugInDeveloperAddress");
  m_info.country = callInfo<const wchar_t*>("RhinoPlugInDeveloperCountry");
  m_info.phone = callInfo<const wchar_t*>("RhinoPlugInDeveloperPhone");
  m_info.fax = callInfo<const wchar_t*>("RhinoPlugInDeveloperFax");
  m_info.email = callInfo<const wchar_t*>("RhinoPlugInDeveloperEmail");
  m_info.website = callInfo<const wchar_t*>("RhinoPlugInDeveloperWebsite");
  m_info.updateUrl = callInfo<const wchar_t*>("RhinoPlugInUpdateURL");
}

void PlugInModule::takePlugIn(const ON_SimpleArray<CRhinoPlugIn*>& constructedBefore) {
  // The module's plug-in object registered itself while the library was being loaded.
  const ON_SimpleArray<CRhinoPlugIn*>& registered = RhinoHost::PlugIns();
  CRhinoPlugIn* constructed = nullptr;
  int count = 0;
  for (int i = 0; i < registered.Count(); ++i) {
    if (constructedBefore.Search(registered[i]) >= 0) continue;
    constructed = registered[i];
    ++count;
  }
  if (count != 1)
    refuse("the module constructs " + std::to_string(count) + " plug-in objects instead of one");
  m_plugIn = dynamic_cast<CRhinoFileExportPlugIn*>(constructed);
  if (m_plugIn == nullptr) refuse("its plug-in object is not a file export plug-in");

  const ON_UUID exported = ON_UuidFromString(m_info.id.Array());
  if (ON_UuidIsNil(exported))
    refuse("RhinoPlugInId returns \"" + Utf8(m_info.id) + "\", which is not a plug-in id");
  const ON_UUID own = m_plugIn->PlugInID();
  checkModuleState("PlugInID");
  if (own != exported)
    refuse("its plug-in object's id " + IdText(own) + " is not the id " + IdText(exported) +
           " that RhinoPlugInId returns");
}

void PlugInModule::startPlugIn() {
  const int loaded = m_plugIn->OnLoadPlugIn();
  checkModuleState("OnLoadPlugIn");
  if (loaded == 0) refuse("the plug-in refused to load (OnLoadPlugIn returned 0)");
  m_started = true;
  m_plugIn->AddFileType(m_fileTypes, CRhinoFileWriteOptions());
  checkModuleState("AddFileType");
  if (m_fileTypes.Count() == 0) refuse("the export plug-in registers no file type");
}

std::string PlugInModule::moduleStateProblem(const char* call) const {
  if (AfxGetModuleState() != m_hostState)
    return std::string(call) + " left another module state than the host's current";
  if (m_hostState->m_pCurrentWinApp != m_hostApp)
    return std::string(call) + " registered an application object in the host's module state";
  return {};
}

void PlugInModule::checkModuleState(const char* call) {
  const std::string problem = moduleStateProblem(call);
  if (!problem.empty()) refuse(problem);
}

int PlugInModule::FileTypeIndexFor(const wchar_t* fileName) const {
  const ON_wString extension(std::wstring(ExtensionOf(fileName)).c_str());
  if (extension.IsEmpty()) return -1;
  for (int i = 0; i < m_fileTypes.Count(); ++i)
    if (extension.CompareNoCase(m_fileTypes[i].Extension()) == 0) return i;
  return -1;
}

int PlugInModule::WriteFile(const wchar_t* path, int fileTypeIndex, CRhinoDoc& doc,
                            const CRhinoFileWriteOptions& options) {
  assert(fileTypeIndex >= 0 && fileTypeIndex < m_fileTypes.Count());
  // Each message is held back until the next one comes or the write ends, so the last one can
  // be told as the error of a failed write rather than as one of the command line's messages.
  const auto commandLine = RhinoHost::CurrentCommandLineSink();
  std::string heldBack;
  RhinoHost::SetCommandLineSink([&](const std::string& text) {
    if (!heldBack.empty()) SendTo(commandLine, heldBack);
    heldBack = text;
  });
  int written = 0;
  try {
    written = m_plugIn->WriteFile(path, fileTypeIndex, doc, options);
  } catch (...) {
    RhinoHost::SetCommandLineSink(commandLine);
    SendTo(commandLine, heldBack);
    throw;
  }
  RhinoHost::SetCommandLineSink(commandLine);
  if (written == 1)
    SendTo(commandLine, heldBack);
  else
    ActivityIndicator::WriteError(heldBack);
  const std::string problem = moduleStateProblem("the plug-in's WriteFile");
  if (!problem.empty()) throw std::runtime_error(problem);
  return written;
}
