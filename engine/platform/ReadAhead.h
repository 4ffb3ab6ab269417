// Files that are about to be read one after another, opened and announced to the system ahead
// of their reader by a thread of its own. On a cold cache a copy of many small files otherwise
// waits for the disk once per file (its directory entry, its inode, its data); announced, the
// disk fetches the next ones while the current one is copied. The reader takes each file
// already open, so a warm cache pays no second open. Only the timing changes: the files are
// read in the reader's order, by the reader.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/platform/Files.h"

namespace kivo::platform {

class ReadAhead {
 public:
  struct Source {
    const std::string* path;  // must outlive the read-ahead
    std::int64_t bytes;
  };
  // How far ahead of the reader the announcements run: at most this many files, and this many
  // bytes announced but not yet reached. A large file is announced by its first part only:
  // the system reads on ahead of a sequential reader by itself. The files ahead are held open:
  // 256 keeps the disk's queue full on a cold cache of small files and stays far below the
  // usual limit of 1024 open files a process has.
  static constexpr std::size_t kFilesAhead = 256;
  static constexpr std::int64_t kBytesAhead = std::int64_t{64} << 20;
  static constexpr std::int64_t kLargestAnnouncement = std::int64_t{4} << 20;

  explicit ReadAhead(std::vector<Source> sources);
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The reader has come to sources[index] (indexes only grow): the file opened for reading, or
  // a closed one when the announcements had not got that far or it could not be opened; the
  // reader then opens it itself and hears why it fails.
  File Take(std::size_t index);

 private:
  struct Prepared {
    std::size_t index = 0;
    File file;
  };
  void Run();
  // Whether the next file is within 1/share of the lead allowed; under the lock.
  bool MayAnnounce(std::size_t share) const;

  std::vector<Source> sources_;
  std::vector<std::int64_t> announcedBefore_;  // bytes announced for the sources before each
  std::mutex mutex_;
  std::condition_variable moved_;
  std::vector<Prepared> prepared_;  // a ring of kFilesAhead + 1; guarded by mutex_
  std::size_t reached_ = 0;         // guarded by mutex_
  std::size_t next_ = 0;            // the next to announce; guarded by mutex_
  bool stop_ = false;               // guarded by mutex_
  std::thread thread_;
};

}  // namespace kivo::platform
