// Text helpers shared by the stand-ins: UTF-8 <-> wide conversion and case folding.
// Wide text holds one code point per wchar_t; UTF-16 surrogate pairs are accepted on input.
#pragma once

#include <locale.h>

#include <cstddef>
#include <string>

namespace platform_text {

/// Code point standing in for anything that cannot be converted.
constexpr char32_t kReplacement = 0xFFFD;

/// Decodes `count` wide units into code points, joining surrogate pairs; unpaired surrogates and
/// values outside Unicode become U+FFFD, or stop the decoding (false) when `strict` is set.
bool WideToCodePoints(const wchar_t* s, std::size_t count, std::u32string& out,
                      bool strict = false);
/// Decodes `count` bytes of UTF-8; invalid sequences become U+FFFD (one per maximal bad prefix),
/// or stop the decoding (false) when `strict` is set.
bool Utf8ToCodePoints(const char* s, std::size_t count, std::u32string& out, bool strict = false);

void AppendUtf8(char32_t cp, std::string& out);

/// UTF-8 of `count` wide units (null `s` gives the empty string).
std::string ToUtf8(const wchar_t* s, std::size_t count);
std::string ToUtf8(const wchar_t* s);  // up to the terminator
/// Wide text of `count` UTF-8 bytes (null `s` gives the empty string).
std::wstring FromUtf8(const char* s, std::size_t count);
std::wstring FromUtf8(const char* s);  // up to the terminator

/// The built-in UTF-8 character locale (the "C" locale knows ASCII only); null if unavailable.
locale_t Utf8Locale();

/// Makes the UTF-8 character locale this thread's locale for the object's lifetime, so that the C
/// library converts between narrow UTF-8 and wide text (printf's %s and %ls) correctly.
class ScopedUtf8Locale {
 public:
  ScopedUtf8Locale();
  ~ScopedUtf8Locale();
  ScopedUtf8Locale(const ScopedUtf8Locale&) = delete;
  ScopedUtf8Locale& operator=(const ScopedUtf8Locale&) = delete;

 private:
  locale_t m_previous;
};

/// Simple case folding of one character (to lower case).
wchar_t FoldCase(wchar_t c);
/// <0, 0, >0 comparing code points after simple case folding; null is the empty string.
int CompareNoCase(const wchar_t* a, const wchar_t* b);
/// <0, 0, >0 comparing code points exactly; null is the empty string.
int Compare(const wchar_t* a, const wchar_t* b);

}  // namespace platform_text
