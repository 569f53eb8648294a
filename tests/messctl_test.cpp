// The command-line tool, run as a user runs it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string_view>

#include "engine/dates.h"
#include "engine/record.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "support.h"

namespace krav {
namespace {

struct ToolRun {
  int status = -1;
  std::string out;
};

// A command line run through the shell: its status and standard output.
ToolRun RunCommand(const std::string& cmd) {
  ToolRun r;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int st = ::pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

ToolRun Messctl(const std::string& args) {
  return RunCommand(std::string(KRAV_BUILD_DIR) + "/tools/messctl " + args + " 2>/dev/null");
}

class MessctlTool : public ::testing::Test {
 protected:
  test::TempRoot t{Ru("Иван")};
  void SetUp() override {
    t.write(t.data("mess.dat"), {test::Record("3", "2", "11|01.12.2026|00:00", "22|09:00", Ru("Зарядка")),
                                 test::Record("3", "1|08.12.2026", "", "21", Ru("Весь день")),
                                 test::Record("3", "1|01.12.2026", "", "21", Ru("Прошло"))});
    ForceDir(t.data("Plan"));
    t.write(t.data("Plan/nb202612.dat"),
            {test::Join({"2", "08.12.2026", "08:30", Ru("Хлеб"), "op", "", "1234.5"}, kSep3)});
    EXPECT_TRUE(WriteIniString(t.root() + "krav2000.ini", "Users", "Active", Ru("Иван")));
  }
};

TEST_F(MessctlTool, RawPrintsTheCollectedLines) {
  const ToolRun r = Messctl("collect --root " + t.root() + " --user Иван --from 08.12.2026 --raw");
  EXPECT_EQ(r.status, 0);
  const std::string journal = t.data("Plan/nb202612.dat");
  const std::string expected =
      test::Join({test::Join({"2", "08.12.2026 08:30"}, kSep3), Ru("Хлеб") + kSep1 + "1 234.50", "0", journal},
                 kSep4) +
      "\n" +
      test::Join({test::Join({"3", "08.12.2026 "}, kSep3), Ru("Весь день"), "1", t.data("mess.dat")}, kSep4) +
      "\n" +
      test::Join({test::Join({"3", "08.12.2026 09:00"}, kSep3), Ru("Зарядка"), "0", t.data("mess.dat")}, kSep4) +
      "\n";
  EXPECT_EQ(r.out, expected);
}

TEST_F(MessctlTool, ReadableListingSortedInUtf8) {
  // The user comes from [Users] Active; --no-journal leaves out the operation.
  const ToolRun r = Messctl("collect --root " + t.root() + " --from 08.12.2026 --to 09.12.2026");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "08.12.2026  При загрузке  напоминание: Весь день\n"
            "08.12.2026  08:30  операция: Хлеб  1 234.50\n"
            "08.12.2026  09:00  напоминание: Зарядка\n"
            "09.12.2026  09:00  напоминание: Зарядка\n");
  EXPECT_EQ(Messctl("collect --root " + t.root() + " --from 08.12.2026 --no-journal").out.find("Хлеб"),
            std::string::npos);
}

// Within a day the listing goes by time as the texts sort: an interval's
// times fall among the stored ones, and a time written otherwise ("9:05")
// goes where its text falls, after "20:00".
TEST_F(MessctlTool, ListingOrdersIntervalsAndOddTimesAsTheirTexts) {
  Lines store = t.read(t.data("mess.dat"));
  store.push_back(test::Record("3", "6|0|12|0", "11|08.12.2026|08:00", "", Ru("Дважды")));
  t.write(t.data("mess.dat"), store);
  t.write(t.data("Plan/nb202612.dat"),
          {test::Join({"1", "08.12.2026", "9:05", Ru("Заметка")}, kSep3),
           test::Join({"2", "08.12.2026", "08:30", Ru("Хлеб"), "op", "", "1234.5"}, kSep3)});
  const ToolRun r = Messctl("collect --root " + t.root() + " --from 08.12.2026");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "08.12.2026  При загрузке  напоминание: Весь день\n"
            "08.12.2026  08:00  напоминание: Дважды\n"
            "08.12.2026  08:30  операция: Хлеб  1 234.50\n"
            "08.12.2026  09:00  напоминание: Зарядка\n"
            "08.12.2026  20:00  напоминание: Дважды\n"
            "08.12.2026  9:05  запись дневника: Заметка\n");
}

TEST_F(MessctlTool, AutodelOnlyWhenAsked) {
  Messctl("collect --root " + t.root() + " --from 08.12.2026");
  EXPECT_EQ(t.read(t.data("mess.dat")).size(), 3u);
  Messctl("collect --root " + t.root() + " --from 08.12.2026 --autodel");
  EXPECT_EQ(t.read(t.data("mess.dat")).size(), 2u);
}

TEST_F(MessctlTool, BadArgumentsExitWithTwo) {
  for (const char* bad : {"", "frobnicate", "collect", "collect --root /tmp --from 31.02.2026",
                          "collect --root /tmp --from 1.1.2026", "collect --root /tmp --bogus",
                          "collect --root /tmp --from 02.01.2026 --to 01.01.2026", "collect --root"})
    EXPECT_EQ(Messctl(bad).status, 2) << bad;
  const ToolRun help = Messctl("--help");
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--root", "--user", "--from", "--to", "--no-journal", "--autodel", "--raw"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

TEST_F(MessctlTool, AMissingRootOrUserIsAnErrorAndCreatesNothing) {
  const std::string missingRoot = t.root() + "typo";
  for (const std::string& args :
       {"collect --root " + missingRoot,
        "balances --root " + missingRoot + " --user Иван --from 01.12.2026 --to 08.12.2026",
        "report --root " + missingRoot + " --user Иван --from 01.12.2026 --to 08.12.2026",
        "collect --root " + t.root() + " --user Пётр",
        "balances --root " + t.root() + " --user Пётр --from 01.12.2026 --to 08.12.2026",
        "report --root " + t.root() + " --user Пётр --from 01.12.2026 --to 08.12.2026"}) {
    const ToolRun r = Messctl(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(r.out, "") << args;
  }
  EXPECT_FALSE(DirExists(missingRoot));
  EXPECT_FALSE(DirExists(t.root() + "Users/" + Ru("Пётр")));
  EXPECT_FALSE(FileExists(t.root() + "Temp/buh.htm"));
}

// Without --root, messctl works on the folder it stands in, as mess does.
TEST_F(MessctlTool, TheRootIsTheProgramsFolderByDefault) {
  const std::string copy = t.root() + "messctl";
  std::filesystem::copy_file(std::string(KRAV_BUILD_DIR) + "/tools/messctl", copy);
  const ToolRun r = RunCommand(copy + " collect --user Иван --from 08.12.2026 2>&1");
  const std::string& out = r.out;
  EXPECT_EQ(r.status, 0) << out;
  EXPECT_EQ(out, Messctl("collect --root " + t.root() + " --user Иван --from 08.12.2026").out);
  EXPECT_NE(out.find("Весь день"), std::string::npos) << out;
}

// messctl hands the report, the iCalendar exchange and the synchronisation
// to messctl-full beside it, with the same arguments and folder.
TEST_F(MessctlTool, TheCommandsOfMessctlFullRunThroughItsSibling) {
  const std::string copy = t.root() + "messctl";
  std::filesystem::copy_file(std::string(KRAV_BUILD_DIR) + "/tools/messctl", copy);
  const std::string exportIcs = copy + " export-ics --user Иван 2>&1";
  ToolRun r = RunCommand(exportIcs);
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find(t.root() + "messctl-full"), std::string::npos) << r.out;

  std::filesystem::copy_file(std::string(KRAV_BUILD_DIR) + "/tools/messctl-full", t.root() + "messctl-full");
  r = RunCommand(exportIcs);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.rfind("BEGIN:VCALENDAR", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("Зарядка"), std::string::npos) << r.out;
}

TEST_F(MessctlTool, AnUnreadableStoreIsAFailure) {
  RemoveFile(t.data("mess.dat"));
  ForceDir(t.data("mess.dat"));
  const ToolRun r = Messctl("collect --root " + t.root() + " --from 08.12.2026 --autodel");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(DirExists(t.data("mess.dat")));
}

TEST_F(MessctlTool, ARateThatIsNoPositiveNumberIsRefusedAtOnce) {
  for (const char* rate : {"USD=0", "USD=abc", "USD=-1", "USD="}) {
    const std::string cmd = std::string(KRAV_BUILD_DIR) + "/tools/messctl report --root " + t.root() +
                            " --from 01.12.2026 --to 08.12.2026 --rate " + rate + " 2>&1";
    FILE* p = ::popen(cmd.c_str(), "r");
    ASSERT_TRUE(p);
    std::string text;
    char buf[512];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
    const int st = ::pclose(p);
    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 2) << rate;
    EXPECT_NE(text.find("--rate"), std::string::npos) << text;
    EXPECT_NE(text.find("USD"), std::string::npos) << text;
  }
}

// A new root's examples: every kind of reminder, each marked "Пример", and
// whatever the day the root is made, the first week brings at most one of
// them besides the whole-day "Просмотреть планы на день".
TEST(RootExamples, EveryKindAndAtMostOneReminderInTheFirstWeek) {
  for (const char* today : {"2026-12-09", "2026-12-25", "2027-01-23", "2028-02-20", "2027-05-31", "2027-06-04"}) {
    test::TempRoot t;
    const std::string root = t.root() + "new";
    const std::string make = "KRAV_TODAY=" + std::string(today) + " " + KRAV_SOURCE_DIR +
                             "/scripts/make-root.sh " + root + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0) << today;
    const std::string store = root + "/Users/" + Ru("Гость") + "/mess.dat";
    Lines records;
    ASSERT_TRUE(LoadLines(store, records)) << today;
    std::set<std::string> kinds;
    for (const auto& r : records) {
      const RecordReading reading = ReadRecord(r);
      ASSERT_TRUE(reading.record) << today << ": " << reading.why;
      kinds.insert(GetField(GetField(r, kSep3, 2), kSep2, 1));
      const std::string text = GetField(r, kSep3, 3);
      EXPECT_TRUE(text == Ru("Просмотреть планы на день") || text.rfind(Ru("Пример: "), 0) == 0) << today;
    }
    EXPECT_EQ(kinds, (std::set<std::string>{"1", "2", "3", "4", "5", "6"})) << today;
    // The day the root is made and the week after it.
    const std::string iso(today);
    const DateTime first =
        static_cast<double>(*ReadDay(iso.substr(8, 2) + "." + iso.substr(5, 2) + "." + iso.substr(0, 4)));
    const ToolRun r = Messctl("collect --root " + root + " --user " + "Гость" + " --from " + DateToText(first) +
                              " --to " + DateToText(first + 7));
    ASSERT_EQ(r.status, 0) << today;
    int examples = 0;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) examples += line.find("Пример") != std::string::npos;
    EXPECT_LE(examples, 1) << today << "\n" << r.out;
    EXPECT_NE(r.out.find("Просмотреть планы на день"), std::string::npos);
  }
}

