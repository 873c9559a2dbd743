// UTF-8 and wide-text conversions and case folding used throughout the stand-ins.
#include "PlatformText.h"

#include <clocale>
#include <cwchar>
#include <cwctype>

namespace platform_text {
namespace {

bool IsHighSurrogate(char32_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(char32_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

// Length of a well-formed sequence starting with `lead`, and the range its second byte must lie
// in (the later bytes are always 0x80..0xBF); 0 for a byte that cannot start a sequence.
int SequenceLength(unsigned char lead, unsigned char& lo, unsigned char& hi) {
  lo = 0x80;
  hi = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead == 0xE0) lo = 0xA0;
  if (lead == 0xED) hi = 0x9F;  // excludes encoded surrogates
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead == 0xF0) lo = 0x90;
  if (lead == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace

bool WideToCodePoints(const wchar_t* s, std::size_t count, std::u32string& out, bool strict) {
  for (std::size_t i = 0; i < count; ++i) {
    char32_t u = static_cast<char32_t>(s[i]);
    if (IsHighSurrogate(u) && i + 1 < count && IsLowSurrogate(static_cast<char32_t>(s[i + 1]))) {
      char32_t low = static_cast<char32_t>(s[++i]);
      out.push_back(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
      continue;
    }
    if (IsHighSurrogate(u) || IsLowSurrogate(u) || u > 0x10FFFF) {
      if (strict) return false;
      u = kReplacement;
    }
    out.push_back(u);
  }
  return true;
}

bool Utf8ToCodePoints(const char* s, std::size_t count, std::u32string& out, bool strict) {
  const auto* b = reinterpret_cast<const unsigned char*>(s);
  std::size_t i = 0;
  while (i < count) {
    unsigned char lead = b[i];
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    unsigned char lo, hi;
    int length = SequenceLength(lead, lo, hi);
    char32_t cp = length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    int taken = 1;
    for (; length > 0 && taken < length && i + taken < count; ++taken) {
      unsigned char c = b[i + taken];
      if (c < lo || c > hi) break;
      cp = (cp << 6) | (c & 0x3F);
      lo = 0x80;
      hi = 0xBF;
    }
    if (length == 0 || taken < length) {
      // The bad bytes read so far (the maximal invalid prefix) become one replacement.
      if (strict) return false;
      out.push_back(kReplacement);
    } else {
      out.push_back(cp);
    }
    i += taken;
  }
  return true;
}

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string ToUtf8(const wchar_t* s, std::size_t count) {
  std::string out;
  if (!s) return out;
  std::u32string cps;
  WideToCodePoints(s, count, cps);
  out.reserve(cps.size());
  for (char32_t cp : cps) AppendUtf8(cp, out);
  return out;
}

std::string ToUtf8(const wchar_t* s) {
  return s ? ToUtf8(s, std::wcslen(s)) : std::string();
}

std::wstring FromUtf8(const char* s, std::size_t count) {
  std::wstring out;
  if (!s) return out;
  std::u32string cps;
  Utf8ToCodePoints(s, count, cps);
  out.assign(cps.begin(), cps.end());
  return out;
}

std::wstring FromUtf8(const char* s) {
  return s ? FromUtf8(s, std::char_traits<char>::length(s)) : std::wstring();
}

locale_t Utf8Locale() {
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  return utf8;
}

ScopedUtf8Locale::ScopedUtf8Locale()
    : m_previous(Utf8Locale() ? uselocale(Utf8Locale()) : locale_t{}) {}

ScopedUtf8Locale::~ScopedUtf8Locale() {
  if (m_previous) uselocale(m_previous);
}

wchar_t FoldCase(wchar_t c) {
  const locale_t utf8 = Utf8Locale();
  return static_cast<wchar_t>(utf8 ? towlower_l(static_cast<wint_t>(c), utf8)
                                   : towlower(static_cast<wint_t>(c)));
}

namespace {

template <class Fold>
int CompareWith(const wchar_t* a, const wchar_t* b, Fold fold) {
  if (!a) a = L"";
  if (!b) b = L"";
  for (;; ++a, ++b) {
    auto ca = static_cast<char32_t>(fold(*a));
    auto cb = static_cast<char32_t>(fold(*b));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}

}  // namespace

int CompareNoCase(const wchar_t* a, const wchar_t* b) {
  return CompareWith(a, b, FoldCase);
}

int Compare(const wchar_t* a, const wchar_t* b) {
  return CompareWith(a, b, [](wchar_t c) { return c; });
}

}  // namespace platform_text
