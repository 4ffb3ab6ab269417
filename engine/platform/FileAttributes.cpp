#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>

#include "engine/platform/ArchiveMark.h"
#include "engine/platform/Files.h"
#include "engine/platform/SystemError.h"

namespace kivo::platform {

namespace {

constexpr mode_t kAllWrite = S_IWUSR | S_IWGRP | S_IWOTH;

// Returns an errno value, 0 on success.
int WriteArchiveMark(const std::string& path, const struct stat& st, bool archive) {
  if (archive) {
    return ::removexattr(path.c_str(), kArchiveMarkName) == 0 || errno == ENODATA ? 0 : errno;
  }
  const std::string text = ArchiveMarkText(st);
  return ::setxattr(path.c_str(), kArchiveMarkName, text.data(), text.size(), 0) == 0 ? 0 : errno;
}

}  // namespace

bool SetFileAttributes(const std::string& path, std::uint32_t attributes, std::string* error) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return ReportPathError(error, path, errno);

  const mode_t current = st.st_mode & 07777;
  // Clearing read-only gives write access back to the owner only: widening it to group and
  // others would be a change the user never asked for.
  const mode_t wanted = (attributes & kAttrReadOnly) ? current & ~kAllWrite : current | S_IWUSR;

  bool lent = false;
  if (!S_ISDIR(st.st_mode)) {
    // The mark is a user extended attribute, which only a writer may change: lend the owner
    // write access for the moment of marking.
    if (!(current & S_IWUSR)) {
      if (::chmod(path.c_str(), current | S_IWUSR) != 0) return ReportPathError(error, path, errno);
      lent = true;
    }
    const int err = WriteArchiveMark(path, st, (attributes & kAttrArchive) != 0);
    if (err != 0) {
      if (lent) ::chmod(path.c_str(), current);
      return ReportPathError(error, path, err);
    }
  }
  if ((wanted != current || lent) && ::chmod(path.c_str(), wanted) != 0) {
    return ReportPathError(error, path, errno);
  }
  return true;
}

bool SetFileTime(const std::string& path, std::int64_t mtime, std::string* error) {
  const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(mtime), 0}};
  if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) return ReportPathError(error, path, errno);
  return true;
}

}  // namespace kivo::platform
