// Reads the dialog templates of a Windows resource script (.rc) and turns them into C++ source
// that compiles them into a module's resources; the build runs this through mfc_rcgen. The
// tokens are ScriptLexer's, the grammar ScriptParser.cpp's, the source ScriptGenerator.cpp's.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace rcscript {

/// One control line of a dialog. Text is UTF-8; positions and sizes in dialog units.
struct Control {
  std::string caption;
  int id = 0;  // IDC_STATIC (-1) for controls nobody addresses
  std::string windowClass;
  std::uint32_t style = 0;  // with the defaults the statement implies (WS_CHILD | WS_VISIBLE, ...)
  std::uint32_t exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
};

/// One DIALOG or DIALOGEX resource; controls in script order, which is the tab order.
struct Dialog {
  int id = 0;
  std::uint32_t style = 0;  // with WS_CAPTION added by CAPTION and DS_SETFONT by FONT
  std::uint32_t exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  std::string caption;
  std::string fontName;  // empty without a FONT statement
  int pointSize = 0;
  std::vector<Control> controls;
};

struct Script {
  std::vector<Dialog> dialogs;
};

/// Malformed input. The message reads "<file>:<line>: <problem>", naming the offending token.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Parses `text` as the script `file`: the name used in messages and the folder where quoted
/// includes are looked for. Headers such as resource.h may only hold #define, #pragma and
/// comments; the Windows headers (afxres.h, winres.h, windows.h, ...) are known without reading.
/// Throws Error.
Script parse(std::string_view text, const std::filesystem::path& file);

/// Reads and parses the script file. Throws Error, also when it cannot be read.
Script read(const std::filesystem::path& file);

/// C++ source holding the script's dialog templates as AFX_DLGTEMPLATE tables and registering
/// them with the resources of the module it is compiled into. `scriptName` appears in a comment.
std::string generateSource(const Script& script, const std::string& scriptName);

}  // namespace rcscript
