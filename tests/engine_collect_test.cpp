#include <gtest/gtest.h>

#include "engine/collect.h"
#include "engine/store.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "shell/paths.h"
#include "support.h"

namespace krav {
namespace {

using test::D;
using test::Join;
using test::Record;

class Collect : public ::testing::Test {
 protected:
  test::TempRoot t;
  test::FixedClock clock{MakeDateTime(2026, 12, 8, 14, 35)};

  Lines collect(DayNumber first, DayNumber last, CollectOptions o = {}) {
    Lines out;
    CollectRange(out, static_cast<double>(first), static_cast<double>(last), t.root(), t.user(), o);
    return out;
  }
  void store(const Lines& lines) { t.write(t.data("mess.dat"), lines); }
  // The "when" texts of the occurrences, in the returned order.
  static std::vector<std::string> Whens(const Lines& out) {
    std::vector<std::string> w;
    for (const auto& l : out) w.push_back(GetField(GetField(l, kSep4, 1), kSep3, 2));
    return w;
  }
  std::string storePath() const { return t.data("mess.dat"); }
};

using W = std::vector<std::string>;

// A journal line's amount is shown in the money form whatever form it was
// typed in (a decimal comma lost its kopecks, 0.125 showed as 0.12 here and
// 0.13 in the report); a line whose date is no date is on no day.
TEST_F(Collect, AmountsShowAsTheReportCountsThemAndADamagedDateIsOnNoDay) {
  ForceDir(t.data("Plan"));
  auto op = [](const std::string& date, const std::string& amount) {
    return Join({"2", date, "10:00", "op", "def", "", amount}, kSep3);
  };
  t.write(t.data("Plan/nb202612.dat"),
          {op("08.12.2026", "650,50"), op("08.12.2026", "0.125"), op("08.12.2026", "1234567,5"),
           op("08.12.2026", "12abc"), op("8.12.2026", "1"), Join({"1", "", "09:00", "note"}, kSep3)});
  const Lines out = collect(D(2026, 12, 8), D(2026, 12, 8), {true, false});
  std::vector<std::string> amounts;
  for (const auto& l : out) amounts.push_back(GetField(GetField(l, kSep4, 2), kSep1, 2));
  EXPECT_EQ(amounts, (std::vector<std::string>{"12abc", "1 234 567.50", "0.13", "650.50"}));
}

TEST_F(Collect, OneTimeRecordKeepsItsDateTextAndTime) {
  store({Record("3", "1|08.12.2026", "", "22|14:35", "msg")});
  const Lines out = collect(D(2026, 12, 8), D(2026, 12, 8));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0], Join({Join({"3", "08.12.2026 14:35"}, kSep3), "msg", "0", storePath()}, kSep4));
}

TEST_F(Collect, WholeDayOccurrenceEndsWithABlank) {
  store({Record("3", "2", "11|01.12.2026|00:00", "21", "x")});
  const Lines out = collect(D(2026, 12, 8), D(2026, 12, 8));
  ASSERT_EQ(Whens(out), W{"08.12.2026 "});
  EXPECT_EQ(Whens(out)[0].size(), 11u);
}

TEST_F(Collect, WeeklyMatchesItsWeekday) {
  // Started on Wednesday 02.12.2026; the week 07..13.12 has one Monday.
  store({Record("3", Ru("3|понедельникам"), "11|02.12.2026|00:00", "22|09:00", "w")});
  EXPECT_EQ(Whens(collect(D(2026, 12, 7), D(2026, 12, 13))), W{"07.12.2026 09:00"});
  EXPECT_TRUE(collect(D(2026, 11, 30), D(2026, 12, 1)).empty());  // before the start
}

TEST_F(Collect, MonthlyDayMissingInAMonthGivesNothing) {
  store({Record("3", "4|31", "11|01.01.2026|00:00", "21", "m")});
  EXPECT_TRUE(collect(D(2026, 4, 1), D(2026, 4, 30)).empty());
  EXPECT_EQ(Whens(collect(D(2026, 5, 1), D(2026, 5, 31))), W{"31.05.2026 "});
}

