// ON_String and ON_wString.
#include <cassert>

#include "../../common/src/PlatformText.h"
#include "opennurbs_string.h"

ON_String::ON_String(const char* s) : m_s(s ? s : "") {}
ON_String::ON_String(const wchar_t* s) : m_s(platform_text::ToUtf8(s)) {}
int ON_String::Length() const {
  return static_cast<int>(m_s.size());
}
bool ON_String::IsEmpty() const {
  return m_s.empty();
}
const char* ON_String::Array() const {
  return m_s.c_str();
}
bool ON_String::operator==(const ON_String& other) const {
  return m_s == other.m_s;
}

ON_wString::ON_wString(const wchar_t* s) : m_s(s ? s : L"") {}
ON_wString::ON_wString(const char* s) : m_s(platform_text::FromUtf8(s)) {}

ON_wString& ON_wString::operator=(const wchar_t* s) {
  // `s` may point into this string, so build the new value first.
  m_s = std::wstring(s ? s : L"");
  return *this;
}

ON_wString& ON_wString::operator=(const char* s) {
  m_s = platform_text::FromUtf8(s);
  return *this;
}

ON_wString& ON_wString::operator+=(const wchar_t* s) {
  if (s) m_s += std::wstring(s);
  return *this;
}

ON_wString& ON_wString::operator+=(const ON_wString& s) {
  m_s += s.m_s;
  return *this;
}

int ON_wString::Length() const {
  return static_cast<int>(m_s.size());
}
bool ON_wString::IsEmpty() const {
  return m_s.empty();
}
void ON_wString::Empty() {
  m_s.clear();
}
const wchar_t* ON_wString::Array() const {
  return m_s.c_str();
}

wchar_t ON_wString::operator[](int i) const {
  assert(i >= 0 && i <= Length());
  return m_s.c_str()[i];
}

int ON_wString::Compare(const wchar_t* other) const {
  return platform_text::Compare(m_s.c_str(), other);
}

int ON_wString::CompareNoCase(const wchar_t* other) const {
  return platform_text::CompareNoCase(m_s.c_str(), other);
}

bool ON_wString::operator==(const ON_wString& other) const {
  return m_s == other.m_s;
}
