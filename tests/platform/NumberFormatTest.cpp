#include "engine/platform/NumberFormat.h"

#include <gtest/gtest.h>

namespace kivo::platform {
namespace {

const NumberSeparators kEnglish{".", ","};
const NumberSeparators kSerbian{",", "."};

TEST(FormatFloat, FollowsThePicture) {
  struct Case {
    const char* pattern;
    double value;
    const char* english;
    const char* serbian;
  };
  const Case cases[] = {
      // The speed texts of a recording: 4x of a CD drive, the same in KB/s.
      {"0.0", 5540.0 / 1385, "4.0", "4,0"},
      {"X (#,##0 KB/s)", 5540, "X (5,540 KB/s)", "X (5.540 KB/s)"},
      {"(#,##0 KB/s)", 176, "(176 KB/s)", "(176 KB/s)"},
      {"0.0X", 2.4, "2.4X", "2,4X"},
      {"0X", 7.5, "8X", "8X"},
      {"0", 0.4, "0", "0"},
      // Grouping through every group, and a number wider than its picture.
      {"#,##0", 1234567.0, "1,234,567", "1.234.567"},
      {"0", 123456.0, "123456", "123456"},
      {"#,##0", 999.5, "1,000", "1.000"},
      // '#' decimals drop trailing zeros down to the last '0'; no separator without decimals.
      {"0.0#", 3.1, "3.1", "3,1"},
      {"0.0#", 3.146, "3.15", "3,15"},
      {"0.##", 5, "5", "5"},
      {"#.00", 0.5, ".50", ",50"},
      {"000", 7, "007", "007"},
      // Rounding half away from zero, on the decimal the user meant.
      {"0", 2.5, "3", "3"},
      {"0", -2.5, "-3", "-3"},
      {"0.00", 2.675, "2.68", "2,68"},
      {"0.0", 9.96, "10.0", "10,0"},
      {"0.0", -0.04, "0.0", "0,0"},  // no minus sign on a value that shows as zero
      // The sign stands before the digits, after leading text; quoted text is kept as written.
      {"X (#,##0 KB/s)", -1500, "X (-1,500 KB/s)", "X (-1.500 KB/s)"},
      {"'#,0.' 0 \"km\"", 12, "#,0. 12 km", "#,0. 12 km"},
      {"approx. 0.0", 1.25, "approx. 1.3", "approx. 1,3"},
      {"", 0.5, "0.5", "0,5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.pattern << "\" of " << c.value);
    EXPECT_EQ(FormatFloat(c.pattern, c.value, kEnglish), c.english);
    EXPECT_EQ(FormatFloat(c.pattern, c.value, kSerbian), c.serbian);
  }
}

TEST(FormatFloat, LargeAndNonFiniteValues) {
  EXPECT_EQ(FormatFloat("#,##0", 1e18, kEnglish), "1,000,000,000,000,000,000");
  EXPECT_EQ(FormatFloat("0.0", 1e-300, kEnglish), "0.0");
  EXPECT_EQ(FormatFloat("0", std::numeric_limits<double>::infinity(), kEnglish), "INF");
  EXPECT_EQ(FormatFloat("0", std::numeric_limits<double>::quiet_NaN(), kEnglish), "NAN");
}

TEST(UserNumberSeparators, AreTwoDistinctSeparators) {
  const NumberSeparators& user = UserNumberSeparators();
  EXPECT_FALSE(user.Decimal.empty());
  EXPECT_FALSE(user.Thousands.empty());
  EXPECT_NE(user.Decimal, user.Thousands);
  EXPECT_EQ(FormatFloat("0.0", 4, user), FormatFloat("0.0", 4));
}

}  // namespace
}  // namespace kivo::platform
