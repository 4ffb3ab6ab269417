#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "engine/platform/Files.h"
#include "engine/platform/SystemError.h"

namespace kivo::platform {

namespace {

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool RemoveFile(const std::string& path, std::string* error) {
  return ::unlink(path.c_str()) == 0 || ReportPathError(error, path, errno);
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
