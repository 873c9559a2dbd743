// ON_UUID: new ids, text forms and ordering.
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <random>
#include <string>
#include <string_view>

#include "opennurbs_uuid.h"

const ON_UUID ON_nil_uuid = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

namespace {

constexpr int kUuidTextLength = 36;

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// Reads `digits` hexadecimal characters at `s`; false when one is not a hex digit.
bool ReadHex(const wchar_t* s, int digits, unsigned long long& value) {
  value = 0;
  for (int i = 0; i < digits; ++i) {
    int v = HexValue(s[i]);
    if (v < 0) return false;
    value = (value << 4) | static_cast<unsigned>(v);
  }
  return true;
}

bool Parse(std::wstring_view text, ON_UUID& id) {
  if (text.size() == kUuidTextLength + 2 && text.front() == L'{' && text.back() == L'}')
    text = text.substr(1, kUuidTextLength);
  if (text.size() != kUuidTextLength) return false;
  if (text[8] != L'-' || text[13] != L'-' || text[18] != L'-' || text[23] != L'-') return false;
  const wchar_t* s = text.data();
  unsigned long long v;
  if (!ReadHex(s, 8, v)) return false;
  id.Data1 = static_cast<unsigned int>(v);
  if (!ReadHex(s + 9, 4, v)) return false;
  id.Data2 = static_cast<unsigned short>(v);
  if (!ReadHex(s + 14, 4, v)) return false;
  id.Data3 = static_cast<unsigned short>(v);
  // The last two groups are eight single bytes: two, then six.
  static const int kByteOffsets[8] = {19, 21, 24, 26, 28, 30, 32, 34};
  for (int i = 0; i < 8; ++i) {
    if (!ReadHex(s + kByteOffsets[i], 2, v)) return false;
    id.Data4[i] = static_cast<unsigned char>(v);
  }
  return true;
}

}  // namespace

ON_UUID ON_UuidFromString(const wchar_t* s) {
  ON_UUID id;
  return s && Parse(s, id) ? id : ON_nil_uuid;
}

ON_UUID ON_UuidFromString(const char* s) {
  if (!s) return ON_nil_uuid;
  // Only ASCII can be part of a valid id; anything else just fails to parse.
  std::wstring wide(s, s + std::strlen(s));
  return ON_UuidFromString(wide.c_str());
}

wchar_t* ON_UuidToString(const ON_UUID& id, wchar_t* s) {
  if (!s) return nullptr;
  std::swprintf(s, kUuidTextLength + 1, L"%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                id.Data1, id.Data2, id.Data3, id.Data4[0], id.Data4[1], id.Data4[2], id.Data4[3],
                id.Data4[4], id.Data4[5], id.Data4[6], id.Data4[7]);
  return s;
}

bool ON_CreateUuid(ON_UUID& uuid) {
  static std::mt19937_64 generator{std::random_device{}()};
  const std::uint64_t high = generator(), low = generator();
  uuid.Data1 = static_cast<unsigned int>(high >> 32);
  uuid.Data2 = static_cast<unsigned short>(high >> 16);
  uuid.Data3 = static_cast<unsigned short>((high & 0x0FFF) | 0x4000);  // version 4
  for (int i = 0; i < 8; ++i) uuid.Data4[i] = static_cast<unsigned char>(low >> (8 * i));
  uuid.Data4[0] = static_cast<unsigned char>((uuid.Data4[0] & 0x3F) | 0x80);  // variant 1
  return true;
}

bool ON_UuidIsNil(const ON_UUID& id) {
  return ON_UuidCompare(id, ON_nil_uuid) == 0;
}

int ON_UuidCompare(const ON_UUID& a, const ON_UUID& b) {
  if (a.Data1 != b.Data1) return a.Data1 < b.Data1 ? -1 : 1;
  if (a.Data2 != b.Data2) return a.Data2 < b.Data2 ? -1 : 1;
  if (a.Data3 != b.Data3) return a.Data3 < b.Data3 ? -1 : 1;
  int bytes = std::memcmp(a.Data4, b.Data4, sizeof a.Data4);
  return bytes < 0 ? -1 : bytes > 0 ? 1 : 0;
}
