#include "engine/iso/ZoneOffsets.h"

#include <algorithm>
#include <cmath>

#include "engine/platform/Time.h"

namespace kivo {

namespace {

constexpr int kMinutesPerUnit = 15;
constexpr int kMostWest = -48, kMostEast = 52;
constexpr double kQuarterHoursPerDay = 96.0;

}  // namespace

std::optional<std::int8_t> ZoneOffsetAt(TDateTime local) {
  const auto civil = DecodeDateTime(local);
  if (!civil) return std::nullopt;
  const auto minutes = platform::UtcOffsetMinutesAt(*civil);
  if (!minutes) return std::nullopt;
  // Local mean times of old dates are not whole quarter hours: the nearest one is the closest
  // the field can say.
  const int units = static_cast<int>(std::lround(*minutes / static_cast<double>(kMinutesPerUnit)));
  return static_cast<std::int8_t>(std::clamp(units, kMostWest, kMostEast));
}

std::int8_t ZoneOffsets::At(TDateTime local) {
  if (!std::isfinite(local)) return fallback_;
  const auto slot = static_cast<std::int64_t>(std::floor(local * kQuarterHoursPerDay));
  if (const auto found = known_.find(slot); found != known_.end()) return found->second;
  const std::int8_t offset = ZoneOffsetAt(local).value_or(fallback_);
  known_.emplace(slot, offset);
  return offset;
}

}  // namespace kivo
