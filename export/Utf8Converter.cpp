// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "export/Utf8Converter.h"

#include <cassert>
#include <cstring>
#include <cwchar>

Utf8Converter toUtf8;
Utf8Converter layerNameToUtf8;

namespace {

// Bytes the UTF-8 form of the first `length` characters of `text` takes, without a terminator.
int utf8Length(const wchar_t* text, int length) {
  if (length == 0) return 0;  // the conversion call rejects an empty input
  return WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
}

}  // namespace

const char* Utf8Converter::operator()(const wchar_t* text) {
  assert(text != nullptr);
  const int length = static_cast<int>(std::wcslen(text));
  const int needed = utf8Length(text, length) + 1;
  if (needed > m_capacity) {
    // Grows to exactly this size and never shrinks: later names reuse the room.
    m_buffer.reset();
    m_capacity = needed;
  }
  if (!m_buffer) m_buffer = std::make_unique<char[]>(m_capacity);
  std::memset(m_buffer.get(), 0, m_capacity);
  if (length > 0)
    WideCharToMultiByte(CP_UTF8, 0, text, length, m_buffer.get(), needed - 1, nullptr, nullptr);
  return m_buffer.get();
}
