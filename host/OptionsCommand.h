// Choosing the export options through the plug-in's options command: a script that operates the
// options dialog as a person would (OptionsScript.cpp), reading the options back off the dialog
// (OptionsReadBack.cpp), or a person using a text form of the dialog on the terminal
// (TerminalOptionsDialog.cpp). The controls are found by the captions a person reads.
#pragma once

#include <optional>
#include <string>

#include "afxdialog.h"

/// The plug-in's options command, which runs the options dialog.
inline constexpr wchar_t kOptionsCommandName[] = L"Orvelle6ExportOptionsDialog";

/// Sets the export options without a screen: runs the options command with an
/// OptionsDialogScript. `grouping` is a GroupingMode value (0 single, 1 material, 2 layer,
/// 3 object); an absent value stays as the dialog shows it. Returns empty when the dialog closed
/// with OK, otherwise why the options cannot be set (no options command, the dialog cannot be
/// shown, an unknown value, a control missing or disabled when it must be clicked); nothing
/// changes then. The plug-in module must be loaded.
std::string chooseOptions(std::optional<int> grouping, std::optional<bool> singleLayer);

/// The current options as the flags that set them, e.g. "--grouping layer --single-layer on",
/// read off the options dialog (opened and cancelled). The grouping reads "unknown" when the
/// dialog shows none; the result is empty when the dialog cannot be shown.
std::string describeOptions();

/// How the terminal form of the options dialog ended.
struct TerminalDialogOutcome {
  /// Why the dialog could not be shown (standard input or output is no terminal, no options
  /// command); empty when it was.
  std::string refusal;
  /// The user pressed Ctrl-C: the options stay as they were, nothing was printed, and the
  /// program is to end at once (status 130) without exporting.
  bool interrupted = false;
};

/// `--options`: shows the options dialog as text on the terminal and lets the user operate it
/// with the keyboard (Tab, Shift-Tab and the arrow keys move the focus over the enabled controls,
/// Space toggles or chooses, Enter presses the focused button or OK, Esc cancels, Ctrl-C
/// interrupts). The terminal is in raw mode meanwhile and restored on every way out, signals
/// included. After OK or Cancel prints the options that hold ("Options: ..." after OK) on
/// standard output.
TerminalDialogOutcome runOptionsDialogInTerminal();

/// The scripted person: operates an open options dialog until it shows the wanted options, then
/// presses OK. Check boxes are clicked until they show the wanted state and radio buttons are
/// clicked, so the dialog's own rules apply. When a wanted state cannot be reached it stops and
/// leaves the dialog, which closes it as Cancel does.
class OptionsDialogScript : public CDialogDriver {
 public:
  OptionsDialogScript(std::optional<int> grouping, std::optional<bool> singleLayer)
      : m_grouping(grouping), m_singleLayer(singleLayer) {}

  void run(CDialog& dialog) override;

  /// Whether a dialog was shown to the script at all.
  bool shown() const { return m_shown; }
  /// Why the wanted options could not be reached; empty when OK closed the dialog.
  const std::string& refusal() const { return m_refusal; }

 private:
  std::string operate(CDialog& dialog) const;

  std::optional<int> m_grouping;
  std::optional<bool> m_singleLayer;
  bool m_shown = false;
  std::string m_refusal;
};
