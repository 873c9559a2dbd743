// Plug-in and command objects and the host's registries of them; file types and write options.
#include "../../common/src/PlatformText.h"
#include "RhinoHostServices.h"
#include "rhinoSdkCommand.h"
#include "rhinoSdkPlugIn.h"

namespace {

// The registries outlive every module's objects: they are never destroyed, so a plug-in that
// unregisters during process exit still finds them.
ON_SimpleArray<CRhinoPlugIn*>& PlugInRegistry() {
  static auto* registry = new ON_SimpleArray<CRhinoPlugIn*>;
  return *registry;
}

ON_SimpleArray<CRhinoCommand*>& CommandRegistry() {
  static auto* registry = new ON_SimpleArray<CRhinoCommand*>;
  return *registry;
}

template <class T>
void Unregister(ON_SimpleArray<T*>& registry, T* object) {
  int i = registry.Search(object);
  if (i >= 0) registry.Remove(i);
}

}  // namespace

CRhinoFileType::CRhinoFileType(ON_UUID plugin_id, const wchar_t* description,
                               const wchar_t* extension)
    : m_plugin_id(plugin_id), m_description(description), m_extension(extension) {}

bool CRhinoFileWriteOptions::Mode(file_write_mode mode) const {
  return (m_modes & (1u << mode)) != 0;
}

void CRhinoFileWriteOptions::SetMode(file_write_mode mode, bool on) {
  if (on)
    m_modes |= 1u << mode;
  else
    m_modes &= ~(1u << mode);
}

CRhinoPlugIn::CRhinoPlugIn() {
  PlugInRegistry().Append(this);
}
CRhinoPlugIn::~CRhinoPlugIn() {
  Unregister(PlugInRegistry(), this);
}
int CRhinoPlugIn::OnLoadPlugIn() {
  return 1;
}
void CRhinoPlugIn::OnUnloadPlugIn() {}

CRhinoCommand::CRhinoCommand(bool bTransparent, bool bDoNotRepeat, const CRhinoPlugIn* pPlugIn,
                             bool bTestCommand)
    : m_transparent(bTransparent),
      m_do_not_repeat(bDoNotRepeat),
      m_plugin(pPlugIn),
      m_test_command(bTestCommand) {
  CommandRegistry().Append(this);
}

CRhinoCommand::~CRhinoCommand() {
  Unregister(CommandRegistry(), this);
}

namespace RhinoHost {

const ON_SimpleArray<CRhinoPlugIn*>& PlugIns() {
  return PlugInRegistry();
}
const ON_SimpleArray<CRhinoCommand*>& Commands() {
  return CommandRegistry();
}

CRhinoCommand* FindCommand(const wchar_t* name) {
  if (!name) return nullptr;
  const auto& commands = CommandRegistry();
  for (int i = 0; i < commands.Count(); ++i) {
    CRhinoCommand* command = commands[i];
    if (platform_text::CompareNoCase(command->EnglishCommandName(), name) == 0 ||
        platform_text::CompareNoCase(command->LocalCommandName(), name) == 0)
      return command;
  }
  return nullptr;
}

}  // namespace RhinoHost
