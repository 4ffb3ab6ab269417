// The read-only and archive attributes and the last-write time, set with the system's calls.
#include "engine/platform/Files.h"
#include "engine/platform/SystemError.h"
#include "engine/platform/windows/Win32.h"

namespace kivo::platform {

bool SetFileAttributes(const std::string& path, std::uint32_t attributes, std::string* error) {
  const std::wstring wide = win32::WidePath(path);
  const DWORD current = ::GetFileAttributesW(wide.c_str());
  if (current == INVALID_FILE_ATTRIBUTES) return ReportPathError(error, path, win32::LastErrno());
  constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;
  DWORD wanted = (current & ~kSettable) | (attributes & kSettable);
  // The system refuses "normal" combined with anything, and takes it alone for "no attributes".
  wanted &= ~FILE_ATTRIBUTE_NORMAL;
  if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;
  if (wanted == current) return true;
  return ::SetFileAttributesW(wide.c_str(), wanted) || ReportPathError(error, path, win32::LastErrno());
}

bool SetFileTime(const std::string& path, std::int64_t mtime, std::string* error) {
  const HANDLE handle = ::CreateFileW(win32::WidePath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return ReportPathError(error, path, win32::LastErrno());
  const FILETIME lastWrite = win32::FileTimeOf(mtime);
  const bool set = ::SetFileTime(handle, nullptr, nullptr, &lastWrite);
  const int err = set ? 0 : win32::LastErrno();
  ::CloseHandle(handle);
  return set || ReportPathError(error, path, err);
}

}  // namespace kivo::platform
