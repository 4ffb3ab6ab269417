// The offset from UTC that a local date carries on the disc: the one in force at that date,
// summer time included, so that readers in any zone show the moment the file was written.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>

#include "engine/iso/DateTime.h"

namespace kivo {

// The offset in the 15-minute units of ISO 9660 dates (-48 to 52); empty when the value names
// no date the C library can place.
std::optional<std::int8_t> ZoneOffsetAt(TDateTime local);

// ZoneOffsetAt for the many dates of one recording. Clocks change at whole quarter hours (the
// ends of local mean time aside), so the dates of one quarter hour share an answer; fallback
// stands in where there is none.
class ZoneOffsets {
 public:
  explicit ZoneOffsets(std::int8_t fallback) : fallback_(fallback) {}
  std::int8_t At(TDateTime local);

 private:
  std::int8_t fallback_;
  std::unordered_map<std::int64_t, std::int8_t> known_;
};

}  // namespace kivo
