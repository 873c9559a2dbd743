// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "output/OutputFile.h"

#include <cassert>
#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "export/Utf8Converter.h"
#include "output/FileReplacement.h"
#include "output/StagedFiles.h"

namespace {

// The message of a failed save, naming the file it concerns and why.
std::string failure(const char* what, const ON_wString& path, const std::string& reason) {
  return std::string(what) + ": " + ON_String(path.Array()).Array() + ": " + reason;
}

// A copy of the file about to be replaced, made beside `backup` to be moved over it once the
// new file is in place; empty when none can be made. A missing backup costs the user only the
// backup, and the command line says so.
std::string copyForBackup(const COrvFileWriteStream& stream, const char* backup) {
  try {
    return copyBeside(stream.target(), backup);
  } catch (const FileSystemError& error) {
    RhinoApp().Print("Warning: no backup was kept: %s\n", error.what());
    return {};
  }
}

void placeCompanions(StagedFiles& companions, const COrvFileWriteStream& stream) {
  try {
    companions.place();
  } catch (const FileSystemError& error) {
    throw std::runtime_error(failure("Error while writing the file", stream.path(), error.what()));
  }
}

void moveIntoBackup(const std::string& copy, const char* backup) {
  try {
    moveOver(copy, backup);
  } catch (const FileSystemError& error) {
    removeFile(copy);
    RhinoApp().Print("Warning: no backup was kept: %s\n", error.what());
  }
}

}  // namespace

COrvFileWriteStream::COrvFileWriteStream(const char* utf8Path) {
  assert(utf8Path != nullptr);
  m_path = ON_wString(wideName(utf8Path).c_str());
  try {
    if (*utf8Path == '\0') throw FileSystemError(utf8Path, std::strerror(ENOENT));
    m_target = resolveLinks(utf8Path);
    const TemporaryFile file = createTemporaryBeside(m_target);
    m_file = file.stream;
    m_temporary = file.path;
    m_replacing = file.replacing;
  } catch (const FileSystemError& error) {
    throw std::runtime_error(failure("Unable to open file", m_path, error.reason()));
  }
}

COrvFileWriteStream::~COrvFileWriteStream() {
  discard();
}

void COrvFileWriteStream::write(const void* bytes, std::uint64_t count) {
  assert(bytes != nullptr || count == 0);
  if (m_failed || m_file == nullptr) return;
  const std::size_t written = std::fwrite(bytes, 1, static_cast<std::size_t>(count), m_file);
  if (written < count) {
    m_writeError = errno;
    RhinoApp().Print("COrvFileWriteStream::write - Unable to write in file\n");
    m_failed = true;
  }
}

std::runtime_error COrvFileWriteStream::writingError(const std::string& reason) const {
  return std::runtime_error(failure("Error while writing the file", m_path, reason));
}

void COrvFileWriteStream::finish() {
  assert(m_file != nullptr);
  if (m_failed) {
    discard();
    throw writingError(m_writeError != 0 ? std::strerror(m_writeError) : "a write came up short");
  }
  FILE* file = m_file;
  m_file = nullptr;
  try {
    flushToDiskAndClose(file, m_temporary);
  } catch (const FileSystemError& error) {
    discard();
    throw writingError(error.reason());
  }
}

void COrvFileWriteStream::replaceTarget() {
  assert(m_file == nullptr && !m_temporary.empty());
  try {
    moveOver(m_temporary, m_target);
  } catch (const FileSystemError& error) {
    discard();
    throw writingError(error.reason());
  }
  m_temporary.clear();
}

void COrvFileWriteStream::discard() {
  if (m_file != nullptr) std::fclose(m_file);
  m_file = nullptr;
  if (!m_temporary.empty()) removeFile(m_temporary);
  m_temporary.clear();
}

namespace {

// saveScene without the removal of the companions when it fails.
void replaceWithScene(TOrvComPtr<QzOrv::IOrvMgr>& manager, const char* utf8Path,
                      const char* utf8BackupPath, StagedFiles* companions) {
  COrvFileWriteStream stream(utf8Path);
  // Whatever leaves early, the stream's destructor deletes the temporary file: the target has
  // not been touched yet.
  if (!manager->save(&stream, 0)) {
    stream.discard();
    throw std::runtime_error(failure("Error while writing the file", stream.path(),
                                     "the scene library could not write the scene"));
  }
  stream.finish();
  // The backup is prepared before the target is replaced and moved into place after, so a
  // failed replacement leaves the previous backup too as it was.
  std::string copy;
  if (utf8BackupPath != nullptr && stream.replacing()) copy = copyForBackup(stream, utf8BackupPath);
  try {
    // The scene's images take their names before the scene replaces the target, so the target
    // never refers to an image not yet there; the names were free, so the previous scene's
    // images are untouched.
    if (companions != nullptr) placeCompanions(*companions, stream);
    stream.replaceTarget();
  } catch (...) {
    if (!copy.empty()) removeFile(copy);
    throw;
  }
  if (companions != nullptr) companions->commit();
  if (!copy.empty()) moveIntoBackup(copy, utf8BackupPath);
}

}  // namespace

void saveScene(TOrvComPtr<QzOrv::IOrvMgr>& manager, const char* utf8Path,
               const char* utf8BackupPath, StagedFiles* companions) {
  try {
    replaceWithScene(manager, utf8Path, utf8BackupPath, companions);
  } catch (...) {
    if (companions != nullptr) companions->discard();
    throw;
  }
}

bool saveToFile(SceneWriter& writer, const wchar_t* path) {
  assert(path != nullptr);
  try {
    const std::string target = toUtf8(path);
    saveScene(writer.manager, target.c_str(), (target + ".bak").c_str(),
              &writer.textureCopies.staged);
    return true;
  } catch (const std::bad_alloc&) {
    RhinoApp().Print("%s\n",
                     failure("Error while writing the file", path, "out of memory").c_str());
  } catch (const std::exception& error) {
    RhinoApp().Print("%s\n", error.what());
  } catch (...) {
    RhinoApp().Print(
        "%s\n", failure("Error while writing the file", path, "the scene library failed").c_str());
  }
  return false;
}
