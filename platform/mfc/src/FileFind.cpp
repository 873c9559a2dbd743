// CFileFind: one folder's entries matching a wildcard pattern, in name order.
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cassert>
#include <string>

#include "../../common/src/PlatformText.h"
#include "afxwin.h"

namespace {

bool MatchesAll(const std::wstring& pattern) {
  return pattern == L"*.*" || pattern == L"*";
}

bool NameMatches(const std::string& name_utf8, const std::string& pattern_utf8) {
  return fnmatch(pattern_utf8.c_str(), name_utf8.c_str(), FNM_NOESCAPE | FNM_CASEFOLD) == 0;
}

}  // namespace

BOOL CFileFind::FindFile(LPCWSTR pstrName, DWORD /*dwUnused*/) {
  Close();
  const std::wstring pattern = pstrName && *pstrName ? pstrName : L"*.*";
  const auto last_separator = pattern.find_last_of(L"\\/");
  const std::wstring name_pattern =
      last_separator == std::wstring::npos ? pattern : pattern.substr(last_separator + 1);
  m_root = last_separator == std::wstring::npos ? L"" : pattern.substr(0, last_separator + 1);

  const std::string folder = m_root.empty() ? "." : platform_text::ToUtf8(m_root.c_str());
  DIR* dir = opendir(folder.c_str());
  if (!dir) return FALSE;
  const bool match_all = MatchesAll(name_pattern);
  const std::string pattern_utf8 = platform_text::ToUtf8(name_pattern.c_str());
  while (const dirent* entry = readdir(dir)) {
    if (!match_all && !NameMatches(entry->d_name, pattern_utf8)) continue;
    struct stat info;
    const std::string path = folder + "/" + entry->d_name;
    const bool is_directory = ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    m_entries.push_back({platform_text::FromUtf8(entry->d_name), is_directory});
  }
  closedir(dir);
  // The file system's order is arbitrary; name order keeps every enumeration repeatable.
  std::sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) {
    int folded = platform_text::CompareNoCase(a.name.c_str(), b.name.c_str());
    return folded != 0 ? folded < 0 : a.name < b.name;
  });
  return m_entries.empty() ? FALSE : TRUE;
}

BOOL CFileFind::FindNextFile() {
  assert(m_current + 1 < static_cast<int>(m_entries.size()));
  ++m_current;
  return m_current + 1 < static_cast<int>(m_entries.size()) ? TRUE : FALSE;
}

CString CFileFind::GetFileName() const {
  assert(m_current >= 0 && m_current < static_cast<int>(m_entries.size()));
  return CString(m_entries[m_current].name.c_str());
}

CString CFileFind::GetFilePath() const {
  return GetRoot() + GetFileName();
}

CString CFileFind::GetRoot() const {
  return CString(m_root.c_str());
}

BOOL CFileFind::IsDirectory() const {
  assert(m_current >= 0 && m_current < static_cast<int>(m_entries.size()));
  return m_entries[m_current].is_directory ? TRUE : FALSE;
}

BOOL CFileFind::IsDots() const {
  const std::wstring& name = m_entries[m_current].name;
  return IsDirectory() && (name == L"." || name == L"..") ? TRUE : FALSE;
}

void CFileFind::Close() {
  m_root.clear();
  m_entries.clear();
  m_current = -1;
}
