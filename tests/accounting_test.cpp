#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <limits>
#include <map>
#include <set>
#include <tuple>

#include "accounting/balances.h"
#include "accounting/ledger_files.h"
#include "engine/money.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "support.h"

namespace krav::accounting {
namespace {

using test::Join;

TEST(Money, ExactDecimalSums) {
  Kopecks sum = 0;
  for (int i = 0; i < 30; ++i) sum += *ReadMoney("0.10");
  EXPECT_EQ(MoneyText(sum), "3.00");
  double binary = 0;
  for (int i = 0; i < 30; ++i) binary += 0.10;
  EXPECT_NE(binary, 3.0);  // what the kopecks avoid
  EXPECT_EQ(*ReadMoney("1 234.5"), 123450);
  EXPECT_EQ(*ReadMoney("-20"), -2000);
  // A decimal comma is a decimal separator like the point (it lost the kopecks).
  EXPECT_EQ(*ReadMoney("12,50"), 1250);
  EXPECT_EQ(*ReadMoney("650,5"), 65050);
  EXPECT_EQ(*ReadMoney("1 000,05"), 100005);
  // Not an amount: nothing read as 0 or as its leading digits.
  for (const char* bad : {"abc", "", " ", "12abc", "1.2.3", "1,2,3", "--5", ".", "12 ,5x"})
    EXPECT_FALSE(ReadMoney(bad)) << bad;
  EXPECT_EQ(*ReadMoney("0.125"), 13);
  EXPECT_EQ(*ReadMoney("-0.125"), -13);
  // Blanks count for nothing wherever they stand; a NUL is no blank.
  EXPECT_EQ(*ReadMoney(" - 1 2 , 5 0 "), -1250);
  EXPECT_EQ(*ReadMoney("5."), 500);
  EXPECT_EQ(*ReadMoney(" .5"), 50);
  EXPECT_FALSE(ReadMoney(std::string_view("12\0", 3)));
  EXPECT_FALSE(ReadMoney("+ "));
  EXPECT_EQ(StoredAmount("0,125"), "0.13");
  EXPECT_EQ(StoredAmount("1234,5"), "1 234.50");
  EXPECT_EQ(MoneyText(-2000), "-20.00");
  EXPECT_EQ(MoneyText(0), "0.00");
  EXPECT_EQ(MoneyText(5), "0.05");
  EXPECT_EQ(MoneyText(-5), "-0.05");
  EXPECT_EQ(MoneyText(*ReadMoney("1234.50")), "1234.50");
}

struct PresetQuestions : Questions {
  std::deque<bool> examples;
  std::deque<std::optional<std::string>> rates;
  std::vector<std::string> prompts;
  bool createExampleData() override {
    prompts.push_back("example");
    bool a = !examples.empty() && examples.front();
    if (!examples.empty()) examples.pop_front();
    return a;
  }
  std::optional<std::string> askRate(const std::string&, const std::string&, const std::string& prompt) override {
    prompts.push_back(prompt);
    if (rates.empty()) return std::nullopt;
    auto a = rates.front();
    rates.pop_front();
    return a;
  }
};

class Accounting : public ::testing::Test {
 protected:
  test::TempRoot t;
  Ledger ledger{t.root(), t.user()};
  test::FixedClock clock{MakeDateTime(2026, 12, 8, 12, 0)};
  const Account cash{Ru("Наличные"), Ru("Рубли"), SavingsType()};
  const Account food{Ru("Продукты"), Ru("Рубли"), TurnoverType()};
  const Account debts{Ru("Долги"), Ru("Рубли"), TurnoverBalanceType()};

