// WideCharToMultiByte and MultiByteToWideChar for the UTF-8 code page.
#include <cstring>
#include <cwchar>
#include <string>

#include "../../common/src/PlatformText.h"
#include "windows.h"

namespace {

bool IsUtf8CodePage(UINT code_page) {
  return code_page == CP_UTF8 || code_page == CP_ACP;
}

// Number of input units to convert: -1 means up to and including the terminator.
template <class Char>
int InputLength(const Char* s, int count) {
  return count == -1 ? static_cast<int>(std::char_traits<Char>::length(s)) + 1 : count;
}

// Windows contract for the output: size 0 measures; otherwise the result must fit entirely.
template <class Char>
int Deliver(const std::basic_string<Char>& converted, Char* out, int out_size) {
  const int needed = static_cast<int>(converted.size());
  if (out_size == 0) return needed;
  if (needed > out_size) return 0;
  std::memcpy(out, converted.data(), converted.size() * sizeof(Char));
  return needed;
}

}  // namespace

extern "C" {

int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCCH /*lpDefaultChar*/,
                        LPBOOL lpUsedDefaultChar) {
  if (lpUsedDefaultChar) *lpUsedDefaultChar = FALSE;  // UTF-8 never needs a default character
  if (!IsUtf8CodePage(CodePage) || !lpWideCharStr || cchWideChar == 0 || cchWideChar < -1 ||
      cbMultiByte < 0 || (cbMultiByte > 0 && !lpMultiByteStr))
    return 0;
  std::u32string code_points;
  if (!platform_text::WideToCodePoints(lpWideCharStr, InputLength(lpWideCharStr, cchWideChar),
                                       code_points, (dwFlags & WC_ERR_INVALID_CHARS) != 0))
    return 0;
  std::string utf8;
  for (char32_t cp : code_points) platform_text::AppendUtf8(cp, utf8);
  return Deliver(utf8, lpMultiByteStr, cbMultiByte);
}

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar) {
  if (!IsUtf8CodePage(CodePage) || !lpMultiByteStr || cbMultiByte == 0 || cbMultiByte < -1 ||
      cchWideChar < 0 || (cchWideChar > 0 && !lpWideCharStr))
    return 0;
  std::u32string code_points;
  if (!platform_text::Utf8ToCodePoints(lpMultiByteStr, InputLength(lpMultiByteStr, cbMultiByte),
                                       code_points, (dwFlags & MB_ERR_INVALID_CHARS) != 0))
    return 0;
  std::wstring wide(code_points.begin(), code_points.end());
  return Deliver(wide, lpWideCharStr, cchWideChar);
}

}  // extern "C"