// A rate typed with a decimal comma is the rate, stored in the money form
// (it was stored as 1.00); balances count a comma amount in full.
TEST_F(MessctlTool, ARateAndAnAmountWithADecimalCommaAreReadInFull) {
  const std::string usd = test::Join({"usd", "USD", Ru("Сбережения")}, kSep2);
  const std::string none = test::Join({Ru("[Нет]"), "", Ru("Нет")}, kSep2);
  ForceDir(t.data("Plan"));
  t.write(t.data("mess-sh.dat"), {usd});
  t.write(t.data("Plan/nb202612.dat"),
          {test::Join(
              {"2", "02.12.2026", "10:00", "op ", "op" + std::string(1, kSep1) + usd + kSep1 + none, "", "650,50"},
              kSep3)});
  EXPECT_TRUE(WriteIniString(t.data("krav2000.ini"), "Buh", "FirstDate", "01.12.2026"));
  EXPECT_TRUE(WriteIniString(t.data("krav2000.ini"), "Buh", "Baseval", "RUB"));
  const std::string period = " --root " + t.root() + " --from 01.12.2026 --to 08.12.2026";
  const ToolRun balances = Messctl("balances" + period);
  ASSERT_EQ(balances.status, 0);
  EXPECT_NE(balances.out.find("650.50\t0.00\t650.50"), std::string::npos) << balances.out;
  const ToolRun report = Messctl("report" + period + " --rate USD=1,5");
  ASSERT_EQ(report.status, 0) << report.out;
  EXPECT_EQ(ReadIniString(t.data("Buh-curs.ini"), "USD", "01.12.2026", ""), "1.50");
}

