// File handles: CreateFileW, GetFileInformationByHandle, GetFileType, ReadFile, WriteFile,
// FlushFileBuffers, CloseHandle, the last error, and the C runtime's bridges between handles,
// descriptors and streams. A handle is an open file descriptor; one that only asks about a file
// is opened with O_PATH, so it needs no read permission.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "../../common/src/HostObservers.h"
#include "../../common/src/PlatformText.h"
#include "wincrt.h"
#include "windows.h"

namespace {

HANDLE HandleOf(int descriptor) {
  return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(descriptor));
}

int DescriptorOf(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? -1
                                        : static_cast<int>(reinterpret_cast<std::intptr_t>(handle));
}

thread_local DWORD lastError = 0;

HANDLE Failed(int error) {
  SetLastError(static_cast<DWORD>(error));
  return INVALID_HANDLE_VALUE;
}

// A new file that nothing had the name of, taking the template's permissions unnarrowed.
int CreateNew(const std::string& name, HANDLE hTemplateFile) {
  const int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  struct stat model;
  if (descriptor >= 0 && hTemplateFile != nullptr && hTemplateFile != INVALID_HANDLE_VALUE &&
      ::fstat(DescriptorOf(hTemplateFile), &model) == 0)
    ::fchmod(descriptor, model.st_mode & 07777);
  if (descriptor >= 0) host_observers::NoteNewFile(name);
  return descriptor;
}

// An existing file or device opened to write in place. A pipe without a reader would block a
// plain open for ever; without waiting it is refused, and the handle then blocks as usual.
int OpenForWriting(const std::string& name) {
  const int descriptor = ::open(name.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  const int flags = descriptor >= 0 ? ::fcntl(descriptor, F_GETFL) : -1;
  if (flags >= 0) ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK);
  return descriptor;
}

int OpenAs(const std::string& name, DWORD access, DWORD disposition, HANDLE hTemplateFile) {
  if (disposition == CREATE_NEW && access == GENERIC_WRITE) return CreateNew(name, hTemplateFile);
  if (disposition != OPEN_EXISTING) return (errno = EINVAL, -1);
  if (access == 0) return ::open(name.c_str(), O_PATH | O_CLOEXEC);
  if (access == GENERIC_READ) return ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (access == GENERIC_WRITE) return OpenForWriting(name);
  return (errno = EINVAL, -1);
}

}  // namespace

extern "C" {

DWORD GetLastError(void) {
  return lastError;
}

void SetLastError(DWORD dwErrCode) {
  lastError = dwErrCode;
}

HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD /*dwShareMode*/,
                   LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
  if (!lpFileName || !*lpFileName) return Failed(ENOENT);
  const int descriptor = OpenAs(platform_text::ToUtf8(lpFileName), dwDesiredAccess,
                                dwCreationDisposition, hTemplateFile);
  if (descriptor < 0) return Failed(errno);
  struct stat info;
  // Windows opens a folder only for callers that ask for it.
  if (::fstat(descriptor, &info) != 0 ||
      (S_ISDIR(info.st_mode) && !(dwFlagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS))) {
    ::close(descriptor);
    return Failed(EISDIR);
  }
  return HandleOf(descriptor);
}

BOOL GetFileInformationByHandle(HANDLE hFile, LPBY_HANDLE_FILE_INFORMATION info) {
  struct stat status;
  const int descriptor = DescriptorOf(hFile);
  if (descriptor < 0 || !info || ::fstat(descriptor, &status) != 0) return FALSE;
  DWORD attributes = S_ISDIR(status.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : 0;
  if ((status.st_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  info->dwFileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
  const auto volume = static_cast<std::uint64_t>(status.st_dev);
  info->dwVolumeSerialNumber = static_cast<DWORD>(volume ^ (volume >> 32));
  const auto size = static_cast<std::uint64_t>(status.st_size);
  info->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  info->nFileSizeLow = static_cast<DWORD>(size);
  info->nNumberOfLinks = static_cast<DWORD>(status.st_nlink);
  const auto index = static_cast<std::uint64_t>(status.st_ino);
  info->nFileIndexHigh = static_cast<DWORD>(index >> 32);
  info->nFileIndexLow = static_cast<DWORD>(index);
  return TRUE;
}

DWORD GetFileType(HANDLE hFile) {
  struct stat status;
  const int descriptor = DescriptorOf(hFile);
  if (descriptor < 0 || ::fstat(descriptor, &status) != 0) return FILE_TYPE_UNKNOWN;
  if (S_ISREG(status.st_mode) || S_ISDIR(status.st_mode)) return FILE_TYPE_DISK;
  if (S_ISCHR(status.st_mode)) return FILE_TYPE_CHAR;
  if (S_ISFIFO(status.st_mode)) return FILE_TYPE_PIPE;
  return FILE_TYPE_UNKNOWN;
}

BOOL ReadFile(HANDLE hFile, void* lpBuffer, DWORD nNumberOfBytesToRead, DWORD* lpNumberOfBytesRead,
              void* /*lpOverlapped*/) {
  *lpNumberOfBytesRead = 0;
  for (;;) {
    const ssize_t n = ::read(DescriptorOf(hFile), lpBuffer, nNumberOfBytesToRead);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return (SetLastError(static_cast<DWORD>(errno)), FALSE);
    *lpNumberOfBytesRead = static_cast<DWORD>(n);
    return TRUE;
  }
}

BOOL WriteFile(HANDLE hFile, const void* lpBuffer, DWORD nNumberOfBytesToWrite,
               DWORD* lpNumberOfBytesWritten, void* /*lpOverlapped*/) {
  const char* bytes = static_cast<const char*>(lpBuffer);
  *lpNumberOfBytesWritten = 0;
  while (*lpNumberOfBytesWritten < nNumberOfBytesToWrite) {
    const ssize_t n = ::write(DescriptorOf(hFile), bytes + *lpNumberOfBytesWritten,
                              nNumberOfBytesToWrite - *lpNumberOfBytesWritten);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return (SetLastError(static_cast<DWORD>(n < 0 ? errno : EIO)), FALSE);
    *lpNumberOfBytesWritten += static_cast<DWORD>(n);
  }
  return TRUE;
}

BOOL FlushFileBuffers(HANDLE hFile) {
  const int descriptor = DescriptorOf(hFile);
  if (descriptor >= 0 && ::fsync(descriptor) == 0) return TRUE;
  // Devices and pipes hold nothing to flush.
  if (errno == EINVAL || errno == EROFS) return TRUE;
  SetLastError(static_cast<DWORD>(descriptor < 0 ? EBADF : errno));
  return FALSE;
}

BOOL CloseHandle(HANDLE hObject) {
  const int descriptor = DescriptorOf(hObject);
  return descriptor >= 0 && ::close(descriptor) == 0 ? TRUE : FALSE;
}

int _open_osfhandle(intptr_t osfhandle, int /*flags*/) {
  return DescriptorOf(reinterpret_cast<HANDLE>(osfhandle));
}

intptr_t _get_osfhandle(int fd) {
  return reinterpret_cast<intptr_t>(fd < 0 || ::fcntl(fd, F_GETFD) < 0 ? INVALID_HANDLE_VALUE
                                                                       : HandleOf(fd));
}

FILE* _fdopen(int fd, const char* mode) {
  return ::fdopen(fd, mode);
}

int _fileno(FILE* stream) {
  return ::fileno(stream);
}

int _close(int fd) {
  return ::close(fd);
}

}  // extern "C"
