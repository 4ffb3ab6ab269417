#include "engine/platform/ReadAhead.h"

#include <algorithm>
#include <utility>

namespace kivo::platform {

ReadAhead::ReadAhead(std::vector<Source> sources) : sources_(std::move(sources)), prepared_(kFilesAhead + 1) {
  announcedBefore_.reserve(sources_.size() + 1);
  std::int64_t total = 0;
  for (const Source& s : sources_) {
    announcedBefore_.push_back(total);
    total += std::min(s.bytes, kLargestAnnouncement);
  }
  announcedBefore_.push_back(total);
  if (!sources_.empty()) thread_ = std::thread([this] { Run(); });
}

ReadAhead::~ReadAhead() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  moved_.notify_all();
  if (thread_.joinable()) thread_.join();
}

File ReadAhead::Take(std::size_t index) {
  File file;
  bool wake = false;
  {
    std::lock_guard lock(mutex_);
    reached_ = std::max(reached_, index);
    Prepared& slot = prepared_[index % prepared_.size()];
    if (slot.index == index && slot.file.IsOpen()) file = std::move(slot.file);
    // The announcer is woken once half of its lead is used up, not for every file: on a warm
    // cache a wake-up per file would cost more than the announcements save.
    wake = next_ < sources_.size() && MayAnnounce(2);
  }
  if (wake) moved_.notify_one();
  return file;
}

bool ReadAhead::MayAnnounce(std::size_t share) const {
  // A file the reader has come to is being read already: it is passed over.
  if (next_ <= reached_) return true;
  return next_ - reached_ <= kFilesAhead / share &&
         announcedBefore_[next_] - announcedBefore_[reached_] < kBytesAhead / static_cast<std::int64_t>(share);
}

void ReadAhead::Run() {
  std::unique_lock lock(mutex_);
  while (true) {
    moved_.wait(lock, [this] { return stop_ || (next_ < sources_.size() && MayAnnounce(1)); });
    if (stop_) return;
    next_ = std::max(next_, reached_ + 1);
    if (next_ >= sources_.size()) continue;
    const std::size_t index = next_++;
    const Source source = sources_[index];
    lock.unlock();
    File file;
    if (file.Open(*source.path, File::Mode::Read)) file.AnnounceRead(std::min(source.bytes, kLargestAnnouncement));
    lock.lock();
    // The reader may have passed it meanwhile; then it has opened the file itself.
    if (index > reached_) prepared_[index % prepared_.size()] = {index, std::move(file)};
  }
}

}  // namespace kivo::platform
