#include "engine/platform/Time.h"

#include <ctime>
#include <optional>

namespace kivo::platform {

namespace {

std::tm CalendarFields(const CivilTime& civil) {
  std::tm tm {};
  tm.tm_year = civil.year - 1900;
  tm.tm_mon = civil.month - 1;
  tm.tm_mday = civil.day;
  tm.tm_hour = civil.hour;
  tm.tm_min = civil.minute;
  tm.tm_sec = civil.second;
  return tm;
}

}  // namespace

CivilTime UnixToLocal(std::int64_t unixSeconds) {
  const std::time_t t = static_cast<std::time_t>(unixSeconds);
  std::tm tm {};
  ::localtime_r(&t, &tm);
  CivilTime civil;
  civil.year = tm.tm_year + 1900;
  civil.month = tm.tm_mon + 1;
  civil.day = tm.tm_mday;
  civil.hour = tm.tm_hour;
  civil.minute = tm.tm_min;
  civil.second = tm.tm_sec;
  return civil;
}

std::int64_t LocalToUnix(const CivilTime& local) {
  std::tm tm = CalendarFields(local);
  tm.tm_isdst = -1;  // let the zone rules decide whether summer time applies
  return static_cast<std::int64_t>(std::mktime(&tm));
}

std::optional<int> UtcOffsetMinutesAt(const CivilTime& local) {
  std::tm tm = CalendarFields(local);
  // The local time read as if it were UTC; the moment sought lies one offset away from it.
  const std::time_t asUtc = ::timegm(&tm);
  if (asUtc == static_cast<std::time_t>(-1)) return std::nullopt;
  // Unlike mktime, localtime_r does not look at the zone file again on each call, and a
  // recording asks this for every file. Two steps settle on the offset of the moment found,
  // a third only for a time inside a change of clocks.
  long offset = 0;
  for (int step = 0; step < 3; ++step) {
    const std::time_t moment = asUtc - offset;
    std::tm at {};
    if (::localtime_r(&moment, &at) == nullptr) return std::nullopt;
    if (at.tm_gmtoff == offset && step > 0) break;
    offset = at.tm_gmtoff;
  }
  return static_cast<int>(offset / 60);
}

int TimeZoneBiasMinutes() {
  ::tzset();
  // "timezone" is seconds west of Greenwich for standard time: UTC minus local, as wanted.
  return static_cast<int>(::timezone / 60);
}

}  // namespace kivo::platform
