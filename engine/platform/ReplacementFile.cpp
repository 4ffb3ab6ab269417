#include "engine/platform/ReplacementFile.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>

#include "engine/platform/SystemError.h"

namespace kivo::platform {

namespace {

// Temporary files still open when the process is ended by a signal. The handler may only do
// what is safe there: it reads fixed buffers and calls unlink.
struct CleanupSlot {
  std::atomic<bool> claimed{false};
  std::atomic<bool> ready{false};
  char path[PATH_MAX] = {};
};
std::array<CleanupSlot, 16> cleanupSlots;
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RemoveTemporariesAndEnd(int signal) {
  for (CleanupSlot& slot : cleanupSlots) {
    if (slot.ready.load()) ::unlink(slot.path);
  }
  // The ending the signal would have had: the exit status still tells the caller what happened.
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

// Only a signal nobody else handles or ignores gets the handler: a caller that catches Ctrl-C
// to stop cleanly (a recording) keeps its own.
void InstallCleanupHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int signal : kEndingSignals) {
      struct sigaction current {};
      if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
      struct sigaction action {};
      action.sa_handler = RemoveTemporariesAndEnd;
      sigemptyset(&action.sa_mask);
      ::sigaction(signal, &action, nullptr);
    }
  });
}

// A slot for path, or -1 when all are taken (the file is then only removed by the destructor)
// or the path is too long for one.
int ClaimCleanupSlot(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  InstallCleanupHandlers();
  for (std::size_t i = 0; i < cleanupSlots.size(); ++i) {
    CleanupSlot& slot = cleanupSlots[i];
    if (slot.claimed.exchange(true)) continue;
    std::memcpy(slot.path, path.c_str(), path.size() + 1);
    slot.ready.store(true);
    return static_cast<int>(i);
  }
  return -1;
}

void ReleaseCleanupSlot(int index) {
  if (index < 0) return;
  cleanupSlots[static_cast<std::size_t>(index)].ready.store(false);
  cleanupSlots[static_cast<std::size_t>(index)].claimed.store(false);
}

// The file a chain of links ends at; the path itself when it is no link.
std::string LinkDestination(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  return ResolvedPath(path);
}

// Flushes the folder, where a rename lives: without this a crash can bring back the old file.
int SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  // Some file systems cannot sync a folder at all (EINVAL); there is nothing more to do there.
  const int err = ::fsync(fd) != 0 && errno != EINVAL ? errno : 0;
  ::close(fd);
  return err;
}

}  // namespace


bool ReplacementFile::Create(const std::string& target, Links links) {
  Discard();
  error_.clear();
  target_ = links == Links::Follow ? LinkDestination(target) : target;
  struct stat old {};
  const bool existed = ::lstat(target_.c_str(), &old) == 0;
  if (existed && S_ISDIR(old.st_mode)) return Fail(target_, EISDIR);
  if (existed && links == Links::Follow && !S_ISREG(old.st_mode)) {
    if (file_.Open(target_, File::Mode::Create)) return true;
    error_ = file_.LastError();
    return false;
  }

  static std::atomic<unsigned> counter{0};
  for (int attempt = 0;; ++attempt) {
    const std::string name = target_ + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    // The slot is claimed before the file exists, so that no moment leaves it unlisted.
    cleanupSlot_ = ClaimCleanupSlot(name);
    if (file_.Open(name, File::Mode::CreateNew)) {
      temp_ = name;
      break;
    }
    const int err = errno;
    ReleaseCleanupSlot(std::exchange(cleanupSlot_, -1));
    // A name taken by a leftover of an earlier crash is skipped.
    if (err != EEXIST || attempt == 100) return Fail(target_, err);
  }
  // The user knows the target, not the temporary name.
  file_.NameInErrors(target_);
  if (existed && S_ISREG(old.st_mode) && ::chmod(temp_.c_str(), old.st_mode & 07777) != 0) {
    const int err = errno;
    Discard();
    return Fail(target_, err);
  }
  return true;
}

bool ReplacementFile::Commit() {
  if (!MakeDurable()) return false;
  if (temp_.empty()) return true;
  if (::rename(temp_.c_str(), target_.c_str()) != 0) {
    const int err = errno;
    Discard();
    return Fail(target_, err);
  }
  temp_.clear();
  ReleaseCleanupSlot(std::exchange(cleanupSlot_, -1));
  const std::string folder = ParentFolder(target_);
  const int err = SyncFolder(folder);
  return err == 0 || Fail(folder, err);
}

void ReplacementFile::Discard() {
  file_.Close();
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
  ReleaseCleanupSlot(std::exchange(cleanupSlot_, -1));
}

}  // namespace kivo::platform
