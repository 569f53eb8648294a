#include <gtest/gtest.h>

#include "platform/encoding.h"

namespace krav {
namespace {

TEST(Encoding, RussianRoundTrip) {
  const std::string utf8 = "Привет, Ёжик! № 5 «ёлка» — €";
  const std::string cp = Utf8ToCp1251(utf8);
  EXPECT_EQ(cp.size(), 28u);                           // one byte a character
  EXPECT_EQ(static_cast<unsigned char>(cp[0]), 0xCF);  // П
  EXPECT_EQ(Cp1251ToUtf8(cp), utf8);
}

TEST(Encoding, EveryByteRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

TEST(Encoding, MissingCharactersBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1251("a\xe4\xb8\xad"
                         "b"),
            "a?b");                                  // a CJK character
  EXPECT_EQ(Utf8ToCp1251("\xf0\x9f\x98\x80"), "?");  // an emoji
  EXPECT_EQ(Utf8ToCp1251("x\xff"
                         "y"),
            "x?y");                      // not UTF-8
  EXPECT_EQ(Utf8ToCp1251("\xd0"), "?");  // cut short
}

TEST(Encoding, TheFirstLetterOutsideTheCodePageIsNamed) {
  EXPECT_EQ(FirstCharOutsideCp1251("/home/user/Документы/krav"), "");
  EXPECT_EQ(FirstCharOutsideCp1251("/home/Łukasz/krav"), "Ł");
  EXPECT_EQ(FirstCharOutsideCp1251("/tmp/日本/x"), "日");
  EXPECT_EQ(FirstCharOutsideCp1251("/tmp/a?b"), "");
  EXPECT_EQ(FirstCharOutsideCp1251(std::string("/tmp/\xff")), "\xff");
}

}  // namespace

}  // namespace krav