// A record every minute over a hundred years: the listing starts at once,
// month by month, instead of being built whole first.
TEST_F(MessctlTool, ALongRangeIsPrintedAsItIsCollected) {
  t.write(t.data("mess.dat"), {test::Record("3", "6|0|0|1", "11|01.01.2000|00:00", "", "tick")});
  const std::string cmd = "exec " + std::string(KRAV_BUILD_DIR) + "/tools/messctl collect --root " + t.root() +
                          " --from 01.01.2000 --to 31.12.2099 --raw";
  FILE* p = ::popen(cmd.c_str(), "r");
  ASSERT_TRUE(p);
  std::string first;
  char buf[65536];
  // The first two months: 60 days of 1440 lines.
  std::size_t lines = 0;
  while (lines < 60 * 1440) {
    const size_t n = std::fread(buf, 1, sizeof buf, p);
    if (n == 0) break;
    lines += static_cast<std::size_t>(std::count(buf, buf + n, '\n'));
    if (first.size() < 200) first.append(buf, std::min<size_t>(n, 200));
  }
  EXPECT_GE(lines, 60u * 1440);
  EXPECT_NE(first.find("01.01.2000 00:00"), std::string::npos);
  ::pclose(p);  // closing the pipe ends the program with SIGPIPE
}

}  // namespace
}  // namespace krav

