#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>

#include "engine/platform/ArchiveMark.h"
#include "engine/platform/Files.h"
#include "engine/platform/ListingOrder.h"
#include "engine/platform/ShortAlias.h"
#include "engine/platform/SystemError.h"

namespace kivo::platform {

namespace {

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

std::string LastComponent(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos || path.size() == 1 ? path : path.substr(slash + 1);
}

// Everything but the alias. Returns an errno value, 0 on success.
int FillEntry(int dirFd, const std::string& fullPath, const char* statName, DirEntry& entry,
              bool& marksSupported) {
  struct stat st {};
  bool dangling = false;
  if (::fstatat(dirFd, statName, &st, 0) != 0) {
    const int err = errno;
    dangling = (err == ENOENT || err == ELOOP) &&
               ::fstatat(dirFd, statName, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
    if (!dangling) return err;
  }

  entry.attributes = 0;
  if (!(st.st_mode & S_IWUSR)) entry.attributes |= kAttrReadOnly;
  if (entry.name.starts_with('.')) entry.attributes |= kAttrHidden;
  if (dangling) {
    // A link that leads nowhere: a file with nothing in it, dated by the link itself.
    entry.attributes |= kAttrArchive;
    entry.size = 0;
    entry.kind = SourceKind::BrokenLink;
  } else if (S_ISDIR(st.st_mode)) {
    entry.attributes |= kAttrDirectory;
    entry.size = 0;
    entry.kind = SourceKind::Directory;
  } else {
    entry.kind = S_ISREG(st.st_mode) ? SourceKind::Regular : SourceKind::Special;
    entry.size = static_cast<std::uint64_t>(st.st_size);
    const ArchiveState state = ReadArchiveMark(fullPath, st);
    if (state == ArchiveState::Unsupported) marksSupported = false;
    if (state != ArchiveState::Cleared) entry.attributes |= kAttrArchive;
  }
  entry.mtime = st.st_mtim.tv_sec;
  entry.mtimeNanoseconds = static_cast<std::int32_t>(st.st_mtim.tv_nsec);
  return 0;
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

DirListing ListDirectory(const std::string& path) {
  DirListing listing;
  std::unique_ptr<DIR, DirCloser> dir(::opendir(path.c_str()));
  if (!dir) {
    listing.error = PathErrorText(path, errno);
    return listing;
  }

  const int dirFd = ::dirfd(dir.get());
  for (;;) {
    errno = 0;
    const dirent* d = ::readdir(dir.get());
    if (d == nullptr) {
      if (errno != 0) listing.error = PathErrorText(path, errno);
      break;
    }
    const std::string_view name(d->d_name);
    if (name == "." || name == "..") continue;

    DirEntry entry;
    entry.name = d->d_name;
    const std::string fullPath = JoinPath(path, entry.name);
    const int err = FillEntry(dirFd, fullPath, d->d_name, entry, listing.archiveMarksSupported);
    if (err == ENOENT) continue;  // removed while we were reading: it is simply not there
    if (err != 0) {
      listing.error = PathErrorText(fullPath, err);
      break;
    }
    listing.entries.push_back(std::move(entry));
  }
  if (!listing.ok()) {
    listing.entries.clear();
    return listing;
  }

  SortByUpperName(listing.entries);

  // Names that are their own short names claim them before any alias is handed out, as they
  // would on a file system that keeps both.
  ShortAliasTable aliases;
  for (const DirEntry& e : listing.entries) {
    if (IsExactShortName(e.name)) aliases.Reserve(e.name);
  }
  for (DirEntry& e : listing.entries) e.alias = aliases.Make(e.name);
  return listing;
}

std::optional<DirEntry> StatPath(const std::string& path, std::string* error) {
  DirEntry entry;
  entry.name = LastComponent(path);
  bool marksSupported = true;
  const int err = FillEntry(AT_FDCWD, path, path.c_str(), entry, marksSupported);
  if (err != 0) {
    if (error) *error = PathErrorText(path, err);
    return std::nullopt;
  }
  entry.alias = MakeShortAlias(entry.name, {});
  return entry;
}

std::optional<FileId> GetFileId(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

}  // namespace kivo::platform
