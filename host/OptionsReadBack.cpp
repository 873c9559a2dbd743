// The options as the dialog shows them: the dialog opened, read and cancelled.
#include "OptionsCommand.h"
#include "OptionsControls.h"

using namespace options_dialog;

namespace {

/// Reads the options off the dialog as it opens and closes it without pressing OK.
class OptionsReader : public CDialogDriver {
 public:
  void run(CDialog& dialog) override {
    const auto isChecked = [&](const wchar_t* caption) {
      const CButton* button = ButtonCaptioned(dialog, caption);
      return button && button->GetCheck() == BST_CHECKED;
    };
    m_grouping = "unknown";
    for (const GroupingChoice& choice : kGroupings) {
      if (isChecked(choice.caption)) {
        m_grouping = choice.name;
        break;
      }
    }
    m_singleLayer = isChecked(kSingleLayerCaption);
    m_shown = true;
  }

  std::string flags() const {
    if (!m_shown) return {};
    return "--grouping " + m_grouping + " --single-layer " + (m_singleLayer ? "on" : "off");
  }

 private:
  bool m_shown = false;
  std::string m_grouping;
  bool m_singleLayer = false;
};

}  // namespace

std::string describeOptions() {
  OptionsReader reader;
  RunOptionsCommand(reader);
  return reader.flags();
}
