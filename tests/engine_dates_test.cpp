#include <gtest/gtest.h>

#include "engine/dates.h"
#include "platform/encoding.h"
#include "support.h"

namespace krav {
namespace {

using test::D;

TEST(Calendar, DayNumbersOfThePlatform) {
  EXPECT_EQ(D(1899, 12, 30), 0);
  EXPECT_EQ(D(1900, 1, 1), 2);
  EXPECT_EQ(D(2026, 12, 8), 46364);
  for (DayNumber d : {DayNumber{-700000}, DayNumber{0}, DayNumber{46364}, DayNumber{2900000}}) {
    const Ymd v = DayToYmd(d);
    EXPECT_EQ(YmdToDay(v.year, v.month, v.day), d);
  }
  EXPECT_EQ(IsoWeekday(static_cast<double>(D(2026, 12, 7))), 1);  // a Monday
  EXPECT_EQ(IsoWeekday(static_cast<double>(D(2026, 12, 13))), 7);
  EXPECT_EQ(IsoWeekday(static_cast<double>(D(1899, 12, 30))), 6);
}

// A date made by a static object, before main: the engine's epoch is a
// constant, so it is right whatever the order of static initialisation.
const DateTime kMadeStatically = MakeDateTime(2026, 3, 7);

TEST(DateTexts, WriteAndRead) {
  EXPECT_EQ(DateToText(kMadeStatically), "07.03.2026");
  const DateTime d = MakeDateTime(2026, 3, 7, 9, 5);
  EXPECT_EQ(DateToText(d), "07.03.2026");
  EXPECT_EQ(DateToShortText(d), "07.03.26");
  EXPECT_EQ(TimeToText(d), "09:05");
  EXPECT_EQ(*ReadDay("07.03.2026"), D(2026, 3, 7));
  EXPECT_EQ(*ReadDay("07.03.26"), D(2026, 3, 7));
  EXPECT_EQ(*ReadDay("07.03.81"), D(1981, 3, 7));
  // Two-digit years follow the check's one rule: below 80 is 20yy.
  EXPECT_EQ(*ReadDay("07.03.79"), D(2079, 3, 7));
  EXPECT_EQ(*ReadDay("07.03.80"), D(1980, 3, 7));
  EXPECT_EQ(*ReadDay(" 7. 3.2026"), D(2026, 3, 7));  // what an input mask leaves
  EXPECT_EQ(*ReadTimeOfDay("23:59"), 23 * 60 + 59);
  EXPECT_EQ(StoredDate("01.03.26"), "01.03.2026");
  EXPECT_EQ(StoredTime(" 9: 5"), "09:05");
}

// No reader falls back to today: a text that is no date is refused, and says why.
TEST(DateTexts, InvalidDatesAreRefusedNotReadAsToday) {
  test::FixedClock clock(MakeDateTime(2026, 12, 8, 14, 35));
  for (const char* bad : {"31.02.2026", "", "garbage", "32.01.26", "1.3.2026", "07.03.2026x", "07.03.-026",
                          "07.03.2O26", "29.02.2100"}) {
    const Reading<DayNumber> day = ReadDay(bad);
    EXPECT_FALSE(day) << bad;
    EXPECT_FALSE(day.why.empty()) << bad;
  }
  EXPECT_EQ(StoredDate("garbage"), "garbage");
}

// The check and the reading are one: what the check takes is the day read.
TEST(DateTexts, ValidityCheckIsTheReading) {
  for (const char* ok : {"29.02.2024", "29.02.00", "31.12.1753", "01.01.26"}) EXPECT_TRUE(IsValidDateText(ok)) << ok;
  // 29.02.2100 passed the old divisible-by-4 check and was then read as today.
  for (const char* bad : {"29.02.2023", "31.04.2026", "00.01.2026", "01.01.1700", "01.13.2026", "29.02.2100"})
    EXPECT_FALSE(IsValidDateText(bad)) << bad;
}

TEST(TimeTexts, Validity) {
  EXPECT_TRUE(IsValidTimeText("23:59"));
  EXPECT_TRUE(IsValidTimeText(""));
  EXPECT_TRUE(IsValidTimeText(" 9: 5"));
  EXPECT_FALSE(IsValidTimeText("24:00"));
  EXPECT_FALSE(IsValidTimeText("12:60"));
  // The reading agrees with the check: "9:5" is 09:05, not 09:00.
  EXPECT_EQ(*ReadTimeOfDay("9:5"), 9 * 60 + 5);
  EXPECT_EQ(*ReadTimeOfDay(""), 0);
  for (const char* bad : {"256:00", "12:00:00", "1a:00", "-1:00", "123:4"}) EXPECT_FALSE(ReadTimeOfDay(bad)) << bad;
}

TEST(Words, MonthsWeekdaysLongDates) {
  EXPECT_EQ(MonthName(1, true), Ru("январь"));
  EXPECT_EQ(MonthName(12, false), Ru("декабря"));
  EXPECT_EQ(MonthName(13, false), "");
  EXPECT_EQ(WeekdayFromName(Ru("понедельникам")), 1);
  EXPECT_EQ(WeekdayFromName(Ru("Среда")), 3);
  EXPECT_EQ(WeekdayFromName(Ru("ВОСКРЕСЕНЬЯМ")), 7);
  EXPECT_EQ(WeekdayFromName(Ru("понедельники")), 0);
  EXPECT_EQ(DateToLongText("08.12.2026"), Ru("8 декабря 2026 г."));
  EXPECT_EQ(DateToLongText("01.05.26"), Ru("1 мая 2026 г."));
}

TEST(Calendar, MonthEndsAndComparison) {
  EXPECT_EQ(DayOf(LastDayOfMonth(static_cast<double>(D(2024, 2, 10)))), D(2024, 2, 29));
  EXPECT_EQ(DayOf(LastDayOfMonth(static_cast<double>(D(2100, 2, 10)))), D(2100, 2, 28));
  EXPECT_EQ(DayOf(NextDay(static_cast<double>(D(2026, 12, 31)))), D(2027, 1, 1));
  EXPECT_EQ(MonthOf(MakeDateTime(2026, 7, 4)), 7);
  EXPECT_EQ(YearOf(MakeDateTime(2026, 7, 4)), 2026);
  EXPECT_EQ(CompareDays(MakeDateTime(2026, 1, 1, 23, 0), MakeDateTime(2026, 1, 1, 1, 0)), 0);
  EXPECT_EQ(CompareDays(MakeDateTime(2026, 1, 2), MakeDateTime(2026, 1, 1, 23, 59)), 1);
  EXPECT_EQ(CompareDays(MakeDateTime(2025, 12, 31), MakeDateTime(2026, 1, 1)), -1);
}

}  // namespace
}  // namespace krav
