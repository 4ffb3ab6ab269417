// The read-ahead cache: a thread that produces, ahead of the writer, the exact sector sequence
// of one recording (or of one existing image file) and hands it over in blocks of one write
// command each. One exists per recording; the writer is its only consumer and destroys it when
// the recording ends.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/iso/Entries.h"
#include "engine/iso/Streams.h"
#include "engine/record/CacheQueue.h"
#include "engine/record/ContentHash.h"
#include "engine/record/RecordedContent.h"

namespace kivo {

// A write command carries 27 sectors on CD media (what a CD drive takes in one go without
// splitting), 32 on every other medium.
inline constexpr std::int32_t kCdBlockSize = 27 * 2048;
inline constexpr std::int32_t kBlockSize = 32 * 2048;
// The consumer's buffer for GetBlock must hold this many bytes.
inline constexpr std::int32_t kMaxBlockSize = kBlockSize;
// A short session is followed by zero sectors up to 300 sectors when a post-gap is asked for.
inline constexpr std::int64_t kPostGapBytes = 300 * 2048;

std::int32_t BlockSizeForMediaKind(std::uint16_t MediaKind);

// What the starter hands the cache at creation.
struct TCacheSetup {
  std::int32_t CacheSize = 0;
  // Borrowed; the cache empties it once it has streamed it. May be null with ImageFileName.
  TMemoryStreamEx* HeaderStream = nullptr;
  std::int64_t ImageBytes = 0;  // the session's (or the image file's) sectors x 2048
  std::int32_t BootImageSectors = 0;
  std::string BootImagePath;    // empty when the compilation is not bootable
  std::int32_t PaddingSectors = 0;
  bool WritePostGap = false;
  std::int32_t BlockSize = kBlockSize;  // a multiple of 2048, at most kMaxBlockSize
  std::string ImageFileName;    // non-empty: stream this file instead of the compilation
  // The burner's FileList. The entries must stay unchanged until the cache has ended.
  std::vector<TFEntry*> FileList;
  // Log lines of the cache thread (a source that ended early, the system's reason for an open
  // failure). Raised on the cache thread; the writer forwards them to DebugMessage.
  std::function<void(const std::string& Message)> OnMessage;
};

class TCacheThread {
 public:
  // Stores the set-up and starts the thread. Throws std::invalid_argument for a block size
  // that is not a positive multiple of 2048 up to kMaxBlockSize.
  explicit TCacheThread(TCacheSetup Setup);
  // Stops the thread if it still runs and frees every block still queued.
  ~TCacheThread();
  TCacheThread(const TCacheThread&) = delete;
  TCacheThread& operator=(const TCacheThread&) = delete;

  // n > 0: the oldest block's n bytes were moved into Buffer (kMaxBlockSize bytes);
  // -1: nothing queued yet, call again later; 0: end of data, or Abort was called.
  // The writer calls it while holding the burner's recording lock; the cache never takes that
  // lock, so the call cannot deadlock with the producer.
  std::int32_t GetBlock(void* Buffer) { return queue_.Take(Buffer); }
  // GetBlock without the copy: on n > 0 Block is the oldest block itself (its data area holds
  // BlockSize bytes, so the consumer may zero-fill it up to a full transfer). Hand it back with
  // ReturnBlock once it is written, so the producer can fill it again.
  std::int32_t TakeBlock(CacheBlock& Block) { return queue_.Take(Block); }
  void ReturnBlock(CacheBlock Block) { queue_.Recycle(std::move(Block)); }
  // Sleeps up to TimeoutMs until a batch of blocks is there for GetBlock or production has
  // ended (call it without the recording lock); spares the consumer a polling loop.
  bool WaitForBlock(long TimeoutMs) { return queue_.WaitForBlock(TimeoutMs); }
  // Sleeps up to TimeoutMs until Primed, or until production has ended.
  bool WaitUntilPrimed(long TimeoutMs) { return queue_.WaitUntilPrimed(TimeoutMs); }
  // The recording ends early. While producing, the queue is dropped and Status becomes
  // "OPERATION ABORTED BY USER" unless a message is already there.
  void Abort() { queue_.RequestAbort(); }
  // Waits until the thread's body has ended: after GetBlock returned 0, after a non-empty
  // Status, or after Abort. Called by the owner only (destruction aborts and waits by itself).
  void WaitFor();