TEST_F(Collect, MonthlyInsideOneMonthOnce) {
  store({Record("3", "4|15", "11|01.01.2026|00:00", "21", "m")});
  EXPECT_EQ(Whens(collect(D(2026, 3, 10), D(2026, 3, 20))), W{"15.03.2026 "});
}

TEST_F(Collect, MonthlyAndYearlyOverLongRangesSeeEveryMonth) {
  // 30 days from 31 January span the whole of February.
  store({Record("3", "4|15", "11|01.01.2026|00:00", "21", "m"),
         Record("3", "5|15.02", "11|01.01.2020|00:00", "21", "y")});
  const W whens = Whens(collect(D(2026, 1, 31), D(2026, 3, 1)));
  EXPECT_EQ(whens, (W{"15.02.2026 ", "15.02.2026 "}));
  // Three years: the yearly record three times, the monthly one twelve times.
  EXPECT_EQ(collect(D(2024, 1, 1), D(2026, 12, 31)).size(), 15u);
}

TEST_F(Collect, CountLimitedMonthlyEndsOnItsLastOccurrence) {
  store({Record("3", "4|31", "12|01.01.2026|00:00|2", "21", "m")});
  EXPECT_EQ(Whens(collect(D(2026, 1, 1), D(2026, 12, 31))), (W{"31.01.2026 ", "31.03.2026 "}));
}

TEST_F(Collect, YearlyLeapDayWithCount) {
  store({Record("3", "5|29.02", "12|01.03.2025|00:00|1", "21", "y")});
  EXPECT_EQ(Whens(collect(D(2025, 1, 1), D(2032, 12, 31))), W{"29.02.2028 "});
}

TEST_F(Collect, EndDateIncluded) {
  store({Record("3", "2", "13|01.12.2026|00:00|03.12.2026", "22|08:00", "d")});
  EXPECT_EQ(Whens(collect(D(2026, 11, 30), D(2026, 12, 5))),
            (W{"01.12.2026 08:00", "02.12.2026 08:00", "03.12.2026 08:00"}));
}

TEST_F(Collect, IntervalAnchoredAtItsStart) {
  store({Record("3", "6|0|2|0", "11|01.12.2026|09:30", "", "i")});
  W day3;
  for (int h = 1; h <= 23; h += 2) day3.push_back("03.12.2026 " + PadLeft(std::to_string(h), "00") + ":30");
  EXPECT_EQ(Whens(collect(D(2026, 12, 3), D(2026, 12, 3))), day3);
  const W day1 = Whens(collect(D(2026, 12, 1), D(2026, 12, 1)));
  ASSERT_EQ(day1.size(), 8u);
  EXPECT_EQ(day1.front(), "01.12.2026 09:30");
  EXPECT_EQ(day1.back(), "01.12.2026 23:30");
}

TEST_F(Collect, IntervalWithCountIsOutdatedTheNextDay) {
  store({Record("3", "6|0|0|5", "12|08.12.2026|10:00|3", "", "i"),
         Record("3", "2", "11|01.12.2026|00:00", "21", "keep")});
  EXPECT_EQ(Whens(collect(D(2026, 12, 8), D(2026, 12, 8))),
            (W{"08.12.2026 ", "08.12.2026 10:00", "08.12.2026 10:05", "08.12.2026 10:10"}));
  collect(D(2026, 12, 9), D(2026, 12, 9), {true, true});
  const Lines left = t.read(storePath());
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(GetField(left[0], kSep3, 3), "keep");
  const Lines trash = t.read(t.data("mess-del.dat"));
  ASSERT_EQ(trash.size(), 1u);
  EXPECT_EQ(GetField(trash[0], kSep4, 1), "08.12.2026 14:35");
  EXPECT_EQ(GetField(trash[0], kSep4, 2), Record("3", "6|0|0|5", "12|08.12.2026|10:00|3", "", "i"));
}

