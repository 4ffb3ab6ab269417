#include "engine/record/TCacheThread.h"

#include <fmt/printf.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <stdexcept>
#include <utility>
#include <vector>

#include "engine/drive/MediaKinds.h"
#include "engine/iso/SourceReadAhead.h"
#include "engine/platform/Threads.h"
#include "engine/record/Strings.h"

namespace kivo {

std::atomic<TCacheThread*> ActiveCache{nullptr};
std::atomic<std::int32_t> CacheBlockSize{kBlockSize};

namespace {

constexpr std::int32_t kSector = 2048;
// Blocks read with one system call where a file fills them: fewer, larger reads cost less than
// one read per block.
constexpr std::int64_t kBlocksPerRead = 4;

constexpr std::uint8_t kLevelIdle = 0;
constexpr std::uint8_t kLevelLowest = 1;
constexpr std::uint8_t kLevelBelowNormal = 2;
constexpr std::uint8_t kLevelNormal = 3;

platform::ThreadPriority PriorityOfLevel(std::uint8_t level) {
  switch (level) {
    case kLevelIdle: return platform::ThreadPriority::Idle;
    case kLevelLowest: return platform::ThreadPriority::Lowest;
    case kLevelNormal: return platform::ThreadPriority::Normal;
    default: return platform::ThreadPriority::BelowNormal;
  }
}

TCacheSetup Checked(TCacheSetup setup) {
  if (setup.BlockSize <= 0 || setup.BlockSize > kMaxBlockSize || setup.BlockSize % kSector != 0) {
    throw std::invalid_argument(fmt::format("cache block size {} is not a whole number of sectors up to {}",
                                            setup.BlockSize, kMaxBlockSize));
  }
  return setup;
}

}  // namespace

std::int32_t BlockSizeForMediaKind(std::uint16_t MediaKind) {
  return MediaKind == media::kCdR || MediaKind == media::kCdRw ? kCdBlockSize : kBlockSize;
}

TCacheThread::TCacheThread(TCacheSetup Setup)
    : setup_(Checked(std::move(Setup))),
      blockLimit_(setup_.CacheSize / setup_.BlockSize),
      postGap_(setup_.WritePostGap && setup_.ImageFileName.empty() && setup_.ImageBytes < kPostGapBytes),
      queue_(setup_.BlockSize, blockLimit_, setup_.ImageBytes) {
  CacheBlockSize = setup_.BlockSize;
  thread_ = std::thread([this] { Run(); });
}

TCacheThread::~TCacheThread() {
  Abort();
  WaitFor();
}

void TCacheThread::WaitFor() {
  if (thread_.joinable()) thread_.join();
}

void TCacheThread::Run() {
  platform::SetCurrentThreadName("kivo cache");
  platform::SetCurrentThreadPriority(PriorityOfLevel(kLevelBelowNormal));
  Assembly assembly;
  const bool imageFile = !setup_.ImageFileName.empty();
  if (!imageFile && !ProduceHeader(assembly)) return;
  if (!ProduceEntries(assembly)) return;
  // The last data block is the only one shorter than the block size (the post-gap aside).
  if (assembly.fill > 0) {
    assembly.block.Length = assembly.fill;
    Queue(&assembly.block, 0);
  }
  content_.Structures = structuresHash_.Digest();
  content_.StreamBytes = producedBytes_;
  if (postGap_) ProducePostGap();
  // The layout promised more than the sources held: a session shorter than its own directories
  // say is no success, and waiting for the missing bytes would hang the recording.
  if (const std::int64_t missing = queue_.Unproduced(); missing > 0) {
    const std::int64_t expected = postGap_ ? kPostGapBytes : setup_.ImageBytes;
    const std::string mismatch = fmt::sprintf(recordtext::kStreamLengthMismatch, expected - missing, expected);
    Log(mismatch);
    queue_.Fail(mismatch);
    return;
  }
  queue_.CompleteProduction();
  FinishDelivery();
}

bool TCacheThread::ProduceHeader(Assembly& assembly) {
  TMemoryStreamEx* header = setup_.HeaderStream;
  if (header == nullptr) return true;
  std::int64_t remaining = header->Size();
  header->Seek(0, soFromBeginning);
  while (remaining > 0) {
    const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(remaining, setup_.BlockSize));
    CacheBlock block = queue_.NewBlock();
    const std::int32_t got = std::max(header->Read(block.Data.get(), n), 0);
    std::memset(block.Data.get() + got, 0, static_cast<std::size_t>(n - got));
    structuresHash_.Update(block.Data.get(), static_cast<std::size_t>(n));
    if (n == setup_.BlockSize) {
      block.Length = n;
      Queue(&block, n);
    } else {
      // The tail stays under assembly: the first file's bytes continue right after it.
      assembly = Assembly{std::move(block), n, setup_.BlockSize - n};
      Queue(nullptr, n);
    }
    remaining -= n;
    if (!WaitForRoom(false)) return false;
  }
  // The header is rebuilt for every recording; its memory is not needed once it is queued.
  header->Clear();
  return true;
}

