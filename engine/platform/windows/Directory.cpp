// Directory search with FindFirstFileW: the long name, the file system's own 8.3 alias and the
// real attributes, archive bit included.
#include <algorithm>
#include <cerrno>
#include <memory>

#include "engine/platform/Files.h"
#include "engine/platform/ListingOrder.h"
#include "engine/platform/ShortAlias.h"
#include "engine/platform/SystemError.h"
#include "engine/platform/Text.h"
#include "engine/platform/windows/Win32.h"

namespace kivo::platform {

namespace {

struct FindCloser {
  void operator()(HANDLE find) const { ::FindClose(find); }
};
using FindHandle = std::unique_ptr<void, FindCloser>;

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return dir.back() == '/' || dir.back() == '\\' ? dir + name : dir + "/" + name;
}

std::string LastComponent(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos || path.size() == 1 ? path : path.substr(slash + 1);
}

// What a symbolic link or junction leads to, opened as the reader would open it. Empty when it
// leads nowhere.
std::optional<BY_HANDLE_FILE_INFORMATION> FollowLink(const std::string& path) {
  const HANDLE handle = ::CreateFileW(win32::WidePath(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool got = ::GetFileInformationByHandle(handle, &info);
  ::CloseHandle(handle);
  if (!got) return std::nullopt;
  return info;
}

void SetTimes(DirEntry& entry, const FILETIME& lastWrite) {
  const std::int64_t ns = win32::UnixNanosecondsOf(lastWrite);
  constexpr std::int64_t kSecond = 1'000'000'000;
  entry.mtime = ns >= 0 ? ns / kSecond : -((-ns + kSecond - 1) / kSecond);
  entry.mtimeNanoseconds = static_cast<std::int32_t>(ns - entry.mtime * kSecond);
}

// Everything but the alias, from what the search found at fullPath.
DirEntry EntryOf(const WIN32_FIND_DATAW& found, const std::string& fullPath) {
  DirEntry entry;
  entry.name = win32::Narrow(found.cFileName);
  entry.alias = win32::Narrow(found.cAlternateFileName);
  DWORD attributes = found.dwFileAttributes;
  std::uint64_t size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  FILETIME lastWrite = found.ftLastWriteTime;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    const auto target = FollowLink(fullPath);
    if (!target) {
      // A link that leads nowhere: a file with nothing in it, dated by the link itself.
      entry.attributes = kAttrArchive | (attributes & (kAttrReadOnly | kAttrHidden));
      entry.kind = SourceKind::BrokenLink;
      SetTimes(entry, lastWrite);
      return entry;
    }
    attributes = (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) |
                 (target->dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE));
    size = (static_cast<std::uint64_t>(target->nFileSizeHigh) << 32) | target->nFileSizeLow;
    lastWrite = target->ftLastWriteTime;
  }
  entry.attributes = attributes & (kAttrReadOnly | kAttrHidden | kAttrDirectory | kAttrArchive);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    entry.kind = SourceKind::Directory;
    entry.size = 0;
  } else {
    entry.kind = (attributes & FILE_ATTRIBUTE_DEVICE) ? SourceKind::Special : SourceKind::Regular;
    entry.size = size;
  }
  SetTimes(entry, lastWrite);
  return entry;
}

// Each entry comes with the file system's alias. Where it keeps none (8.3 names switched off,
// or a name that already fits apart from its case) one is made the way it would have made it.
void CompleteAliases(std::vector<DirEntry>& entries) {
  ShortAliasTable table;
  for (const DirEntry& e : entries) {
    if (!e.alias.empty()) table.Reserve(UpperAscii(e.alias));
    if (IsExactShortName(e.name)) table.Reserve(e.name);
  }
  for (DirEntry& e : entries) {
    if (e.alias.empty()) e.alias = table.Make(e.name);
  }
}

}  // namespace

DirListing ListDirectory(const std::string& path) {
  DirListing listing;
  WIN32_FIND_DATAW found{};
  FindHandle find(::FindFirstFileW(win32::WidePath(JoinPath(path, "*")).c_str(), &found));
  if (find.get() == INVALID_HANDLE_VALUE) {
    find.release();
    listing.error = PathErrorText(path, win32::LastErrno());
    return listing;
  }

  do {
    const std::wstring_view name(found.cFileName);
    if (name == L"." || name == L"..") continue;
    listing.entries.push_back(EntryOf(found, JoinPath(path, win32::Narrow(name))));
  } while (::FindNextFileW(find.get(), &found));
  if (const DWORD error = ::GetLastError(); error != ERROR_NO_MORE_FILES) {
    listing.error = PathErrorText(path, win32::ErrnoOf(error));
    listing.entries.clear();
    return listing;
  }

  SortByUpperName(listing.entries);
  CompleteAliases(listing.entries);
  return listing;
}

std::optional<DirEntry> StatPath(const std::string& path, std::string* error) {
  WIN32_FIND_DATAW found{};
  FindHandle find(::FindFirstFileW(win32::WidePath(path).c_str(), &found));
  if (find.get() == INVALID_HANDLE_VALUE) {
    find.release();
    // A drive's root has no entry of its own to find.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(win32::WidePath(path).c_str(), GetFileExInfoStandard, &data)) {
      ReportPathError(error, path, win32::LastErrno());
      return std::nullopt;
    }
    found.dwFileAttributes = data.dwFileAttributes;
    found.ftLastWriteTime = data.ftLastWriteTime;
    found.nFileSizeHigh = data.nFileSizeHigh;
    found.nFileSizeLow = data.nFileSizeLow;
    const std::wstring name = win32::Wide(LastComponent(path));
    name.copy(found.cFileName, std::min<std::size_t>(name.size(), MAX_PATH - 1));
  }
  DirEntry entry = EntryOf(found, path);
  entry.name = LastComponent(path);
  std::vector<DirEntry> one{std::move(entry)};
  CompleteAliases(one);
  return std::move(one.front());
}

std::optional<FileId> GetFileId(const std::string& path) {
  const auto info = FollowLink(path);
  if (!info) return std::nullopt;
  return FileId{info->dwVolumeSerialNumber,
                (static_cast<std::uint64_t>(info->nFileIndexHigh) << 32) | info->nFileIndexLow};
}

}  // namespace kivo::platform
