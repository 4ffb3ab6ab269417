// Local civil time and the time-zone bias from the system's zone rules (the zone set in the
// control panel, with its summer-time dates for each year).
#include "engine/platform/Time.h"

#include "engine/platform/windows/Win32.h"

namespace kivo::platform {

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;

SYSTEMTIME SystemTimeOf(const CivilTime& civil) {
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(civil.year);
  time.wMonth = static_cast<WORD>(civil.month);
  time.wDay = static_cast<WORD>(civil.day);
  time.wHour = static_cast<WORD>(civil.hour);
  time.wMinute = static_cast<WORD>(civil.minute);
  time.wSecond = static_cast<WORD>(civil.second);
  return time;
}

// 100-nanosecond ticks since 1601; empty for a date the system cannot place.
std::optional<std::int64_t> TicksOf(const SYSTEMTIME& time) {
  FILETIME file{};
  if (!::SystemTimeToFileTime(&time, &file)) return std::nullopt;
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime);
}

}  // namespace

CivilTime UnixToLocal(std::int64_t unixSeconds) {
  const FILETIME file = win32::FileTimeOf(unixSeconds);
  SYSTEMTIME utc{};
  SYSTEMTIME local{};
  CivilTime civil;
  if (!::FileTimeToSystemTime(&file, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
    return civil;
  }
  civil.year = local.wYear;
  civil.month = local.wMonth;
  civil.day = local.wDay;
  civil.hour = local.wHour;
  civil.minute = local.wMinute;
  civil.second = local.wSecond;
  return civil;
}

std::int64_t LocalToUnix(const CivilTime& local) {
  const SYSTEMTIME civil = SystemTimeOf(local);
  SYSTEMTIME utc{};
  if (!::TzSpecificLocalTimeToSystemTime(nullptr, &civil, &utc)) return -1;
  const auto ticks = TicksOf(utc);
  if (!ticks) return -1;
  FILETIME file{static_cast<DWORD>(*ticks & 0xFFFFFFFF), static_cast<DWORD>(static_cast<std::uint64_t>(*ticks) >> 32)};
  return win32::UnixNanosecondsOf(file) / 1'000'000'000;
}

std::optional<int> UtcOffsetMinutesAt(const CivilTime& local) {
  const SYSTEMTIME civil = SystemTimeOf(local);
  SYSTEMTIME utc{};
  if (!::TzSpecificLocalTimeToSystemTime(nullptr, &civil, &utc)) return std::nullopt;
  const auto localTicks = TicksOf(civil);
  const auto utcTicks = TicksOf(utc);
  if (!localTicks || !utcTicks) return std::nullopt;
  return static_cast<int>((*localTicks - *utcTicks) / kTicksPerSecond / 60);
}

int TimeZoneBiasMinutes() {
  TIME_ZONE_INFORMATION zone{};
  if (::GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return 0;
  // Bias is UTC minus local in minutes; the standard bias (almost always 0) belongs to it.
  return static_cast<int>(zone.Bias + zone.StandardBias);
}

}  // namespace kivo::platform
