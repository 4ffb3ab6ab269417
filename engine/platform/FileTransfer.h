// The loop that every read and write of a File runs, whatever the system's call.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "engine/platform/Files.h"

namespace kivo::platform {

// One system call moves at most this much; larger requests are split.
inline constexpr std::int64_t kMaxChunk = std::int64_t{1} << 30;

// A step moves up to n bytes after the first done ones and returns how many it moved, or -1
// with errno set (EINTR: to be tried again). Each transfer starts with a clean LastError, so
// that a short count with no error text can only mean the end of the file.
template <typename Step>
std::int64_t File::Transfer(std::int64_t count, Step step) {
  error_.clear();
  if (fd_ < 0 || count < 0) {
    Fail(fd_ < 0 ? EBADF : EINVAL);
    return 0;
  }
  std::int64_t done = 0;
  while (done < count) {
    const auto n = step(done, static_cast<std::size_t>(std::min(count - done, kMaxChunk)));
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
      break;
    }
    if (n == 0) break;
    done += n;
  }
  return done;
}

}  // namespace kivo::platform