  // Empty while all is well, else the message that ends the recording.
  std::string Status() const { return queue_.Status(); }
  // The writer puts its own reason here before it calls Abort; that reason is kept.
  void SetStatus(const std::string& Value) { queue_.SetStatus(Value); }
  bool Primed() const { return queue_.Primed(); }
  bool Finished() const { return queue_.Finished(); }
  bool AbortRequested() const { return queue_.AbortRequested(); }
  // Bytes produced and not yet taken (those of the block being assembled included).
  std::int64_t BytesHeld() const { return queue_.BytesHeld(); }
  // Bytes the consumer still has to take: the image, plus the post-gap once it is queued.
  std::int64_t BytesToDeliver() const { return queue_.BytesToDeliver(); }
  std::int32_t CacheSize() const { return setup_.CacheSize; }
  std::int32_t BlockSize() const { return setup_.BlockSize; }
  // Non-empty: the cache streams this image file rather than a compilation.
  const std::string& ImageFileName() const { return setup_.ImageFileName; }
  std::int32_t BlockLimit() const { return blockLimit_; }
  // 0 idle, 1 lowest, 2 below normal, 3 normal.
  std::uint8_t PriorityLevel() const { return priorityLevel_.load(); }
  std::size_t QueuedBlocks() const { return queue_.QueuedBlocks(); }
  // The fingerprints of the session's sectors and of every file, taken as they were read. Only
  // after WaitFor, once production was completed; StartSector is the writer's to fill in.
  RecordedContent TakeContent() { return std::move(content_); }

 private:
  // The block under assembly: file pieces are read straight into it until it is full.
  struct Assembly {
    CacheBlock block;
    std::int32_t fill = 0;  // bytes assembled
    std::int32_t room = 0;  // bytes still free; 0 means there is no block under assembly
  };

  void Run();
  bool ProduceHeader(Assembly& assembly);
  bool ProduceEntries(Assembly& assembly);
  // A file of the compilation, fingerprinted on its way into the stream.
  // The source comes open from the read-ahead, or is opened here.
  bool ProduceFile(Assembly& assembly, const TFEntry& entry, platform::File source);
  // One source entry occupying length bytes: a file, or zeros when path is empty. A file that
  // yields fewer than mustRead bytes is worth a log line. opened receives the file's version
  // as it was opened.
  bool ProduceEntry(Assembly& assembly, const std::string& path, std::int64_t length, std::int64_t mustRead,
                    platform::FileVersion* opened = nullptr, platform::File source = platform::File());
  // Reads the rest of the block under assembly and the whole blocks after it that the entry
  // fills and the queue has room for, with one read, and queues them. Returns the entry's
  // bytes taken (got of them read from the file, the rest zeros): 0 when there is not a whole
  // block more to take, -1 when the read failed.
  std::int64_t ProduceRun(Assembly& assembly, THandleStreamEx& file, std::int64_t left, std::int64_t& got);
  // After a publish: the producer's priority follows the queue's fill, and it waits for room.
  bool Published(std::size_t queued);
  // Queues a finished block (full, when given) into the stream's fingerprint and the queue,
  // and counts produced more bytes as held. Returns the queue length afterwards.
  std::size_t Queue(CacheBlock* full, std::int64_t produced);
  void ProducePostGap();
  void FinishDelivery();
  // Waits while the queue is full; false after the abort procedure.
  bool WaitForRoom(bool filePhase);
  void SetPriorityLevel(std::uint8_t level);
  void Log(const std::string& message) const;

  TCacheSetup setup_;
  std::int32_t blockLimit_ = 0;
  bool postGap_ = false;
  CacheQueue queue_;
  std::atomic<std::uint8_t> priorityLevel_{2};
  // The cache thread's own: fingerprints of the file being read and of everything else in the
  // stream. Each byte is hashed once, by the one of them it belongs to.
  ContentHasher structuresHash_;
  ContentHasher fileHash_;
  bool hashingFile_ = false;  // the entry being produced is a file of the compilation
  std::int64_t producedBytes_ = 0;
  RecordedContent content_;
  std::thread thread_;  // last: started once everything above is in place
};

// The cache of the recording under way; null outside a recording.
extern std::atomic<TCacheThread*> ActiveCache;
// The block size of the recording under way (one recording at a time).
extern std::atomic<std::int32_t> CacheBlockSize;

}  // namespace kivo
