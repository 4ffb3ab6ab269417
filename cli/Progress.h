// Waiting on the main thread for a recording, a streamed image save or an erase: the calls the
// worker hands to the main thread are run while the wait lasts, Ctrl-C asks the worker to stop
// instead of killing the process (which would leave the drive mid-command), and on a terminal
// a progress line is redrawn every 500 ms.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kivo {
class TZelvoBurner;
}

namespace kivo::cli {

// The main window's default cache, which the command-line recordings use as well.
inline constexpr std::int32_t kWindowCacheSize = 8392704;
inline constexpr double kMegabyte = 1048576.0;

// Catches Ctrl-C for as long as it lives.
class InterruptGuard {
 public:
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

  // Whether Ctrl-C was pressed since the last call.
  static bool TakeInterrupt();
};

struct WaitHooks {
  std::function<bool()> done;            // the worker's end has been reported
  std::function<void()> interrupted;     // Ctrl-C: ask the worker to stop
  std::function<std::string()> progress; // the line to show on a terminal; empty: none
};

// Runs handed-over calls until hooks.done() holds.
void WaitOnMainThread(const WaitHooks& hooks);

// The burner's OnWriteDone is caught from construction on (so that a start that fails at once
// is caught too); Wait returns its Error.
class WriteDoneWait {
 public:
  explicit WriteDoneWait(TZelvoBurner& burner);
  // withProgress: show the written megabytes and the cache and drive buffer fill.
  std::string Wait(bool withProgress);

 private:
  TZelvoBurner& burner_;
  bool done_ = false;
  std::string error_;
  InterruptGuard interrupts_;
};

}  // namespace kivo::cli
