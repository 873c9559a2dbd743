// The resource script's tokens: identifiers, numbers, strings, punctuation and whole
// preprocessor lines, with the line each starts on; comments and blanks are skipped.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "ResourceScript.h"

namespace rcscript {

/// A directive token holds the whole line after '#'.
enum class Kind { Ident, Number, String, Punct, Directive, End };

struct Token {
  Kind kind = Kind::End;
  std::string text;  // identifier, punctuation, decoded string, or the directive line after '#'
  std::int64_t number = 0;
  int line = 0;
};

/// How a token reads in a message: "end of input", "\"text\"", "'#define'", "'name'".
std::string describe(const Token& t);

/// Splits one script (or one #define line) into tokens. `text` must outlive the lexer. Throws
/// Error ("<file>:<line>: <problem>") for a character, number, string or comment it cannot read.
class Lexer {
 public:
  Lexer(std::string_view text, std::string file, int firstLine = 1)
      : m_text(text), m_file(std::move(file)), m_line(firstLine), m_lastLine(firstLine) {}

  const std::string& file() const { return m_file; }

  [[noreturn]] void fail(int line, const std::string& problem) const {
    throw Error(m_file + ":" + std::to_string(line) + ": " + problem);
  }

  /// The next token, left to be taken; a token of kind End at the end of the text.
  const Token& peek();
  /// The next token, taken.
  Token take();

 private:
  Token scan();
  void skipBlanksAndComments();
  // Each reads one token of its kind, starting at m_pos, into `t` (which holds the line).
  Token directive(Token t);
  Token identifier(Token t);
  Token number(Token t);
  Token string(Token t);

  std::string_view m_text;
  std::string m_file;
  int m_line;
  int m_lastLine;
  size_t m_pos = 0;
  bool m_atLineStart = true;
  std::optional<Token> m_peeked;
};

}  // namespace rcscript
