#include "DocumentText.h"

#include <cassert>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace document {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

unsigned HexDigits(const char* p) {
  unsigned value = 0;
  for (int i = 0; i < 4; ++i) {
    const char c = p[i];
    value = value * 16 + unsigned(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
  }
  return value;
}

void AppendUtf8(unsigned code, std::string& out) {
  if (code < 0x80) {
    out += char(code);
  } else if (code < 0x800) {
    out += char(0xC0 | (code >> 6));
    out += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += char(0xE0 | (code >> 12));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  } else {
    out += char(0xF0 | (code >> 18));
    out += char(0x80 | ((code >> 12) & 0x3F));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  }
}

/// The number in [p, end) as a double, rounded to nearest as the C library reads it.
double ParseDouble(const char* p, const char* end) {
  double value = 0;
  if (std::from_chars(p, end, value).ec == std::errc()) return value;
  // Out of range: the C library gives 0 (or the nearest subnormal) for what is too small.
  return std::strtod(std::string(p, end).c_str(), nullptr);
}

void DumpInto(const char* p, std::string& out, std::size_t limit);

/// Appends the elements (or members) of the array (or object) at `p`, stopping past `limit`.
void DumpContainer(const char* p, std::string& out, std::size_t limit) {
  const bool object = *p == '{';
  out += *p;
  p = SkipSpace(p + 1);
  bool first = true;
  while (*p != (object ? '}' : ']')) {
    if (!first) out += ',';
    first = false;
    if (object) {
      out += Json(DecodeString(p)).dump();
      out += ':';
      p = SkipSpace(SkipSpace(ScalarEnd(p)) + 1);
    }
    DumpInto(p, out, limit);
    if (out.size() > limit) return;
    p = SkipSpace(ValueEnd(p));
    if (*p == ',') p = SkipSpace(p + 1);
  }
  out += object ? '}' : ']';
}

void DumpInto(const char* p, std::string& out, std::size_t limit) {
  if (out.size() > limit) return;  // as after a long key: its value is not needed
  switch (*p) {
    case '{':
    case '[':
      DumpContainer(p, out, limit);
      return;
    case '"':
      out += Json(DecodeString(p)).dump();
      return;
    case 't':
      out += "true";
      return;
    case 'f':
      out += "false";
      return;
    case 'n':
      out += "null";
      return;
    default:
      out += ReadNumber(p).json().dump();
  }
}

}  // namespace

const char* SkipSpace(const char* p) {
  for (;;) {
    switch (*p) {
      case ' ':
      case '\t':
      case '\n':
      case '\r':
        ++p;
        break;
      case '/':
        if (p[1] == '/') {
          // To the end of the line or a NUL byte. Within a value the comment is followed by more
          // of it, so the NUL is not the one that ends the text.
          p += 2;
          while (*p != '\0' && *p != '\n' && *p != '\r') ++p;
          ++p;
        } else {
          p += 2;
          while (!(p[0] == '*' && p[1] == '/')) ++p;
          p += 2;
        }
        break;
      default:
        return p;
    }
  }
}

const char* ScalarEnd(const char* p) {
  switch (*p) {
    case '"':
      for (++p; *p != '"'; ++p)
        if (*p == '\\') ++p;
      return p + 1;
    case 't':
    case 'n':
      return p + 4;
    case 'f':
      return p + 5;
    default:
      while (IsDigit(*p) || *p == '-' || *p == '+' || *p == '.' || *p == 'e' || *p == 'E') ++p;
      return p;
  }
}

const char* ValueEnd(const char* p) {
  if (*p != '[' && *p != '{') return ScalarEnd(p);
  int depth = 0;
  for (;;) {
    switch (*p) {
      case '"':  // strings and comments may hold brackets
        p = ScalarEnd(p);
        continue;
      case '/':
        p = SkipSpace(p);
        continue;
      case '[':
      case '{':
        ++depth;
        break;
      case ']':
      case '}':
        if (--depth == 0) return p + 1;
        break;
    }
    ++p;
  }
}

std::string DecodeString(const char* p) {
  assert(*p == '"');
  std::string out;
  ++p;
  for (;;) {
    const char* run = p;
    while (*p != '"' && *p != '\\') ++p;
    out.append(run, p);
    if (*p == '"') return out;
    const char escape = p[1];
    p += 2;
    switch (escape) {
      case 'b':
        out += '\b';
        break;
      case 'f':
        out += '\f';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 'u': {
        unsigned code = HexDigits(p);
        p += 4;
        if (code >= 0xD800 && code <= 0xDBFF) {  // a high surrogate, its low one follows
          code = 0x10000 + ((code - 0xD800) << 10) + (HexDigits(p + 2) - 0xDC00);
          p += 6;
        }
        AppendUtf8(code, out);
        break;
      }
      default:  // '"', '\\' and '/' stand for themselves
        out += escape;
    }
  }
}

bool StringEquals(const char* p, std::string_view text) {
  const char* end = ScalarEnd(p) - 1;
  const std::string_view raw(p + 1, std::size_t(end - p - 1));
  if (raw.find('\\') == std::string_view::npos) return raw == text;
  return DecodeString(p) == text;
}

double Number::value() const {
  switch (form) {
    case Form::negative:
      return double(negative);
    case Form::natural:
      return double(natural);
    default:
      return floating;
  }
}

Json Number::json() const {
  switch (form) {
    case Form::negative:
      return Json(negative);
    case Form::natural:
      return Json(natural);
    default:
      return Json(floating);
  }
}

Number ReadNumber(const char* p, const char** end) {
  const char* q = p;
  const bool minus = *q == '-';
  if (minus) ++q;
  std::uint64_t digits = 0;
  bool overflow = false;
  for (; IsDigit(*q); ++q) {
    const unsigned d = unsigned(*q - '0');
    overflow = overflow || digits > (UINT64_MAX - d) / 10;
    digits = digits * 10 + d;
  }
  const bool integral = *q != '.' && *q != 'e' && *q != 'E';
  const char* last = integral ? q : ScalarEnd(q);
  if (end) *end = last;
  Number number{Number::Form::floating};
  // Integers that do not fit 64 bits are read as doubles, as the JSON library does.
  if (integral && !overflow && !minus) {
    number.form = Number::Form::natural;
    number.natural = digits;
  } else if (integral && !overflow && digits <= std::uint64_t{1} << 63) {
    number.form = Number::Form::negative;
    number.negative = digits == std::uint64_t{1} << 63 ? INT64_MIN : -std::int64_t(digits);
  } else {
    number.floating = ParseDouble(p, last);
  }
  return number;
}

double ReadDouble(const char* p, const char*& end) {
  // Short integers, the commonest numbers, need no conversion library.
  const char* q = p + (*p == '-');
  const char* first = q;
  std::int64_t digits = 0;
  while (IsDigit(*q) && q - first < 18) digits = digits * 10 + (*q++ - '0');
  if (IsDigit(*q)) return ReadNumber(p, &end).value();  // too long for the short way
  if (*q == '.' || *q == 'e' || *q == 'E') {
    end = ScalarEnd(q);
    return ParseDouble(p, end);
  }
  end = q;
  // -0 is the integer 0, which reads as +0.
  return double(*p == '-' ? -digits : digits);
}

std::string Dump(const char* p, std::size_t limit) {
  std::string out;
  DumpInto(p, out, limit);
  return out;
}

}  // namespace document