TEST_F(Collect, OutdatedOneTimeRecordOnlyWithAutomaticRemoval) {
  const std::string yesterday = Record("3", "1|07.12.2026", "", "22|10:00", "old");
  store({yesterday});
  EXPECT_TRUE(collect(D(2026, 12, 8), D(2026, 12, 8), {true, false}).empty());
  EXPECT_EQ(t.read(storePath()).size(), 1u);
  EXPECT_TRUE(collect(D(2026, 12, 8), D(2026, 12, 8), {true, true}).empty());
  EXPECT_TRUE(t.read(storePath()).empty());
  EXPECT_EQ(t.read(t.data("mess-del.dat")).size(), 1u);
}

TEST_F(Collect, TodayIsOutdatedForAPeriodFromTomorrow) {
  store({Record("3", "1|08.12.2026", "", "21", "today")});
  collect(D(2026, 12, 9), D(2026, 12, 15), {true, true});
  EXPECT_TRUE(t.read(storePath()).empty());
}

TEST_F(Collect, IndicesFollowTheRemoval) {
  // Records 1 and 3 are outdated; 0, 2 and 4 stay and become 0, 1 and 2.
  store({Record("3", "2", "11|01.12.2026|00:00", "21", "r0"), Record("3", "1|01.12.2026", "", "21", "gone1"),
         Record("3", "2", "11|01.12.2026|00:00", "21", "r2"), Record("3", "1|02.12.2026", "", "21", "gone3"),
         Record("3", "2", "11|01.12.2026|00:00", "21", "r4")});
  const Lines out = collect(D(2026, 12, 8), D(2026, 12, 8), {true, true});
  const Lines left = t.read(storePath());
  ASSERT_EQ(left.size(), 3u);
  ASSERT_EQ(out.size(), 3u);
  for (const auto& l : out) {
    const int index = TextToInt(GetField(l, kSep4, 3));
    ASSERT_LT(index, 3);
    EXPECT_EQ(GetField(left[index], kSep3, 3), GetField(l, kSep4, 2));
  }
  // The trash receives the higher index first.
  const Lines trash = t.read(t.data("mess-del.dat"));
  ASSERT_EQ(trash.size(), 2u);
  EXPECT_EQ(GetField(GetField(trash[0], kSep4, 2), kSep3, 3), "gone3");
  EXPECT_EQ(GetField(GetField(trash[1], kSep4, 2), kSep3, 3), "gone1");
}

TEST_F(Collect, AListCollectedAgainHoldsExactlyTheNewOccurrences) {
  store({Record("3", "2", "11|01.12.2026|00:00", "22|09:00", "daily"),
         Record("3", "1|08.12.2026", "", "21", "once"), Record("3", "1|01.12.2026", "", "21", "outdated"),
         Record("3", "2", "11|01.12.2026|00:00", "21", std::string(300, 'x'))});
  // The same list goes from a month to a day, to nothing and back, with its
  // long and short lines written over each other; an automatic removal in
  // between shifts the indices of what is written over.
  Lines out = {"left from before", std::string(500, 'y')};
  const auto again = [&](DayNumber first, DayNumber last, CollectOptions o) {
    CollectRange(out, static_cast<double>(first), static_cast<double>(last), t.root(), t.user(), o);
    return out;
  };
  EXPECT_EQ(again(D(2026, 12, 2), D(2026, 12, 31), {}), collect(D(2026, 12, 2), D(2026, 12, 31)));
  const Lines afterRemoval = again(D(2026, 12, 8), D(2026, 12, 8), {true, true});
  EXPECT_EQ(t.read(storePath()).size(), 3u);
  EXPECT_EQ(afterRemoval, collect(D(2026, 12, 8), D(2026, 12, 8)));
  EXPECT_TRUE(again(D(2026, 11, 1), D(2026, 11, 30), {}).empty());
  EXPECT_EQ(again(D(2026, 12, 2), D(2026, 12, 31), {}), collect(D(2026, 12, 2), D(2026, 12, 31)));
  EXPECT_EQ(out.size(), 61u);
}

