// UTF-8 <-> wide conversions through the Windows calls and the string classes, and comparisons.
#include <gtest/gtest.h>

#include <string>

#include "afxwin.h"
#include "opennurbs.h"
#include "windows.h"

namespace {

// "Aé€😀": one, two, three and four UTF-8 bytes.
const wchar_t kMixed[] = {L'A', 0xE9, 0x20AC, 0x1F600, 0};
const char kMixedUtf8[] = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";

std::string ToUtf8(const wchar_t* s, int count = -1) {
  int needed = WideCharToMultiByte(CP_UTF8, 0, s, count, nullptr, 0, nullptr, nullptr);
  std::string out(needed, '\0');
  int written = WideCharToMultiByte(CP_UTF8, 0, s, count, out.data(), needed, nullptr, nullptr);
  EXPECT_EQ(written, needed);
  return out;
}

TEST(WideCharToMultiByte, MeasuresThenConvertsIncludingTheTerminatorForMinusOne) {
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, kMixed, -1, nullptr, 0, nullptr, nullptr), 11);
  EXPECT_EQ(ToUtf8(kMixed), std::string(kMixedUtf8, 11));
  // An explicit length converts exactly that many units and adds no terminator.
  EXPECT_EQ(ToUtf8(kMixed, 2), "A\xC3\xA9");
}

TEST(WideCharToMultiByte, TooSmallBufferFailsWithoutOverrun) {
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, kMixed, -1, buffer, 10, nullptr, nullptr), 0);
  EXPECT_EQ(buffer[10], '#');
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, kMixed, -1, buffer, 11, nullptr, nullptr), 11);
}

TEST(WideCharToMultiByte, JoinsSurrogatePairsAndReplacesLoneHalves) {
  const wchar_t pair[] = {0xD83D, 0xDE00, 0};
  EXPECT_EQ(ToUtf8(pair, 2), "\xF0\x9F\x98\x80");
  const wchar_t lone[] = {0xD83D, L'x', 0xDE00, 0};
  EXPECT_EQ(ToUtf8(lone, 3),
            "\xEF\xBF\xBD"
            "x"
            "\xEF\xBF\xBD");
  EXPECT_EQ(
      WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, 3, nullptr, 0, nullptr, nullptr), 0);
}

TEST(WideCharToMultiByte, RefusesBadArguments) {
  char buffer[8];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"a", 0, buffer, 8, nullptr, nullptr), 0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, nullptr, -1, buffer, 8, nullptr, nullptr), 0);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, L"a", -1, buffer, 8, nullptr, nullptr), 0);
}

TEST(MultiByteToWideChar, MeasuresConvertsAndRejectsSmallBuffers) {
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, kMixedUtf8, -1, nullptr, 0), 5);
  wchar_t out[8];
  std::fill(std::begin(out), std::end(out), L'#');
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, kMixedUtf8, -1, out, 4), 0);
  EXPECT_EQ(out[4], L'#');
  ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, kMixedUtf8, -1, out, 8), 5);
  EXPECT_EQ(std::wstring(out), std::wstring(kMixed));
  // Four bytes without the terminator: "A" and "é" plus the first byte of "€".
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, kMixedUtf8, 3, out, 8), 2);
}

TEST(MultiByteToWideChar, ReplacesInvalidSequencesOrFailsWhenAskedTo) {
  // A truncated "€", an overlong "/", an encoded surrogate and a stray continuation byte.
  const char bad[] =
      "\xE2\x82"
      "a"
      "\xC0\xAF"
      "\xED\xA0\x80"
      "\x80";
  std::wstring out(16, L'\0');
  int n = MultiByteToWideChar(CP_UTF8, 0, bad, -1, out.data(), 16);
  out.resize(n > 0 ? n - 1 : 0);
  EXPECT_EQ(out.substr(0, 2), std::wstring({0xFFFD, L'a'}));
  EXPECT_EQ(out.find_first_not_of(L"\xFFFD", 2), std::wstring::npos);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bad, -1, nullptr, 0), 0);
}

TEST(Strings, ConvertBetweenUtf8AndWideBothWays) {
  ON_wString wide(kMixedUtf8);
  EXPECT_EQ(wide.Length(), 4);
  EXPECT_EQ(wide, ON_wString(kMixed));
  EXPECT_STREQ(ON_String(kMixed).Array(), kMixedUtf8);
  const wchar_t pair[] = {L'<', 0xD83D, 0xDE00, L'>', 0};
  EXPECT_STREQ(ON_String(pair).Array(), "<\xF0\x9F\x98\x80>");
  EXPECT_STREQ(CString("\xC3\xA9t\xC3\xA9").GetString(), L"\xE9t\xE9");
  EXPECT_STREQ(ON_wString(static_cast<const char*>(nullptr)).Array(), L"");
}

TEST(Strings, CompareNoCaseFoldsBeyondAscii) {
  EXPECT_EQ(ON_wString(L"\x00C9T\x00C9").CompareNoCase(L"\x00E9t\x00E9"), 0);  // ÉTÉ
  EXPECT_EQ(ON_wString(L"\x0416\x0410").CompareNoCase(L"\x0436\x0430"), 0);    // ЖА
  EXPECT_LT(ON_wString(L"abc").CompareNoCase(L"ABD"), 0);
  EXPECT_GT(ON_wString(L"abc").CompareNoCase(L"AB"), 0);
  EXPECT_NE(ON_wString(L"abc").Compare(L"ABC"), 0);
}

TEST(Strings, SelfAssignmentAndAppendKeepTheText) {
  ON_wString s(L"layer");
  s = s.Array();
  s += s;
  EXPECT_STREQ(s.Array(), L"layerlayer");
}

TEST(CString, ReplaceCountsAndDoesNotRescanTheReplacement) {
  CString path(L"C:\\maps\\wood.jpg");
  EXPECT_EQ(path.Replace(L":", L"|"), 1);
  EXPECT_EQ(path.Replace(L"\\", L"/"), 2);
  EXPECT_STREQ(path, L"C|/maps/wood.jpg");
  CString text(L"aaa");
  EXPECT_EQ(text.Replace(L"a", L"aa"), 3);
  EXPECT_STREQ(text, L"aaaaaa");
  EXPECT_EQ(text.Replace(L"", L"x"), 0);
}

TEST(CStringArray, AddsAndRemovesRanges) {
  CStringArray names;
  for (const wchar_t* s : {L"a", L"b", L"c", L"d"}) names.Add(s);
  names.RemoveAt(1, 2);
  ASSERT_EQ(names.GetSize(), 2);
  EXPECT_STREQ(names[0], L"a");
  EXPECT_STREQ(names.GetAt(1), L"d");
  names.RemoveAll();
  EXPECT_EQ(names.GetCount(), 0);
}

}  // namespace
