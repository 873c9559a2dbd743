// File handles for queries: CreateFileW, GetFileInformationByHandle, CloseHandle. A handle is an
// open file descriptor that can only be asked about (O_PATH): it needs no read permission.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include "../../common/src/PlatformText.h"
#include "windows.h"

namespace {

HANDLE HandleOf(int descriptor) {
  return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(descriptor));
}

int DescriptorOf(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? -1
                                        : static_cast<int>(reinterpret_cast<std::intptr_t>(handle));
}

}  // namespace

extern "C" {

HANDLE CreateFileW(LPCWSTR lpFileName, DWORD /*dwDesiredAccess*/, DWORD /*dwShareMode*/,
                   LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE /*hTemplateFile*/) {
  if (!lpFileName || !*lpFileName || dwCreationDisposition != OPEN_EXISTING)
    return INVALID_HANDLE_VALUE;
  const int descriptor = ::open(platform_text::ToUtf8(lpFileName).c_str(), O_PATH | O_CLOEXEC);
  if (descriptor < 0) return INVALID_HANDLE_VALUE;
  struct stat info;
  // Windows opens a folder only for callers that ask for it.
  const bool refused =
      ::fstat(descriptor, &info) != 0 ||
      (S_ISDIR(info.st_mode) && !(dwFlagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS));
  if (refused) {
    ::close(descriptor);
    return INVALID_HANDLE_VALUE;
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

BOOL CloseHandle(HANDLE hObject) {
  const int descriptor = DescriptorOf(hObject);
  return descriptor >= 0 && ::close(descriptor) == 0 ? TRUE : FALSE;
}

}  // extern "C"