  std::string buh(const char* key) { return ReadIniString(ledger.settingsFile(), kBuhSection, key, ""); }
  // An operation line of the journal; income or expense may be none.
  static std::string Op(const std::string& date, const std::string& time, const std::string& name,
                        const Account* income, const Account* expense, const std::string& amount) {
    const std::string def = name + kSep1 + (income ? AccountReference(*income) : NoAccountReference()) + kSep1 +
                            (expense ? AccountReference(*expense) : NoAccountReference());
    return Join({"2", date, time, name + " ", def, "", amount}, kSep3);
  }
  void journal(const std::string& monthDate, const Lines& lines) {
    ForceDir(t.data("Plan"));
    t.write(ledger.journalFile(monthDate), lines);
  }
  BalanceTable compute(int d1, int m1, int d2, int m2, int y = 2026) {
    BalanceTable table;
    EXPECT_TRUE(ComputeBalances(ledger, MakeDateTime(y, m2, d2), MakeDateTime(y, m1, d1), table));
    return table;
  }
};

TEST_F(Accounting, ChangeMarkMovesBackOnly) {
  ASSERT_TRUE(MarkAccountingChange(ledger, "10.03.2026"));
  EXPECT_EQ(buh(kLastChangesKey), "10.03.2026");
  EXPECT_EQ(buh(kFirstDateKey), "10.03.2026");
  ASSERT_TRUE(MarkAccountingChange(ledger, "01.02.2026"));
  EXPECT_EQ(buh(kLastChangesKey), "01.02.2026");
  ASSERT_TRUE(MarkAccountingChange(ledger, "20.02.2026"));
  EXPECT_EQ(buh(kLastChangesKey), "01.02.2026");
  EXPECT_EQ(buh(kFirstDateKey), "01.02.2026");
}

TEST_F(Accounting, ExampleDataOnlyWhenWanted) {
  PresetQuestions q;
  q.examples = {false, true};
  EXPECT_FALSE(EnsureDefaultAccounting(ledger, q));
  EXPECT_FALSE(FileExists(ledger.accountsFile()));
  EXPECT_TRUE(EnsureDefaultAccounting(ledger, q));
  EXPECT_EQ(t.read(ledger.currenciesFile()), (Lines{Ru("Рубли"), Ru("Доллары США")}));
  const Lines accounts = t.read(ledger.accountsFile());
  ASSERT_EQ(accounts.size(), 7u);
  EXPECT_EQ(accounts[0], AccountReference(cash));
  const Lines ops = t.read(ledger.operationsFile());
  ASSERT_EQ(ops.size(), 6u);
  EXPECT_EQ(ops[0],
            Ru("Зарплата") + kSep1 + AccountReference(cash) + kSep1 + Ru("[Нет]") + kSep2 + kSep2 + Ru("Нет"));
  EXPECT_EQ(buh(kBaseCurrencyKey), Ru("Рубли"));
  EXPECT_TRUE(EnsureDefaultAccounting(ledger, q));  // no question once the file exists
  EXPECT_EQ(q.prompts.size(), 2u);
}

TEST_F(Accounting, PeriodStartsAfterAnOperation) {
  ASSERT_TRUE(MarkAccountingChange(ledger, "05.03.2026"));
  journal("01.03.2026", {Op("12.03.2026", "10:00", "food", &food, &cash, "100"),
                         Op("05.03.2026", "09:00", "salary", &cash, nullptr, "1000")});
  const BalanceTable tb = compute(10, 3, 15, 3);
  ASSERT_EQ(tb.rows.size(), 1u);
  EXPECT_EQ(tb.rows[0].when(), "12.03.2026 10:00");
  EXPECT_EQ(tb.cell(4, 0), "05.03.2026 09:00");  // the opening row is the operation before
  const int c = tb.find(cash.name), f = tb.find(food.name);
  ASSERT_GE(c, 0);
  ASSERT_GE(f, 0);
  EXPECT_EQ(tb.cell(4, 3 + c), "1000.00");
  EXPECT_EQ(tb.cell(5, 3 + c), "900.00");
  EXPECT_EQ(tb.cell(5, 3 + f), "100.00");
  EXPECT_EQ(tb.cell(3, 3 + c), "*");
  EXPECT_EQ(tb.cell(0, 3 + c), cash.name);
  EXPECT_EQ(tb.cell(2, 3 + f), TurnoverType());
}

TEST_F(Accounting, OnlyAnOperationBeforeThePeriod) {
  ASSERT_TRUE(MarkAccountingChange(ledger, "05.03.2026"));
  journal("01.03.2026", {Op("05.03.2026", "09:00", "salary", &cash, nullptr, "1000")});
  const BalanceTable tb = compute(10, 3, 15, 3);
  EXPECT_TRUE(tb.rows.empty());
  ASSERT_EQ(tb.columns.size(), 1u);
  EXPECT_EQ(tb.cell(4, 3), "1000.00");
  EXPECT_EQ(tb.cell(3, 3), "");  // no movement within the period
}

TEST_F(Accounting, IdleAccountsDropNetZeroStays) {
  ASSERT_TRUE(MarkAccountingChange(ledger, "01.03.2026"));
  journal("01.03.2026", {Op("11.03.2026", "10:00", "lend", &debts, &cash, "50"),
                         Op("12.03.2026", "10:00", "back", &cash, &debts, "50"),
                         Op("01.03.2026", "10:00", "in and out", &food, nullptr, "0")});
  const BalanceTable tb = compute(10, 3, 15, 3);
  EXPECT_EQ(tb.find(food.name), -1);
  ASSERT_GE(tb.find(debts.name), 0);
  EXPECT_TRUE(tb.columns[tb.find(debts.name)].moved);
  EXPECT_EQ(tb.closing(tb.find(debts.name)), 0);
}

TEST_F(Accounting, IdleAccountBetweenBusyOnesKeepsColumnsAligned) {
  ASSERT_TRUE(MarkAccountingChange(ledger, "01.02.2026"));
  journal("01.02.2026", {Op("20.02.2026", "08:00", "pay", &cash, nullptr, "300")});
  journal("01.03.2026", {Op("11.03.2026", "10:00", "zero", &food, nullptr, "0"),
                         Op("12.03.2026", "10:00", "lend", &debts, &cash, "40.50")});
  const BalanceTable tb = compute(10, 3, 15, 3);
  ASSERT_EQ(tb.columns.size(), 2u);
  EXPECT_EQ(tb.find(food.name), -1);
  const int c = tb.find(cash.name), d = tb.find(debts.name);
  ASSERT_GE(c, 0);
  ASSERT_GE(d, 0);
  // The opening comes from the February operation, a month before the period.
  EXPECT_EQ(tb.cell(4, 3 + c), "300.00");
  ASSERT_EQ(tb.rows.size(), 2u);
  EXPECT_EQ(tb.cell(6, 3 + c), "259.50");
  EXPECT_EQ(tb.cell(6, 3 + d), "40.50");
  EXPECT_EQ(tb.rows[1].entry(c), -4050);
  EXPECT_EQ(tb.rows[1].entry(d), 4050);
  EXPECT_EQ(tb.rows[0].entry(c), 0);
}

TEST_F(Accounting, SameMinuteOperationsAndStartAfterEnd) {
  ASSERT_TRUE(MarkAccountingChange(ledger, "01.03.2026"));
  journal("01.03.2026", {Op("12.03.2026", "10:00", "a", &cash, nullptr, "10.10"),
                         Op("12.03.2026", "10:00", "b", nullptr, &cash, "0.10")});
  const BalanceTable tb = compute(1, 3, 31, 3);
  ASSERT_EQ(tb.rows.size(), 2u);
  EXPECT_EQ(MoneyText(tb.closing(0)), "10.00");
  // No operation came before the period: the opening row's texts are empty.
  for (std::size_t column = 0; column < 3; ++column) EXPECT_EQ(tb.cell(4, column), "") << column;
  const BalanceTable none = compute(20, 3, 10, 3);
  EXPECT_TRUE(none.rows.empty());
}

// A month's operations go by day, then by time as the texts sort, then as
// written: "hh:mm" times by number, and a time written otherwise ("9:05",
// "10:00:30") by its text among them.
TEST_F(Accounting, OperationsGoByDayTimeTextAndTheOrderWritten) {
  ASSERT_TRUE(MarkAccountingChange(ledger, "01.03.2026"));
  const Lines plain = {Op("12.03.2026", "18:00", "e", &cash, nullptr, "1"),
                       Op("03.03.2026", "23:59", "b", &cash, nullptr, "1"),
                       Op("12.03.2026", "08:00", "c", &cash, nullptr, "1"),
                       Op("12.03.2026", "08:00", "d", &cash, nullptr, "1"),
                       Op("01.03.2026", "00:00", "a", &cash, nullptr, "1")};
  journal("01.03.2026", plain);
  auto order = [&] {
    std::string names;
    for (const auto& r : compute(1, 3, 31, 3).rows) names += r.description().substr(0, 1);
    return names;
  };
  EXPECT_EQ(order(), "abcde");
  Lines odd = plain;
  odd.push_back(Op("12.03.2026", "9:05", "g", &cash, nullptr, "1"));
  odd.push_back(Op("12.03.2026", "10:00:30", "f", &cash, nullptr, "1"));
  journal("01.03.2026", odd);
  EXPECT_EQ(order(), "abcdfeg");
}

TEST_F(Accounting, DeletedAccountKeepsItsJournalReference) {
  ASSERT_TRUE(MarkAccountingChange(ledger, "01.03.2026"));
  const Account gone{Ru("Старый счет"), Ru("Доллары США"), SavingsType()};
  t.write(ledger.accountsFile(), {AccountReference({cash.name, Ru("Евро"), TurnoverType()})});
  journal("01.03.2026", {Op("12.03.2026", "10:00", "x", &gone, &cash, "5")});
  const BalanceTable tb = compute(1, 3, 31, 3);
  const int g = tb.find(gone.name), c = tb.find(cash.name);
  ASSERT_GE(g, 0);
  EXPECT_EQ(tb.columns[g].currency, Ru("Доллары США"));
  EXPECT_EQ(tb.columns[c].currency, Ru("Евро"));  // from the account file
  EXPECT_EQ(tb.columns[c].type, TurnoverType());
}

TEST_F(Accounting, MonthBalanceCache) {
  ASSERT_TRUE(MarkAccountingChange(ledger, "15.01.2026"));
  journal("01.01.2026", {Op("15.01.2026", "10:00", "salary", &cash, nullptr, "300")});
  journal("01.02.2026", {Op("02.02.2026", "10:00", "spend", nullptr, &cash, "300")});
  compute(1, 3, 31, 3);
  EXPECT_EQ(t.read(ledger.balanceFile("01.01.2026")),
            Lines{Join({cash.name, cash.currency, cash.type, "300.00"}, kSep1)});
  // February ends at zero: its file exists and is empty.
  EXPECT_TRUE(FileExists(ledger.balanceFile("01.02.2026")));
  EXPECT_TRUE(t.read(ledger.balanceFile("01.02.2026")).empty());
  EXPECT_EQ(buh(kLastChangesKey), "31.03.2026");

  // With the cache valid, a report of March reads only February's file: a
  // changed January journal goes unseen until the change mark.
  journal("01.01.2026", {Op("15.01.2026", "10:00", "salary", &cash, nullptr, "999")});
  t.write(ledger.balanceFile("01.02.2026"), {Join({cash.name, cash.currency, cash.type, "7.00"}, kSep1)});
  EXPECT_EQ(compute(1, 3, 31, 3).cell(4, 3), "7.00");
  ASSERT_TRUE(MarkAccountingChange(ledger, "15.01.2026"));
  EXPECT_EQ(buh(kLastChangesKey), "15.01.2026");
  const BalanceTable fresh = compute(1, 3, 31, 3);
  EXPECT_EQ(fresh.cell(4, 3), "699.00");
}

TEST_F(Accounting, FailedMonthFileIsReported) {
  ASSERT_TRUE(MarkAccountingChange(ledger, "01.03.2026"));
  journal("01.03.2026", {Op("12.03.2026", "10:00", "a", &cash, nullptr, "1")});
  ForceDir(ledger.balanceFile("01.03.2026"));  // a folder where the file should go
  BalanceTable tb;
  EXPECT_FALSE(ComputeBalances(ledger, MakeDateTime(2026, 3, 31), MakeDateTime(2026, 3, 1), tb));
}

// A decimal comma and a two-digit year count in full: the old reading took
// 650 for "650,50" and the year 26 for "01.03.26" (a walk of 24,000 months).
TEST_F(Accounting, ACommaAmountAndATwoDigitYearCountInFull) {
  ASSERT_TRUE(MarkAccountingChange(ledger, "01.03.26"));
  EXPECT_EQ(buh(kFirstDateKey), "01.03.2026");
  EXPECT_EQ(buh(kLastChangesKey), "01.03.2026");
  journal("01.03.2026", {Op("02.03.2026", "10:00", "a", &cash, nullptr, "650,50"),
                         Op("03.03.26", "10:00", "b", &cash, nullptr, "1 000,5"),
                         Op("04.03.2026", "10:00", "c", nullptr, &cash, "0,125"),
                         Op("05.03.2026", "10:00", "damaged", nullptr, &cash, "12abc")});
  const BalanceTable tb = compute(1, 3, 31, 3);
  ASSERT_EQ(tb.rows.size(), 3u);  // the damaged line is left out, not read as 12
  EXPECT_EQ(MoneyText(tb.closing(0)), "1650.87");
  EXPECT_EQ(tb.cell(5, 2), "650,50");  // the amount as it stands in the journal
  EXPECT_EQ(buh(kLastChangesKey), "31.03.2026");
  EXPECT_FALSE(FileExists(ledger.dataDir() + "Plan/nb002603.ost"));
}

// A stored LastChanges that is no date vouches for no month file: the walk
// starts again at FirstDate.
TEST_F(Accounting, ALastChangesThatIsNoDateRecomputesFromTheFirstDate) {
  ASSERT_TRUE(MarkAccountingChange(ledger, "15.01.2026"));
  journal("01.01.2026", {Op("15.01.2026", "10:00", "salary", &cash, nullptr, "300")});
  compute(1, 3, 31, 3);
  journal("01.01.2026", {Op("15.01.2026", "10:00", "salary", &cash, nullptr, "500")});
  ASSERT_TRUE(WriteIniString(ledger.settingsFile(), kBuhSection, kLastChangesKey, "garbage"));
  EXPECT_EQ(compute(1, 3, 31, 3).cell(4, 3), "500.00");
  EXPECT_EQ(buh(kLastChangesKey), "31.03.2026");
}

TEST_F(Accounting, CurrencyRates) {
  PresetQuestions q;
  const std::string usd = Ru("Доллары США"), rub = Ru("Рубли");
  q.rates = {std::nullopt};
  EXPECT_EQ(AskCurrencyRate(ledger, q, rub, usd, "08.12.2026"), 0.0);
  EXPECT_FALSE(FileExists(ledger.ratesFile()));
  EXPECT_EQ(q.prompts.back(), Ru("Укажите курс валюты \"Доллары США\" к базовой валюте \"Рубли\" на 08.12.2026"));
  q.rates = {std::string("0"), std::string(""), std::string("9 0.5")};
  EXPECT_DOUBLE_EQ(AskCurrencyRate(ledger, q, rub, usd, "08.12.2026"), 90.5);
  EXPECT_EQ(q.prompts.size(), 4u);
  EXPECT_EQ(ReadIniString(ledger.ratesFile(), usd, "08.12.2026", ""), "90.50");
  EXPECT_DOUBLE_EQ(AskCurrencyRate(ledger, q, rub, usd, "08.12.2026"), 90.5);  // stored: not asked
  EXPECT_EQ(q.prompts.size(), 4u);
  // A comma is a decimal separator in an answer and in the file; a rate is
  // stored in the money form, and one too small for it keeps its decimals.
  q.rates = {std::string("1,5")};
  EXPECT_DOUBLE_EQ(AskCurrencyRate(ledger, q, rub, usd, "09.12.2026"), 1.5);
  EXPECT_EQ(ReadIniString(ledger.ratesFile(), usd, "09.12.2026", ""), "1.50");
  q.rates = {std::string("0,004")};
  EXPECT_DOUBLE_EQ(AskCurrencyRate(ledger, q, rub, usd, "10.12.2026"), 0.004);
  EXPECT_EQ(ReadIniString(ledger.ratesFile(), usd, "10.12.2026", ""), "0.004");
  ASSERT_TRUE(WriteIniString(ledger.ratesFile(), usd, "11.12.2026", "92,25"));
  EXPECT_DOUBLE_EQ(AskCurrencyRate(ledger, q, rub, usd, "11.12.2026"), 92.25);
}

// Every file the balances need, unreadable in turn: the computation fails
// and names it, writes no month file and leaves LastChanges; once the file
// reads again, the balances are right. The old walk took such a file for
// an empty one and kept the wrong totals.
TEST(Unreadable, TheBalancesFailOnAFileTheyCannotRead) {
  KRAV_SKIP_AS_ROOT();
  test::TempRoot t;
  const Ledger ledger{t.root(), t.user()};
  test::FixedClock clock{MakeDateTime(2026, 12, 8, 12, 0)};
  const Account cash{"cash", "RUB", SavingsType()};
  auto op = [&](const std::string& date, const std::string& amount) {
    return Join({"2", date, "10:00", "op ",
                 "op" + std::string(1, kSep1) + AccountReference(cash) + kSep1 + NoAccountReference(), "", amount},
                kSep3);
  };
  ForceDir(t.data("Plan"));
  t.write(ledger.accountsFile(), {AccountReference(cash)});
  t.write(ledger.journalFile("01.01.2026"), {op("15.01.2026", "100")});
  t.write(ledger.journalFile("01.02.2026"), {op("15.02.2026", "20")});
  t.write(ledger.journalFile("01.03.2026"), {op("15.03.2026", "3")});
  t.write(ledger.balanceFile("01.12.2025"), {Join({"cash", "RUB", SavingsType(), "1000.00"}, kSep1)});
  ASSERT_TRUE(MarkAccountingChange(ledger, "15.01.2026"));
  for (const std::string& file : {ledger.journalFile("01.02.2026"), ledger.balanceFile("01.12.2025"),
                                  ledger.accountsFile(), ledger.settingsFile()}) {
    ::chmod(FsPath(file).c_str(), 0);
    BalanceTable tb;
    std::string error;
    EXPECT_FALSE(ComputeBalances(ledger, MakeDateTime(2026, 3, 31), MakeDateTime(2026, 3, 1), tb, &error)) << file;
    EXPECT_NE(error.find(file), std::string::npos) << error;
    ::chmod(FsPath(file).c_str(), 0644);
    for (const char* month : {"01.01.2026", "01.02.2026", "01.03.2026"})
      EXPECT_FALSE(FileExists(ledger.balanceFile(month))) << file << " " << month;
    for (const auto& entry : std::filesystem::directory_iterator(FsPath(t.data("Plan"))))
      EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
    EXPECT_EQ(ReadIniString(ledger.settingsFile(), kBuhSection, kLastChangesKey, ""), "15.01.2026") << file;
  }
  BalanceTable tb;
  ASSERT_TRUE(ComputeBalances(ledger, MakeDateTime(2026, 3, 31), MakeDateTime(2026, 3, 1), tb));
  EXPECT_EQ(MoneyText(tb.closing(0)), "1123.00");
  EXPECT_EQ(ReadIniString(ledger.settingsFile(), kBuhSection, kLastChangesKey, ""), "31.03.2026");
}

}  // namespace
}  // namespace krav::accounting

