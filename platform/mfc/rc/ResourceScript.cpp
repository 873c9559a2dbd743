// The resource-script reader: a lexer for the script's tokens and preprocessor lines, a parser
// for DIALOG/DIALOGEX resources with the button controls, and the C++ table generator.
#include "ResourceScript.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <sstream>

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

enum class Kind { Ident, Number, String, Punct, Directive, End };

struct Token {
  Kind kind = Kind::End;
  std::string text;  // identifier, punctuation, decoded string, or the directive line after '#'
  std::int64_t number = 0;
  int line = 0;
};

std::string describe(const Token& t) {
  switch (t.kind) {
    case Kind::End:
      return "end of input";
    case Kind::String:
      return "\"" + t.text + "\"";
    case Kind::Directive:
      return "'#" + t.text.substr(0, t.text.find_first_of(" \t")) + "'";
    default:
      return "'" + t.text + "'";
  }
}

bool isIdentStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool isIdentChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

class Lexer {
 public:
  Lexer(std::string_view text, std::string file, int firstLine = 1)
      : m_text(text), m_file(std::move(file)), m_line(firstLine), m_lastLine(firstLine) {}

  const std::string& file() const { return m_file; }

  [[noreturn]] void fail(int line, const std::string& problem) const {
    throw Error(m_file + ":" + std::to_string(line) + ": " + problem);
  }

  const Token& peek() {
    if (!m_peeked) m_peeked = scan();
    return *m_peeked;
  }

  Token take() {
    Token t = peek();
    m_peeked.reset();
    return t;
  }

 private:
  Token scan() {
    skipBlanksAndComments();
    Token t;
    // The end of input is reported on the last line that holds anything.
    t.line = m_pos >= m_text.size() ? m_lastLine : m_line;
    if (m_pos >= m_text.size()) return t;
    m_lastLine = m_line;
    const char c = m_text[m_pos];
    if (c == '#' && m_atLineStart) return directive(t);
    m_atLineStart = false;
    if (isIdentStart(c)) return identifier(t);
    if (std::isdigit(static_cast<unsigned char>(c))) return number(t);
    if (c == '"') return string(t);
    if (std::string_view(",|{}()-").find(c) != std::string_view::npos) {
      t.kind = Kind::Punct;
      t.text = std::string(1, c);
      ++m_pos;
      return t;
    }
    fail(m_line, "unexpected character '" + std::string(1, c) + "'");
  }

  void skipBlanksAndComments() {
    while (m_pos < m_text.size()) {
      const char c = m_text[m_pos];
      if (c == '\n') {
        ++m_line;
        ++m_pos;
        m_atLineStart = true;
      } else if (std::isspace(static_cast<unsigned char>(c))) {
        ++m_pos;
      } else if (m_text.substr(m_pos, 2) == "//") {
        while (m_pos < m_text.size() && m_text[m_pos] != '\n') ++m_pos;
      } else if (m_text.substr(m_pos, 2) == "/*") {
        const int startLine = m_line;
        size_t end = m_text.find("*/", m_pos + 2);
        if (end == std::string_view::npos) fail(startLine, "unterminated comment '/*'");
        for (size_t i = m_pos; i < end; ++i)
          if (m_text[i] == '\n') ++m_line;
        m_pos = end + 2;
      } else {
        return;
      }
    }
  }

  Token directive(Token t) {
    size_t end = m_text.find('\n', m_pos);
    if (end == std::string_view::npos) end = m_text.size();
    t.kind = Kind::Directive;
    t.text = std::string(m_text.substr(m_pos + 1, end - m_pos - 1));
    m_pos = end;
    return t;
  }

  Token identifier(Token t) {
    size_t start = m_pos;
    while (m_pos < m_text.size() && isIdentChar(m_text[m_pos])) ++m_pos;
    t.kind = Kind::Ident;
    t.text = std::string(m_text.substr(start, m_pos - start));
    return t;
  }