namespace krav {
namespace {

TEST(MessctlBalances, OneAccountALine) {
  test::TempRoot t;
  const std::string cash = test::Join({Ru("Наличные"), Ru("Рубли"), Ru("Сбережения")}, kSep2);
  const std::string food = test::Join({Ru("Продукты"), Ru("Рубли"), Ru("Обороты")}, kSep2);
  const std::string none = test::Join({Ru("[Нет]"), "", Ru("Нет")}, kSep2);
  ForceDir(t.data("Plan"));
  t.write(t.data("Plan/nb202603.dat"),
          {test::Join({"2", "05.03.2026", "09:00", "salary ", "s" + std::string(1, kSep1) + cash + kSep1 + none,
                       "", "1000"},
                      kSep3),
           test::Join({"2", "12.03.2026", "10:00", "food ", "f" + std::string(1, kSep1) + food + kSep1 + cash, "",
                       "99.90"},
                      kSep3)});
  EXPECT_TRUE(WriteIniString(t.data("krav2000.ini"), "Buh", "FirstDate", "05.03.2026"));
  const ToolRun r =
      Messctl("balances --root " + t.root() + " --user " + t.user() + " --from 10.03.2026 --to 15.03.2026");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "Наличные\tРубли\tСбережения\t1000.00\t0.00\t99.90\t900.10\n"
            "Продукты\tРубли\tОбороты\t0.00\t99.90\t0.00\t99.90\n");
  EXPECT_EQ(Messctl("balances --root " + t.root() + " --user u --from 10.03.2026").status, 2);
}

}  // namespace
}  // namespace krav

