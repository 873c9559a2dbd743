// The output file: the byte sink the scene library writes the scene file through, and the save
// that keeps the previous file as a backup and turns every failure into false.
#pragma once

#include <cstdint>
#include <cstdio>

#include "export/SceneWriter.h"
#include "export/TOrvComPtr.h"
#include "orv/ORV6.h"
#include "plugin/stdafx.h"

/// Writes the bytes the scene library hands it into one file, opened (created or truncated) at
/// construction. After the first short write it is failed: it prints one line on standard output
/// and ignores every later write. Lives on the stack of one save; the destructor closes the file
/// if it is still open.
class COrvFileWriteStream final : public QzOrv::IOrvWriteStream {
 public:
  /// Opens `utf8Path` (UTF-8, never null) for writing untranslated bytes. Throws
  /// std::runtime_error ("Unable to open file: <path>") when it cannot be opened.
  explicit COrvFileWriteStream(const char* utf8Path);
  ~COrvFileWriteStream();
  COrvFileWriteStream(const COrvFileWriteStream&) = delete;
  COrvFileWriteStream& operator=(const COrvFileWriteStream&) = delete;

  /// Appends `count` bytes from `bytes` (may be null only when `count` is 0).
  void write(const void* bytes, std::uint64_t count) override;
  /// True once a write came up short.
  bool failed() const { return m_failed; }
  /// The wide form of the path that was opened; valid as long as the stream.
  const wchar_t* path() const { return m_path; }
  /// Closes the file; false when the final flush or the close failed. Closing twice is harmless.
  bool close();
  /// Closes the file if open and deletes it (the same file that was opened).
  void discard();

 private:
  FILE* m_file = nullptr;
  bool m_failed = false;
  ON_wString m_path;  // the wide form of the path that was opened
};

/// Writes the scene held by `manager` to `utf8Path`. Returns normally when the whole file was
/// written and closed; otherwise deletes the partial file and throws std::runtime_error: "Unable
/// to open file: ..." (nothing was created), "TOrvComPtr::operator->() - Dereferencing NULL" (no
/// manager), "Error while writing the file: ..." (the manager reported failure, a write came up
/// short or the file could not be closed), or whatever the manager's save threw.
void saveScene(TOrvComPtr<QzOrv::IOrvMgr>& manager, const char* utf8Path);

/// Saves the writer's scene to `path` (wide, never null). An existing file there is first copied
/// to the same path plus ".bak" (overwriting an older backup; a failed copy is ignored). True when
/// the file was written; false otherwise, with no file left at `path` (the backup stays). Never
/// throws.
bool saveToFile(SceneWriter& writer, const wchar_t* path);
