#include "engine/platform/SharedLibrary.h"

#include <dlfcn.h>

namespace kivo::platform {

namespace {

std::string LoaderError(const char* fallback) {
  const char* text = ::dlerror();
  return text != nullptr ? text : fallback;
}

}  // namespace

std::string LibraryFileName(std::string_view windowsName) {
  std::string stem(windowsName.substr(0, windowsName.rfind('.')));
  for (char& c : stem) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return "lib" + stem + ".so";
}

SharedLibrary::~SharedLibrary() { Unload(); }

bool SharedLibrary::Load(const std::string& nameOrPath) {
  if (!Unload()) return false;
  error_.clear();
  // RTLD_LOCAL: two libraries offering the same entry points must not see each other's.
  handle_ = ::dlopen(nameOrPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    error_ = LoaderError("cannot load library");
    return false;
  }
  return true;
}

bool SharedLibrary::Unload() {
  if (handle_ == nullptr) return true;
  if (::dlclose(handle_) != 0) {
    error_ = LoaderError("cannot unload library");
    return false;
  }
  handle_ = nullptr;
  return true;
}

void* SharedLibrary::Symbol(const std::string& name) const {
  if (handle_ == nullptr) {
    error_ = "no library loaded";
    return nullptr;
  }
  ::dlerror();  // forget an older failure, so a null below is told apart from a null symbol
  void* address = ::dlsym(handle_, name.c_str());
  if (address == nullptr) error_ = LoaderError("symbol not found");
  return address;
}

}  // namespace kivo::platform
