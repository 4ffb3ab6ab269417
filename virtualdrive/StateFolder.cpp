// The one file of the virtual recorder that calls the operating system directly: the lock,
// the atomic rename and the file stamps have no counterpart in the engine's platform layer.
#include "virtualdrive/StateFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "engine/platform/Files.h"
#include "virtualdrive/Strings.h"

namespace kivo::vdrive {

StateFolder::StateFolder(std::string path) : path_(std::move(path)) {}

StateFolder::~StateFolder() {
  for (int fd : {lockFd_, reserveFd_, probeFd_}) {
    if (fd >= 0) ::close(fd);
  }
}

std::string StateFolder::File(std::string_view name) const { return path_ + "/" + std::string(name); }

bool StateFolder::Open(std::string& error) {
  if (lockFd_ >= 0) return true;
  if (!platform::MakeDirectory(path_, &error)) return false;
  lockFd_ = ::open(File(text::kLockFile).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lockFd_ < 0) {
    error = File(text::kLockFile) + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

StateFolder::Lock::Lock(const StateFolder& folder) : fd_(folder.lockFd_) {
  if (fd_ < 0) return;
  while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
  }
}

StateFolder::Lock::~Lock() {
  if (fd_ >= 0) ::flock(fd_, LOCK_UN);
}

int StateFolder::OpenReservationFile() const {
  return ::open(File(text::kReservationFile).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
}

bool StateFolder::Reserve() {
  if (reserveFd_ >= 0) return true;
  const int fd = OpenReservationFile();
  if (fd < 0) return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  reserveFd_ = fd;
  return true;
}

void StateFolder::Release() {
  if (reserveFd_ < 0) return;
  ::close(reserveFd_);
  reserveFd_ = -1;
}

// A shared lock that cannot be had means an exclusive one is held: by another recorder, since
// this one holds none.
bool StateFolder::ReservedElsewhere() {
  if (reserveFd_ >= 0) return false;
  if (probeFd_ < 0) probeFd_ = OpenReservationFile();
  if (probeFd_ < 0) return false;
  if (::flock(probeFd_, LOCK_SH | LOCK_NB) != 0) return errno == EWOULDBLOCK;
  ::flock(probeFd_, LOCK_UN);
  return false;
}

FileStamp StateFolder::Stamp(std::string_view name) const {
  struct stat st {};
  FileStamp stamp;
  if (::stat(File(name).c_str(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = static_cast<std::uint64_t>(st.st_size);
  stamp.mtimeNs = std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
  return stamp;
}

bool StateFolder::ReadText(std::string_view name, std::string& text, bool& missing, std::string& error) const {
  missing = !Stamp(name).exists;
  if (missing) return false;
  platform::File file;
  if (!file.Open(File(name), platform::File::Mode::Read)) {
    error = file.LastError();
    return false;
  }
  const std::int64_t size = file.Size();
  if (size < 0) {
    error = file.LastError();
    return false;
  }
  text.resize(static_cast<std::size_t>(size));
  if (file.Read(text.data(), size) != size) {
    error = file.LastError();
    return false;
  }
  return true;
}

bool StateFolder::WriteAtomically(std::string_view name, const std::string& text, std::string& error) const {
  const std::string target = File(name);
  const std::string temporary = target + ".tmp";
  platform::File file;
  if (!file.Open(temporary, platform::File::Mode::Create) ||
      file.Write(text.data(), static_cast<std::int64_t>(text.size())) != static_cast<std::int64_t>(text.size())) {
    error = file.LastError();
    return false;
  }
  file.Close();
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    error = target + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

std::string DefaultStateFolder(std::string& error) {
  if (const char* dir = std::getenv(std::string(text::kFolderEnvironment).c_str()); dir && *dir) return dir;
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    error = std::string(text::kNoHome);
    return {};
  }
  return std::string(home) + "/" + std::string(text::kDefaultFolder);
}

}  // namespace kivo::vdrive