TEST_F(Collect, OrderIsJournalsFromTheLastMonthThenStoreBackwards) {
  store({Record("3", "2", "11|01.01.2026|00:00", "22|09:00", "first"),
         Record("3", "2", "11|01.01.2026|00:00", "22|08:00", "second")});
  ForceDir(t.data("Plan"));
  t.write(t.data(JournalFileName("20.01.2026")), {Join({"1", "25.01.2026", "10:00", "jan a"}, kSep3),
                                                  Join({"1", "26.01.2026", "11:00", "jan b"}, kSep3)});
  t.write(t.data(JournalFileName("05.02.2026")),
          {Join({"2", "01.02.2026", "12:00", "buy", "op", "", "1 234.5"}, kSep3)});
  const Lines out = collect(D(2026, 1, 25), D(2026, 2, 1));
  ASSERT_EQ(out.size(), 3u + 8u * 2u);
  EXPECT_EQ(out[0], Join({Join({"2", "01.02.2026 12:00"}, kSep3), std::string("buy") + kSep1 + "1 234.50", "0",
                          t.data("Plan/nb202602.dat")},
                         kSep4));
  EXPECT_EQ(GetField(out[1], kSep4, 2), "jan b");
  EXPECT_EQ(GetField(out[1], kSep4, 3), "1");
  EXPECT_EQ(GetField(out[2], kSep4, 2), "jan a");
  EXPECT_EQ(GetField(out[3], kSep4, 2), "second");
  EXPECT_EQ(GetField(out[3], kSep4, 3), "1");
  EXPECT_EQ(Whens({out[3], out[4]}), (W{"25.01.2026 08:00", "26.01.2026 08:00"}));
  EXPECT_EQ(GetField(out.back(), kSep4, 2), "first");
  // Without the journal only the store is read.
  EXPECT_EQ(collect(D(2026, 1, 25), D(2026, 2, 1), {false, false}).size(), 16u);
}

TEST_F(Collect, JournalMonthsBetweenFirstAndLastAreRead) {
  ForceDir(t.data("Plan"));
  for (const char* d : {"15.01.2026", "15.02.2026", "15.03.2026"})
    t.write(t.data(JournalFileName(d)), {Join({"1", d, "10:00", d}, kSep3)});
  EXPECT_EQ(collect(D(2026, 1, 31), D(2026, 3, 1)).size(), 1u);
  EXPECT_EQ(collect(D(2026, 1, 1), D(2026, 3, 31)).size(), 3u);
}

TEST_F(Collect, AddressBookYearlyDates) {
  const std::string card = "/home/u/cards/ivanov.adr";
  t.write(t.data("adrs.str"), {card + kSep1 + Ru("\"Иван Иванов\",12.03.1970,5") + kSep1 + "Two,values" + kSep1 +
                                   "a,12.03.1970,4" + kSep1 + "a,12.03.1970,5,extra",
                               "/x/petrov.adr" + std::string(1, kSep1) + "Petrov 01.04.1980 5"});
  const Lines out = collect(D(2026, 3, 1), D(2026, 4, 30));
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0],
            Join({Join({"5", "12.03.2026"}, kSep3), Ru("Иван Иванов (12.03.1970) в записи \"ivanov\""), card, ""},
                 kSep4));
  EXPECT_EQ(GetField(out[1], kSep4, 1), Join({"5", "01.04.2026"}, kSep3));
  EXPECT_TRUE(collect(D(2026, 5, 1), D(2026, 5, 31)).empty());
}

