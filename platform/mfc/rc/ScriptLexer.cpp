#include "ScriptLexer.h"

#include <cctype>
#include <cstring>
#include <limits>

namespace rcscript {

namespace {

bool isIdentStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool isIdentChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

}  // namespace

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

const Token& Lexer::peek() {
  if (!m_peeked) m_peeked = scan();
  return *m_peeked;
}

Token Lexer::take() {
  Token t = peek();
  m_peeked.reset();
  return t;
}

Token Lexer::scan() {
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

void Lexer::skipBlanksAndComments() {
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

Token Lexer::directive(Token t) {
  size_t end = m_text.find('\n', m_pos);
  if (end == std::string_view::npos) end = m_text.size();
  t.kind = Kind::Directive;
  t.text = std::string(m_text.substr(m_pos + 1, end - m_pos - 1));
  m_pos = end;
  return t;
}

Token Lexer::identifier(Token t) {
  size_t start = m_pos;
  while (m_pos < m_text.size() && isIdentChar(m_text[m_pos])) ++m_pos;
  t.kind = Kind::Ident;
  t.text = std::string(m_text.substr(start, m_pos - start));
  return t;
}

Token Lexer::number(Token t) {
  size_t start = m_pos;
  while (m_pos < m_text.size() && isIdentChar(m_text[m_pos])) ++m_pos;
  t.kind = Kind::Number;
  t.text = std::string(m_text.substr(start, m_pos - start));
  std::string digits = t.text;
  while (!digits.empty() && std::strchr("lLuU", digits.back())) digits.pop_back();
  const bool hex = digits.size() > 2 && (digits[1] == 'x' || digits[1] == 'X') && digits[0] == '0';
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

Token Lexer::string(Token t) {
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

}  // namespace rcscript
