#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "engine/platform/FileTransfer.h"
#include "engine/platform/Files.h"
#include "engine/platform/SystemError.h"

namespace kivo::platform {

static_assert(sizeof(off_t) == 8, "file positions must be 64 bits wide");

ReadableFile CheckReadableFile(const std::string& path, std::int64_t* size, std::string* error) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    ReportPathError(error, path, errno);
    return ReadableFile::Unreadable;
  }
  if (!S_ISREG(st.st_mode)) return ReadableFile::NotRegular;
  // The permission check that opening would make, without an open and a close per file: a
  // compilation of 600000 files is asked before every recording.
  if (::faccessat(AT_FDCWD, path.c_str(), R_OK, AT_EACCESS) != 0) {
    ReportPathError(error, path, errno);
    return ReadableFile::Unreadable;
  }
  if (size != nullptr) *size = st.st_size;
  return ReadableFile::Yes;
}

bool File::Open(const std::string& path, Mode mode) {
  Close();
  path_ = path;
  error_.clear();
  int flags = O_CLOEXEC;
  switch (mode) {
    case Mode::Read: flags |= O_RDONLY; break;
    case Mode::ReadWrite: flags |= O_RDWR; break;
    case Mode::Create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case Mode::CreateNew: flags |= O_RDWR | O_CREAT | O_EXCL; break;
  }
  do {
    fd_ = ::open(path.c_str(), flags, 0666);
  } while (fd_ < 0 && errno == EINTR);
  return fd_ >= 0 || Fail(errno);
}

bool File::Close() {
  if (fd_ < 0) return true;
  // No retry on EINTR: Linux releases the descriptor whatever close reports.
  const bool closed = ::close(fd_) == 0 || Fail(errno);
  fd_ = -1;
  return closed;
}

std::int64_t File::Read(void* buffer, std::int64_t count) {
  auto* bytes = static_cast<char*>(buffer);
  return Transfer(count, [&](std::int64_t done, std::size_t n) { return ::read(fd_, bytes + done, n); });
}

std::int64_t File::ReadScattered(std::span<const std::span<std::uint8_t>> pieces) {
  std::vector<iovec> vectors;
  std::int64_t total = 0;
  for (const auto& piece : pieces) {
    if (piece.empty()) continue;
    vectors.push_back({piece.data(), piece.size()});
    total += static_cast<std::int64_t>(piece.size());
  }
  std::size_t first = 0;      // the first piece not yet filled
  std::int64_t passed = 0;    // bytes of the pieces before it, and of its filled part
  return Transfer(total, [&](std::int64_t done, std::size_t) {
    // A short read leaves the pieces it filled behind and the one it filled in part trimmed.
    while (passed < done) {
      const auto take = static_cast<std::size_t>(std::min<std::int64_t>(done - passed, vectors[first].iov_len));
      vectors[first].iov_base = static_cast<std::uint8_t*>(vectors[first].iov_base) + take;
      vectors[first].iov_len -= take;
      passed += static_cast<std::int64_t>(take);
      if (vectors[first].iov_len == 0) ++first;
    }
    const auto count = static_cast<int>(std::min<std::size_t>(vectors.size() - first, IOV_MAX));
    return ::readv(fd_, vectors.data() + first, count);
  });
}

std::int64_t File::Write(const void* buffer, std::int64_t count) {
  const auto* bytes = static_cast<const char*>(buffer);
  const std::int64_t done = Transfer(
      count, [&](std::int64_t d, std::size_t n) { return ::write(fd_, bytes + d, n); });
  if (done < count && error_.empty()) Fail(EIO);  // no progress without a reason given
  return done;
}

std::int64_t File::ReadAt(void* buffer, std::int64_t count, std::int64_t position) {
  auto* bytes = static_cast<char*>(buffer);
  return Transfer(count, [&](std::int64_t done, std::size_t n) {
    return ::pread(fd_, bytes + done, n, position + done);
  });
}

std::int64_t File::WriteAt(const void* buffer, std::int64_t count, std::int64_t position) {
  const auto* bytes = static_cast<const char*>(buffer);
  const std::int64_t done = Transfer(count, [&](std::int64_t d, std::size_t n) {
    return ::pwrite(fd_, bytes + d, n, position + d);
  });
  if (done < count && error_.empty()) Fail(EIO);
  return done;
}

std::int64_t File::Seek(std::int64_t offset, Origin origin) {
  static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  const off_t position = ::lseek(fd_, offset, kWhence[static_cast<int>(origin)]);
  if (position < 0) {
    Fail(errno);
    return -1;
  }
  return position;
}

std::int64_t File::Size() const {
  struct stat st {};
  return ::fstat(fd_, &st) == 0 ? st.st_size : -1;
}

FileVersion File::Version() const {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return {};
  return {st.st_size, std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec};
}

bool File::SetSize(std::int64_t size) {
  int rc;
  do {
    rc = ::ftruncate(fd_, size);
  } while (rc != 0 && errno == EINTR);
  return rc == 0 || Fail(errno);
}

bool File::PunchHole(std::int64_t position, std::int64_t count) {
  int rc;
  do {
    rc = ::fallocate(fd_, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, position, count);
  } while (rc != 0 && errno == EINTR);
  return rc == 0 || Fail(errno);
}

void File::AnnounceRead(std::int64_t bytes) {
  (void)::posix_fadvise(fd_, 0, static_cast<off_t>(bytes), POSIX_FADV_WILLNEED);
}

bool File::Flush() { return ::fsync(fd_) == 0 || Fail(errno); }

}  // namespace kivo::platform
