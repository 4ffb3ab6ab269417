// What every file of the Win32 layer shares: the system headers without the macros that would
// rename the layer's own functions, UTF-8 paths turned into the UTF-16 that the W calls take,
// handles kept in the int slots of the system-free headers, and the system's error codes told
// as the errno values that the rest of the engine compares and words.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

// The engine's own SetFileAttributes; the system's is called as SetFileAttributesW.
#undef SetFileAttributes

namespace kivo::platform::win32 {

// UTF-8 to UTF-16 and back with the system's own conversion (code page CP_UTF8).
std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// A path for the W calls: forward slashes become backslashes, which every call accepts.
std::wstring WidePath(const std::string& path);

// Kernel handles are 32-bit values even in a 64-bit process, so they fit the int handles of the
// system-free headers; INVALID_HANDLE_VALUE becomes -1.
inline int IntOfHandle(HANDLE handle) {
  return static_cast<int>(reinterpret_cast<std::intptr_t>(handle));
}
inline HANDLE HandleOfInt(int handle) {
  return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(handle));
}

// The errno value that says the same as a system error code (EIO for those without one).
int ErrnoOf(DWORD error);
// ErrnoOf(GetLastError()).
int LastErrno();

// Seconds and nanoseconds since 1970 UTC of a FILETIME, and back.
std::int64_t UnixNanosecondsOf(const FILETIME& time);
FILETIME FileTimeOf(std::int64_t unixSeconds);

}  // namespace kivo::platform::win32
