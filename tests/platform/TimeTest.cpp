#include "engine/platform/Time.h"

#include <stdlib.h>

#include <ctime>

#include <gtest/gtest.h>

#include "tests/platform/ScopedEnv.h"

namespace kivo::platform {
namespace {

using testing::ScopedEnv;

TEST(NowUnix, TakesSourceDateEpochOnlyWhenItIsANumber) {
  {
    ScopedEnv env("SOURCE_DATE_EPOCH", "1700000000");
    EXPECT_EQ(NowUnix(), 1700000000);
  }
  for (const char* junk : {"", "abc", "17x", "-5", " 1", "99999999999999999999999"}) {
    SCOPED_TRACE(junk);
    ScopedEnv env("SOURCE_DATE_EPOCH", junk);
    EXPECT_NEAR(static_cast<double>(NowUnix()), static_cast<double>(std::time(nullptr)), 5);
  }
}

TEST(LocalTime, ConvertsBothWaysAndKeepsTheStandardBias) {
#ifdef _WIN32
  GTEST_SKIP() << "the zones are set with TZ rules, which the Windows layer does not read (it asks the system)";
#endif
  struct Case {
    const char* tz;
    std::int64_t unix;
    CivilTime local;
    int bias;
    int offset;  // in force at that date
  };
  const Case cases[] = {
      // Winter and summer in a zone east of Greenwich: the bias ignores summer time, the offset
      // at the date does not.
      {"CET-1CEST,M3.5.0,M10.5.0/3", 1704067200, {2024, 1, 1, 1, 0, 0, 0}, -60, 60},
      {"CET-1CEST,M3.5.0,M10.5.0/3", 1719835200, {2024, 7, 1, 14, 0, 0, 0}, -60, 120},
      {"EST5EDT,M3.2.0,M11.1.0", 1704067200, {2023, 12, 31, 19, 0, 0, 0}, 300, -300},
      {"EST5EDT,M3.2.0,M11.1.0", 1719835200, {2024, 7, 1, 8, 0, 0, 0}, 300, -240},
      {"<+0545>-5:45", 1719835200, {2024, 7, 1, 17, 45, 0, 0}, -345, 345},
      {"UTC0", 0, {1970, 1, 1, 0, 0, 0, 0}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tz);
    ScopedEnv env("TZ", c.tz);
    const CivilTime local = UnixToLocal(c.unix);
    EXPECT_EQ(std::tie(local.year, local.month, local.day, local.hour, local.minute, local.second),
              std::tie(c.local.year, c.local.month, c.local.day, c.local.hour, c.local.minute,
                       c.local.second));
    EXPECT_EQ(LocalToUnix(c.local), c.unix);
    EXPECT_EQ(TimeZoneBiasMinutes(), c.bias);
    EXPECT_EQ(UtcOffsetMinutesAt(c.local), c.offset);
  }

  // A time the change of clocks skips (spring) or repeats (autumn) takes one of the two offsets.
  ScopedEnv env("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
  for (const CivilTime& changing : {CivilTime{2024, 3, 31, 2, 30, 0, 0}, CivilTime{2024, 10, 27, 2, 30, 0, 0}}) {
    const auto offset = UtcOffsetMinutesAt(changing);
    ASSERT_TRUE(offset);
    EXPECT_TRUE(*offset == 60 || *offset == 120) << *offset;
  }
}

}  // namespace
}  // namespace kivo::platform
