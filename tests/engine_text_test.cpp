#include <gtest/gtest.h>

#include "engine/money.h"
#include "engine/text.h"
#include "platform/encoding.h"

namespace krav {
namespace {

TEST(Fields, GetFieldCountsSeparators) {
  EXPECT_EQ(GetField("a#b#c", '#', 2), "b");
  EXPECT_EQ(GetField("a#b#c", '#', 3), "c");
  EXPECT_EQ(GetField("a#b#c", '#', 4), "");
  EXPECT_EQ(GetField("a#b#c", '#', 0), "");
  EXPECT_EQ(GetField("", '#', 1), "");
  EXPECT_EQ(GetField("a|x#b", '#', 1), "a|x");  // other separators stay in the field
  EXPECT_EQ(GetField("#b", '#', 1), "");
}

TEST(Fields, SetFieldReplacesOrExtends) {
  EXPECT_EQ(SetField("a", '#', 3, "x"), "a##x");
  EXPECT_EQ(SetField("a#b#c", '#', 2, "x"), "a#x#c");
  EXPECT_EQ(SetField("a#", '#', 2, "x"), "a#x");
  EXPECT_EQ(SetField("a#b#c", '#', 1, ""), "#b#c");
  EXPECT_EQ(SetField("a#b#c", '#', 3, "z"), "a#b#z");
  EXPECT_EQ(SetField("", '#', 2, "x"), "");
}

TEST(Fields, SplitKeepsEmptyPieces) {
  std::vector<std::string> list{"old"};
  SplitByChar("a##", list, '#');
  EXPECT_EQ(list, (std::vector<std::string>{"a", "", ""}));
  SplitByChar("", list, '#');
  EXPECT_TRUE(list.empty());
}

TEST(Texts, PadRemoveContains) {
  EXPECT_EQ(PadLeft("7", "00"), "07");
  EXPECT_EQ(PadLeft("12", "00"), "12");
  EXPECT_EQ(PadLeft("123", "00"), "23");
  EXPECT_EQ(RemoveChars("1 234 567", " "), "1234567");
  EXPECT_TRUE(ContainsText("bc", "abcd"));
  EXPECT_FALSE(ContainsText("Bc", "abcd"));
  EXPECT_FALSE(ContainsText("abcde", "abcd"));
}

TEST(Texts, GroupThousands) {
  EXPECT_EQ(GroupThousands("999", " "), "999");
  EXPECT_EQ(GroupThousands("1000.00", " "), "1 000.00");
  EXPECT_EQ(GroupThousands("1234.50", " "), "1 234.50");
  EXPECT_EQ(GroupThousands("-123.00", " "), "-123.00");
  EXPECT_EQ(GroupThousands("1234567", " "), "1 234 567");
  EXPECT_EQ(GroupThousands("-1234567.89", " "), "-1 234 567.89");
}

TEST(Texts, CaseOfLatinAndCyrillic) {
  EXPECT_EQ(LowerText(Ru("ПонеДЕЛЬНИК Abc")), Ru("понедельник abc"));
  EXPECT_EQ(UpperChar(Ru("я")[0]), Ru("Я")[0]);
  EXPECT_EQ(LowerChar(Ru("Ё")[0]), Ru("Ё")[0]);  // Ё and ё are left alone
  EXPECT_EQ(UpperChar(Ru("ё")[0]), Ru("ё")[0]);
  EXPECT_EQ(UpperChar('1'), '1');
}

TEST(Numbers, TextToIntReadsLeadingDigits) {
  EXPECT_EQ(TextToInt("8."), 8);
  EXPECT_EQ(TextToInt(""), 0);
  EXPECT_EQ(TextToInt("-5x"), 5);  // the minus applies only to a whole number
  EXPECT_EQ(TextToInt("-5"), -5);
  EXPECT_EQ(TextToInt("  42"), 42);
  EXPECT_EQ(TextToInt("abc"), 0);
  EXPECT_EQ(TextToInt("$1F"), 31);
  EXPECT_EQ(TextToInt("0x10"), 16);
  EXPECT_EQ(TextToInt("99999999999999999999"), 2147483647);
  EXPECT_EQ(TextToInt("-99999999999999999999"), -2147483647);
}

TEST(Numbers, RealsUseAPointWhateverTheLocale) {
  EXPECT_DOUBLE_EQ(*ReadRate("1234.5"), 1234.5);
  EXPECT_DOUBLE_EQ(*ReadRate("12,50"), 12.5);
  EXPECT_FALSE(ReadRate("-0.25"));
  EXPECT_FALSE(ReadRate("abc"));
  EXPECT_EQ(RealToFixed(1234.5, 2), "1234.50");
  EXPECT_EQ(RealToFixed(-3.14159, 3), "-3.142");
  EXPECT_EQ(RealToFixed(-0.001, 2), "0.00");
  EXPECT_EQ(RealToFixed(1e15, 2), "1000000000000000.00");
  EXPECT_FALSE(ReadRate(""));
  EXPECT_EQ(NumberToText(-17), "-17");
}

TEST(Words, PluralFormsByLastDigits) {
  const std::string one = Ru("день"), few = Ru("дня"), many = Ru("дней");
  const std::pair<long long, std::string> cases[] = {{1, one},  {3, few},    {5, many}, {11, many},
                                                     {21, one}, {112, many}, {0, many}, {22, few}};
  for (const auto& [n, form] : cases) EXPECT_EQ(PluralForm(n, one, few, many, false), form) << n;
  EXPECT_EQ(PluralForm(3, Ru("запись"), Ru("записи"), Ru("записей"), true), Ru("3 записи"));
}

TEST(Colours, ShadeTowardsWhiteOrBlack) {
  const unsigned c = 0x00336699;
  EXPECT_EQ(ShadeColor(c, 0), c);
  EXPECT_EQ(ShadeColor(c, -100), 0x00FFFFFFu);
  EXPECT_EQ(ShadeColor(c, 100), 0x00000000u);
  EXPECT_EQ(ShadeColor(0x00000064, 50), 0x00000032u);
  EXPECT_EQ(ShadeColor(0x00000000, -50), 0x00808080u);  // 127.5 rounds to 128
}

}  // namespace
}  // namespace krav
