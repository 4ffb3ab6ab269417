// What a File does the same on every system: it owns its handle, hands it on when moved, and
// words its failures.
#include <cerrno>
#include <utility>

#include "engine/platform/Files.h"
#include "engine/platform/SystemError.h"

namespace kivo::platform {

File::~File() { Close(); }

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      error_(std::move(other.error_)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
    error_ = std::move(other.error_);
  }
  return *this;
}

bool File::Fail(int err) {
  error_ = PathErrorText(path_, err);
  errno = err;  // for a caller that tells the reasons apart
  return false;
}

}  // namespace kivo::platform
