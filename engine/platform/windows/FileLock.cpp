// Locks with LockFileEx on the file's whole range.
#include "engine/platform/FileLock.h"

#include "engine/platform/SystemError.h"
#include "engine/platform/windows/Win32.h"

namespace kivo::platform {

namespace {

constexpr DWORD kWholeFile = MAXDWORD;

}  // namespace

FileLock::~FileLock() { Close(); }

bool FileLock::Open(const std::string& path, std::string* error) {
  Close();
  const HANDLE handle = ::CreateFileW(win32::WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return ReportPathError(error, path, win32::LastErrno());
  handle_ = win32::IntOfHandle(handle);
  return true;
}

void FileLock::Close() {
  if (handle_ >= 0) ::CloseHandle(win32::HandleOfInt(handle_));
  handle_ = -1;
}

bool FileLock::Lock(Kind kind, bool wait) {
  DWORD flags = kind == Kind::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0;
  if (!wait) flags |= LOCKFILE_FAIL_IMMEDIATELY;
  OVERLAPPED whole{};
  return ::LockFileEx(win32::HandleOfInt(handle_), flags, 0, kWholeFile, kWholeFile, &whole) != 0;
}

void FileLock::Unlock() {
  OVERLAPPED whole{};
  ::UnlockFileEx(win32::HandleOfInt(handle_), 0, kWholeFile, kWholeFile, &whole);
}

}  // namespace kivo::platform
