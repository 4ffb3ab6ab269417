#include "engine/platform/SystemError.h"

#include <system_error>

namespace kivo::platform {

// The errno texts, through strerror_r where there is one, so concurrent callers do not share a
// buffer. Not std::system_category: on Windows that reads the number as a Win32 error code, and
// ENOENT (2) would come out as that code's text, EACCES (13) as "Invalid data".
std::string SystemErrorText(int err) { return std::generic_category().message(err); }

std::string PathErrorText(const std::string& path, int err) {
  return path + ": " + SystemErrorText(err);
}

bool ReportPathError(std::string* error, const std::string& path, int err) {
  if (error) *error = PathErrorText(path, err);
  return false;
}

}  // namespace kivo::platform
