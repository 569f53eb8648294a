#include <gtest/gtest.h>

#include "engine/schedule.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "support.h"

namespace krav {
namespace {

using test::D;
using test::Join;
using test::Sub;

std::string Schedule3(std::string_view a, std::string_view b, std::string_view c) {
  return Join({Sub(a), Sub(b), Sub(c)}, kSep1);
}

std::int64_t Last(std::string_view a, std::string_view b, std::int64_t horizon) {
  auto s = ParseSchedule(Schedule3(a, b, "21"));
  EXPECT_TRUE(s.has_value()) << a << " / " << b;
  return s ? LastOccurrence(*s, horizon) : -1;
}

const DayNumber kFar = D(9000, 1, 1);

TEST(CountLimit, DailyAndWeekly) {
  EXPECT_EQ(Last("2", "12|01.12.2026|00:00|1", kFar), D(2026, 12, 1));
  EXPECT_EQ(Last("2", "12|01.12.2026|00:00|31", kFar), D(2026, 12, 31));
  // 02.12.2026 is a Wednesday: the first Monday on or after it is 07.12.
  EXPECT_EQ(Last(Ru("3|понедельникам"), "12|02.12.2026|00:00|1", kFar), D(2026, 12, 7));
  EXPECT_EQ(Last(Ru("3|понедельникам"), "12|02.12.2026|00:00|3", kFar), D(2026, 12, 21));
}

TEST(CountLimit, MonthlySkipsMonthsWithoutTheDay) {
  EXPECT_EQ(Last("4|31", "12|01.01.2026|00:00|2", kFar), D(2026, 3, 31));
  EXPECT_EQ(Last("4|31", "12|01.01.2026|00:00|1", kFar), D(2026, 1, 31));
  EXPECT_EQ(Last("4|15", "12|20.01.2026|00:00|1", kFar), D(2026, 2, 15));  // 15 < start's day
  EXPECT_EQ(Last("4|30", "12|10.02.2026|00:00|1", kFar), D(2026, 3, 30));  // February lacks 30
  EXPECT_EQ(Last("4|29", "12|01.01.2028|00:00|2", kFar), D(2028, 2, 29));
  EXPECT_EQ(Last("4|29", "12|01.01.2027|00:00|2", kFar), D(2027, 3, 29));
  // 370 months of day 31: seven of every twelve months have it.
  EXPECT_EQ(Last("4|31", "12|01.01.2026|00:00|7", kFar), D(2026, 12, 31));
  EXPECT_EQ(Last("4|31", "12|01.01.2026|00:00|14", kFar), D(2027, 12, 31));
}

TEST(CountLimit, YearlyLeapDay) {
  EXPECT_EQ(Last("5|29.02", "12|01.03.2025|00:00|1", kFar), D(2028, 2, 29));
  EXPECT_EQ(Last("5|29.02", "12|01.03.2024|00:00|1", kFar), D(2028, 2, 29));
  EXPECT_EQ(Last("5|29.02", "12|01.01.2096|00:00|2", kFar), D(2104, 2, 29));  // 2100 is no leap year
  EXPECT_EQ(Last("5|12.03", "12|13.03.2026|00:00|1", kFar), D(2027, 3, 12));
  EXPECT_EQ(Last("5|12.03", "12|12.03.2026|00:00|3", kFar), D(2028, 3, 12));
}

TEST(CountLimit, HugeCountsEndInBoundedTime) {
  const std::int64_t horizon = D(2026, 12, 31);
  EXPECT_EQ(Last("4|31", "12|01.01.2026|00:00|2147483647", horizon), kUnbounded);
  EXPECT_EQ(Last("5|29.02", "12|01.01.1800|00:00|2147483647", horizon), kUnbounded);
  EXPECT_EQ(Last("6|0|0|5", "12|01.01.2026|10:00|2147483647", horizon * 1440), kUnbounded);
  // Within the horizon, a count spanning several 400-year cycles is exact.
  EXPECT_EQ(Last("4|31", "12|01.01.2000|00:00|5601", kFar), D(2800, 1, 31));
  EXPECT_EQ(Last("5|29.02", "12|01.01.2000|00:00|195", kFar), D(2800, 2, 29));
  EXPECT_EQ(Last("2", "12|01.01.2026|00:00|2147483647", horizon), D(2026, 1, 1) + 2147483646);
}

TEST(Parse, RejectsSchedulesThatMatchNothing) {
  const char* bad[][3] = {
      {"6|0|0|0", "11|01.01.2026|10:00", ""},    // step 0
      {"6|0|0|-5", "11|01.01.2026|10:00", ""},   // negative step
      {"6|0|1|0", "11|01.01.2026", ""},          // interval without start time
      {"5|31.02", "11|01.01.2026|00:00", "21"},  // valid in no year
      {"5|1", "11|01.01.2026|00:00", "21"},      // no month
      {"4|32", "11|01.01.2026|00:00", "21"},
      {"4|0", "11|01.01.2026|00:00", "21"},
      {"3|someday", "11|01.01.2026|00:00", "21"},
      {"2", "", "21"},                       // periodic without group B
      {"2", "12|01.01.2026|00:00|0", "21"},  // count below 1
      {"2", "12|01.01.2026|00:00|-3", "21"},
      {"2", "11|01.01.2026|00:00", ""},    // no group C
      {"2", "11|01.01.2026|00:00", "22"},  // group C without its time
      {"2", "11|01.01.2026|00:00", "22|25:00"},
      {"7", "11|01.01.2026|00:00", "21"},
      {"", "", ""},
  };
  for (const auto& b : bad)
    EXPECT_FALSE(ParseSchedule(Schedule3(b[0], b[1], b[2])).has_value()) << b[0] << " " << b[1];
  EXPECT_TRUE(ParseSchedule(Schedule3("1|08.12.2026", "", "22|14:35")).has_value());
  EXPECT_TRUE(ParseSchedule(Schedule3(Ru("3|Понедельник"), "11|01.12.2026|", "21")).has_value());
}

}  // namespace
}  // namespace krav
