// The output file: the byte sink the scene library writes the scene file through, and the save
// that replaces the target in one step, keeps the previous file as a backup and never throws.
#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "export/SceneWriter.h"
#include "export/TOrvComPtr.h"
#include "orv/ORV6.h"
#include "plugin/stdafx.h"

class StagedFiles;

/// Writes the bytes the scene library hands it into a new temporary file beside the target; the
/// target itself is only touched by replaceTarget, which renames the finished file over it. After
/// the first short write the stream is failed: it prints one line on the command line and ignores
/// every later write. Lives on the stack of one save; the destructor deletes the temporary file
/// unless it was moved into place.
class COrvFileWriteStream final : public QzOrv::IOrvWriteStream {
 public:
  /// Prepares to replace the file at `utf8Path` (UTF-8, never null): follows links to the file
  /// they name and creates the temporary file in that file's folder. Throws std::runtime_error
  /// ("Unable to open file: <path>: <reason>") when the temporary file cannot be created or the
  /// target is a folder, not a regular file or read-only; nothing is created then.
  explicit COrvFileWriteStream(const char* utf8Path);
  ~COrvFileWriteStream();
  COrvFileWriteStream(const COrvFileWriteStream&) = delete;
  COrvFileWriteStream& operator=(const COrvFileWriteStream&) = delete;

  /// Appends `count` bytes from `bytes` (may be null only when `count` is 0).
  void write(const void* bytes, std::uint64_t count) override;
  /// The wide form of the path as given; valid as long as the stream.
  const wchar_t* path() const { return m_path; }
  /// The file that replaceTarget replaces (links followed), as a UTF-8 file-system name.
  const std::string& target() const { return m_target; }
  /// Whether a file existed at the target when the stream was made.
  bool replacing() const { return m_replacing; }

  /// Flushes every byte written to disk and closes the temporary file. Throws std::runtime_error
  /// ("Error while writing the file: <path>: <reason>") after a short write or a failed flush or
  /// close; the temporary file is deleted then.
  void finish();
  /// Renames the finished temporary file over the target, so the target is at every moment
  /// either the previous file or the new one. Throws std::runtime_error ("Error while writing the
  /// file: ...") when the rename fails; the target and temporary file are then as they were.
  void replaceTarget();
  /// Closes and deletes the temporary file; the target stays as it was. Harmless when done.
  void discard();

 private:
  std::runtime_error writingError(const std::string& reason) const;

  FILE* m_file = nullptr;
  bool m_failed = false;
  int m_writeError = 0;  // errno of the short write
  ON_wString m_path;
  std::string m_target;
  std::string m_temporary;  // empty once moved into place or deleted
  bool m_replacing = false;
};

/// Writes the scene held by `manager` to `utf8Path` (UTF-8, never null) through a temporary file
/// that replaces the target only once complete and on disk. The files staged in `companions`
/// (may be null; the scene's texture copies) are placed just before that and committed after;
/// when the save fails they are discarded. When `utf8BackupPath` is given (may be null) and a
/// file is being replaced, that file is then kept at `utf8BackupPath`, replacing whatever entry
/// (an older backup, a link) is there in one step; when it cannot be kept, a warning on the
/// command line says why and the save goes on. Returns normally when the target was replaced.
/// Otherwise throws std::runtime_error and leaves the target, the backup and the folders as they
/// were: "Unable to open file: <path>: <reason>", "TOrvComPtr::operator->() - Dereferencing
/// NULL" (no manager), "Error while writing the file: <path>: <reason>" (the manager reported
/// failure, a write came up short, the flush, close or rename failed, or a companion's name was
/// taken: the reason is then "<companion>: File exists"), or whatever the manager's save threw.
void saveScene(TOrvComPtr<QzOrv::IOrvMgr>& manager, const char* utf8Path,
               const char* utf8BackupPath = nullptr, StagedFiles* companions = nullptr);

/// Saves the writer's scene to `path` (wide, never null) with the writer's staged texture copies,
/// keeping a file already there as the same path plus ".bak" (replacing an older backup). True
/// when the file was written. Otherwise false, with the reason as the last line printed on the
/// command line, the target and backup as they were and the texture copies removed. Never throws.
bool saveToFile(SceneWriter& writer, const wchar_t* path);
