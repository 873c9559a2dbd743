// Reading values straight out of document text that has been checked to be valid JSON: where a
// value ends, its strings and numbers as the JSON library would hold them, and the value shown as
// that library prints it. Every function takes a position at the start of a value (or of
// whitespace before one) inside checked text that ends with a NUL byte.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

namespace document {

// Ordered, so that a value is shown with its keys in file order.
using Json = nlohmann::ordered_json;

/// Skips whitespace and comments; returns the first byte of what follows.
const char* SkipSpace(const char* p);

/// The end of the value starting at `p` (just past its last byte).
const char* ValueEnd(const char* p);

/// The end of a number, string or literal starting at `p`.
const char* ScalarEnd(const char* p);

/// The contents of the string whose opening quote is at `p`, escapes resolved.
std::string DecodeString(const char* p);

/// True when the string at `p` holds exactly `text` (escapes resolved).
bool StringEquals(const char* p, std::string_view text);

/// A number as the JSON library keeps it: integers without fraction or exponent as signed
/// (negative) or unsigned (otherwise) 64-bit integers when they fit, everything else as a double
/// (rounded to nearest; magnitudes too small for a double read as 0).
struct Number {
  enum class Form { negative, natural, floating } form;
  std::int64_t negative = 0;  // form negative
  std::uint64_t natural = 0;  // form natural
  double floating = 0;        // form floating

  bool isInteger() const { return form != Form::floating; }
  /// The value as a double: integers rounded to nearest, as the JSON library converts them.
  double value() const;
  Json json() const;
};

/// The number starting at `p`; `end`, when not null, receives the end of its text.
Number ReadNumber(const char* p, const char** end = nullptr);

/// A number from `p` as a double, the fast way for the common forms: the same value as
/// ReadNumber(p).value(). Sets `end` just past the number.
double ReadDouble(const char* p, const char*& end);

/// The value starting at `p` as the JSON library prints it compactly, or as much of that as
/// reaches past `limit` bytes (it then stops within the value or key that crossed the limit).
std::string Dump(const char* p, std::size_t limit);

}  // namespace document
