// The bounded queue between the cache thread (the only producer) and the writer (the only
// consumer). One mutex guards the blocks, the status text and the end states; the producer
// sleeps on a condition variable while the queue is full and the consumer may sleep on another
// until blocks arrive, so neither side polls. Each side wakes the other a batch of blocks at a
// time, not for every block: a thread switch per 64 KiB costs more than the copy from the page
// cache.
//
// The writer calls Take while it holds the burner's recording lock. The queue never takes that
// lock, and nothing here waits while holding its own mutex except on its condition variables,
// so a consumer holding the recording lock can never be stalled by the producer.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kivo {

// One write command's worth of sectors. Only the first Length bytes are data.
struct CacheBlock {
  std::unique_ptr<std::uint8_t[]> Data;
  std::int32_t Length = 0;
};

class CacheQueue {
 public:
  // Where production stands. The last three are end states: nothing more will be queued.
  enum class Production {
    Running,    // still reading sources
    Queued,     // everything is queued; the consumer is still taking it
    Delivered,  // the consumer has taken everything
    Failed,     // a source failed; what was queued stays takeable, Status says why
    Aborted,    // the consumer gave up
  };

  // blockLimit bounds the queue: the producer waits while it holds blockLimit - 1 blocks (one
  // more is being assembled). bytesToDeliver is what the consumer is meant to take in all.
  CacheQueue(std::int32_t blockSize, std::int32_t blockLimit, std::int64_t bytesToDeliver);

  // --- producer ---

  // A block of the queue's block size, its contents undefined (the producer fills every byte).
  // Blocks the consumer has emptied are used again.
  CacheBlock NewBlock();
  // Counts produced more bytes as held and, when full is given, queues that block. Returns the
  // queue length afterwards.
  std::size_t Publish(CacheBlock* full, std::int64_t produced);
  // The consumer is to take extra bytes beyond the image (the post-gap).
  void AddToDeliver(std::int64_t extra);
  bool Full() const;
  // Blocks that can still be queued before the queue is full.
  std::size_t Room() const;
  // Sleeps while the queue is full, until a batch of blocks has been taken. False when the
  // consumer asked to abort.
  bool WaitForRoom();
  // Everything is queued: the queue counts as primed and the consumer may drain it.
  void CompleteProduction();
  // Sleeps until the consumer has taken everything (true) or asked to abort (false).
  bool WaitForDelivery();
  // A source failed: status becomes the recording's result unless one is already set.
  void Fail(const std::string& status);
  // The abort procedure while producing: the queue is emptied and status becomes the
  // recording's result unless one is already set.
  void AbortProduction(const std::string& status);
  // An abort after everything was queued: the queue stays as it is, the status unchanged.
  void AbortDelivery();

  // --- consumer ---

  // Moves the oldest block into buffer (which holds at least the block size) and returns its
  // length; -1 when nothing is queued yet; 0 at the end of data or once an abort was asked for.
  std::int32_t Take(void* buffer);
  // The same, handing over the block itself instead of a copy; give it back with Recycle.
  std::int32_t Take(CacheBlock& block);
  void Recycle(CacheBlock block);
  // Sleeps up to timeoutMs until a batch of blocks is queued or production has ended; whatever
  // is queued can be taken after the time-out. Call it without the recording lock.
  bool WaitForBlock(long timeoutMs);
  // Sleeps up to timeoutMs until the queue is primed or production has ended.
  bool WaitUntilPrimed(long timeoutMs);
  void RequestAbort();

  // --- anyone ---

  std::string Status() const;
  void SetStatus(const std::string& status);
  Production State() const { return state_.load(); }
  bool Finished() const;
  bool Primed() const { return primed_.load(); }
  bool AbortRequested() const { return abortRequested_.load(); }
  std::int64_t BytesHeld() const { return bytesHeld_.load(); }
  std::int64_t BytesToDeliver() const { return bytesToDeliver_.load(); }
  // Bytes promised to the consumer that were never queued: what the producer fell short by.
  std::int64_t Unproduced() const;
  std::int32_t BlockSize() const { return blockSize_; }
  std::size_t QueuedBlocks() const;

 private:
  bool FullLocked() const { return blocks_.size() >= roomLimit_; }
  void EndLocked(Production end);
  void SetStatusIfEmptyLocked(const std::string& status);

  const std::int32_t blockSize_;
  const std::size_t roomLimit_;
  const std::size_t wakeBatch_;  // blocks a sleeping side waits for, at most a quarter of the room

  mutable std::mutex mutex_;
  std::condition_variable producerWake_;  // room, delivery or abort
  std::condition_variable consumerWake_;  // a block or an end state
  std::deque<CacheBlock> blocks_;         // oldest first
  std::string status_;
  std::vector<CacheBlock> spares_;        // emptied by the consumer, for NewBlock

  std::atomic<Production> state_{Production::Running};
  std::atomic<bool> primed_{false};
  std::atomic<bool> abortRequested_{false};
  std::atomic<std::int64_t> bytesHeld_{0};
  std::atomic<std::int64_t> bytesToDeliver_;
};

}  // namespace kivo
