// Replacing a file without ever leaving it half-written: a temporary file in the target's folder,
// flushed to disk and moved over the target; backups and copies by hard link or flushed copy;
// devices and pipes written in place; files moved to names nothing holds yet. Goes through the
// platform's Windows file calls (CreateFileW, MoveFileExW, CreateHardLinkW, FlushFileBuffers).
#pragma once

#include <cstddef>
#include <cstdio>
#include <stdexcept>
#include <string>

/// A file-system step that failed. what() is "<path>: <reason>"; reason() is the system's error
/// text ("No space left on device") or a plain account ("the file is read-only").
class FileSystemError : public std::runtime_error {
 public:
  FileSystemError(const std::string& path, const std::string& reason)
      : std::runtime_error(path + ": " + reason), m_reason(reason) {}
  const std::string& reason() const { return m_reason; }

 private:
  std::string m_reason;
};

/// The wide form of a UTF-8 file-system name, as the Windows file calls take it.
std::wstring wideName(const std::string& utf8);

/// Removes the file `path` (UTF-8; a link itself, not what it names). Harmless when nothing is
/// there.
void removeFile(const std::string& path);

/// The file that `path` (UTF-8, not empty) names once symbolic links are followed: a link is
/// replaced by what it points at (relative to the link's folder) until the name is no link. The
/// file need not exist (a dangling link resolves to the missing file). Throws FileSystemError
/// for a chain of links too long or looping.
std::string resolveLinks(const std::string& path);

/// A new, empty file in the folder of `target` (UTF-8, links already resolved) under a name of
/// the form ".orv-save-XXXXXXXX.tmp", open for writing untranslated bytes. When `target` exists
/// it must be a writable regular file, and the new file takes its permissions (whatever the
/// file-creation mask). The caller owns the stream and the file. Throws FileSystemError naming
/// `target` ("Is a directory", "not a regular file", "the file is read-only", the system's
/// reason).
struct TemporaryFile {
  std::string path;
  std::FILE* stream;
  bool replacing;  // a file exists at `target`
};
TemporaryFile createTemporaryBeside(const std::string& target);

/// Hands the bytes still buffered in `stream` to the system, waits until they are on disk and
/// closes it. The stream is closed whatever happens. Throws FileSystemError naming `path`, the
/// file the stream writes, when any of this fails.
void flushToDiskAndClose(std::FILE* stream, const std::string& path);

/// Renames `from` over `to` in one step (whatever `to` was, it is then the file `from` was) and
/// flushes the folder's entry to disk; `from` is gone afterwards, also when `to` already was the
/// same file (another hard link of it). Throws FileSystemError naming `to`; `from` stays then.
void moveOver(const std::string& from, const std::string& to);

/// Renames `from` to `to` (UTF-8, same folder) only when nothing stands at `to`, and flushes the
/// folder's entry to disk; whatever is at `to` is never replaced or written through. Throws
/// FileSystemError naming `to` ("File exists" when the name is taken); `from` stays then.
void moveToFreeName(const std::string& from, const std::string& to);

/// A descriptor open for writing on what `path` (UTF-8, links followed) names when that is a
/// character device or a pipe, which cannot be replaced by a file and is written in place
/// (/dev/stdout, /dev/null); -1 when `path` names anything else or nothing. The caller owns the
/// descriptor. Throws FileSystemError naming `path` when the device or pipe cannot be opened (a
/// pipe that nobody reads: "No such device or address").
int openStreamInPlace(const std::string& path);

/// Writes all `count` bytes of `bytes` to the descriptor `fd`; false with errno set when it
/// cannot.
bool writeAll(int fd, const char* bytes, std::size_t count);

/// A complete copy of the regular file `source` under a new temporary name beside `backup`,
/// ready to be moved over it: a hard link to `source` where the file system allows one, else a
/// flushed copy. Returns the temporary name; the caller owns that file. Throws FileSystemError
/// naming `backup` when `backup` is a read-only file (checked first) or no copy can be made; no
/// temporary file stays then.
std::string copyBeside(const std::string& source, const std::string& backup);

/// A flushed byte copy of the file `source` (UTF-8) under a new temporary name
/// ".orv-<what>-XXXXXXXX.tmp" in the folder of `near`, with the permissions of `source`; the
/// folder's entries are not followed or replaced. Returns the temporary name; the caller owns
/// that file. Throws FileSystemError naming `near` when no copy can be made; no temporary file
/// stays then.
std::string copyToTemporaryBeside(const std::string& source, const std::string& near,
                                  const char* what);
