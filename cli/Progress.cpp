#include "cli/Progress.h"

#include <fmt/format.h>

#include <atomic>
#include <chrono>
#include <iostream>
#include <thread>

#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/Console.h"
#include "engine/platform/Threads.h"
#include "engine/record/Recording.h"

namespace kivo::cli {

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(500);
constexpr auto kPumpInterval = std::chrono::milliseconds(10);
constexpr std::int64_t kSector = 2048;

std::atomic<bool> interruptPending{false};

// Ctrl-C, a terminal that closes and a plain kill all end a burn the same clean way. The
// recording's abort flag is set here too: the drive's preparation runs on this thread before
// the pump below does, and its waits end on the flag.
void OnInterrupt() {
  interruptPending.store(true);
  WriteAborted.store(true);
}

std::string RecordingLine(const TZelvoBurner& burner) {
  const std::uint32_t size = burner.DeviceBufferSize.load();
  const std::uint32_t free = burner.DeviceFreeBufferSize.load();
  const int driveFill = size == 0 || free > size ? 0 : static_cast<int>((size - free) * 100ull / size);
  return fmt::format("{:.1f} / {:.1f} MB written, cache {}%, drive buffer {}%",
                     static_cast<double>(burner.BytesWritten.load()) / kMegabyte,
                     static_cast<double>(burner.ImageSize() * kSector) / kMegabyte, burner.CacheFillPercent(),
                     driveFill);
}

}  // namespace

InterruptGuard::InterruptGuard() {
  interruptPending.store(false);
  platform::CatchStopRequests(OnInterrupt);
}

InterruptGuard::~InterruptGuard() { platform::RestoreStopRequests(); }

bool InterruptGuard::TakeInterrupt() { return interruptPending.exchange(false); }

void WaitOnMainThread(const WaitHooks& hooks) {
  const bool terminal = hooks.progress && platform::ErrorOutputIsTerminal();
  auto nextLine = std::chrono::steady_clock::now();
  bool shown = false;
  while (!hooks.done()) {
    if (platform::CheckSynchronize()) continue;
    if (InterruptGuard::TakeInterrupt() && hooks.interrupted) hooks.interrupted();
    if (terminal && std::chrono::steady_clock::now() >= nextLine) {
      std::cerr << '\r' << hooks.progress() << "\033[K" << std::flush;
      shown = true;
      nextLine += kProgressInterval;
    }
    std::this_thread::sleep_for(kPumpInterval);
  }
  if (shown) std::cerr << '\n';
}

WriteDoneWait::WriteDoneWait(TZelvoBurner& burner) : burner_(burner) {
  burner_.OnWriteDone = [this](TZelvoBurner*, const std::string& error) {
    error_ = error;
    done_ = true;
  };
}

std::string WriteDoneWait::Wait(bool withProgress) {
  WaitHooks hooks;
  hooks.done = [this] { return done_; };
  hooks.interrupted = [this] { burner_.AbortRecording(); };
  if (withProgress) hooks.progress = [this] { return RecordingLine(burner_); };
  WaitOnMainThread(hooks);
  return error_;
}

}  // namespace kivo::cli