bool TCacheThread::ProduceEntries(Assembly& assembly) {
  // A file of whole sectors may end anywhere inside its last sector without losing anything.
  const auto wholeSectors = [](std::int64_t length) { return std::max<std::int64_t>(length - (kSector - 1), 0); };
  if (!setup_.ImageFileName.empty()) {
    return ProduceEntry(assembly, setup_.ImageFileName, setup_.ImageBytes, wholeSectors(setup_.ImageBytes));
  }
  if (!setup_.BootImagePath.empty()) {
    const std::int64_t length = std::int64_t{setup_.BootImageSectors} * kSector;
    if (!ProduceEntry(assembly, setup_.BootImagePath, length, wholeSectors(length))) return false;
  }
  if (!ProduceEntry(assembly, std::string(), std::int64_t{setup_.PaddingSectors} * kSector, 0)) return false;
  std::vector<const TFEntry*> sources;
  for (const TFEntry* entry : setup_.FileList) {
    if (entry == nullptr) {
      queue_.Fail(std::string(recordtext::kInternalError0005));
      return false;
    }
    // Directories' entries and entries imported from an earlier session have no data here.
    if (entry->IsDirectory() || entry->SourcePath.empty() || entry->Size == 0) continue;
    sources.push_back(entry);
  }
  platform::ReadAhead readAhead(ReadAheadSources(sources));
  for (std::size_t i = 0; i < sources.size(); ++i) {
    if (!ProduceFile(assembly, *sources[i], readAhead.Take(i))) return false;
  }
  return true;
}

bool TCacheThread::ProduceFile(Assembly& assembly, const TFEntry& entry, platform::File source) {
  RecordedFile record;
  record.Entry = &entry;
  record.StreamOffset = producedBytes_;
  record.Length = entry.Size;
  fileHash_.Reset();
  hashingFile_ = true;
  const bool produced = ProduceEntry(assembly, entry.SourcePath, entry.Size, entry.Size, &record.Source, std::move(source));
  hashingFile_ = false;
  record.Hash = fileHash_.Digest();
  record.SourceMatchedEntry = record.Source.size == entry.Size;
  content_.Files.push_back(std::move(record));
  return produced;
}

bool TCacheThread::ProduceEntry(Assembly& assembly, const std::string& path, std::int64_t length,
                                std::int64_t mustRead, platform::FileVersion* opened, platform::File source) {
  if (length <= 0) return true;
  std::optional<THandleStreamEx> file;  // none: the entry is zero bytes
  if (!path.empty()) {
    if (!source.IsOpen()) source.Open(path, platform::File::Mode::Read);
    file.emplace(std::move(source));
    if (!file->HandleValid()) {
      Log(file->LastError());
      queue_.Fail(fmt::sprintf(recordtext::kCannotOpenFile, path));
      return false;
    }
    if (opened != nullptr) *opened = file->Version();
  }
  bool exhausted = !file.has_value();
  std::int64_t read = 0;
  for (std::int64_t left = length; left > 0;) {
    if (assembly.room == 0) assembly = Assembly{queue_.NewBlock(), 0, setup_.BlockSize};
    if (!exhausted) {
      std::int64_t got = 0;
      const std::int64_t run = ProduceRun(assembly, *file, left, got);
      if (run < 0) {
        queue_.Fail(fmt::sprintf(recordtext::kCannotReadFile, path, file->LastError()));
        return false;
      }
      if (run > 0) {
        exhausted = got < run;
        read += got;
        left -= run;
        if (!Published(queue_.QueuedBlocks())) return false;
        continue;
      }
    }
    const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(assembly.room, left));
    // Pieces take whole sectors, the tail of a file's last sector being zero. The cap only
    // matters for a header that is not a whole number of sectors.
    const std::int32_t s = std::min((n + kSector - 1) / kSector * kSector, assembly.room);
    std::uint8_t* at = assembly.block.Data.get() + assembly.fill;
    std::int32_t got = 0;
    if (!exhausted) {
      got = std::max(file->Read(at, n), 0);
      if (got < n && !file->LastError().empty()) {
        queue_.Fail(fmt::sprintf(recordtext::kCannotReadFile, path, file->LastError()));
        return false;
      }
      // The file ended early (it shrank since it was added). Reading on would shift the rest
      // of the entry, so the rest is zeros and the entry keeps its recorded length.
      exhausted = got < n;
      read += got;
    }
    std::memset(at + got, 0, static_cast<std::size_t>(s - got));
    if (hashingFile_) {
      fileHash_.Update(at, static_cast<std::size_t>(n));
      structuresHash_.Update(at + n, static_cast<std::size_t>(s - n));  // the last sector's zero tail
    } else {
      structuresHash_.Update(at, static_cast<std::size_t>(s));
    }
    assembly.fill += s;
    assembly.room -= s;
    left -= n;

    const bool full = assembly.room == 0;
    if (full) assembly.block.Length = assembly.fill;
    const std::size_t queued = Queue(full ? &assembly.block : nullptr, s);
    if (full) assembly.fill = 0;
    if (!Published(queued)) return false;
  }
  if (file && read < mustRead) {
    const std::string& reason = file->LastError();
    Log(fmt::sprintf(recordtext::kSourceEndedEarly, read, length, reason.empty() ? path : reason));
  }
  return true;
}