namespace krav {
namespace {

// The texts of the table cells of an HTML fragment, tags and blanks removed.
std::vector<std::string> CellTexts(std::string_view html) {
  std::vector<std::string> cells;
  for (std::size_t at = html.find("<td"); at != std::string_view::npos; at = html.find("<td", at + 1)) {
    const std::size_t end = html.find("</td>", at);
    std::string text;
    bool inTag = false;
    for (char c : html.substr(at, end - at)) {
      if (c == '<') inTag = true;
      else if (c == '>') inTag = false;
      else if (!inTag && c != ' ') text += c;
    }
    if (text == "&nbsp;") text.clear();
    cells.push_back(text);
  }
  return cells;
}

// On random journals (the same account on both sides now and then, negative
// amounts too), every account's income, expense and closing balance in
// `messctl balances` are those of its section in the report.
TEST(MessctlBalances, TheReportAndTheBalancesAgreeOnEveryAccount) {
  for (unsigned seed : {1u, 2u, 3u}) {
    test::TempRoot t;
    std::srand(seed);
    std::vector<std::string> refs;
    for (int a = 0; a < 8; ++a)
      refs.push_back(
          test::Join({"acc" + std::to_string(a), "RUB", a < 3 ? Ru("Сбережения") : Ru("Обороты")}, kSep2));
    const std::string none = test::Join({Ru("[Нет]"), "", Ru("Нет")}, kSep2);
    Lines ops;
    for (int i = 0; i < 150; ++i) {
      const int in = std::rand() % 9 - 1, out = std::rand() % 9 - 1;
      const std::string amount =
          std::to_string(std::rand() % 100000 - 10000) + "." + std::to_string(std::rand() % 90 + 10);
      const std::string date = (i % 28 < 9 ? "0" : "") + std::to_string(1 + i % 28) + ".03.2026";
      ops.push_back(test::Join(
          {"2", date, std::to_string(10 + i % 14) + ":00", "op ",
           "op" + std::string(1, kSep1) + (in < 0 ? none : refs[in]) + kSep1 + (out < 0 ? none : refs[out]), "",
           amount},
          kSep3));
    }
    ForceDir(t.data("Plan"));
    t.write(t.data("Plan/nb202603.dat"), ops);
    EXPECT_TRUE(WriteIniString(t.data("krav2000.ini"), "Buh", "FirstDate", "01.03.2026"));
    EXPECT_TRUE(WriteIniString(t.data("krav2000.ini"), "Buh", "Baseval", "RUB"));
    const std::string period =
        " --root " + t.root() + " --user " + t.user() + " --from 05.03.2026 --to 31.03.2026";
    const ToolRun balances = Messctl("balances" + period);
    ASSERT_EQ(balances.status, 0);
    ASSERT_EQ(Messctl("report" + period).status, 0);
    std::string html;
    ASSERT_TRUE(LoadBytes(t.root() + "Temp/buh.htm", html));

    int compared = 0;
    std::istringstream lines(balances.out);
    for (std::string line; std::getline(lines, line);) {
      std::vector<std::string> f;
      SplitByChar(line, f, '\t');
      ASSERT_EQ(f.size(), 7u) << line;
      const std::size_t section = html.find(Ru("Операции по счету ") + "\"" + f[0] + "\" (");
      if (section == std::string::npos) {  // an account that did not move has no section
        EXPECT_EQ(f[4], "0.00") << line;
        EXPECT_EQ(f[5], "0.00") << line;
        continue;
      }
      const std::size_t end = html.find("</table>", section);
      const std::vector<std::string> cells = CellTexts(std::string_view(html).substr(section, end - section));
      // The totals row is the section's last "Обороты": income, expense, a blank;
      // an account with balances ends with its closing balance.
      const auto last = std::find(cells.rbegin(), cells.rend(), Ru("Обороты"));
      ASSERT_NE(last, cells.rend()) << f[0];
      const auto it = last.base() - 1;
      ASSERT_LT(it + 2, cells.end());
      EXPECT_EQ(*(it + 1), f[4]) << "income of " << f[0] << ", seed " << seed;
      EXPECT_EQ(*(it + 2), f[5]) << "expense of " << f[0] << ", seed " << seed;
      if (f[2] != "Обороты") {
        EXPECT_EQ(cells.back(), f[6]) << "closing of " << f[0] << ", seed " << seed;
      }
      ++compared;
    }
    EXPECT_GE(compared, 6);
  }
}

}  // namespace
}  // namespace krav

