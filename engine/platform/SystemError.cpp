#include "engine/platform/SystemError.h"

#include <system_error>

namespace kivo::platform {

// std::system_category goes through strerror_r, so concurrent callers do not share a buffer.
std::string SystemErrorText(int err) { return std::system_category().message(err); }

std::string PathErrorText(const std::string& path, int err) {
  return path + ": " + SystemErrorText(err);
}

bool ReportPathError(std::string* error, const std::string& path, int err) {
  if (error) *error = PathErrorText(path, err);
  return false;
}

}  // namespace kivo::platform
