// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "output/OutputFile.h"

#include <cassert>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "export/Utf8Converter.h"

namespace {

// The wide form of a UTF-8 path, as the file calls take it.
ON_wString widePath(const char* utf8Path) {
  const int bytes = static_cast<int>(std::strlen(utf8Path));
  if (bytes == 0) return ON_wString();
  const int units = MultiByteToWideChar(CP_UTF8, 0, utf8Path, bytes, nullptr, 0);
  std::vector<wchar_t> wide(units + 1, L'\0');
  const int converted = MultiByteToWideChar(CP_UTF8, 0, utf8Path, bytes, wide.data(), units);
  wide[converted] = L'\0';
  return ON_wString(wide.data());
}

// The message of a failed save, naming the file it concerns.
std::string failure(const char* what, const ON_wString& path) {
  return std::string(what) + ": " + ON_String(path.Array()).Array();
}

// Keeps the file at `path`, if any, as `path`.bak; whatever goes wrong, the save goes on.
void backUp(const wchar_t* path) {
  try {
    if (!PathFileExistsW(path)) return;
    ON_wString backup(path);
    backup += L".bak";
    CopyFileW(path, backup, FALSE);
  } catch (...) {
    // A missing backup must not cost the user the export itself.
  }
}

}  // namespace

COrvFileWriteStream::COrvFileWriteStream(const char* utf8Path) {
  assert(utf8Path != nullptr);
  m_path = widePath(utf8Path);
  m_file = _wfopen(m_path, L"wb");
  if (m_file == nullptr) throw std::runtime_error(failure("Unable to open file", m_path));
}

COrvFileWriteStream::~COrvFileWriteStream() {
  close();
}

void COrvFileWriteStream::write(const void* bytes, std::uint64_t count) {
  assert(bytes != nullptr || count == 0);
  if (m_failed || m_file == nullptr) return;
  const std::size_t written = std::fwrite(bytes, 1, static_cast<std::size_t>(count), m_file);
  if (written < count) {
    std::fputs("COrvFileWriteStream::write - Unable to write in file\n", stdout);
    m_failed = true;
  }
}

bool COrvFileWriteStream::close() {
  if (m_file == nullptr) return true;
  const bool closed = std::fclose(m_file) == 0;
  m_file = nullptr;
  return closed;
}

void COrvFileWriteStream::discard() {
  close();
  _wunlink(m_path);
}

void saveScene(TOrvComPtr<QzOrv::IOrvMgr>& manager, const char* utf8Path) {
  COrvFileWriteStream stream(utf8Path);
  bool saved = false;
  try {
    saved = manager->save(&stream, 0);
  } catch (...) {
    stream.discard();  // a half-written scene must not pass for a finished one
    throw;
  }
  const bool closed = stream.close();
  if (!saved || stream.failed() || !closed) {
    stream.discard();
    throw std::runtime_error(failure("Error while writing the file", stream.path()));
  }
}

bool saveToFile(SceneWriter& writer, const wchar_t* path) {
  assert(path != nullptr);
  backUp(path);
  try {
    saveScene(writer.manager, toUtf8(path));
    return true;
  } catch (...) {
    return false;
  }
}
