#include "engine/record/CacheQueue.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace kivo {

namespace {

// 1 MiB of DVD blocks: a drive's buffer covers many times that while the writer waits for it.
constexpr std::size_t kLargestWakeBatch = 16;

}  // namespace

CacheQueue::CacheQueue(std::int32_t blockSize, std::int32_t blockLimit, std::int64_t bytesToDeliver)
    : blockSize_(blockSize),
      // A cache smaller than two blocks would leave no room at all; one queued block keeps the
      // producer and the consumer alternating instead of waiting for each other for ever.
      roomLimit_(static_cast<std::size_t>(std::max(blockLimit - 1, 1))),
      wakeBatch_(std::clamp<std::size_t>(roomLimit_ / 4, 1, kLargestWakeBatch)),
      bytesToDeliver_(bytesToDeliver) {}

CacheBlock CacheQueue::NewBlock() {
  {
    std::lock_guard lock(mutex_);
    if (!spares_.empty()) {
      CacheBlock block = std::move(spares_.back());
      spares_.pop_back();
      return block;
    }
  }
  return CacheBlock{std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(blockSize_)), 0};
}

std::size_t CacheQueue::Publish(CacheBlock* full, std::int64_t produced) {
  std::lock_guard lock(mutex_);
  bytesHeld_ += produced;
  if (full != nullptr) {
    blocks_.push_back(std::move(*full));
    if (blocks_.size() >= wakeBatch_) consumerWake_.notify_one();
  }
  return blocks_.size();
}

void CacheQueue::AddToDeliver(std::int64_t extra) {
  std::lock_guard lock(mutex_);
  bytesToDeliver_ += extra;
}

bool CacheQueue::Full() const {
  std::lock_guard lock(mutex_);
  return FullLocked();
}

std::size_t CacheQueue::Room() const {
  std::lock_guard lock(mutex_);
  return FullLocked() ? 0 : roomLimit_ - blocks_.size();
}

bool CacheQueue::WaitForRoom() {
  std::unique_lock lock(mutex_);
  // The writer is started once the cache is primed: a queue that has filled up once holds as
  // much as it ever will before the writer takes from it.
  if (FullLocked()) {
    if (!primed_.exchange(true)) consumerWake_.notify_all();
    producerWake_.wait(lock, [this] { return abortRequested_.load() || blocks_.size() + wakeBatch_ <= roomLimit_; });
  }
  return !abortRequested_;
}

void CacheQueue::CompleteProduction() {
  std::lock_guard lock(mutex_);
  primed_ = true;
  if (blocks_.empty()) {
    EndLocked(Production::Delivered);
  } else {
    state_ = Production::Queued;
    consumerWake_.notify_all();
  }
}

bool CacheQueue::WaitForDelivery() {
  std::unique_lock lock(mutex_);
  producerWake_.wait(lock, [this] { return state_ == Production::Delivered || abortRequested_.load(); });
  return state_ == Production::Delivered;
}

void CacheQueue::Fail(const std::string& status) {
  std::lock_guard lock(mutex_);
  SetStatusIfEmptyLocked(status);
  EndLocked(Production::Failed);
}

void CacheQueue::AbortProduction(const std::string& status) {
  std::lock_guard lock(mutex_);
  blocks_.clear();
  bytesHeld_ = 0;
  SetStatusIfEmptyLocked(status);
  EndLocked(Production::Aborted);
}

void CacheQueue::AbortDelivery() {
  std::lock_guard lock(mutex_);
  EndLocked(Production::Aborted);
}

std::int32_t CacheQueue::Take(CacheBlock& block) {
  bool roomForBatch = false;
  {
    std::lock_guard lock(mutex_);
    // Once the consumer has given up, nothing more is handed out, whether or not the producer
    // has already dropped the queue.
    if (abortRequested_) return 0;
    if (blocks_.empty()) return Finished() ? 0 : -1;
    block = std::move(blocks_.front());
    blocks_.pop_front();
    bytesHeld_ -= block.Length;
    bytesToDeliver_ -= block.Length;
    if (blocks_.empty() && state_ == Production::Queued) EndLocked(Production::Delivered);
    roomForBatch = blocks_.size() + wakeBatch_ <= roomLimit_;
  }
  if (roomForBatch) producerWake_.notify_one();
  return block.Length;
}

std::int32_t CacheQueue::Take(void* buffer) {
  CacheBlock block;
  const std::int32_t n = Take(block);
  if (n <= 0) return n;
  // The block is the consumer's alone now, so the copy runs outside the lock.
  std::memcpy(buffer, block.Data.get(), static_cast<std::size_t>(n));
  Recycle(std::move(block));
  return n;
}

void CacheQueue::Recycle(CacheBlock block) {
  // Kept for the producer: a fresh allocation per block brings page faults and heap trimming
  // that, with the sources in the page cache, cost about half the throughput.
  std::lock_guard lock(mutex_);
  spares_.push_back(std::move(block));
}

bool CacheQueue::WaitForBlock(long timeoutMs) {
  std::unique_lock lock(mutex_);
  return consumerWake_.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0L)), [this] {
    return blocks_.size() >= wakeBatch_ || state_ != Production::Running || abortRequested_.load();
  });
}

bool CacheQueue::WaitUntilPrimed(long timeoutMs) {
  std::unique_lock lock(mutex_);
  return consumerWake_.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0L)),
                                [this] { return primed_.load() || Finished() || abortRequested_.load(); });
}

void CacheQueue::RequestAbort() {
  {
    std::lock_guard lock(mutex_);
    abortRequested_ = true;
  }
  producerWake_.notify_all();
  consumerWake_.notify_all();
}

std::string CacheQueue::Status() const {
  std::lock_guard lock(mutex_);
  return status_;
}

void CacheQueue::SetStatus(const std::string& status) {
  std::lock_guard lock(mutex_);
  status_ = status;
}

std::int64_t CacheQueue::Unproduced() const {
  std::lock_guard lock(mutex_);
  return bytesToDeliver_ - bytesHeld_;
}

bool CacheQueue::Finished() const {
  const Production state = state_.load();
  return state != Production::Running && state != Production::Queued;
}

std::size_t CacheQueue::QueuedBlocks() const {
  std::lock_guard lock(mutex_);
  return blocks_.size();
}

void CacheQueue::EndLocked(Production end) {
  state_ = end;
  consumerWake_.notify_all();
  producerWake_.notify_all();
}

void CacheQueue::SetStatusIfEmptyLocked(const std::string& status) {
  // The first reason is the one that ended the recording; a later one is only its echo.
  if (status_.empty()) status_ = status;
}

}  // namespace kivo