  Token number(Token t) {
    size_t start = m_pos;
    while (m_pos < m_text.size() && isIdentChar(m_text[m_pos])) ++m_pos;
    t.kind = Kind::Number;
    t.text = std::string(m_text.substr(start, m_pos - start));
    std::string digits = t.text;
    while (!digits.empty() && std::strchr("lLuU", digits.back())) digits.pop_back();
    const bool hex =
        digits.size() > 2 && (digits[1] == 'x' || digits[1] == 'X') && digits[0] == '0';
    size_t used = 0;
    unsigned long long value = 0;
    try {
      value = std::stoull(digits, &used, hex ? 16 : 10);
    } catch (const std::exception&) {
      used = 0;
    }
    if (used == 0 || used != digits.size() || value > std::numeric_limits<std::uint32_t>::max())
      fail(t.line, "malformed number '" + t.text + "'");
    t.number = static_cast<std::int64_t>(value);
    return t;
  }

  Token string(Token t) {
    ++m_pos;
    t.kind = Kind::String;
    for (;;) {
      if (m_pos >= m_text.size() || m_text[m_pos] == '\n')
        fail(t.line, "unterminated string \"" + t.text + "\"");
      const char c = m_text[m_pos++];
      if (c == '"') {
        if (m_pos < m_text.size() && m_text[m_pos] == '"') {  // "" stands for one quote
          t.text += '"';
          ++m_pos;
          continue;
        }
        return t;
      }
      if (c == '\\' && m_pos < m_text.size()) {
        const char e = m_text[m_pos++];
        t.text += e == 'n' ? '\n' : e == 't' ? '\t' : e;
        continue;
      }
      t.text += c;
    }
  }

  std::string_view m_text;
  std::string m_file;
  int m_line;
  int m_lastLine;
  size_t m_pos = 0;
  bool m_atLineStart = true;
  std::optional<Token> m_peeked;
};

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

// A C++ wide literal of UTF-8 text.
std::string wideLiteral(const std::string& utf8) {
  std::string out = "L\"";
  for (size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0x20 && c < 0x7F) {
      if (c == '"' || c == '\\') out += '\\';
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    const int length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    char32_t cp = length == 1 ? c : c & (0x7F >> length);
    for (int k = 1; k < length && i + k < utf8.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "\\U%08X", static_cast<unsigned>(cp));
    out += buffer;
    i += static_cast<size_t>(length);
  }
  return out + "\"";
}

std::string hex(std::uint32_t v) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08Xu", static_cast<unsigned>(v));
  return buffer;
}

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

std::string generateSource(const Script& script, const std::string& scriptName) {
  std::ostringstream out;
  out << "// Generated by mfc_rcgen from " << scriptName << ": the module's dialog templates.\n"
      << "// Do not edit: change the resource script instead.\n"
      << "#include \"afxdialog.h\"\n\nnamespace {\n\n";
  for (size_t i = 0; i < script.dialogs.size(); ++i) {
    if (script.dialogs[i].controls.empty()) continue;
    out << "const AFX_DLGITEMTEMPLATE kDialog" << i << "Items[] = {\n";
    for (const Control& c : script.dialogs[i].controls)
      out << "    {" << c.id << ", " << wideLiteral(c.windowClass) << ", " << wideLiteral(c.caption)
          << ", " << hex(c.style) << ", " << hex(c.exStyle) << ", " << c.x << ", " << c.y << ", "
          << c.cx << ", " << c.cy << "},\n";
    out << "};\n\n";
  }
  if (script.dialogs.empty()) {
    out << "const CModuleDialogResources kResources(AfxGetStaticModuleState(), nullptr, 0);\n";
  } else {
    out << "const AFX_DLGTEMPLATE kDialogs[] = {\n";
    for (size_t i = 0; i < script.dialogs.size(); ++i) {
      const Dialog& d = script.dialogs[i];
      out << "    {" << d.id << "u, " << hex(d.style) << ", " << hex(d.exStyle) << ", " << d.x
          << ", " << d.y << ", " << d.cx << ", " << d.cy << ", " << wideLiteral(d.caption) << ", "
          << (d.fontName.empty() ? "nullptr" : wideLiteral(d.fontName)) << ", " << d.pointSize
          << ", " << (d.controls.empty() ? "nullptr" : "kDialog" + std::to_string(i) + "Items")
          << ", " << d.controls.size() << "},\n";
    }
    out << "};\n\nconst CModuleDialogResources kResources(AfxGetStaticModuleState(), kDialogs, "
        << script.dialogs.size() << ");\n";
  }
  out << "\n}  // namespace\n";
  return out.str();
}

}  // namespace rcscript
