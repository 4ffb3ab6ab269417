// Whether the tests run under Wine, which maps files onto a Linux file system that keeps no
// archive bit: it reports every file as carrying it.
#pragma once

#include <windows.h>
// The engine's SetFileAttributes, not the system's macro for SetFileAttributesW.
#undef SetFileAttributes

namespace kivo::testing {

inline bool UnderWine() {
  return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

}  // namespace kivo::testing
