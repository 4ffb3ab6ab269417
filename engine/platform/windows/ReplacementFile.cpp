// The new content is written beside the target and moved over it with MoveFileExW, which
// replaces the target in one step and, written through, is on disk when it returns.
#include "engine/platform/ReplacementFile.h"

#include <atomic>
#include <cerrno>
#include <utility>

#include "engine/platform/SystemError.h"
#include "engine/platform/windows/Win32.h"

namespace kivo::platform {

namespace {

DWORD AttributesOf(const std::string& path) { return ::GetFileAttributesW(win32::WidePath(path).c_str()); }

// The file a link or junction leads to; the path itself when it is neither.
std::string LinkDestination(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return path;
  return ResolvedPath(path);
}

}  // namespace


// Permissions on Windows are the folder's inherited access list, which the new file gets by
// being created there; a console interruption leaves at most a ".tmp-" file behind, which the
// next Create skips.
bool ReplacementFile::Create(const std::string& target, Links links) {
  Discard();
  error_.clear();
  target_ = links == Links::Follow ? LinkDestination(target) : target;
  const DWORD old = AttributesOf(target_);
  const bool existed = old != INVALID_FILE_ATTRIBUTES;
  if (existed && (old & FILE_ATTRIBUTE_DIRECTORY)) return Fail(target_, EISDIR);
  if (existed && links == Links::Follow && (old & FILE_ATTRIBUTE_DEVICE)) {
    if (file_.Open(target_, File::Mode::Create)) return true;
    error_ = file_.LastError();
    return false;
  }

  static std::atomic<unsigned> counter{0};
  for (int attempt = 0;; ++attempt) {
    const std::string name =
        target_ + ".tmp-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(counter++);
    if (file_.Open(name, File::Mode::CreateNew)) {
      temp_ = name;
      break;
    }
    const int err = errno;
    // A name taken by a leftover of an earlier crash is skipped.
    if (err != EEXIST || attempt == 100) return Fail(target_, err);
  }
  // The user knows the target, not the temporary name.
  file_.NameInErrors(target_);
  return true;
}

bool ReplacementFile::Commit() {
  if (!MakeDurable()) return false;
  if (temp_.empty()) return true;
  if (!::MoveFileExW(win32::WidePath(temp_).c_str(), win32::WidePath(target_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const int err = win32::LastErrno();
    Discard();
    return Fail(target_, err);
  }
  temp_.clear();
  return true;
}

void ReplacementFile::Discard() {
  file_.Close();
  if (!temp_.empty()) ::DeleteFileW(win32::WidePath(temp_).c_str());
  temp_.clear();
}

}  // namespace kivo::platform
