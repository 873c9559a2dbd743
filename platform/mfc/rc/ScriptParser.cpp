// The resource script's grammar: DIALOG and DIALOGEX resources with their button controls, the
// #define, #include and #pragma lines, and the names the Windows headers give.
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "ResourceScript.h"
#include "ScriptLexer.h"
#include "afxdialog.h"

namespace rcscript {
namespace {

namespace fs = std::filesystem;

// The names the Windows headers give the resource compiler, as afxdialog.h defines them.
#define RC_BUILTIN(name) std::pair<const std::string, std::int64_t>(#name, name)
// clang-format off
const std::map<std::string, std::int64_t> kBuiltinNames = {
    RC_BUILTIN(WS_POPUP), RC_BUILTIN(WS_CHILD), RC_BUILTIN(WS_VISIBLE), RC_BUILTIN(WS_DISABLED),
    RC_BUILTIN(WS_BORDER), RC_BUILTIN(WS_DLGFRAME), RC_BUILTIN(WS_CAPTION), RC_BUILTIN(WS_SYSMENU),
    RC_BUILTIN(WS_GROUP), RC_BUILTIN(WS_TABSTOP),
    RC_BUILTIN(WS_EX_NOPARENTNOTIFY), RC_BUILTIN(WS_EX_CLIENTEDGE),
    RC_BUILTIN(DS_SETFONT), RC_BUILTIN(DS_MODALFRAME), RC_BUILTIN(DS_FIXEDSYS), RC_BUILTIN(DS_CENTER),
    RC_BUILTIN(DS_SHELLFONT),
    RC_BUILTIN(BS_PUSHBUTTON), RC_BUILTIN(BS_DEFPUSHBUTTON), RC_BUILTIN(BS_CHECKBOX),
    RC_BUILTIN(BS_AUTOCHECKBOX), RC_BUILTIN(BS_RADIOBUTTON), RC_BUILTIN(BS_3STATE),
    RC_BUILTIN(BS_AUTO3STATE), RC_BUILTIN(BS_GROUPBOX), RC_BUILTIN(BS_AUTORADIOBUTTON),
    RC_BUILTIN(IDOK), RC_BUILTIN(IDCANCEL), RC_BUILTIN(IDC_STATIC),
};
// clang-format on
#undef RC_BUILTIN

// Headers a Windows build takes from the SDK; their names are the built-in ones above.
const std::set<std::string> kWindowsHeaders = {"afxres.h", "winres.h", "winresrc.h", "windows.h",
                                               "winuser.h"};

// Style defaults of the short control statements (WS_CHILD | WS_VISIBLE come on top).
struct ShortControl {
  const char* keyword;
  std::uint32_t style;
};
const ShortControl kShortControls[] = {
    {"PUSHBUTTON", BS_PUSHBUTTON | WS_TABSTOP},
    {"DEFPUSHBUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP},
    {"AUTOCHECKBOX", BS_AUTOCHECKBOX | WS_TABSTOP},
    {"GROUPBOX", BS_GROUPBOX},
};
constexpr std::uint32_t kControlBaseStyle = WS_CHILD | WS_VISIBLE;
constexpr std::uint32_t kDialogDefaultStyle = WS_POPUP | WS_BORDER | WS_SYSMENU;

using Symbols = std::map<std::string, std::int64_t>;

class Parser {
 public:
  Parser(std::string_view text, const fs::path& file, Symbols& symbols,
         std::set<fs::path>& openFiles)
      : m_lex(text, file.string()), m_file(file), m_symbols(symbols), m_openFiles(openFiles) {}

  Script script() {
    Script result;
    for (;;) {
      const Token t = m_lex.peek();
      if (t.kind == Kind::End) return result;
      if (t.kind == Kind::Directive) {
        directive(m_lex.take());
        continue;
      }
      Dialog d = dialog();
      for (const Dialog& other : result.dialogs)
        if (other.id == d.id) m_lex.fail(t.line, "dialog id " + std::to_string(d.id) + " repeated");
      result.dialogs.push_back(std::move(d));
    }
  }

  // A header such as resource.h: directives and comments only.
  void header() {
    for (Token t = m_lex.take(); t.kind != Kind::End; t = m_lex.take()) {
      if (t.kind != Kind::Directive)
        m_lex.fail(t.line, "only #define, #pragma and comments may appear in a header, found " +
                               describe(t));
      directive(t);
    }
  }

 private:
  [[noreturn]] void unexpected(const Token& t, const std::string& expected) {
    m_lex.fail(t.line, "expected " + expected + ", found " + describe(t));
  }

  Token expect(Kind kind, const std::string& text, const std::string& expected) {
    Token t = m_lex.take();
    if (t.kind != kind || (!text.empty() && t.text != text)) unexpected(t, expected);
    return t;
  }

  void comma() { expect(Kind::Punct, ",", "','"); }

  /// Takes the punctuation `mark` when it comes next.
  bool accept(const char* mark) {
    if (m_lex.peek().kind != Kind::Punct || m_lex.peek().text != mark) return false;
    m_lex.take();
    return true;
  }

  std::int64_t symbol(Lexer& lex, const Token& t) {
    auto it = m_symbols.find(t.text);
    if (it == m_symbols.end()) lex.fail(t.line, "unknown name '" + t.text + "'");
    return it->second;
  }

  // number | name | -value | (value), from the script or from a #define line.
  std::int64_t value(Lexer& lex, const std::string& what) {
    Token t = lex.take();
    if (t.kind == Kind::Number) return t.number;
    if (t.kind == Kind::Ident) return symbol(lex, t);
    if (t.kind == Kind::Punct && t.text == "-") return -value(lex, what);
    if (t.kind == Kind::Punct && t.text == "(") {
      std::int64_t v = value(lex, what);
      Token close = lex.take();
      if (close.kind != Kind::Punct || close.text != ")")
        lex.fail(close.line, "expected ')', found " + describe(close));
      return v;
    }
    lex.fail(t.line, "expected " + what + ", found " + describe(t));
  }

  std::int64_t value(const std::string& what) { return value(m_lex, what); }

  int coordinate(const std::string& what) {
    const int line = m_lex.peek().line;
    std::int64_t v = value(what);
    if (v < std::numeric_limits<short>::min() || v > std::numeric_limits<short>::max())
      m_lex.fail(line, what + " " + std::to_string(v) + " is out of range");
    return static_cast<int>(v);
  }

  int size(const std::string& what) {
    const int line = m_lex.peek().line;
    int v = coordinate(what);
    if (v < 0) m_lex.fail(line, what + " " + std::to_string(v) + " is negative");
    return v;
  }

  // [NOT] term { | [NOT] term }, applied to `initial` from left to right.
  std::uint32_t style(std::uint32_t initial) {
    std::uint32_t s = initial;
    do {
      const bool negate = m_lex.peek().kind == Kind::Ident && m_lex.peek().text == "NOT";
      if (negate) m_lex.take();
      const auto bits = static_cast<std::uint32_t>(value("a style"));
      s = negate ? (s & ~bits) : (s | bits);
    } while (accept("|"));
    return s;
  }

  std::string text(const std::string& what) { return expect(Kind::String, "", what).text; }

  Dialog dialog() {
    Dialog d;
    const Token name = m_lex.take();
    if (name.kind == Kind::Number)
      d.id = static_cast<int>(name.number);
    else if (name.kind == Kind::Ident)
      d.id = static_cast<int>(dialogId(name));
    else
      unexpected(name, "a resource id");
    const Token type = m_lex.take();
    if (type.kind != Kind::Ident || (type.text != "DIALOGEX" && type.text != "DIALOG"))
      unexpected(type, "DIALOG or DIALOGEX (the only resource type supported)");
    d.x = coordinate("the dialog's x");
    comma();
    d.y = coordinate("the dialog's y");
    comma();
    d.cx = size("the dialog's width");
    comma();
    d.cy = size("the dialog's height");
    if (type.text == "DIALOGEX" && accept(",")) value("a help id");
    dialogOptions(d);
    controls(d);
    return d;
  }

  std::int64_t dialogId(const Token& name) {
    auto it = m_symbols.find(name.text);
    if (it == m_symbols.end())
      m_lex.fail(name.line,
                 "unknown name '" + name.text + "' (resource ids are numbers or #defined names)");
    return it->second;
  }

  void dialogOptions(Dialog& d) {
    std::optional<std::uint32_t> style;
    for (;;) {
      const Token t = m_lex.peek();
      if (isBlockStart(t)) break;
      m_lex.take();
      if (t.kind != Kind::Ident) unexpected(t, "a dialog statement or BEGIN");
      if (t.text == "STYLE") {
        style = this->style(0);
      } else if (t.text == "EXSTYLE") {
        d.exStyle = this->style(0);
      } else if (t.text == "CAPTION") {
        d.caption = text("the caption in quotes");
      } else if (t.text == "FONT") {
        font(d);
      } else {
        m_lex.fail(t.line, "unsupported dialog statement '" + t.text + "'");
      }
    }
    d.style = style.value_or(kDialogDefaultStyle);
    if (!d.caption.empty()) d.style |= WS_CAPTION;
    if (!d.fontName.empty()) d.style |= DS_SETFONT;
  }

  void font(Dialog& d) {
    const int line = m_lex.peek().line;
    d.pointSize = coordinate("the point size");
    if (d.pointSize <= 0)
      m_lex.fail(line, "point size " + std::to_string(d.pointSize) + " is not positive");
    comma();
    d.fontName = text("the typeface in quotes");
    if (d.fontName.empty()) m_lex.fail(line, "empty typeface \"\"");
    for (int extra = 0; extra < 3 && accept(","); ++extra)
      value("a font weight, italic flag or charset");
  }

  static bool isBlockStart(const Token& t) {
    return (t.kind == Kind::Ident && t.text == "BEGIN") || (t.kind == Kind::Punct && t.text == "{");
  }

  static bool isBlockEnd(const Token& t) {
    return (t.kind == Kind::Ident && t.text == "END") || (t.kind == Kind::Punct && t.text == "}");
  }

  void controls(Dialog& d) {
    const Token begin = m_lex.take();
    if (!isBlockStart(begin)) unexpected(begin, "BEGIN");
    for (;;) {
      const Token t = m_lex.take();
      if (isBlockEnd(t)) return;
      if (t.kind != Kind::Ident) unexpected(t, "a control statement or END");
      d.controls.push_back(t.text == "CONTROL" ? genericControl() : shortControl(t));
    }
  }

  // CONTROL text, id, class, style, x, y, cx, cy [, exstyle]
  Control genericControl() {
    Control c;
    c.caption = text("the control text in quotes");
    comma();
    c.id = static_cast<int>(value("a control id"));
    comma();
    c.windowClass = text("the window class in quotes");
    comma();
    c.style = style(kControlBaseStyle);
    comma();
    placement(c);
    if (accept(",")) c.exStyle = style(0);
    return c;
  }

  // KEYWORD text, id, x, y, cx, cy [, style [, exstyle]]
  Control shortControl(const Token& keyword) {
    const ShortControl* kind = nullptr;
    for (const ShortControl& k : kShortControls)
      if (keyword.text == k.keyword) kind = &k;
    if (!kind) m_lex.fail(keyword.line, "unsupported control statement '" + keyword.text + "'");
    Control c;
    c.windowClass = "Button";
    c.caption = text("the control text in quotes");
    comma();
    c.id = static_cast<int>(value("a control id"));
    comma();
    placement(c);
    c.style = kControlBaseStyle | kind->style;
    if (accept(",")) c.style = style(c.style);
    if (accept(",")) c.exStyle = style(0);
    return c;
  }

  void placement(Control& c) {
    c.x = coordinate("the control's x");
    comma();
    c.y = coordinate("the control's y");
    comma();
    c.cx = size("the control's width");
    comma();
    c.cy = size("the control's height");
  }

  void directive(const Token& t) {
    Lexer line(t.text, m_lex.file(), t.line);
    const Token name = line.take();
    if (name.kind != Kind::Ident) line.fail(t.line, "malformed directive " + describe(t));
    if (name.text == "define")
      define(line);
    else if (name.text == "undef")
      m_symbols.erase(line.take().text);
    else if (name.text == "include")
      include(t);
    else if (name.text != "pragma")
      line.fail(t.line, "unsupported directive '#" + name.text + "'");
  }

  void define(Lexer& line) {
    const Token name = line.take();
    if (name.kind != Kind::Ident)
      line.fail(name.line, "expected a name after #define, found " + describe(name));
    if (line.peek().kind == Kind::End) return;  // a bare flag such as an include guard
    const std::int64_t v = value(line, "a number");
    if (line.peek().kind != Kind::End)
      line.fail(name.line,
                "unexpected " + describe(line.peek()) + " after the value of " + name.text);
    m_symbols[name.text] = v;
  }

  void include(const Token& t) {
    const std::string& rest = t.text;
    const size_t open = rest.find_first_of("\"<");
    const char close = open == std::string::npos ? 0 : (rest[open] == '"' ? '"' : '>');
    const size_t end = close ? rest.find(close, open + 1) : std::string::npos;
    if (end == std::string::npos) m_lex.fail(t.line, "malformed #include '" + rest + "'");
    const std::string name = rest.substr(open + 1, end - open - 1);
    const fs::path beside = m_file.parent_path() / name;
    if (close == '"' && fs::exists(beside)) return includeHeader(beside, t.line);
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!kWindowsHeaders.count(lower))
      m_lex.fail(t.line, "cannot find include file '" + name + "'");
  }

  void includeHeader(const fs::path& path, int line) {
    const fs::path key = fs::weakly_canonical(path);
    if (m_openFiles.count(key)) m_lex.fail(line, "'" + path.string() + "' includes itself");
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string content = text.str();
    m_openFiles.insert(key);
    Parser(content, path, m_symbols, m_openFiles).header();
    m_openFiles.erase(key);
  }

  Lexer m_lex;
  fs::path m_file;
  Symbols& m_symbols;
  std::set<fs::path>& m_openFiles;
};

}  // namespace

Script parse(std::string_view text, const std::filesystem::path& file) {
  Symbols symbols(kBuiltinNames.begin(), kBuiltinNames.end());
  std::set<fs::path> openFiles;
  return Parser(text, file, symbols, openFiles).script();
}

Script read(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw Error(file.string() + ": cannot open the resource script");
  std::stringstream text;
  text << in.rdbuf();
  return parse(text.str(), file);
}

}  // namespace rcscript
