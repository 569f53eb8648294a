// A planner record read strictly as a value and written back.
#include <gtest/gtest.h>

#include "engine/record.h"
#include "engine/store.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "support.h"

namespace krav {
namespace {

using test::Record;

TEST(RecordValue, EveryKindTheEditorWritesReadsAndWritesBackTheSame) {
  const std::string action = Record("4", "2|", "11|01.03.2027|00:00", "22|06:00", "run") + kSep3 + "P" + kSep2 +
                             "/usr/bin/backup|-a \"b c\"";
  const std::string command =
      Record("4", "1|05.03.2027", "", "21", "cmd") + kSep3 + "C" + kSep2 + "x" + kSep1 + "t,i,12" + kSep1;
  for (const std::string& line :
       {Record("3", "1|05.03.2027", "", "22|14:35", "once"),
        Record("3", "3|" + Ru("средам"), "13|01.03.2027|00:00|30.06.2027", "21", "w"),
        Record("3", "5|29.02", "11|01.01.2027|00:00", "22|10:00", "y"),
        Record("3", "6|99|23|59", "12|02.03.2027|09:15|40", "", "long interval"), action, command}) {
    const RecordReading r = ReadRecord(line);
    ASSERT_TRUE(r.record) << r.why;
    EXPECT_EQ(WriteRecord(*r.record), line);
  }
  const RecordReading a = ReadRecord(action);
  EXPECT_EQ(ActionProgram(*a.record), "/usr/bin/backup");
  EXPECT_EQ(ActionParameters(*a.record), "-a \"b c\"");
  // A reminder's empty fourth field is tolerated and dropped.
  EXPECT_EQ(WriteRecord(*ReadRecord(Record("3", "2|", "11|01.03.2027|00:00", "21", "t") + kSep3).record),
            Record("3", "2|", "11|01.03.2027|00:00", "21", "t"));
}

TEST(RecordValue, WhatTheStoreCannotHoldIsRefusedWithItsReason) {
  const std::vector<std::pair<std::string, std::string>> bad{
      {Record("3", "1|05.03.2027", "", "21", "a") + "\n" + "4", Ru("перевод строки")},
      {Record("3", "1|05.03.2027", "", "21", "a") + kSep3 + "P" + kSep2 + "/bin/sh", Ru("число полей")},
      {Record("4", "1|05.03.2027", "", "21", "a"), Ru("число полей")},
      {Record("5", "1|05.03.2027", "", "21", "a"), Ru("не напоминание")},
      {Record("3", "1|05.03.2027", "", "21", std::string("a") + kSep1 + "b"), Ru("внутри текста")},
      {Record("3", "1|00.01.0000", "", "21", "a"), Ru("не настоящая дата")},
      {Record("3", "1|05.13.2027", "", "21", "a"), Ru("не настоящая дата")},
      {Record("3", "1|5.3.27", "", "21", "a"), Ru("не настоящая дата")},
      {Record("3", "2|", "11|31.02.2027|00:00", "21", "a"), Ru("дата начала")},
      {Record("3", "2|", "13|01.02.2027|00:00|2027", "21", "a"), Ru("дата окончания")},
      {Record("3", "2|", "12|01.02.2027|00:00|5x", "21", "a"), Ru("число повторений")},
      {Record("3", "6|0|0|4", "11|01.02.2027|00:00", "", "a"), Ru("интервал")},
      {Record("3", "6|100|0|0", "11|01.02.2027|00:00", "", "a"), Ru("интервал")},
      {Record("3", "6|0|24|0", "11|01.02.2027|00:00", "", "a"), Ru("интервал")},
      {Record("3", "9|", "11|01.02.2027|00:00", "21", "a"), Ru("не разворачивается")},
      {Record("4", "2|", "11|01.03.2027|00:00", "21", "a") + kSep3 + "P" + kSep2, Ru("без программы")},
      {Record("4", "2|", "11|01.03.2027|00:00", "21", "a") + kSep3 + "X" + kSep2 + "/bin/sh", Ru("ни программа")},
      {Record("4", "2|", "11|01.03.2027|00:00", "21", "a") + kSep3 + "P" + kSep2 + "/bin/a" + kSep1 + "b",
       Ru("внутри пути программы")},
  };
  for (const auto& [line, reason] : bad) {
    const RecordReading r = ReadRecord(line);
    EXPECT_FALSE(r.record) << reason;
    EXPECT_NE(r.why.find(reason), std::string::npos) << r.why << " / " << reason;
  }
}

TEST(LockedUpdate, AChangeThatDeclinesWritesNothingAndAnUnreadableFileFails) {
  test::TempRoot t;
  t.write(t.data("mess.dat"), {"a"});
  EXPECT_TRUE(UpdateLines(t.dataDir(), t.data("mess.dat"), [](Lines& l) {
    l.push_back("b");
    return false;
  }));
  EXPECT_EQ(t.read(t.data("mess.dat")), Lines{"a"});
  ForceDir(t.data("folder.dat"));  // a folder where the file should be
  bool called = false;
  EXPECT_FALSE(UpdateLines(t.dataDir(), t.data("folder.dat"), [&](Lines&) { return called = true; }));
  EXPECT_FALSE(called);
  // No data directory: no lock, no update.
  EXPECT_FALSE(
      UpdateLines(t.root() + "Users/nobody/", t.root() + "Users/nobody/mess.dat", [](Lines&) { return true; }));
}

}  // namespace
}  // namespace krav
