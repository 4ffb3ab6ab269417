#include "engine/platform/Console.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <iterator>

namespace kivo::platform {

namespace {

constexpr int kStoppingSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previousActions[std::size(kStoppingSignals)];
std::atomic<void (*)()> catcher{nullptr};

extern "C" void OnStopSignal(int) {
  if (auto* handler = catcher.load()) handler();
}

}  // namespace

void CatchStopRequests(void (*handler)()) {
  catcher.store(handler);
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < std::size(kStoppingSignals); ++i) {
    sigaction(kStoppingSignals[i], &action, &previousActions[i]);
  }
}

void RestoreStopRequests() {
  for (std::size_t i = 0; i < std::size(kStoppingSignals); ++i) {
    sigaction(kStoppingSignals[i], &previousActions[i], nullptr);
  }
  catcher.store(nullptr);
}

bool ErrorOutputIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace kivo::platform
