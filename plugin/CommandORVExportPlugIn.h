// The plug-in's one command, "Orvelle6ExportOptionsDialog": shows the options dialog and keeps
// the chosen grouping mode and single-layer option for later exports.
#pragma once

#include "stdafx.h"

class CCommandORVExportPlugIn : public CRhinoCommand {
 public:
  /// Registers the command with the host (transparent, repeatable, no owning plug-in).
  CCommandORVExportPlugIn() : CRhinoCommand(true, false, nullptr, false) {}
  ~CCommandORVExportPlugIn() override = default;

  UUID CommandUUID() override;
  const wchar_t* EnglishCommandName() override;
  const wchar_t* LocalCommandName() override;
  /// Runs the options dialog; success in every case (cancelling is not an error).
  CRhinoCommand::result RunCommand(const CRhinoCommandContext& context) override;
};
