// A lock file: an advisory lock on a whole file between processes. The system drops it when
// its holder ends in any way, a hard kill included, so it never outlives a crashed process.
#pragma once

#include <string>

namespace kivo::platform {

class FileLock {
 public:
  enum class Kind { Shared, Exclusive };

  FileLock() = default;
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Opens (and creates) the file that carries the lock; "<path>: <reason>" in *error on failure.
  bool Open(const std::string& path, std::string* error = nullptr);
  void Close();  // drops the lock with the file
  bool IsOpen() const { return handle_ >= 0; }

  // Takes the lock, waiting for other holders when wait is set; without it, false when
  // another process holds a lock that excludes this one.
  bool Lock(Kind kind, bool wait);
  void Unlock();

 private:
  int handle_ = -1;
};

}  // namespace kivo::platform
