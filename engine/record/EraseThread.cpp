#include "engine/record/EraseThread.h"

#include <fmt/printf.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "engine/drive/MediaKinds.h"
#include "engine/drive/Strings.h"
#include "engine/drive/SenseData.h"
#include "engine/drive/TSCSIDevice.h"
#include "engine/drive/Transport.h"
#include "engine/platform/Threads.h"
#include "engine/record/EraseZeros.h"
#include "engine/record/FormatWait.h"
#include "engine/record/Strings.h"

namespace kivo {

namespace {


constexpr long kReadyPauseMs = 2000;
constexpr long kDvdRwSettleMs = 5000;
constexpr long kFormatPollMs = 2000;
constexpr long kBeforeSyncMs = 300;
constexpr long kDiscInfoPauseMs = 5000;
constexpr long kSlowDriveSettleMs = 5000;
constexpr unsigned kSyncTimeoutMs = 30'000;
// Completes the background format of a DVD+RW.
constexpr std::uint8_t kCloseFormat = 3;

constexpr std::uint32_t kQuickZeroWrites = 65;
// 71001 x 32 sectors: nearly all of a DVD+RW.
constexpr std::uint32_t kFullZeroWrites = 71001;

constexpr std::uint16_t kCdQuickRounds = 150, kCdFullRounds = 4500;
constexpr std::uint16_t kDvdQuickRounds = 600, kDvdFullRounds = 4440;

std::atomic<bool> eraseRunning{false};

// Erase threads that have not ended completely. Never destroyed: a thread may still be leaving
// while the process ends.
struct LiveThreads {
  std::mutex mutex;
  std::condition_variable ended;
  int count = 0;
};

LiveThreads& Live() {
  static auto* live = new LiveThreads;
  return *live;
}

void Enter() {
  std::lock_guard lock(Live().mutex);
  ++Live().count;
}

void Leave() {
  LiveThreads& live = Live();
  std::lock_guard lock(live.mutex);
  --live.count;
  // Under the lock, so that a waiter that sees the count reach zero finds the thread done
  // with everything.
  live.ended.notify_all();
}

// Polling rounds (roughly seconds) that 100 % stands for.
std::uint16_t EstimatedEraseTime(std::uint16_t kind, bool quick) {
  if (media::IsCd(kind)) return quick ? kCdQuickRounds : kCdFullRounds;
  return quick ? kDvdQuickRounds : kDvdFullRounds;
}

}  // namespace

bool EraseRunning() { return eraseRunning.load(); }

bool WaitForEraseThread(long TimeoutMs) {
  LiveThreads& live = Live();
  std::unique_lock lock(live.mutex);
  const auto none = [&live] { return live.count == 0; };
  if (TimeoutMs < 0) {
    live.ended.wait(lock, none);
    return true;
  }
  return live.ended.wait_for(lock, std::chrono::milliseconds(TimeoutMs), none);
}

TEraseThread::TEraseThread(TSCSIDevice& Device, std::uint16_t Kind, bool Quick, EraseDoneSink Done)
    : device_(Device), kind_(Kind), quick_(Quick), done_(std::move(Done)), EstimatedTime(EstimatedEraseTime(Kind, Quick)) {}

void TEraseThread::Start(TSCSIDevice& Device, std::uint16_t Kind, bool Quick, EraseDoneSink Done) {
  std::unique_ptr<TEraseThread> owned(new TEraseThread(Device, Kind, Quick, std::move(Done)));
  Enter();
  eraseRunning.store(true);
  try {
    std::thread([thread = std::move(owned)]() mutable {
      platform::SetCurrentThreadName("kivo erase");
      thread->Execute();
      thread.reset();
      Leave();
    }).detach();
  } catch (...) {
    eraseRunning.store(false);
    Leave();
    throw;
  }
}

void TEraseThread::Execute() {
  StoreProgress();
  if (kind_ == media::kDvdRwRestricted || kind_ == media::kDvdRwSequential) WaitForDvdRw();
  if (kind_ == media::kDvdPlusRw) {
    if (WaitForDvdPlusRwFormat()) {
      ZeroDvdPlusRw();
    } else {
      // The format never finished: the disc is not erased, and zeros could not be written.
      device_.DebugMessage(fmt::sprintf(recordtext::kDvdPlusRwFormatTimedOut, kDvdPlusRwFormatMinutes), 0);
      WithError = true;
    }
  }
  if (kind_ == media::kDvdRam && quick_) ZeroDvdRam();
  if (SlowReadyQuirk.load()) WaitForSlowDrive();
  if (!device_.TestUnitReady(kReadyTimeoutMs) || !device_.ReadDiscInfo()) RecoverReadiness();
  // The pass-through keeps a handle per drive; after a long operation it is opened afresh.
  if (TransportName() == text::kPassThroughName) ReloadTransport();
  if (!WithError && !DiscReadsErased()) {
    device_.DebugMessage(std::string(recordtext::kDiscNotErased), 0);
    WithError = true;
  }
  device_.EraseProgress.store(100);
  device_.ReturnToNeutralState();
  Finish();
}

void TEraseThread::WaitForDvdRw() {
  TestUntilReady(1);
  platform::Sleep(kDvdRwSettleMs);
  TestUntilReady(1);
}

bool TEraseThread::WaitForDvdPlusRwFormat() {
  const long polls = PollsWithin(kDvdPlusRwFormatMinutes, kFormatPollMs);
  for (long poll = 0; poll < polls; ++poll) {
    platform::Sleep(kFormatPollMs);
    elapsed_ += 2;
    device_.ReadDiscInfo();
    StoreProgress();
    if (!NotReady()) return true;
  }
  return false;
}

void TEraseThread::ZeroDvdPlusRw() {
  const std::uint32_t writes = quick_ ? kQuickZeroWrites : kFullZeroWrites;
  // A refused write leaves the rest of the disc as the format left it; nothing to close then.
  if (WriteZeros(device_, writes, true) < writes) return;
  platform::Sleep(kBeforeSyncMs);
  elapsed_ += 1;
  StoreProgress();
  device_.SynchronizeCache(kSyncTimeoutMs, false);
  device_.CloseTrackSessionRaw(false, kCloseFormat, 0, 0, 0);
}

void TEraseThread::ZeroDvdRam() {
  WriteZeros(device_, kQuickZeroWrites, false);
  device_.SynchronizeCache(kSyncTimeoutMs, false);
}

void TEraseThread::WaitForSlowDrive() {
  TestUntilReady(2);
  device_.ReadDiscInfo();
  platform::Sleep(kSlowDriveSettleMs);
}

void TEraseThread::RecoverReadiness() {
  // A DVD-RAM answers the disc information while it formats; only its sense data tells.
  if (kind_ != media::kDvdRam) {
    do {
      device_.ReadDiscInfo();
      elapsed_ += 5;
      if (NotReady()) platform::Sleep(kDiscInfoPauseMs);
      StoreProgress();
    } while (NotReady() && !EstimateSpent());
  }
  TestUntilReady(2);
  alignas(4) std::array<std::uint8_t, sensedata::kRequestedLength> sense{};
  std::uint8_t asc = 0;
  do {
    sense.fill(0);
    device_.RequestSense(sense, sensedata::kRequestedLength);
    elapsed_ += 2;
    asc = sensedata::RequestedAsc(sense);
    platform::Sleep(kReadyPauseMs);
    StoreProgress();
  } while (asc != 0 && !EstimateSpent());
}

void TEraseThread::TestUntilReady(double Rounds) {
  do {
    elapsed_ += Rounds;
    if (!device_.TestUnitReady(kReadyTimeoutMs)) platform::Sleep(kReadyPauseMs);
    StoreProgress();
  } while (NotReady() && !EstimateSpent());
}

// The drive's word that it finished is not enough: a firmware may take the command and drop it,
// and an eject or a new recording must not follow an erase that did not happen.
bool TEraseThread::DiscReadsErased() {
  const std::uint16_t kind = device_.MediaKind();
  if (media::OverwritesInPlace(kind)) return device_.IsoVolumeSize() == 0;
  return device_.DiscStatus() == 0;
}

bool TEraseThread::NotReady() const { return device_.LastSense[sensedata::kAsc] == sensedata::kAscNotReady; }

void TEraseThread::StoreProgress() {
  // The default rounding mode takes halves to the even neighbour.
  const double percent = std::nearbyint(100.0 * elapsed_ / EstimatedTime);
  device_.EraseProgress.store(static_cast<std::int32_t>(std::min(percent, 99.0)));
}

void TEraseThread::Finish() {
  // Erasing is cleared on the main thread together with the event, so that the main thread
  // never sees the erase over while this thread still needs the component.
  platform::Synchronize([this] {
    device_.Erasing.store(false);
    eraseRunning.store(false);
    if (done_) done_(WithError);
  });
}

}  // namespace kivo
