// Geometry-library strings: ON_String (narrow, UTF-8) and ON_wString (wide). Value types that own
// their characters; conversions between the two are UTF-8 <-> wide.
#pragma once

#include <string>

#include "opennurbs_defines.h"

/// Narrow (8-bit, UTF-8) string.
class ON_CLASS ON_String {
 public:
  ON_String() = default;
  ON_String(const char* s);     // null gives the empty string
  ON_String(const wchar_t* s);  // converted to UTF-8
  int Length() const;
  bool IsEmpty() const;
  const char* Array() const;  // never null
  operator const char*() const { return Array(); }
  bool operator==(const ON_String& other) const;

 private:
  std::string m_s;
};

/// Wide string. On this platform a wchar_t holds one Unicode code point; text that arrives as
/// UTF-16 surrogate pairs is accepted by every conversion.
class ON_CLASS ON_wString {
 public:
  ON_wString() = default;
  ON_wString(const wchar_t* s);  // null gives the empty string
  ON_wString(const char* s);     // UTF-8, null gives the empty string
  ON_wString& operator=(const wchar_t* s);
  ON_wString& operator=(const char* s);
  ON_wString& operator+=(const wchar_t* s);
  ON_wString& operator+=(const ON_wString& s);
  int Length() const;
  bool IsEmpty() const;
  void Empty();
  const wchar_t* Array() const;  // never null
  operator const wchar_t*() const { return Array(); }
  /// Character i, from 0 to Length() (the terminator).
  wchar_t operator[](int i) const;
  /// Exact, case-sensitive comparison: <0, 0, >0.
  int Compare(const wchar_t* other) const;
  /// Comparison ignoring case (simple case folding): <0, 0, >0.
  int CompareNoCase(const wchar_t* other) const;
  bool operator==(const ON_wString& other) const;
  bool operator!=(const ON_wString& other) const { return !(*this == other); }

 private:
  std::wstring m_s;
};
