#include "engine/iso/DateTime.h"

#include <cmath>

namespace kivo {

namespace {

constexpr double kMsPerDay = 86400000.0;

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's days_from_civil).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, platform::CivilTime& out) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  out.year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (out.month <= 2));
}

bool IsPlausible(const platform::CivilTime& t) {
  return t.year >= 1 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= 31 && t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 &&
         t.second >= 0 && t.second < 61;
}

}  // namespace

TDateTime EncodeDateTime(const platform::CivilTime& local) {
  const double day = static_cast<double>(
      DaysFromCivil(local.year, static_cast<unsigned>(local.month), static_cast<unsigned>(local.day)) +
      kUnixEpochDays);
  const double time =
      (((local.hour * 60.0 + local.minute) * 60.0 + local.second) * 1000.0 + local.millisecond) /
      kMsPerDay;
  return day >= 0 ? day + time : day - time;
}

std::optional<platform::CivilTime> DecodeDateTime(TDateTime value) {
  // Beyond these bounds the value is not a date of years 1..9999 (and the casts below would
  // overflow).
  if (!std::isfinite(value) || value < -693594.0 || value >= 2958466.0) return std::nullopt;
  std::int64_t day = static_cast<std::int64_t>(value);  // truncates toward zero
  auto ms = static_cast<std::int64_t>(std::llround(std::fabs(value - static_cast<double>(day)) * kMsPerDay));
  if (ms >= static_cast<std::int64_t>(kMsPerDay)) {  // rounds up to the next midnight
    ms -= static_cast<std::int64_t>(kMsPerDay);
    day += 1;
  }
  platform::CivilTime t;
  CivilFromDays(day - kUnixEpochDays, t);
  t.millisecond = static_cast<int>(ms % 1000);
  t.second = static_cast<int>(ms / 1000 % 60);
  t.minute = static_cast<int>(ms / 60000 % 60);
  t.hour = static_cast<int>(ms / 3600000);
  if (t.year < 1 || t.year > 9999) return std::nullopt;
  return t;
}

std::optional<TDateTime> UnixToDateTime(std::int64_t unixSeconds) {
  // The local calendar cannot reach beyond year 9999 from here; asking the C library about
  // such moments only invites overflow.
  constexpr std::int64_t kLimit = std::int64_t{253402300800};  // 10000-01-01 UTC
  if (unixSeconds <= -kLimit || unixSeconds >= kLimit) return std::nullopt;
  const platform::CivilTime local = platform::UnixToLocal(unixSeconds);
  if (!IsPlausible(local)) return std::nullopt;
  return EncodeDateTime(local);
}

TDateTime NowDateTime() { return UnixToDateTimeOrNow(platform::NowUnix()); }

TDateTime UnixToDateTimeOrNow(std::int64_t unixSeconds) {
  if (const auto value = UnixToDateTime(unixSeconds)) return *value;
  if (const auto now = UnixToDateTime(platform::NowUnix())) return *now;
  return 0;  // a clock beyond year 9999: 1899-12-30 is as good as any
}

}  // namespace kivo