std::int64_t TCacheThread::ProduceRun(Assembly& assembly, THandleStreamEx& file, std::int64_t left, std::int64_t& got) {
  // The block under assembly is not queued yet: it takes one place of the room.
  const std::int64_t room = static_cast<std::int64_t>(queue_.Room()) - 1;
  const std::int64_t extra = std::min({(left - assembly.room) / setup_.BlockSize, room, kBlocksPerRead - 1});
  if (extra <= 0) return 0;
  std::vector<CacheBlock> blocks;
  std::vector<std::span<std::uint8_t>> pieces;
  pieces.emplace_back(assembly.block.Data.get() + assembly.fill, static_cast<std::size_t>(assembly.room));
  for (std::int64_t i = 0; i < extra; ++i) {
    blocks.push_back(queue_.NewBlock());
    pieces.emplace_back(blocks.back().Data.get(), static_cast<std::size_t>(setup_.BlockSize));
  }
  const std::int64_t total = assembly.room + extra * setup_.BlockSize;
  got = file.ReadScattered(pieces);
  if (got < total && !file.LastError().empty()) return -1;
  // A file that ended early reads as zeros to the entry's end, as in the ordinary step.
  std::int64_t skip = got;
  for (const auto& piece : pieces) {
    const auto filled = static_cast<std::size_t>(std::min<std::int64_t>(skip, static_cast<std::int64_t>(piece.size())));
    std::memset(piece.data() + filled, 0, piece.size() - filled);
    skip -= static_cast<std::int64_t>(filled);
    (hashingFile_ ? fileHash_ : structuresHash_).Update(piece.data(), piece.size());
  }
  assembly.block.Length = setup_.BlockSize;
  Queue(&assembly.block, assembly.room);
  assembly = Assembly{};
  for (CacheBlock& block : blocks) {
    block.Length = setup_.BlockSize;
    Queue(&block, setup_.BlockSize);
  }
  return total;
}

bool TCacheThread::Published(std::size_t queued) {
  // The fuller the queue, the less the producer needs the processor.
  const auto count = static_cast<std::int32_t>(queued);
  SetPriorityLevel(count < blockLimit_ / 4 ? kLevelNormal : count < blockLimit_ / 2 ? kLevelBelowNormal : kLevelLowest);
  return WaitForRoom(true);
}

std::size_t TCacheThread::Queue(CacheBlock* full, std::int64_t produced) {
  producedBytes_ += produced;
  return queue_.Publish(full, produced);
}

void TCacheThread::ProducePostGap() {
  std::int64_t pad = kPostGapBytes - setup_.ImageBytes;
  queue_.AddToDeliver(pad);
  // Queued without waiting for room: at most 300 sectors beyond the cache's bound.
  while (pad > 0) {
    const auto m = static_cast<std::int32_t>(std::min<std::int64_t>(setup_.BlockSize, pad));
    CacheBlock block = queue_.NewBlock();
    std::memset(block.Data.get(), 0, static_cast<std::size_t>(m));
    block.Length = m;
    queue_.Publish(&block, m);
    pad -= m;
  }
}

void TCacheThread::FinishDelivery() {
  if (!queue_.WaitForDelivery()) {
    queue_.AbortDelivery();
    return;
  }
  // The layout and the sources disagree. The consumer has had every byte there was; waiting
  // for bytes that will never come would hang the recording.
  const std::int64_t left = queue_.BytesToDeliver();
  if (left != 0) {
    const std::int64_t expected = postGap_ ? kPostGapBytes : setup_.ImageBytes;
    Log(fmt::sprintf(recordtext::kStreamLengthMismatch, expected - left, expected));
  }
}

bool TCacheThread::WaitForRoom(bool filePhase) {
  if (filePhase && queue_.Full()) SetPriorityLevel(kLevelIdle);
  if (queue_.WaitForRoom()) return true;
  queue_.AbortProduction(std::string(recordtext::kOperationAborted));
  return false;
}

void TCacheThread::SetPriorityLevel(std::uint8_t level) {
  if (priorityLevel_.exchange(level) != level) platform::SetCurrentThreadPriority(PriorityOfLevel(level));
}

void TCacheThread::Log(const std::string& message) const {
  if (setup_.OnMessage) setup_.OnMessage(message);
}

}  // namespace kivo
