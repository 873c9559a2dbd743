// Host commands: CRhinoCommand and the context a command runs in. A command object registers
// itself with the host when it is constructed and unregisters when it is destroyed.
#pragma once

#include "rhinoSdkPlugIn.h"

class RHINO_SDK_CLASS CRhinoCommandContext {
 public:
  explicit CRhinoCommandContext(CRhinoDoc* doc = nullptr) : m_doc(doc) {}
  CRhinoDoc* Document() const { return m_doc; }

 private:
  CRhinoDoc* m_doc;
};

class RHINO_SDK_CLASS CRhinoCommand {
 public:
  enum result : int { success = 0, cancel = 1, nothing = 2, failure = 3, unknown_command = 4 };

  CRhinoCommand(bool bTransparent = false, bool bDoNotRepeat = false,
                const CRhinoPlugIn* pPlugIn = nullptr, bool bTestCommand = false);
  CRhinoCommand(const CRhinoCommand&) = delete;
  CRhinoCommand& operator=(const CRhinoCommand&) = delete;
  virtual ~CRhinoCommand();

  virtual UUID CommandUUID() = 0;
  virtual const wchar_t* EnglishCommandName() = 0;
  virtual const wchar_t* LocalCommandName() = 0;
  virtual result RunCommand(const CRhinoCommandContext& context) = 0;

  bool IsTransparent() const { return m_transparent; }
  bool DoNotRepeat() const { return m_do_not_repeat; }
  bool IsTestCommand() const { return m_test_command; }
  const CRhinoPlugIn* PlugIn() const { return m_plugin; }

 private:
  bool m_transparent;
  bool m_do_not_repeat;
  const CRhinoPlugIn* m_plugin;
  bool m_test_command;
};
