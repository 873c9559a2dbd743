// A plug-in-like library loaded by the tests: one application object, one plug-in and one command
// as globals, and entry points that report what the library saw while it was loaded.
#include "afxwin.h"
#include "rhinoSdk.h"

namespace {

class ModuleApp : public CWinApp {};

class ModulePlugIn : public CRhinoPlugIn {
 public:
  GUID PlugInID() const override { return ON_nil_uuid; }
  const wchar_t* PlugInName() const override { return L"Module plug-in"; }
  const wchar_t* PlugInVersion() const override { return L"0"; }
};

class ModuleCommand : public CRhinoCommand {
 public:
  UUID CommandUUID() override { return ON_nil_uuid; }
  const wchar_t* EnglishCommandName() override { return L"ModuleCommand"; }
  const wchar_t* LocalCommandName() override { return L"ModuleCommand"; }
  result RunCommand(const CRhinoCommandContext&) override {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return AfxGetApp() ? success : failure;
  }
};

ModulePlugIn the_plug_in;
ModuleApp the_app;
ModuleCommand the_command;

}  // namespace

extern "C" __attribute__((visibility("default"))) AFX_MODULE_STATE* TestModuleState() {
  return AfxGetStaticModuleState();
}

extern "C" __attribute__((visibility("default"))) CWinApp* TestModuleApp() {
  return &the_app;
}
