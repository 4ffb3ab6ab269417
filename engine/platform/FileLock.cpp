#include "engine/platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "engine/platform/SystemError.h"

namespace kivo::platform {

FileLock::~FileLock() { Close(); }

bool FileLock::Open(const std::string& path, std::string* error) {
  Close();
  handle_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  return handle_ >= 0 || ReportPathError(error, path, errno);
}

void FileLock::Close() {
  if (handle_ >= 0) ::close(handle_);
  handle_ = -1;
}

bool FileLock::Lock(Kind kind, bool wait) {
  const int operation = (kind == Kind::Exclusive ? LOCK_EX : LOCK_SH) | (wait ? 0 : LOCK_NB);
  int rc;
  do {
    rc = ::flock(handle_, operation);
  } while (rc != 0 && errno == EINTR);
  return rc == 0;
}

void FileLock::Unlock() { ::flock(handle_, LOCK_UN); }

}  // namespace kivo::platform
