// CString and CStringArray.
#include <cassert>
#include <string>

#include "../../common/src/PlatformText.h"
#include "afxwin.h"

CString::CString(const wchar_t* s) : m_s(s) {}
CString::CString(const char* s) : m_s(s) {}

CString& CString::operator=(const wchar_t* s) {
  m_s = s;
  return *this;
}

CString& CString::operator+=(const wchar_t* s) {
  m_s += s;
  return *this;
}

CString& CString::operator+=(wchar_t c) {
  const wchar_t text[2] = {c, L'\0'};
  m_s += text;
  return *this;
}

CString operator+(const CString& a, const wchar_t* b) {
  CString sum(a);
  sum += b;
  return sum;
}

int CString::GetLength() const {
  return m_s.Length();
}
bool CString::IsEmpty() const {
  return m_s.IsEmpty();
}
void CString::Empty() {
  m_s.Empty();
}

wchar_t CString::GetAt(int i) const {
  assert(i >= 0 && i < GetLength());
  return m_s[i];
}

int CString::Replace(const wchar_t* oldText, const wchar_t* newText) {
  if (!oldText || !*oldText) return 0;
  const std::wstring from(oldText), to(newText ? newText : L"");
  std::wstring text(m_s.Array());
  int count = 0;
  for (std::size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();  // the replacement itself is never searched again
    ++count;
  }
  if (count > 0) m_s = text.c_str();
  return count;
}

int CString::Compare(const wchar_t* other) const {
  return m_s.Compare(other);
}
int CString::CompareNoCase(const wchar_t* other) const {
  return m_s.CompareNoCase(other);
}

int CStringArray::GetSize() const {
  return m_a.Count();
}

int CStringArray::Add(const wchar_t* s) {
  m_a.Append(CString(s));
  return m_a.Count() - 1;
}

const CString& CStringArray::GetAt(int i) const {
  return m_a[i];
}
CString& CStringArray::operator[](int i) {
  return m_a[i];
}
const CString& CStringArray::operator[](int i) const {
  return m_a[i];
}

void CStringArray::RemoveAt(int i, int count) {
  assert(i >= 0 && count >= 0 && i + count <= GetSize());
  for (int n = 0; n < count; ++n) m_a.Remove(i);
}

void CStringArray::RemoveAll() {
  m_a.Empty();
}
