// Loading a shared library at run time and finding its entry points.
#pragma once

#include <string>
#include <string_view>

namespace kivo::platform {

// The file that holds a library known by its Windows name ("WNASPI32.DLL"): that name itself on
// Windows, "libwnaspi32.so" on Linux.
std::string LibraryFileName(std::string_view windowsName);

class SharedLibrary {
 public:
  SharedLibrary() = default;
  ~SharedLibrary();
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  // A name without "/" is searched by the loader's path; a path is opened as given.
  bool Load(const std::string& nameOrPath);
  bool Unload();  // false when the loader refused to unload
  bool IsLoaded() const { return handle_ != nullptr; }
  void* Symbol(const std::string& name) const;
  const std::string& LastError() const { return error_; }

 private:
  void* handle_ = nullptr;
  mutable std::string error_;  // Symbol() reports a missing entry point here too
};

}  // namespace kivo::platform
