#include "engine/platform/Threads.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>


namespace kivo::platform {

namespace {
std::atomic<double> timeScale{1.0};
std::atomic<double> waitScale{1.0};
constexpr char kWaitScaleVariable[] = "KIVO_WAIT_SCALE";
}  // namespace

void Sleep(long ms) {
  const double scaled = static_cast<double>(ms) * timeScale.load(std::memory_order_relaxed) *
                        waitScale.load(std::memory_order_relaxed);
  if (scaled <= 0) {
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(scaled));
}

void SetTimeScale(double scale) { timeScale.store(scale, std::memory_order_relaxed); }

double TimeScale() { return timeScale.load(std::memory_order_relaxed); }

void SetWaitScale(double scale) { waitScale.store(scale, std::memory_order_relaxed); }

bool TakeWaitScaleFromEnvironment(std::string& error) {
  const char* text = std::getenv(kWaitScaleVariable);
  if (text == nullptr || *text == '\0') return true;
  char* end = nullptr;
  errno = 0;
  const double scale = std::strtod(text, &end);
  if (errno != 0 || *end != '\0' || !(scale >= 0 && scale <= 1)) {
    error = std::string(kWaitScaleVariable) + " must be a number from 0 to 1, not \"" + text + "\"";
    return false;
  }
  SetWaitScale(scale);
  return true;
}

}  // namespace kivo::platform
