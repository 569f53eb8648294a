// Hand-written and damaged stores: the collection skips or expands every
// line and always ends.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "engine/collect.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "support.h"

namespace krav {
namespace {

using test::D;
using test::Record;

TEST(Robustness, ExtremeCountsAndStepsEnd) {
  test::TempRoot t;
  test::FixedClock clock(MakeDateTime(2026, 12, 8, 12, 0));
  const std::string maxCount = "12|01.01.1800|00:00|2147483647";
  t.write(t.data("mess.dat"),
          {Record("3", "2", maxCount, "21", "d"), Record("3", Ru("3|средам"), maxCount, "21", "w"),
           Record("3", "4|31", maxCount, "21", "m"), Record("3", "5|29.02", maxCount, "21", "y"),
           Record("3", "6|0|0|1", "12|01.01.1800|00:00|2147483647", "", "i"),
           Record("3", "6|99|23|59", maxCount, "", "i2"),
           Record("3", "6|2147483647|2147483647|2147483647", "11|01.01.0001|00:00", "", "i3"),
           Record("3", "6|0|0|0", "11|01.01.2026|00:00", "", "zero"),
           Record("3", "6|0|0|-10", "11|01.01.2026|00:00", "", "neg"),
           Record("3", "5|31.02", "11|01.01.2026|00:00", "21", "never"),
           Record("3", "2", "12|01.01.2026|00:00|0", "21", "count0"),
           Record("3", "4|15", "12|01.01.0001|00:00|2147483647", "21", "ancient"),
           Record("3", "5|01.01", "12|31.12.9999|00:00|2147483647", "21", "future")});
  Lines out;
  ASSERT_TRUE(CollectRange(out, static_cast<double>(D(2026, 12, 8)), static_cast<double>(D(2026, 12, 8)), t.root(),
                           t.user(), {true, true}));
  // Daily, the one-minute interval (1440), and nothing from the others that day.
  std::size_t daily = 0, minute = 0;
  for (const auto& l : out) {
    const std::string text = GetField(l, kSep4, 2);
    daily += text == "d";
    minute += text == "i";
    EXPECT_NE(text, "zero");
    EXPECT_NE(text, "neg");
    EXPECT_NE(text, "never");
  }
  EXPECT_EQ(daily, 1u);
  EXPECT_EQ(minute, 1440u);
  EXPECT_EQ(out.size(), daily + minute);
  EXPECT_EQ(t.read(t.data("mess.dat")).size(), 13u);  // nothing was outdated
}

TEST(Robustness, MalformedLinesAreSkipped) {
  test::TempRoot t;
  const std::string megabyte(1 << 20, 'x');
  const char s1 = kSep1, s2 = kSep2, s3 = kSep3;
  t.write(t.data("mess.dat"),
          {"", "3", std::string("3") + s3, std::string("3") + s3 + "2", std::string("4") + s3 + "1" + s2,
           std::string("3") + s3 + "1" + s2 + "08.12.2026" + s1 + s1 + "22",
           std::string("3") + s3 + "2" + s1 + "11" + s1 + "21" + s3 + "x", megabyte,
           std::string("3") + s3 + megabyte, std::string("3") + s3 + "6" + s2 + megabyte,
           std::string("1") + s3 + megabyte, Record("3", "2", "11|01.12.2026|00:00", "21", megabyte)});
  Lines out;
  ASSERT_TRUE(CollectRange(out, static_cast<double>(D(2026, 12, 8)), static_cast<double>(D(2026, 12, 9)), t.root(),
                           t.user(), {true, true}));
  // The only sound record: the daily one with a long text, once a day. The
  // diary line whose date is no date belongs to no day (it once read as today).
  ASSERT_EQ(out.size(), 2u);
  for (const auto& l : out) {
    EXPECT_EQ(GetField(l, kSep4, 2), megabyte);
    EXPECT_EQ(GetField(GetField(l, kSep4, 1), kSep3, 1), "3");
  }
  EXPECT_EQ(t.read(t.data("mess.dat")).size(), 12u);  // nothing damaged was removed
}

TEST(Robustness, RandomBytesEnd) {
  test::TempRoot t;
  std::mt19937 rng(20261208);
  const std::string alphabet = std::string("\x01\x02\x03\x04", 4) + "0123456789.:|-126";
  Lines lines;
  for (int i = 0; i < 3000; ++i) {
    std::string line;
    const int len = static_cast<int>(rng() % 80);
    for (int k = 0; k < len; ++k) {
      char c = (rng() % 4 == 0) ? static_cast<char>(rng() % 256) : alphabet[rng() % alphabet.size()];
      line += (c == '\n' || c == '\r') ? ' ' : c;  // a line stays one line
    }
    // Give many lines a plausible kind and repetition so they reach the rules.
    if (i % 2 == 0) line = std::string(i % 4 == 0 ? "3" : "4") + kSep3 + std::to_string(rng() % 7) + kSep2 + line;
    lines.push_back(line);
  }
  t.write(t.data("mess.dat"), lines);
  t.write(t.data("adrs.str"), Lines(lines.begin(), lines.begin() + 200));
  Lines out;
  ASSERT_TRUE(CollectRange(out, static_cast<double>(D(2026, 1, 1)), static_cast<double>(D(2026, 2, 28)), t.root(),
                           t.user(), {true, true}));
  // Whatever was removed went to the trash (which keeps its last 100), and
  // nothing else was lost: the store is the old one less those lines, in order.
  const Lines kept = t.read(t.data("mess.dat")), trash = t.read(t.data("mess-del.dat"));
  const std::size_t left = kept.size();
  Lines removed;
  std::size_t k = 0;
  for (const auto& l : lines) {
    if (k < kept.size() && kept[k] == l) ++k;
    else removed.push_back(l);
  }
  EXPECT_EQ(k, kept.size());
  ASSERT_EQ(trash.size(), std::min<std::size_t>(removed.size(), 100));
  std::multiset<std::string> trashed, expected(removed.end() - static_cast<std::ptrdiff_t>(trash.size()),
                                               removed.end());
  for (const auto& l : trash) trashed.insert(l.substr(l.find(kSep4) + 1));
  EXPECT_EQ(trashed, expected);
  for (const auto& l : out) {
    if (GetField(GetField(l, kSep4, 1), kSep3, 1) == "5") continue;
    const int index = TextToInt(GetField(l, kSep4, 3));
    EXPECT_LT(index, static_cast<int>(left));
  }
}

}  // namespace
}  // namespace krav