namespace krav {
namespace {

std::string RunTool(const std::string& cmd) {
  std::string out;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  ::pclose(p);
  return out;
}

// "account<TAB>amount commodity" lines into account -> amount text.
std::map<std::string, std::string> Balances(const std::string& text, char sep) {
  std::map<std::string, std::string> out;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t at = line.find(sep);
    if (at == std::string::npos) continue;
    std::string amount = line.substr(at + 1);
    amount.erase(std::remove(amount.begin(), amount.end(), '"'), amount.end());
    amount = amount.substr(0, amount.find(' '));
    out[line.substr(0, at)] = amount;
  }
  return out;
}

// Two years of generated operations: ledger-cli and hledger read the export
// and give every account the closing balance of `messctl balances`.
TEST(MessctlExportLedger, LedgerAndHledgerAgreeWithTheBalances) {
  test::TempRoot t;
  std::srand(11);
  const std::vector<std::string> refs{test::Join({Ru("Наличные"), Ru("Рубли"), Ru("Сбережения")}, kSep2),
                                      test::Join({Ru("Банк"), Ru("Рубли"), Ru("Сбережения")}, kSep2),
                                      test::Join({Ru("Долги"), Ru("Рубли"), Ru("Обороты и остатки")}, kSep2),
                                      test::Join({Ru("Продукты"), Ru("Рубли"), Ru("Обороты")}, kSep2),
                                      test::Join({Ru("Разное"), Ru("Рубли"), Ru("Обороты")}, kSep2),
                                      test::Join({Ru("Валютный"), Ru("Доллары США"), Ru("Сбережения")}, kSep2)};
  const std::string none = test::Join({Ru("[Нет]"), "", Ru("Нет")}, kSep2);
  ForceDir(t.data("Plan"));
  for (int y = 2025; y <= 2026; ++y)
    for (int m = 1; m <= 12; ++m) {
      Lines ops;
      for (int i = 0; i < 40; ++i) {
        const int in = std::rand() % 7 - 1, out = std::rand() % 7 - 1;
        const std::string date = (i % 28 < 9 ? "0" : "") + std::to_string(1 + i % 28) + "." + (m < 10 ? "0" : "") +
                                 std::to_string(m) + "." + std::to_string(y);
        ops.push_back(test::Join(
            {"2", date, std::to_string(10 + i % 12) + ":" + std::to_string(10 + i % 50), "op ",
             "op" + std::string(1, kSep1) + (in < 0 ? none : refs[in]) + kSep1 + (out < 0 ? none : refs[out]), "",
             std::to_string(std::rand() % 5000 + 1) + "." + std::to_string(10 + std::rand() % 90)},
            kSep3));
      }
      t.write(t.data("Plan/nb" + std::to_string(y) + (m < 10 ? "0" : "") + std::to_string(m) + ".dat"), ops);
    }
  EXPECT_TRUE(WriteIniString(t.data("krav2000.ini"), "Buh", "FirstDate", "01.01.2025"));
  const std::string file = t.root() + "books.journal";
  const std::string period = " --root " + t.root() + " --user " + t.user() + " --from 01.01.2025 --to 31.12.2026";
  ASSERT_EQ(Messctl("export-ledger" + period + " --output " + file).status, 0);
  const auto fromLedger =
      Balances(RunTool("ledger -f " + file +
                       " bal --flat --no-total --format '%(account)\\t%(display_total)\\n' ^Сбережения ^Обороты"),
               '\t');
  std::string csv = RunTool("hledger -f " + file + " bal --flat --no-total -O csv");
  csv.erase(std::remove(csv.begin(), csv.end(), '"'), csv.end());
  const auto fromHledger = Balances(csv, ',');
  const ToolRun balances = Messctl("balances" + period);
  ASSERT_EQ(balances.status, 0);
  int compared = 0;
  std::istringstream lines(balances.out);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> f;
    SplitByChar(line, f, '\t');
    ASSERT_EQ(f.size(), 7u);
    const std::string account = f[2] + ":" + f[0];
    ASSERT_TRUE(fromLedger.count(account)) << account << "\n" << csv;
    EXPECT_EQ(fromLedger.at(account), f[6]) << "ledger: " << account;
    ASSERT_TRUE(fromHledger.count(account)) << account;
    EXPECT_EQ(fromHledger.at(account), f[6]) << "hledger: " << account;
    ++compared;
  }
  EXPECT_EQ(compared, 6);
}

