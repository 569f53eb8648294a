#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "platform/ini.h"
#include "support.h"

namespace krav {
namespace {

class Ini : public ::testing::Test {
 protected:
  test::TempRoot t;
  std::string path = t.root() + "krav2000.ini";
  std::string text() {
    std::string b;
    LoadBytes(path, b);
    return b;
  }
};

TEST_F(Ini, MissingFileOrKeyGivesTheDefault) {
  EXPECT_EQ(ReadIniString(path, "Main", "Handle", "0"), "0");
  EXPECT_EQ(ReadIniInt(path, "Voza", "Min", 5), 5);
  EXPECT_TRUE(ReadIniBool(path, "Messages", "Speak", true));
  EXPECT_TRUE(ReadIniSection(path, "Tree").empty());
  ASSERT_TRUE(WriteIniString(path, "Main", "Handle", "42"));
  EXPECT_EQ(ReadIniString(path, "Main", "Other", "d"), "d");
  // The write's lock is a hidden file beside the settings, not one in plain sight.
  EXPECT_TRUE(FileExists(t.root() + ".krav2000.ini.lock"));
  EXPECT_FALSE(FileExists(path + ".lock"));
}

TEST_F(Ini, SectionsAndKeysIgnoreLetterCase) {
  ASSERT_TRUE(SaveBytes(path, Ru("[Users]\r\nActive=Иван\r\n[Пользователь]\r\nИмя=Пётр\r\n")));
  EXPECT_EQ(ReadIniString(path, "USERS", "active", ""), Ru("Иван"));
  EXPECT_EQ(ReadIniString(path, Ru("пользователь"), Ru("ИМЯ"), ""), Ru("Пётр"));
  ASSERT_TRUE(WriteIniString(path, "users", "ACTIVE", Ru("Мария")));
  EXPECT_EQ(ReadIniString(path, "Users", "Active", ""), Ru("Мария"));
  EXPECT_EQ(ReadIniSection(path, "Users").size(), 1u);
}

TEST_F(Ini, IntegersAndBooleans) {
  ASSERT_TRUE(SaveBytes(path, "[S]\nn=12\nneg=-3\nbad=12abc\nempty=\nt=7\nz=0\nword=yes\n"));
  EXPECT_EQ(ReadIniInt(path, "S", "n", 0), 12);
  EXPECT_EQ(ReadIniInt(path, "S", "neg", 0), -3);
  EXPECT_EQ(ReadIniInt(path, "S", "bad", 9), 9);
  EXPECT_EQ(ReadIniInt(path, "S", "empty", 9), 9);
  EXPECT_TRUE(ReadIniBool(path, "S", "t", false));
  EXPECT_FALSE(ReadIniBool(path, "S", "z", true));
  EXPECT_TRUE(ReadIniBool(path, "S", "word", true));
  EXPECT_FALSE(ReadIniBool(path, "S", "word", false));
  ASSERT_TRUE(WriteIniBool(path, "S", "flag", true));
  ASSERT_TRUE(WriteIniBool(path, "S", "off", false));
  EXPECT_NE(text().find("flag=1"), std::string::npos);
  EXPECT_NE(text().find("off=0"), std::string::npos);
}

TEST_F(Ini, WriteKeepsEverythingElse) {
  ASSERT_TRUE(SaveBytes(path, "; the shell's settings\n[Main]\n; window\nHandle=7\n[Other]\nA=1\nB=2\n"));
  ASSERT_TRUE(WriteIniString(path, "Other", "A", "changed"));
  ASSERT_TRUE(WriteIniString(path, "New", "K", "v"));
  const std::string t2 = text();
  EXPECT_NE(t2.find("; the shell's settings"), std::string::npos);
  EXPECT_NE(t2.find("; window"), std::string::npos);
  EXPECT_EQ(ReadIniString(path, "Main", "Handle", ""), "7");
  EXPECT_EQ(ReadIniSection(path, "Other"), (Lines{"A=changed", "B=2"}));
  EXPECT_EQ(ReadIniString(path, "New", "K", ""), "v");
}

TEST_F(Ini, SectionLinesInFileOrder) {
  ASSERT_TRUE(SaveBytes(path, "[HotKeys]\nz=3\na=1\nm=2\n"));
  EXPECT_EQ(ReadIniSection(path, "hotkeys"), (Lines{"z=3", "a=1", "m=2"}));
}

TEST_F(Ini, ValuesAreBytesUnchanged) {
  std::string value;
  for (int b = 0x20; b < 256; ++b)
    if (b != ';' && b != '[' && b != '=') value += static_cast<char>(b);
  ASSERT_TRUE(WriteIniString(path, "Bytes", "All", value));
  EXPECT_EQ(ReadIniString(path, "Bytes", "All", ""), value);  // the leading blank too
  const std::string withBackslash = Ru("Кравитор2000\\Sound\\message.wav");
  ASSERT_TRUE(WriteIniString(path, "Messages", "Mus", withBackslash));
  EXPECT_EQ(ReadIniString(path, "Messages", "Mus", ""), withBackslash);
  // Blanks and tabs at either end, quotes of its own: each value comes back as written.
  for (const std::string& v : {std::string("  tea\t"), std::string("\tx"), std::string("\"quoted\""),
                               std::string("\""), std::string("\" a \""), std::string("a \"b\"")}) {
    ASSERT_TRUE(WriteIniString(path, "Voza", "Text", v));
    EXPECT_EQ(ReadIniString(path, "Voza", "Text", ""), v) << v;
  }
  // A value written by hand in quotes is read as the private-profile calls read it.
  ASSERT_TRUE(SaveBytes(path, "[Voza]\r\nText=\" spaced \"\r\n"));
  EXPECT_EQ(ReadIniString(path, "Voza", "Text", ""), " spaced ");
  // A line break would split the value into a line the file cannot hold: refused, file unchanged.
  EXPECT_FALSE(WriteIniString(path, "Voza", "Text", "a\r\nb=c"));
  EXPECT_EQ(ReadIniString(path, "Voza", "Text", ""), " spaced ");
}

}  // namespace
}  // namespace krav
