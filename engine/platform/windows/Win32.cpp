#include "engine/platform/windows/Win32.h"

#include <algorithm>
#include <cerrno>
#include <iterator>

namespace kivo::platform::win32 {

namespace {

struct ErrorPair {
  DWORD system;
  int errnoValue;
};

constexpr ErrorPair kErrors[] = {
    {ERROR_FILE_NOT_FOUND, ENOENT},      {ERROR_PATH_NOT_FOUND, ENOENT},
    {ERROR_INVALID_DRIVE, ENOENT},       {ERROR_BAD_NETPATH, ENOENT},
    {ERROR_BAD_PATHNAME, ENOENT},        {ERROR_INVALID_NAME, ENOENT},
    {ERROR_ACCESS_DENIED, EACCES},       {ERROR_WRITE_PROTECT, EROFS},
    {ERROR_SHARING_VIOLATION, EBUSY},    {ERROR_LOCK_VIOLATION, EBUSY},
    {ERROR_BUSY, EBUSY},                 {ERROR_FILE_EXISTS, EEXIST},
    {ERROR_ALREADY_EXISTS, EEXIST},      {ERROR_DIRECTORY, ENOTDIR},
    {ERROR_DIR_NOT_EMPTY, ENOTEMPTY},    {ERROR_DISK_FULL, ENOSPC},
    {ERROR_HANDLE_DISK_FULL, ENOSPC},    {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
    {ERROR_OUTOFMEMORY, ENOMEM},         {ERROR_INVALID_HANDLE, EBADF},
    {ERROR_INVALID_PARAMETER, EINVAL},   {ERROR_NEGATIVE_SEEK, EINVAL},
    {ERROR_NOT_SUPPORTED, ENOTSUP},      {ERROR_INVALID_FUNCTION, ENOTSUP},
    {ERROR_NOT_READY, ENODEV},           {ERROR_DEV_NOT_EXIST, ENODEV},
    {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG}, {ERROR_TOO_MANY_OPEN_FILES, EMFILE},
    {ERROR_LOCK_FAILED, EBUSY},          {ERROR_CANT_RESOLVE_FILENAME, ELOOP},
};

constexpr std::int64_t kEpochDifference100ns = 116444736000000000;  // 1601-01-01 to 1970-01-01

}  // namespace

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

std::string Narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  const int size = static_cast<int>(utf16.size());
  const int length = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, narrow.data(), length, nullptr, nullptr);
  return narrow;
}

std::wstring WidePath(const std::string& path) {
  std::wstring wide = Wide(path);
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  return wide;
}

int ErrnoOf(DWORD error) {
  const auto* found = std::find_if(std::begin(kErrors), std::end(kErrors),
                                   [error](const ErrorPair& pair) { return pair.system == error; });
  return found != std::end(kErrors) ? found->errnoValue : EIO;
}

int LastErrno() { return ErrnoOf(::GetLastError()); }

std::int64_t UnixNanosecondsOf(const FILETIME& time) {
  const std::int64_t ticks =
      static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  return (ticks - kEpochDifference100ns) * 100;
}

FILETIME FileTimeOf(std::int64_t unixSeconds) {
  const auto ticks = static_cast<std::uint64_t>(unixSeconds * 10'000'000 + kEpochDifference100ns);
  return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}

}  // namespace kivo::platform::win32
