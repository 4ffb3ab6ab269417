// Clock and calendar: the current moment (fixed by SOURCE_DATE_EPOCH for reproducible
// images), local civil time and the time-zone bias.
#pragma once

#include <cstdint>
#include <optional>

namespace kivo::platform {

struct CivilTime {
  int year = 1970, month = 1, day = 1;  // month 1..12, day 1..31
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Seconds since 1970-01-01 UTC; SOURCE_DATE_EPOCH, when set to a number, is taken instead.
std::int64_t NowUnix();
// The system clock in nanoseconds since 1970-01-01 UTC, never fixed: what a file's modification
// time is compared with.
std::int64_t WallClockNanoseconds();
// Milliseconds of a steady clock, for measuring durations.
std::int64_t MonotonicMs();

CivilTime UnixToLocal(std::int64_t unixSeconds);
std::int64_t LocalToUnix(const CivilTime& local);

// Minutes east of UTC in force at a local date and time, summer time included; empty when the
// C library cannot place the date. A local time that a change of clocks skips or repeats takes
// one of the offsets around the change.
std::optional<int> UtcOffsetMinutesAt(const CivilTime& local);

// Minutes to add to local standard time to get UTC (negative east of Greenwich), without
// daylight saving: what the Windows bias means.
int TimeZoneBiasMinutes();

}  // namespace kivo::platform
