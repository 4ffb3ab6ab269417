#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <vector>

#include "engine/platform/Files.h"
#include "engine/platform/PathWithin.h"
#include "engine/platform/SystemError.h"

namespace kivo::platform {

namespace {

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::string> RealPath(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return std::nullopt;
  std::string resolved = real;
  ::free(real);
  return resolved;
}

}  // namespace

bool RemoveFile(const std::string& path, std::string* error) {
  return ::unlink(path.c_str()) == 0 || ReportPathError(error, path, errno);
}

bool RenameOver(const std::string& from, const std::string& to, std::string* error) {
  return ::rename(from.c_str(), to.c_str()) == 0 || ReportPathError(error, to, errno);
}

std::string ParentFolder(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string ResolvedPath(const std::string& path) {
  if (auto real = RealPath(path)) return *real;
  std::string name = path;
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  const std::size_t slash = name.rfind('/');
  name = slash == std::string::npos ? name : name.substr(slash + 1);
  const auto folder = RealPath(ParentFolder(path));
  if (!folder || name.empty() || name == "." || name == "..") return path;
  return *folder == "/" ? "/" + name : *folder + "/" + name;
}

bool PathIsWithin(const std::string& path, const std::string& folder) {
  return path == folder || path.starts_with(folder == "/" ? folder : folder + "/");
}

bool MakeDirectory(const std::string& path, std::string* error) {
  if (path.empty()) return ReportPathError(error, path, ENOENT);
  // Create each missing level from the top; an existing directory on the way is fine.
  for (std::size_t pos = path.find('/', 1);; pos = path.find('/', pos + 1)) {
    const std::string prefix = path.substr(0, pos);
    if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return ReportPathError(error, prefix, errno);
    if (pos == std::string::npos) break;
  }
  return IsDirectory(path) || ReportPathError(error, path, ENOTDIR);
}

bool MakeFolder(const std::string& path, std::string* error) {
  if (::mkdir(path.c_str(), 0777) == 0) return true;
  if (errno != EEXIST) return ReportPathError(error, path, errno);
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return ReportPathError(error, path, errno);
  return S_ISDIR(st.st_mode) || ReportPathError(error, path, ENOTDIR);
}

bool PathTaken(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

std::string ExecutableDirectory() {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) < buffer.size()) {
      const std::string exe(buffer.data(), static_cast<std::size_t>(length));
      const std::size_t slash = exe.rfind('/');
      return slash == std::string::npos ? std::string() : exe.substr(0, slash == 0 ? 1 : slash);
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace kivo::platform