// Names the setup files can hold but the plain-text formats cannot take as
// they stand: both tools read the export, each account keeps its balance,
// and messctl says which names it wrote otherwise.
TEST(MessctlExportLedger, EveryNameIsWrittenInAFormBothToolsRead) {
  test::TempRoot t;
  struct Name {
    std::string name, currency, type;
  };
  const std::vector<Name> names{
      {"virtual", "RUB", "[Особые]"}, {"open", "RUB", "(Особые"},  {"star", "RUB", "*Звезда"},
      {"bang", "RUB", "!Знак"},       {"semi", "RUB", ";Точка"},   {"a:b  c", "RUB", "Счета"},
      {"quote", "\"", "Счета"},       {"quotes", "\"\"", "Счета"}, {"semicolon", "a;b", "Счета"},
      {"backslash", "a\\b", "Счета"}, {"return", "C\rR", "Счета"}, {"tab", "U\tS", "Счета"},
      {"dollar", "US$", "Счета"},     {"digits", "123", "Счета"}};
  const std::string none = test::Join({Ru("[Нет]"), "", Ru("Нет")}, kSep2);
  Lines ops;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string ref = test::Join({Ru(names[i].name), Ru(names[i].currency), Ru(names[i].type)}, kSep2);
    ops.push_back(
        test::Join({"2", "0" + std::to_string(1 + i % 9) + ".03.2026", "10:00", "op",
                    "op" + std::string(1, kSep1) + ref + kSep1 + none, "", std::to_string(100 + i) + ".00"},
                   kSep3));
  }
  ForceDir(t.data("Plan"));
  t.write(t.data("Plan/nb202603.dat"), ops);
  const std::string file = t.root() + "books.journal", errors = t.root() + "errors.txt";
  const std::string cmd = std::string(KRAV_BUILD_DIR) + "/tools/messctl export-ledger --root " + t.root() +
                          " --user " + t.user() + " --from 01.03.2026 --to 31.03.2026 --output " + file;
  ASSERT_EQ(std::system((cmd + " 2>" + errors).c_str()), 0);
  std::string told;
  ASSERT_TRUE(LoadBytes(errors, told));
  for (const char* renamed :
       {"[Особые]:virtual\" записано как _Особые]:virtual", "валюта \"\"\" записано как \"_\"", "a;b",
        "записано как \"C_R\"", "записано как _Точка:semi"})
    EXPECT_NE(told.find(renamed), std::string::npos) << renamed << "\n" << told;
  EXPECT_EQ(told.find("US$"), std::string::npos) << "a name both tools take is not told";
  for (const std::string tool : {"ledger", "hledger"}) {
    const std::string out = RunTool(tool + " -f " + file + " bal --flat --no-total 2>&1; echo status=$?");
    EXPECT_NE(out.find("status=0"), std::string::npos) << tool << ":\n" << out;
    for (std::size_t i = 0; i < names.size(); ++i)
      EXPECT_NE(out.find(std::to_string(100 + i) + ".00"), std::string::npos)
          << tool << " " << names[i].name << "\n"
          << out;
  }
}

}  // namespace
}  // namespace krav

