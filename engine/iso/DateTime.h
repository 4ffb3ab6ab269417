// TDateTime: a local date and time as days since 1899-12-30 00:00, the fraction being the time
// of day. Before that day the whole part is negative while the fraction still counts forward
// from midnight (-1.25 is 1899-12-29 06:00), as the type has always been read.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/platform/Time.h"

namespace kivo {

using TDateTime = double;

// Days from 1899-12-30 to 1970-01-01.
inline constexpr std::int64_t kUnixEpochDays = 25569;

TDateTime EncodeDateTime(const platform::CivilTime& local);

// Empty for values that name no day of the years 1 to 9999 (NaN and infinities included).
std::optional<platform::CivilTime> DecodeDateTime(TDateTime value);

// A last-write time (seconds since 1970 UTC) as local TDateTime; empty when the moment has no
// local calendar date in the years 1 to 9999.
std::optional<TDateTime> UnixToDateTime(std::int64_t unixSeconds);

// The current local date and time (SOURCE_DATE_EPOCH, when set, is that moment).
TDateTime NowDateTime();

// What a record date becomes when it cannot be converted: the current moment.
TDateTime UnixToDateTimeOrNow(std::int64_t unixSeconds);

}  // namespace kivo
