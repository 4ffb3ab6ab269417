// The recording's starters and the readings the window takes while it runs: the recording of
// a compilation, the writer thread's start, the abort and the cache's fill.
#include "engine/record/Recording.h"

#include <fmt/printf.h>

#include <cmath>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/Threads.h"
#include "engine/record/CompilationCache.h"
#include "engine/record/DvdRwPreparation.h"
#include "engine/record/EraseThread.h"
#include "engine/record/InterruptedSession.h"
#include "engine/record/Preflight.h"
#include "engine/record/RecordedContent.h"
#include "engine/record/Strings.h"
#include "engine/record/TCacheThread.h"
#include "engine/record/TThWrite.h"

namespace kivo {

std::atomic<TZelvoBurner*> ActiveBurner{nullptr};
std::atomic<bool> WriteAborted{false};
std::atomic<bool> WriterRunning{false};

namespace {

constexpr long kPrimedPollMs = 100;

// Held while ActiveCache is read and used by another thread than the writer's, and while the
// writer takes it away.
std::mutex& ActiveCacheGuard() {
  static std::mutex guard;
  return guard;
}

}  // namespace

void DestroyActiveCache() {
  TCacheThread* cache = nullptr;
  {
    std::lock_guard guard(ActiveCacheGuard());
    cache = ActiveCache.exchange(nullptr);
  }
  // The destructor waits for the cache's thread.
  delete cache;
}

bool RefuseWhileBusy(TZelvoBurner& Burner) {
  if (!WriterRunning.load() && ActiveCache.load() == nullptr && !EraseRunning()) return false;
  Burner.DebugMessage(std::string(recordtext::kRecordWhileBusy), 0);
  return true;
}

bool TZelvoBurner::ClaimForRecording() {
  if (ClaimDrive()) return true;
  RaiseWriteDone(LastErrorText);
  return false;
}

void TZelvoBurner::EndRecording(const std::string& error) {
  ReleaseDrive();
  RaiseWriteDone(error);
}

std::shared_ptr<const RecordedContent> TZelvoBurner::LastRecordedContent() {
  std::lock_guard lock(Lock());
  return recordedContent_;
}

void TZelvoBurner::KeepRecordedContent(std::shared_ptr<const RecordedContent> content) {
  std::lock_guard lock(Lock());
  recordedContent_ = std::move(content);
}

bool TZelvoBurner::RecordCompilation() {
  if (RefuseWhileBusy(*this)) return false;
  KeepRecordedContent(nullptr);
  ActiveBurner = this;
  WriteAborted = false;
  if (!ClaimForRecording()) return false;
  const std::int32_t blockSize = BlockSizeForMediaKind(MediaKind());
  const std::uint16_t kind = CurrentMediaKind;
  // Nothing has reached the disc yet: whatever can refuse the recording does so now.
  std::string refusal = preflight::TestWriteRefusal(TestWrite, kind);
  if (refusal.empty()) refusal = preflight::UnreadableSources(*this);
  // A DVD-RW's free space is known once its formatted area has grown for the session; the grow
  // leaves its data as they are.
  const bool dvdRw = kind == media::kDvdRwRestricted || kind == media::kDvdRwSequential;
  if (refusal.empty() && !dvdRw) refusal = preflight::FitRefusal(*this, ImageSize());
  if (refusal.empty() && !TestWrite) refusal = CloseSessionLeftOpen(*this, kind);
  if (refusal.empty() && dvdRw) refusal = PrepareDvdRw(*this, kind, TestWrite);
  if (refusal.empty() && dvdRw) refusal = preflight::FitRefusal(*this, ImageSize());
  if (!refusal.empty()) {
    EndRecording(refusal);
    return false;
  }
  // The session is laid out again where the drive says the next one starts.
  TDEntry* importDir = RememberedImportDir();
  SessionStartRequested = true;
  PrepareLayout(false, importDir);
  BuildHeader(importDir);
  SessionStartRequested = false;
  StartCompilationCache(*this, blockSize);
  return StartWriterWhenPrimed(false);
}

bool TZelvoBurner::StartWriterWhenPrimed(bool ToFile) {
  TCacheThread* cache = ActiveCache;
  for (;;) {
    if (cache->Primed()) return StartWriter(ToFile);
    const std::string status = cache->Status();
    if (!status.empty()) {
      EndRecording(status);
      DestroyActiveCache();
      return false;
    }
    cache->WaitUntilPrimed(kPrimedPollMs);
  }
}

bool TZelvoBurner::StartWriter(bool ToFile) {
  TCacheThread* cache = ActiveCache;
  if (cache == nullptr) return false;
  // Set before the thread exists, so that the window never sees a started recording as not
  // running. WriteAborted was cleared by the starter: an abort asked for while the drive was
  // prepared or the session laid out stops the writer at once.
  BytesWritten = 0;
  WriterRunning = true;
  auto writer = std::make_unique<TThWrite>(*this, *cache, ToFile);
  try {
    // The thread owns the writer and ends on its own: nobody joins it.
    std::thread([writer = std::move(writer)] {
      platform::SetCurrentThreadName("kivo writer");
      platform::SetCurrentThreadPriority(platform::ThreadPriority::TimeCritical);
      writer->Execute();
    }).detach();
  } catch (const std::system_error& error) {
    WriterRunning = false;
    DestroyActiveCache();
    EndRecording(error.what());
    return false;
  }
  return true;
}

void TZelvoBurner::AbortRecording() { WriteAborted = true; }

std::int32_t TZelvoBurner::CacheFillPercent() const {
  if (!WriterRunning) return 0;
  std::lock_guard guard(ActiveCacheGuard());
  const TCacheThread* cache = ActiveCache;
  if (cache == nullptr || CacheSize() <= 0) return 0;
  // The default rounding mode takes halves to the even neighbour.
  return static_cast<std::int32_t>(std::nearbyint(100.0 * static_cast<double>(cache->BytesHeld()) / CacheSize()));
}

}  // namespace kivo
