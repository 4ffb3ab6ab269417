#include "engine/platform/ArchiveMark.h"

#include <sys/xattr.h>

#include <cerrno>

#include <fmt/format.h>

#include "engine/platform/Files.h"

namespace kivo::platform {

std::string ArchiveMarkText(const struct stat& st) {
  return fmt::format("{}.{:09}", static_cast<long long>(st.st_mtim.tv_sec),
                     static_cast<long>(st.st_mtim.tv_nsec));
}

ArchiveState ReadArchiveMark(const std::string& path, const struct stat& st) {
  char value[64];
  const ssize_t length = ::getxattr(path.c_str(), kArchiveMarkName, value, sizeof value);
  if (length < 0) {
    // No mark, a mark too long to be ours, or no permission to read it: all mean the file
    // still needs recording, which is the safe side.
    return errno == ENOTSUP ? ArchiveState::Unsupported : ArchiveState::Set;
  }
  const std::string_view mark(value, static_cast<std::size_t>(length));
  return mark == ArchiveMarkText(st) ? ArchiveState::Cleared : ArchiveState::Set;
}

bool ArchiveMarksSupported(const std::string& path) {
  char value[64];
  return ::getxattr(path.c_str(), kArchiveMarkName, value, sizeof value) >= 0 || errno != ENOTSUP;
}

}  // namespace kivo::platform
