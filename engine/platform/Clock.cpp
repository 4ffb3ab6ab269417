// The clocks, the same on every system.
#include "engine/platform/Time.h"

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace kivo::platform {

namespace {

// SOURCE_DATE_EPOCH is honoured only when it is a plain decimal count of seconds; anything else
// is ignored rather than guessed at, as reproducible-build tools agree.
std::optional<std::int64_t> SourceDateEpoch() {
  const char* text = std::getenv("SOURCE_DATE_EPOCH");
  if (text == nullptr) return std::nullopt;
  const std::string_view value(text);
  std::int64_t seconds = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seconds);
  if (value.empty() || value.front() == '-' || ec != std::errc() || end != value.data() + value.size()) {
    return std::nullopt;
  }
  return seconds;
}

}  // namespace

std::int64_t WallClockNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::int64_t NowUnix() {
  if (const auto fixed = SourceDateEpoch()) return *fixed;
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::int64_t MonotonicMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace kivo::platform