namespace krav {
namespace {

TEST(MessctlIcs, ExportImportDryRunAndBadFiles) {
  test::TempRoot from, to;
  from.write(from.data("mess.dat"), {test::Record("3", "2|", "11|01.03.2026|00:00", "22|08:30", Ru("Зарядка")),
                                     test::Record("3", "4|31", "11|01.01.2026|00:00", "21", Ru("Оплата"))});
  const std::string file = from.root() + "out.ics";
  ASSERT_EQ(Messctl("export-ics --root " + from.root() + " --user " + from.user() + " --output " + file).status,
            0);
  to.write(to.data("mess.dat"), {"keep"});
  const std::string into = "import-ics --root " + to.root() + " --user " + to.user() + " " + file;
  ToolRun r = Messctl(into + " --dry-run");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "добавилось бы 2, пропущено 0, уже были 0\n");
  EXPECT_EQ(to.read(to.data("mess.dat")), Lines{"keep"});
  r = Messctl(into);
  EXPECT_EQ(r.out, "добавлено 2, пропущено 0, уже были 0\n");
  EXPECT_EQ(Messctl(into).out, "добавлено 0, пропущено 0, уже были 2\n");
  EXPECT_EQ(to.read(to.data("mess.dat")).size(), 3u);
  // Not a calendar, a cut one, another encoding: status 2 and the store as it was.
  for (const std::string& bad : {std::string("just text"), std::string("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\n"),
                                 std::string("BEGIN:VCALENDAR\r\nSUMMARY:\xe7\r\nEND:VCALENDAR\r\n")}) {
    ASSERT_TRUE(SaveBytes(to.root() + "bad.ics", bad));
    EXPECT_EQ(
        Messctl("import-ics --root " + to.root() + " --user " + to.user() + " " + to.root() + "bad.ics").status,
        2);
    EXPECT_EQ(to.read(to.data("mess.dat")).size(), 3u);
  }
}

TEST(MessctlIcs, ImportsAtOnceAddEachEventOnceAndActionsAreNamed) {
  test::TempRoot t;
  std::string calendar = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//T//EN\r\n";
  for (int i = 0; i < 3000; ++i)
    calendar += "BEGIN:VEVENT\r\nUID:" + std::to_string(i) +
                "@t\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20270301T090000\r\nSUMMARY:e" + std::to_string(i) +
                "\r\nEND:VEVENT\r\n";
  calendar += "END:VCALENDAR\r\n";
  ASSERT_TRUE(SaveBytes(t.root() + "many.ics", calendar));
  const std::string one = std::string(KRAV_BUILD_DIR) + "/tools/messctl import-ics --root " + t.root() +
                          " --user " + t.user() + " " + t.root() + "many.ics >/dev/null 2>&1";
  ASSERT_EQ(std::system(("(" + one + " & " + one + " & " + one + " & wait)").c_str()), 0);
  EXPECT_EQ(t.read(t.data("mess.dat")).size(), 3000u);

  // An action of our own export comes with --with-actions only, and the summary names what it runs.
  test::TempRoot from, to;
  from.write(from.data("mess.dat"), {test::Record("4", "2|", "11|01.03.2027|00:00", "22|06:00", "backup") + kSep3 +
                                     "P" + kSep2 + "/usr/bin/rsync|-a /home /mnt"});
  const std::string file = from.root() + "out.ics";
  ASSERT_EQ(Messctl("export-ics --root " + from.root() + " --user " + from.user() + " --output " + file).status,
            0);
  const std::string into = "import-ics --root " + to.root() + " --user " + to.user() + " " + file;
  EXPECT_EQ(Messctl(into + " --dry-run").out, "добавилось бы 1, пропущено 0, уже были 0\n");
  const ToolRun r = Messctl(into + " --with-actions");
  EXPECT_NE(r.out.find("будет запускать: krav-"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("программу \"/usr/bin/rsync\" с аргументами \"-a\" \"/home\" \"/mnt\""), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("добавлено 1, пропущено 0"), std::string::npos);
  EXPECT_EQ(to.read(to.data("mess.dat")), from.read(from.data("mess.dat")));
}

}  // namespace
}  // namespace krav
