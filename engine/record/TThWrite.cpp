#include "engine/record/TThWrite.h"

#include <fmt/printf.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <span>

#include "engine/drive/MediaKinds.h"
#include "engine/drive/Transport.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/Threads.h"
#include "engine/record/FormatLists.h"
#include "engine/record/FormatWait.h"
#include "engine/record/InterruptedSession.h"
#include "engine/record/RecordedContent.h"
#include "engine/record/Recording.h"
#include "engine/record/SenseCodes.h"
#include "engine/record/SessionClosing.h"
#include "engine/record/Strings.h"
#include "engine/record/TCacheThread.h"

namespace kivo {

namespace {

constexpr std::int32_t kSector = 2048;
constexpr int kBufferPollInterval = 5;
constexpr long kBusyPauseMs = 600;
constexpr int kBusyAttempts = 10'000;
constexpr unsigned kLongSyncTimeoutMs = 1'800'000;
constexpr unsigned kSyncTimeoutMs = 120'000;
constexpr long kFormatPollMs = 2000;
constexpr long kFlushPollMs = 1000;
// The buffer gauge empties in this many steps while a write-once DVD flushes.
constexpr std::uint32_t kFlushGaugeSteps = 960;
constexpr long kFinalReadyBudgetMs = 240'000;
constexpr long kFinalReadyStepMs = 5000;
// How long the writer sleeps for a block before it looks at WriteAborted again.
constexpr long kBlockWaitMs = 20;
constexpr std::uint8_t kLogLine = 1;

// Media recorded sequentially, or overwritten only in whole ECC blocks; DVD+RW and DVD-RAM
// drives merge a partial block into what the disc holds.
bool WritesWholeEccBlocks(std::uint16_t kind) {
  return kind == media::kDvdR || kind == media::kDvdRwRestricted || kind == media::kDvdRwSequential ||
         kind == media::kDvdPlusR || kind == media::kDvdPlusRDl;
}

// These drives flush their cache to the disc in the background after an immediate request.
bool FlushesInBackground(std::uint16_t kind) {
  return kind == media::kDvdR || kind == media::kDvdRwRestricted || kind == media::kDvdRwSequential;
}

}  // namespace

TThWrite::TThWrite(TZelvoBurner& Burner, TCacheThread& Cache, bool ToFile)
    : burner_(Burner),
      cache_(Cache),
      toFile_(ToFile),
      compilation_(Cache.ImageFileName().empty()),
      // An image gets no post-gap: it is as long as its own sectors, without the post-gap minimum.
      imageSectors_(compilation_ ? Burner.ImageSize() : Burner.ImageSectors),
      buffer_(std::make_unique<std::uint8_t[]>(kMaxBlockSize)) {}

void TThWrite::Execute() {
  if (toFile_) {
    if (!OpenImageFile()) return Finish();
  } else {
    kind_ = burner_.MediaKind();
    if (!SameMediumAsPrepared()) return Finish();
    setup_ = SetUpDriveForWriting(burner_, kind_);
    volumeStartLast_ = compilation_ && media::OverwritesInPlace(kind_);
  }
  // A recorded image file starts at the disc's sector 0 whatever the disc holds; a saved
  // image starts at the file's own sector 0.
  if (!compilation_ || toFile_) {
    if (burner_.SessionStart != 0) burner_.SessionStart = 0;
  }
  base_ = burner_.SessionStart;

  // The first write to an unformatted DVD+RW is expected to fail; that failure is no news.
  if (!toFile_ && kind_ == media::kDvdPlusRw) burner_.ErrorLogLatch = true;
  const std::int32_t n = NextBlock();
  if (n != kStop) WriteBlocks(n);
  if (toFile_) {
    CloseImageFile();
    return Finish();
  }
  End();
  Finish();
}

// An image whose last bytes never reached the disk is no image: the file is flushed and closed
// here, where a failure can still fail the save.
void TThWrite::CloseImageFile() {
  const bool closed = file_->Close();
  if (!closed && cache_.Status().empty()) {
    cache_.SetStatus(fmt::sprintf(recordtext::kCannotWriteFile, file_->LastError()));
  }
  file_.reset();
}

// The cache's blocks were sized for the disc that was in the drive when the recording was
// prepared. Another kind of disc put in since would take them wrongly (CD blocks padded to DVD
// ECC blocks would shift the data), so the writer stops before it sends anything that writes.
bool TThWrite::SameMediumAsPrepared() {
  if (BlockSizeForMediaKind(kind_) == cache_.BlockSize()) return true;
  Stop(std::string(recordtext::kMediumChanged));
  return false;
}

bool TThWrite::OpenImageFile() {
  file_.emplace(burner_.ISOFileName, fmCreate);
  if (file_->HandleValid()) return true;
  burner_.DebugMessage(file_->LastError(), 4);
  Stop(fmt::sprintf(recordtext::kCannotCreateFile, burner_.ISOFileName));
  return false;
}

// The new session's volume descriptors go to the disc's start, where readers look for them, and
// they go last: once the session's data are on the disc and the drive's cache is written out.
// Until then the previous volume is the one readers find, whole, whatever stops the recording.
bool TThWrite::WriteVolumeStart() {
  if (!firstTransfer_.empty()) {
    // The session starts at the disc's start: its own first transfer was held back.
    if (!WriteToDrive(base_, firstTransfer_.data(), static_cast<std::int32_t>(firstTransfer_.size()))) return false;
  } else {
    // Always a whole transfer, whatever the header holds: overwritable DVD takes only whole ECC
    // blocks.
    const auto available = static_cast<std::int32_t>(burner_.LeadingHeaderCopy.size()) / kSector * kSector;
    const std::int32_t bytes = std::min(kMaxBlockSize, available);
    if (bytes > 0 && !WriteToDrive(0, burner_.LeadingHeaderCopy.data(), bytes)) return false;
  }
  return SynchronizeDriveCache();
}

bool TThWrite::SynchronizeDriveCache() {
  if (burner_.SynchronizeCache(kSyncTimeoutMs, false) || burner_.SynchronizeCache(kSyncTimeoutMs, true)) return true;
  // Data the drive never wrote from its buffer is not on the disc.
  if (cache_.Status().empty()) cache_.SetStatus(fmt::sprintf(recordtext::kSyncFailed, burner_.LastErrorText));
  return false;
}

bool TThWrite::FormatUnformattedDvdPlusRw() {
  if (!burner_.FormatUnit(formatlist::kFormatUnitByte1, formatlist::kDvdPlusRwBasic)) return true;
  switch (WaitWhileFormatting(burner_, kFormatPollMs, kDvdPlusRwFormatMinutes, true)) {
    case FormatWait::Done: return true;
    case FormatWait::Aborted: Stop(std::string(recordtext::kOperationAborted)); return false;
    case FormatWait::TimedOut: break;
  }
  Stop(fmt::sprintf(recordtext::kDvdPlusRwFormatTimedOut, kDvdPlusRwFormatMinutes));
  return false;
}

void TThWrite::WriteBlocks(std::int32_t n) {
  const bool dvd = !toFile_ && kind_ != media::kCdR && kind_ != media::kCdRw;
  if (dvd && compilation_) return WriteJoinedBlocks(n);
  // An image's blocks go out as they are, but sequential DVD media take only whole ECC blocks:
  // a short last block is zero-filled to the next one.
  const bool pad = !toFile_ && WritesWholeEccBlocks(kind_);
  for (; n > 0; n = NextBlock()) {
    if (!Transfer(block_.Data.get(), pad ? PadToEccBlock(n) : n)) return;
  }
}

// A compilation goes to DVD in whole 32-sector writes.
void TThWrite::WriteJoinedBlocks(std::int32_t n) {
  std::int32_t held = 0;  // bytes waiting in buffer_ for a full transfer
  for (; n > 0; n = NextBlock()) {
    if (held == 0 && n == kMaxBlockSize) {
      if (!Transfer(block_.Data.get(), n)) return;
      continue;
    }
    // Blocks shorter than a transfer (the end of the data, the post-gap after it) are joined:
    // zero-filling each of them would put zero sectors into the stream and write past the
    // end of a reserved track. Only the last write is zero-filled.
    for (std::int32_t used = 0; used < n;) {
      const std::int32_t take = std::min(n - used, kMaxBlockSize - held);
      std::memcpy(buffer_.get() + held, block_.Data.get() + used, static_cast<std::size_t>(take));
      held += take;
      used += take;
      if (held == kMaxBlockSize) {
        if (!Transfer(buffer_.get(), held)) return;
        held = 0;
      }
    }
  }
  if (n == 0 && held > 0) {
    std::memset(buffer_.get() + held, 0, static_cast<std::size_t>(kMaxBlockSize - held));
    Transfer(buffer_.get(), kMaxBlockSize);
  }
}

std::int32_t TThWrite::PadToEccBlock(std::int32_t n) {
  // The cache hands over whole sectors only.
  const auto whole = static_cast<std::int32_t>(media::AlignToEccBlock(static_cast<std::uint32_t>(n / kSector))) * kSector;
  std::memset(block_.Data.get() + n, 0, static_cast<std::size_t>(whole - n));
  return whole;
}

bool TThWrite::Transfer(const std::uint8_t* data, std::int32_t length) {
  std::int64_t total = burner_.BytesWritten.load() + length;
  // The zero-filled tail of the last write is no part of the session.
  if (total / kSector > imageSectors_) total = imageSectors_ * kSector;
  burner_.BytesWritten = total;
  if (toFile_) return WriteToFile(data, length);
  if (volumeStartLast_ && base_ == 0 && written_ == 0) {
    // A session at the disc's start carries the volume descriptors in its first transfer.
    firstTransfer_.assign(data, data + length);
  } else {
    PollDriveBuffer();
    if (!WriteToDrive(base_ + written_, data, length)) return false;
  }
  written_ += static_cast<std::uint32_t>(length / kSector);
  return true;
}

bool TThWrite::WriteToFile(const std::uint8_t* data, std::int32_t length) {
  if (file_->Write(data, length) == length) return true;
  const std::string& reason = file_->LastError();
  Stop(fmt::sprintf(recordtext::kCannotWriteFile, reason.empty() ? burner_.ISOFileName : reason));
  return false;
}

bool TThWrite::WriteToDrive(std::uint32_t address, const std::uint8_t* data, std::int32_t length) {
  const auto bytes = std::span<const std::uint8_t>(data, static_cast<std::size_t>(length));
  for (int attempts = 0;;) {
    if (WriteAborted) {
      Stop(std::string(recordtext::kOperationAborted));
      return false;
    }
    if (burner_.WriteSectors(address, static_cast<std::uint16_t>(length / kSector), bytes)) {
      wroteToDisc_ = true;
      return true;
    }
    // A blank DVD+RW takes no write before its format. The format erases the whole disc, so it
    // is given only before anything of this recording is on the disc.
    if (kind_ == media::kDvdPlusRw && !formatTried_ && !wroteToDisc_ && Unformatted()) {
      formatTried_ = true;
      if (!FormatUnformattedDvdPlusRw()) return false;
      continue;
    }
    if (!recordsense::RefusedForNow(burner_)) {
      Stop(fmt::sprintf(recordtext::kWriterError, burner_.LastErrorText));
      return false;
    }
    platform::Sleep(kBusyPauseMs);
    if (++attempts >= kBusyAttempts) {
      Stop(std::string(recordtext::kWriterBusy));
      return false;
    }
  }
}

// The drive's buffer is read only before every fifth write, to keep the command stream dense.
void TThWrite::PollDriveBuffer() {
  if (bufferPolls_ == 0 && setup_.BufferReadable) {
    std::uint32_t length = 0, free = 0;
    if (burner_.ReadBufferCapacity(length, free)) bufferPolls_ = kBufferPollInterval;
  }
  --bufferPolls_;
}

std::int32_t TThWrite::NextBlock() {
  for (;;) {
    if (WriteAborted) {
      Stop(std::string(recordtext::kOperationAborted));
      return kStop;
    }
    // The block written last is free for the cache again.
    if (block_.Data) cache_.ReturnBlock(std::move(block_));
    std::int32_t n = 0;
    {
      std::lock_guard lock(burner_.Lock());
      n = cache_.TakeBlock(block_);
    }
    if (!cache_.Status().empty()) return kStop;
    if (n != -1) return n;
    cache_.WaitForBlock(kBlockWaitMs);
  }
}

void TThWrite::End() {
  std::uint32_t length = 0, free = 0;
  if (kind_ != media::kDvdRam) burner_.ReadBufferCapacity(length, free);
  if (burner_.OnFinalizingTrack) burner_.OnFinalizingTrack(&burner_);
  if (FlushesInBackground(kind_)) {
    FlushInBackground();
  } else {
    SynchronizeDriveCache();
  }
  burner_.DeviceBufferSize = 0;
  burner_.DeviceFreeBufferSize = 0;
  // After a failure the drive is synchronised, but nothing is closed, and an overwritable disc
  // keeps the volume it had.
  if (cache_.Status().empty() && volumeStartLast_) WriteVolumeStart();
  if (!cache_.Status().empty()) return CloseAfterFailure();

  if (!burner_.TestWrite && kind_ != media::kDvdRam && burner_.FinalizeTrack) {
    if (kind_ != media::kDvdR) {
      burner_.SetWriteParameters(burner_.TestWrite, burner_.UnderrunProtection, burner_.FinalizeDisc, kind_);
    }
    if (!CloseRecordedSession(burner_, kind_, setup_.Track, burner_.FinalizeDisc)) {
      cache_.SetStatus(fmt::sprintf(recordtext::kCloseFailed, burner_.LastErrorText));
    }
  }
  burner_.WaitReady(kFinalReadyBudgetMs, kFinalReadyStepMs);
  if (kind_ != media::kDvdRam) burner_.ReadBufferCapacity(length, free);
  burner_.ReturnToNeutralState();
}

// A write-once disc keeps taking sessions only when the failed one is closed. A DVD-R track is
// left open: it was reserved for the whole session, and closed now the drive would pad it, the
// padding reading as the files' data. Open, it shows how far the data reached (its next
// writable address), so the next import leaves the rest out; the next recording closes it.
void TThWrite::CloseAfterFailure() {
  if (burner_.TestWrite || !AppendsSessions(kind_) || !wroteToDisc_ || kind_ == media::kDvdR) return;
  if (!CloseInterruptedSession(burner_, kind_, setup_.Track)) {
    burner_.DebugMessage(fmt::sprintf(recordtext::kInterruptedSessionNotClosed, burner_.LastErrorText), kLogLine);
  }
}

// The drive empties its buffer to the disc on its own time; the buffer gauge falls meanwhile.
void TThWrite::FlushInBackground() {
  burner_.SynchronizeCache(kLongSyncTimeoutMs, true);
  const std::uint32_t size = burner_.DeviceBufferSize.load();
  const std::uint32_t step = size / kFlushGaugeSteps;
  burner_.DeviceFreeBufferSize = size;
  for (long polls = PollsWithin(kFlushMinutes, kFlushPollMs); !burner_.ReadDiscInfo(); --polls) {
    if (polls == 0) {
      if (cache_.Status().empty()) cache_.SetStatus(fmt::sprintf(recordtext::kFlushTimedOut, kFlushMinutes));
      return;
    }
    const std::uint32_t free = burner_.DeviceFreeBufferSize.load();
    burner_.DeviceFreeBufferSize = free > step ? free - step : 0;
    platform::Sleep(kFlushPollMs);
  }
}

void TThWrite::Finish() {
  std::string result;
  {
    std::lock_guard lock(burner_.Lock());
    result = cache_.Status();
  }
  // Only a recording that ended well is worth checking against what it read.
  if (result.empty()) {
    cache_.WaitFor();
    auto content = std::make_shared<RecordedContent>(cache_.TakeContent());
    content->StartSector = base_;
    burner_.KeepRecordedContent(std::move(content));
  }
  // Before the writer counts as ended: a recording started right after it must not lose its
  // claim to this one's release.
  burner_.ReleaseDrive();
  WriterRunning = false;
  DestroyActiveCache();
  SetCloseAfterCommand(true);
  burner_.RaiseWriteDone(result);
}

void TThWrite::Stop(const std::string& status) {
  cache_.SetStatus(status);
  cache_.Abort();
}

bool TThWrite::Unformatted() const {
  return recordsense::AdditionalSenseCode(burner_) == recordsense::kIncompatibleMedium;
}

}  // namespace kivo
