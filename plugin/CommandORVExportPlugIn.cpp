// The options command: runs the options dialog on the current export options and keeps the
// user's choice when the dialog closes with OK.
#include "CommandORVExportPlugIn.h"

#include "ExportOptions.h"
#include "ozuUiOptionsDlg.h"

namespace {

const wchar_t kCommandName[] = L"Orvelle6ExportOptionsDialog";

// {47CED976-7B07-420D-B574-CE899D652BA0}
constexpr UUID kCommandUuid = {
    0x47ced976, 0x7b07, 0x420d, {0xb5, 0x74, 0xce, 0x89, 0x9d, 0x65, 0x2b, 0xa0}};

}  // namespace

UUID CCommandORVExportPlugIn::CommandUUID() {
  return kCommandUuid;
}

const wchar_t* CCommandORVExportPlugIn::EnglishCommandName() {
  return kCommandName;
}

const wchar_t* CCommandORVExportPlugIn::LocalCommandName() {
  return kCommandName;
}

CRhinoCommand::result CCommandORVExportPlugIn::RunCommand(const CRhinoCommandContext&) {
  // The dialog template lives in this module's resources.
  AFX_MANAGE_STATE(AfxGetStaticModuleState());

  ozuUiOptionsDlg dialog(nullptr);
  dialog.m_groupingMode = GroupingMode;
  dialog.m_singleLayerOutput = singleLayerOutput;
  if (dialog.DoModal() == IDOK) {
    GroupingMode = dialog.m_groupingMode;
    singleLayerOutput = dialog.m_singleLayerOutput;
  }
  // Cancelling is not an error.
  return CRhinoCommand::success;
}
