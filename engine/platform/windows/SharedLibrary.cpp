// Libraries loaded with LoadLibraryW (a UTF-8 path turned into the system's UTF-16, so that a
// folder with any name works) and their entry points with GetProcAddress.
#include "engine/platform/SharedLibrary.h"

#include "engine/platform/SystemError.h"
#include "engine/platform/windows/Win32.h"

namespace kivo::platform {

namespace {

std::string LoaderError(const std::string& what) { return what + ": " + SystemErrorText(win32::LastErrno()); }

}  // namespace

std::string LibraryFileName(std::string_view windowsName) { return std::string(windowsName); }

SharedLibrary::~SharedLibrary() { Unload(); }

bool SharedLibrary::Load(const std::string& nameOrPath) {
  if (!Unload()) return false;
  error_.clear();
  // No dialog for a library on a drive without its medium: the caller tries the next place.
  const UINT previous = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  handle_ = ::LoadLibraryW(win32::WidePath(nameOrPath).c_str());
  const int err = handle_ == nullptr ? win32::LastErrno() : 0;
  ::SetErrorMode(previous);
  if (handle_ == nullptr) {
    error_ = nameOrPath + ": " + SystemErrorText(err);
    return false;
  }
  return true;
}

bool SharedLibrary::Unload() {
  if (handle_ != nullptr && !::FreeLibrary(static_cast<HMODULE>(handle_))) {
    error_ = LoaderError("cannot unload library");
    return false;
  }
  handle_ = nullptr;
  return true;
}

void* SharedLibrary::Symbol(const std::string& name) const {
  void* address =
      handle_ != nullptr ? reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name.c_str())) : nullptr;
  if (address == nullptr) error_ = handle_ != nullptr ? LoaderError(name) : "no library loaded";
  return address;
}

}  // namespace kivo::platform
