// The options dialog as the host's options pieces find it: the controls a person reads by their
// captions, and the options command run with a stand-in for the screen.
#pragma once

#include <string>

#include "afxdialog.h"

namespace options_dialog {

/// A grouping choice in GroupingMode order: the flag value and the caption of the control that
/// selects it ("Single object" is a check box, the others radio buttons).
struct GroupingChoice {
  const char* name;
  const wchar_t* caption;
};
inline constexpr GroupingChoice kGroupings[] = {{"single", L"Single object"},
                                                {"material", L"By material"},
                                                {"layer", L"By layer"},
                                                {"object", L"By object"}};
/// The caption of the check box that puts every object on one layer.
inline constexpr wchar_t kSingleLayerCaption[] = L"Use a single layer output";

inline constexpr char kNotShown[] =
    "the options dialog could not be shown (its template is missing)";

std::string Utf8(const wchar_t* text);

/// The first button among the dialog's controls whose caption is `caption`, or null.
CButton* ButtonCaptioned(const CDialog& dialog, const wchar_t* caption);

/// Runs the options command with `driver` as the screen; why it cannot run, or empty.
std::string RunOptionsCommand(CDialogDriver& driver);

}  // namespace options_dialog