namespace krav::accounting {
namespace {

TEST(Money, SumsStopAtTheEndsOfTheRange) {
  const Kopecks max = std::numeric_limits<Kopecks>::max(), min = std::numeric_limits<Kopecks>::min();
  EXPECT_EQ(AddMoney(max - 1, 5), max);
  EXPECT_EQ(AddMoney(min + 1, -5), min);
  EXPECT_EQ(AddMoney(100, -250), -150);
  EXPECT_EQ(*ReadMoney("1 000 000 000 000"), kMoneyBound);
  EXPECT_FALSE(ReadMoney("1000000000000.01"));
  EXPECT_FALSE(ReadMoney("-92233720368547749"));
  EXPECT_FALSE(ReadMoney("99999999999999999999999"));
}

class Journals : public ::testing::Test {
 protected:
  test::TempRoot t;
  Ledger ledger{t.root(), t.user()};
  test::FixedClock clock{MakeDateTime(2026, 12, 8, 12, 0)};
  std::vector<Account> accounts;
  void SetUp() override {
    for (int i = 0; i < 12; ++i)
      accounts.push_back({"acc" + std::to_string(i), "RUB", i % 3 == 0 ? TurnoverType() : SavingsType()});
    ForceDir(t.data("Plan"));
    EXPECT_TRUE(WriteIniString(ledger.settingsFile(), kBuhSection, kFirstDateKey, "01.01.2026"));
  }
  std::string op(int day, int month, int minute, int income, int expense, const std::string& amount) const {
    auto ref = [&](int a) { return a < 0 ? NoAccountReference() : AccountReference(accounts[a]); };
    const std::string date = test::Join({day < 10 ? "0" + std::to_string(day) : std::to_string(day),
                                         month < 10 ? "0" + std::to_string(month) : std::to_string(month), "2026"},
                                        '.');
    const std::string time = (minute / 60 < 10 ? "0" : "") + std::to_string(minute / 60) + ":" +
                             (minute % 60 < 10 ? "0" : "") + std::to_string(minute % 60);
    return test::Join(
        {"2", date, time, "op", "op" + std::string(1, kSep1) + ref(income) + kSep1 + ref(expense), "", amount},
        kSep3);
  }
};

TEST_F(Journals, AmountsBeyondTheBoundAreLeftOut) {
  t.write(ledger.journalFile("01.03.2026"),
          {op(2, 3, 60, 1, -1, "92233720368547749"), op(3, 3, 60, 1, -1, "92233720368547749"),
           op(4, 3, 60, 1, -1, "100")});
  BalanceTable tb;
  ASSERT_TRUE(ComputeBalances(ledger, MakeDateTime(2026, 3, 31), MakeDateTime(2026, 3, 1), tb));
  ASSERT_EQ(tb.rows.size(), 1u);
  EXPECT_EQ(MoneyText(tb.closing(0)), "100.00");
}

// Random journals over three months, the middle one the period: every cell
// of the table is the running sum of the operations up to its row.
TEST_F(Journals, EveryBalanceIsTheRunningSumOfItsOperations) {
  std::srand(7);
  struct Generated {
    int month, day, minute, income, expense;
    Kopecks value;
  };
  std::vector<Generated> all;
  for (int month = 1; month <= 3; ++month) {
    Lines lines;
    for (int i = 0; i < 120; ++i) {
      // Unique moments, written out of order; the same account on both sides now and then.
      const Generated g{month,
                        1 + (i * 7) % 28,
                        (i * 37) % 1400,
                        std::rand() % 13 - 1,
                        std::rand() % 13 - 1,
                        (std::rand() % 200000) - 20000};
      all.push_back(g);
      lines.push_back(op(g.day, g.month, g.minute, g.income, g.expense, MoneyText(g.value)));
    }
    t.write(ledger.journalFile("01.0" + std::to_string(month) + ".2026"), lines);
  }
  std::sort(all.begin(), all.end(), [](const Generated& a, const Generated& b) {
    return std::tie(a.month, a.day, a.minute) < std::tie(b.month, b.day, b.minute);
  });
  BalanceTable tb;
  ASSERT_TRUE(ComputeBalances(ledger, MakeDateTime(2026, 2, 28), MakeDateTime(2026, 2, 1), tb));

  std::map<std::string, Kopecks> running;  // by account name
  auto apply = [&](const Generated& g) {
    if (g.expense >= 0) running[accounts[g.expense].name] -= g.value;
    if (g.income >= 0 && g.income != g.expense) running[accounts[g.income].name] += g.value;
  };
  std::size_t row = 0;
  for (const Generated& g : all) {
    if (g.month == 1) apply(g);
    if (g.month != 2) continue;
    if (row == 0) {
      for (std::size_t c = 0; c < tb.columns.size(); ++c)
        EXPECT_EQ(tb.openingBalance(c), running[tb.columns[c].name]);
    }
    apply(g);
    ASSERT_LT(row, tb.rows.size());
    for (std::size_t c = 0; c < tb.columns.size(); ++c)
      ASSERT_EQ(tb.balance(row, c), running[tb.columns[c].name]) << "row " << row << " " << tb.columns[c].name;
    ++row;
  }
  EXPECT_EQ(row, tb.rows.size());
  for (std::size_t c = 0; c < tb.columns.size(); ++c) {
    const auto totals = tb.totals(c);
    EXPECT_EQ(totals.closing, running[tb.columns[c].name]);
    EXPECT_EQ(totals.opening + totals.income - totals.expense, totals.closing);
    EXPECT_GE(totals.income, 0);
    EXPECT_GE(totals.expense, 0);
  }
}

// Twenty-five years from cold: more months than are written ahead while the
// walk goes on, and every one of them gets its file.
TEST_F(Journals, EveryMonthOfALongWalkGetsItsFile) {
  std::vector<std::string> months;
  for (int y = 2001; y <= 2025; ++y)
    for (int m = 1; m <= 12; ++m) {
      const std::string mm = (m < 10 ? "0" : "") + std::to_string(m);
      months.push_back("01." + mm + "." + std::to_string(y));
      t.write(ledger.journalFile(months.back()),
              {test::Join({"2", "10." + mm + "." + std::to_string(y), "10:00", "op",
                           "op" + std::string(1, kSep1) + AccountReference(accounts[1]) + kSep1 + NoAccountReference(),
                           "", "1"},
                          kSep3)});
    }
  ASSERT_TRUE(WriteIniString(ledger.settingsFile(), kBuhSection, kFirstDateKey, "01.01.2001"));
  ASSERT_TRUE(WriteIniString(ledger.settingsFile(), kBuhSection, kLastChangesKey, "01.01.2001"));
  std::vector<AccountBalance> alone;

  // A journal that cannot be read late in the walk: the months written ahead
  // of it are not put in place, and nothing is left behind.
  const std::string journal = ledger.journalFile(months[200]);
  const Lines kept = t.read(journal);
  ASSERT_TRUE(RemoveFile(journal));
  ForceDir(journal);
  EXPECT_FALSE(ComputeBalanceTotals(ledger, MakeDateTime(2025, 12, 31), MakeDateTime(2025, 12, 1), alone));
  std::filesystem::remove(FsPath(journal));
  t.write(journal, kept);
  for (const auto& entry : std::filesystem::directory_iterator(FsPath(t.data("Plan")))) {
    EXPECT_NE(entry.path().extension(), ".ost") << entry.path();
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
  }
  EXPECT_EQ(ReadIniString(ledger.settingsFile(), kBuhSection, kLastChangesKey, ""), "01.01.2001");

  ASSERT_TRUE(ComputeBalanceTotals(ledger, MakeDateTime(2025, 12, 31), MakeDateTime(2025, 12, 1), alone));
  ASSERT_EQ(alone.size(), 1u);
  EXPECT_EQ(alone[0].totals.closing, 300 * 100);
  for (std::size_t i = 0; i < months.size(); ++i)
    ASSERT_EQ(t.read(ledger.balanceFile(months[i])),
              Lines{test::Join({accounts[1].name, accounts[1].currency, accounts[1].type, MoneyText((i + 1) * 100)},
                               kSep1)})
        << months[i];
  EXPECT_EQ(ReadIniString(ledger.settingsFile(), kBuhSection, kLastChangesKey, ""), "31.12.2025");
}

// The totals alone (what messctl balances prints) are the table's totals,
// over the same accounts in the same order, with the same month files: for
// periods starting and ending within months, and for accounts that are 0
// throughout or first met within the period.
TEST_F(Journals, TheTotalsAloneAreTheTablesTotals) {
  std::srand(11);
  for (int month = 1; month <= 4; ++month) {
    Lines lines;
    for (int i = 0; i < 90; ++i) {
      // Account 10 appears only from March on; account 9 only in January, netted to 0.
      const auto pick = [&] {
        const int a = std::rand() % (month >= 3 ? 11 : 10) - 1;
        return a == 9 ? 10 : a;
      };
      const int income = pick(), expense = pick();
      lines.push_back(op(1 + (i * 11) % 28, month, (i * 53) % 1440, income, expense,
                         MoneyText((std::rand() % 90000) - 9000)));
    }
    if (month == 1) {
      lines.push_back(op(3, 1, 61, 9, -1, "500"));
      lines.push_back(op(4, 1, 61, -1, 9, "500"));
    }
    t.write(ledger.journalFile("01.0" + std::to_string(month) + ".2026"), lines);
  }
  struct Period {
    int d1, m1, d2, m2;
  };
  for (const Period p : {Period{1, 2, 28, 2}, Period{10, 2, 17, 3}, Period{15, 1, 14, 4}, Period{20, 4, 25, 4}}) {
    SCOPED_TRACE(std::to_string(p.d1) + "." + std::to_string(p.m1) + "-" + std::to_string(p.d2) + "." +
                 std::to_string(p.m2));
    const DateTime start = MakeDateTime(2026, p.m1, p.d1), end = MakeDateTime(2026, p.m2, p.d2);
    auto cold = [&] {
      for (int m = 1; m <= 4; ++m) RemoveFile(ledger.balanceFile("01.0" + std::to_string(m) + ".2026"));
      ASSERT_TRUE(WriteIniString(ledger.settingsFile(), kBuhSection, kLastChangesKey, "01.01.2026"));
    };
    auto monthFiles = [&] {
      std::string all;
      for (int m = 1; m <= 4; ++m)
        for (const auto& line : t.read(ledger.balanceFile("01.0" + std::to_string(m) + ".2026"))) all += line + "|";
      return all;
    };
    cold();
    BalanceTable tb;
    ASSERT_TRUE(ComputeBalances(ledger, end, start, tb));
    const std::string tableFiles = monthFiles();
    const std::string tableMark = ReadIniString(ledger.settingsFile(), kBuhSection, kLastChangesKey, "");
    cold();
    std::vector<AccountBalance> alone;
    ASSERT_TRUE(ComputeBalanceTotals(ledger, end, start, alone));
    EXPECT_EQ(monthFiles(), tableFiles);
    EXPECT_EQ(ReadIniString(ledger.settingsFile(), kBuhSection, kLastChangesKey, ""), tableMark);
    ASSERT_EQ(alone.size(), tb.columns.size());
    for (std::size_t c = 0; c < alone.size(); ++c) {
      SCOPED_TRACE(tb.columns[c].name);
      EXPECT_EQ(alone[c].column.name, tb.columns[c].name);
      EXPECT_EQ(alone[c].column.moved, tb.columns[c].moved);
      const auto want = tb.totals(c);
      EXPECT_EQ(alone[c].totals.opening, want.opening);
      EXPECT_EQ(alone[c].totals.income, want.income);
      EXPECT_EQ(alone[c].totals.expense, want.expense);
      EXPECT_EQ(alone[c].totals.closing, want.closing);
    }
  }
  // The account netted to 0 before the periods is not among them; the late ones are, where they moved.
  std::vector<AccountBalance> alone;
  ASSERT_TRUE(ComputeBalanceTotals(ledger, MakeDateTime(2026, 4, 30), MakeDateTime(2026, 2, 1), alone));
  std::set<std::string> names;
  for (const auto& a : alone) names.insert(a.column.name);
  EXPECT_EQ(names.count("acc9"), 0u);
  EXPECT_EQ(names.count("acc10"), 1u);
}

}  // namespace
}  // namespace krav::accounting