TEST_F(Collect, CommaTextQuotesAndBlanks) {
  EXPECT_EQ(SplitCommaText("a,b c"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(SplitCommaText("\"a, b\",\"say \"\"hi\"\"\",5"),
            (std::vector<std::string>{"a, b", "say \"hi\"", "5"}));
  EXPECT_EQ(SplitCommaText("a,,b"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_TRUE(SplitCommaText("").empty());
}

TEST_F(Collect, JournalRecordsAreNeverRemovedFromTheStore) {
  // A planner record written into a journal by hand is expanded but its index
  // is not an index of the store.
  store({Record("3", "2", "11|01.12.2026|00:00", "21", "keep")});
  ForceDir(t.data("Plan"));
  t.write(t.data(JournalFileName("08.12.2026")), {Record("3", "1|01.12.2026", "", "21", "odd")});
  collect(D(2026, 12, 8), D(2026, 12, 8), {true, true});
  EXPECT_EQ(t.read(storePath()).size(), 1u);
}

// The compact list is what the lines are made from: each entry's view names
// the parts of its line (an interval's minute, an operation's amount, the
// index after a removal, an address-book date), and a list collected again
// holds only the new range, whatever it held before.
TEST_F(Collect, TheCompactListNamesThePartsOfEveryLine) {
  store({Record("3", "6|0|12|0", "11|08.12.2026|23:00", "", "twice a day"),
         Record("3", "1|01.12.2026", "", "21", "outdated"),
         Record("4", "3|" + Ru("средам"), "11|01.12.2026|00:00", "22|07:15", "weekly action")});
  ForceDir(t.data("Plan"));
  t.write(t.data("Plan/nb202612.dat"), {Join({"2", "09.12.2026", "18:00", "buy", "op", "", "1234,5"}, kSep3)});
  t.write(t.data("adrs.str"), {"/c/ivanov.adr" + std::string(1, kSep1) + "Ivan,09.12.1970,5"});

  Occurrences list;
  ASSERT_TRUE(CollectOccurrences(list, static_cast<double>(D(2026, 12, 8)), static_cast<double>(D(2026, 12, 9)),
                                 t.root(), t.user(), {true, true}));
  const Lines lines = collect(D(2026, 12, 8), D(2026, 12, 9));
  ASSERT_EQ(list.size(), lines.size());
  ASSERT_EQ(list.size(), 1u + 1u + 3u + 1u);  // operation, action, three intervals, address
  std::string line;
  Occurrences::Digits digits;
  std::vector<std::string> parts;
  for (std::size_t i = 0; i < list.size(); ++i) {
    list.putLine(i, line);
    EXPECT_EQ(line, lines[i]);
    const OccurrenceView v = list.view(i, digits);
    const std::string when = GetField(GetField(line, kSep4, 1), kSep3, 2);
    EXPECT_EQ(v.kind, GetField(GetField(line, kSep4, 1), kSep3, 1));
    EXPECT_EQ(v.date, WhenDate(when));
    EXPECT_EQ(DateToText(static_cast<double>(v.day)), WhenDate(when));
    EXPECT_EQ(v.index, GetField(line, kSep4, 3));
    parts.push_back(std::string(v.kind) + " " + std::string(v.index) + " " + std::to_string(v.minute) + " " +
                    std::string(v.amount));
  }
  // The outdated record 1 went to the trash: the action is record 1 now.
  EXPECT_EQ(parts, (std::vector<std::string>{"2 0 -1 1 234.50", "4 1 -1 ", "3 0 1380 ", "3 0 660 ", "3 0 1380 ",
                                             "5 /c/ivanov.adr -1 "}));
  EXPECT_EQ(t.read(storePath()).size(), 2u);

  Lines again;
  ASSERT_TRUE(CollectOccurrences(list, static_cast<double>(D(2026, 12, 10)), static_cast<double>(D(2026, 12, 10)),
                                 t.root(), t.user(), {false, false}));
  list.putLines(again);
  EXPECT_EQ(again, collect(D(2026, 12, 10), D(2026, 12, 10), {false, false}));
  EXPECT_EQ(again.size(), 2u);
}

}  // namespace
}  // namespace krav
