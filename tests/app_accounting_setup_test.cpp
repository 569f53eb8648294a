// The setup dialog's lists without a screen: opening, the checks of every
// add, deletions, the base-currency rule and the writing on close.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "accounting/ledger_files.h"
#include "app/logic/accounting_questions.h"
#include "app/logic/accounting_setup.h"
#include "app/logic/preset_asking.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "support.h"

namespace krav::app {
namespace {

using accounting::Ledger;

class SetupLogic : public ::testing::Test {
 protected:
  test::TempRoot t;
  Ledger ledger{t.root(), t.user()};
  PresetAsking asked;
  ScopedAsking scope{asked};
  AccountingQuestions questions;

  SetupLists exampleLists() {
    asked.answerNext(3);  // "Да": the example data
    return LoadSetupLists(ledger, questions);
  }
};

TEST_F(SetupLogic, AnsweringNoOpensEmptyListsAndClosingEndsTheQuestion) {
  asked.answerNext(4);  // "Нет"
  SetupLists lists = LoadSetupLists(ledger, questions);
  ASSERT_EQ(asked.messages().size(), 1u);
  EXPECT_EQ(asked.messages()[0].title, Ru("Бухгалтерские операции"));
  EXPECT_TRUE(lists.operations.empty());
  EXPECT_TRUE(lists.accounts.empty());
  EXPECT_EQ(lists.currencies, Lines{Ru("Рубли")});
  EXPECT_EQ(lists.base, Ru("Рубли"));
  EXPECT_EQ(SaveSetupLists(ledger, lists), std::nullopt);
  EXPECT_TRUE(FileExists(ledger.operationsFile()));
  EXPECT_TRUE(t.read(ledger.operationsFile()).empty());
  EXPECT_TRUE(t.read(ledger.accountsFile()).empty());
  (void)LoadSetupLists(ledger, questions);
  EXPECT_EQ(asked.messages().size(), 1u);  // not asked again
}

TEST_F(SetupLogic, TheExampleDataOpensWithItsRowsAndBase) {
  const SetupLists lists = exampleLists();
  ASSERT_EQ(lists.accounts.size(), 7u);
  EXPECT_EQ(lists.accounts[0], (AccountRow{Ru("Наличные"), Ru("Рубли"), Ru("Сбережения")}));
  ASSERT_EQ(lists.operations.size(), 6u);
  EXPECT_EQ(lists.operations[1].name, Ru("Положил деньги в банк"));
  EXPECT_EQ(lists.operations[1].incomeName, Ru("Счет в банке А"));
  EXPECT_EQ(lists.operations[1].expenseName, Ru("Наличные"));
  EXPECT_EQ(lists.operations[0].expenseName, Ru("[Нет]"));
  EXPECT_EQ(lists.currencies, (Lines{Ru("Рубли"), Ru("Доллары США")}));
  EXPECT_EQ(lists.base, Ru("Рубли"));
}

TEST_F(SetupLogic, ABaseCurrencyNamingNoRowFallsBackToTheFirst) {
  (void)exampleLists();
  EXPECT_TRUE(WriteIniString(ledger.settingsFile(), "Buh", "Baseval", Ru("Евро")));
  EXPECT_EQ(LoadSetupLists(ledger, questions).base, Ru("Рубли"));
  EXPECT_TRUE(WriteIniString(ledger.settingsFile(), "Buh", "Baseval", Ru("Доллары США")));
  EXPECT_EQ(LoadSetupLists(ledger, questions).base, Ru("Доллары США"));
}

TEST_F(SetupLogic, AddChecksInTheirOrder) {
  SetupLists lists = exampleLists();
  const std::string title = Ru("Добавление операции");
  EXPECT_EQ(AddOperation(lists, "", Ru("[Нет]"), Ru("[Нет]")),
            (SetupError{title, Ru("Вы не указали название операции !")}));
  EXPECT_EQ(AddOperation(lists, Ru("зАРПЛАТА"), Ru("[Нет]"), Ru("[Нет]")),
            (SetupError{title, Ru("Такая операция уже есть !")}));
  EXPECT_EQ(
      AddOperation(lists, Ru("Обмен"), Ru("Наличные"), Ru("Валютный счет в банке Б")),
      (SetupError{title, Ru("Указанные счета содержат средства в разных валютах, такая операция невозможна !")}));
  const std::size_t before = lists.operations.size();
  EXPECT_EQ(AddOperation(lists, Ru("Доход Б"), Ru("Валютный счет в банке Б"), Ru("[Нет]")), std::nullopt);
  ASSERT_EQ(lists.operations.size(), before + 1);
  const OperationRow& added = lists.operations.back();
  EXPECT_EQ(added.incomeRef, Ru("Валютный счет в банке Б") + kSep2 + Ru("Доллары США") + kSep2 + Ru("Сбережения"));
  EXPECT_EQ(added.expenseRef, Ru("[Нет]") + kSep2 + kSep2 + Ru("Нет"));
  // Both sides "[Нет]", or the same account on both: allowed.
  EXPECT_EQ(AddOperation(lists, "x", Ru("[Нет]"), Ru("[Нет]")), std::nullopt);
  EXPECT_EQ(AddOperation(lists, "y", Ru("Наличные"), Ru("Наличные")), std::nullopt);

  const std::string accountTitle = Ru("Добавление счета");
  EXPECT_EQ(AddAccount(lists, "", Ru("Рубли"), 0),
            (SetupError{accountTitle, Ru("Вы не указали название счета !")}));
  EXPECT_EQ(AddAccount(lists, Ru("наличные"), Ru("Рубли"), 0),
            (SetupError{accountTitle, Ru("Такой счет уже есть !")}));
  EXPECT_EQ(AddAccount(lists, Ru("Кошелёк"), Ru("Рубли"), 2), std::nullopt);
  EXPECT_EQ(lists.accounts.back(), (AccountRow{Ru("Кошелёк"), Ru("Рубли"), Ru("Сбережения")}));
  EXPECT_EQ(AccountChoices(lists).front(), Ru("[Нет]"));
  EXPECT_EQ(AccountChoices(lists).back(), Ru("Кошелёк"));

  EXPECT_EQ(AddCurrency(lists, ""), (SetupError{accountTitle, Ru("Вы не указали название валюты !")}));
  EXPECT_EQ(AddCurrency(lists, Ru("ДОЛЛАРЫ сша")), (SetupError{accountTitle, Ru("Такая валюта уже есть !")}));
  EXPECT_EQ(AddCurrency(lists, Ru("Евро")), std::nullopt);
  EXPECT_EQ(lists.currencies.back(), Ru("Евро"));
}

TEST_F(SetupLogic, NamesCannotCarrySeparatorsOrLineEnds) {
  SetupLists lists = exampleLists();
  const std::string pasted = std::string("Ко") + kSep1 + "т" + kSep2 + "\r\n" + kSep3 + kSep4 + "!";
  EXPECT_EQ(AddAccount(lists, pasted, Ru("Рубли"), 0), std::nullopt);
  EXPECT_EQ(lists.accounts.back().name, "Ко" + std::string("т!"));
  EXPECT_EQ(AddOperation(lists, std::string(1, kSep1) + "\n", Ru("[Нет]"), Ru("[Нет]")),
            (SetupError{Ru("Добавление операции"), Ru("Вы не указали название операции !")}));
  EXPECT_EQ(AddCurrency(lists, Ru("Лиры") + kSep3), std::nullopt);
  EXPECT_EQ(lists.currencies.back(), Ru("Лиры"));
  ASSERT_EQ(SaveSetupLists(ledger, lists), std::nullopt);
  for (const auto& line : t.read(ledger.accountsFile())) EXPECT_EQ(std::count(line.begin(), line.end(), kSep2), 2);
}

TEST(SetupRows, TheRowAfterADeletion) {
  EXPECT_EQ(RowAfterDeletion(3, 5), 2);
  EXPECT_EQ(RowAfterDeletion(0, 4), 0);
  EXPECT_EQ(RowAfterDeletion(4, 4), 3);
  EXPECT_EQ(RowAfterDeletion(0, 0), -1);
  EXPECT_EQ(ChoiceAfterRefill({"a", "b"}, "b"), 1);
  EXPECT_EQ(ChoiceAfterRefill({"a", "b"}, "gone"), 0);
  EXPECT_EQ(AccountTypeIndex(accounting::TurnoverBalanceType()), 1);
  EXPECT_EQ(AccountTypeIndex("?"), 0);
}

TEST(SetupRows, TheBaseCurrencyRule) {
  const Lines names{"R", "D", "E"};
  std::vector<bool> checked{true, true, false};  // "D" ticked while "R" is the base
  EXPECT_EQ(ApplyBaseCurrencyRule("R", names, checked), "D");
  EXPECT_EQ(checked, (std::vector<bool>{false, true, false}));
  checked = {false, false, false};  // the base's own box cleared: undone
  EXPECT_EQ(ApplyBaseCurrencyRule("D", names, checked), "D");
  EXPECT_EQ(checked, (std::vector<bool>{false, true, false}));
  checked = {false, false, false};  // the base's row was deleted: it stays in force
  EXPECT_EQ(ApplyBaseCurrencyRule("X", names, checked), "X");
  EXPECT_EQ(checked, (std::vector<bool>{false, false, false}));
}

TEST_F(SetupLogic, ClosingWritesTheThreeFilesAndTheBase) {
  SetupLists lists = exampleLists();
  lists.accounts.erase(lists.accounts.begin() + 2);  // "Долги"; operations keep their references
  ASSERT_EQ(AddCurrency(lists, Ru("Евро")), std::nullopt);
  lists.base = Ru("Евро");
  ASSERT_EQ(SaveSetupLists(ledger, lists), std::nullopt);
  EXPECT_EQ(t.read(ledger.accountsFile()).size(), 6u);
  EXPECT_EQ(t.read(ledger.currenciesFile()).back(), Ru("Евро"));
  EXPECT_EQ(ReadIniString(ledger.settingsFile(), "Buh", "Baseval", ""), Ru("Евро"));
  const SetupLists again = LoadSetupLists(ledger, questions);
  EXPECT_EQ(again.operations, lists.operations);
  EXPECT_EQ(again.accounts, lists.accounts);
  EXPECT_EQ(again.base, Ru("Евро"));

  // A file that cannot be written is named; the others stay whole.
  RemoveFile(ledger.operationsFile());
  ForceDir(ledger.operationsFile());
  EXPECT_EQ(SaveSetupLists(ledger, lists), ledger.operationsFile());
  EXPECT_EQ(t.read(ledger.accountsFile()).size(), 6u);
}

// Another program changed a list while the dialog was open: what it wrote
// is kept, a list changed here too is not written over it, and a dialog
// closed without a change (Escape) writes nothing.
TEST_F(SetupLogic, AListChangedOnDiskMeanwhileIsNotWrittenOver) {
  SetupLists lists = exampleLists();
  Lines theirs = t.read(ledger.accountsFile());
  theirs.push_back(accounting::AccountReference({Ru("Их счёт"), Ru("Рубли"), accounting::SavingsType()}));
  t.write(ledger.accountsFile(), theirs);
  EXPECT_EQ(SaveSetupLists(ledger, lists), std::nullopt);  // nothing changed here
  EXPECT_EQ(t.read(ledger.accountsFile()), theirs);

  ASSERT_EQ(AddAccount(lists, Ru("Мой счёт"), Ru("Рубли"), 2), std::nullopt);
  ASSERT_EQ(AddCurrency(lists, Ru("Евро")), std::nullopt);
  const Lines currencies = t.read(ledger.currenciesFile());
  SetupNotSaved why = SetupNotSaved::Unwritable;
  EXPECT_EQ(SaveSetupLists(ledger, lists, &why), ledger.accountsFile());
  EXPECT_EQ(why, SetupNotSaved::ChangedMeanwhile);
  EXPECT_EQ(t.read(ledger.accountsFile()), theirs);
  EXPECT_EQ(t.read(ledger.currenciesFile()), currencies);  // all or none
  EXPECT_NE(NotSavedMessage(ledger.accountsFile(), why).find(Ru("другая программа")), std::string::npos);

  // Opened again, the dialog shows both and saves.
  SetupLists again = LoadSetupLists(ledger, questions);
  ASSERT_EQ(AddAccount(again, Ru("Мой счёт"), Ru("Рубли"), 2), std::nullopt);
  EXPECT_EQ(SaveSetupLists(ledger, again), std::nullopt);
  EXPECT_EQ(t.read(ledger.accountsFile()).size(), theirs.size() + 1);
}

// A list that could not be read is shown empty, named, and never written:
// the old code saved the empty list over it on every close.
TEST(Unreadable, TheSetupDialogNeverWritesAListItCouldNotRead) {
  KRAV_SKIP_AS_ROOT();
  test::TempRoot t;
  Ledger ledger{t.root(), t.user()};
  PresetAsking asked;
  ScopedAsking scope{asked};
  AccountingQuestions questions;
  asked.answerNext(3);
  (void)LoadSetupLists(ledger, questions);
  const Lines accounts = t.read(ledger.accountsFile());
  ASSERT_FALSE(accounts.empty());
  ::chmod(FsPath(ledger.accountsFile()).c_str(), 0);
  SetupLists lists = LoadSetupLists(ledger, questions);
  EXPECT_EQ(lists.unreadable, std::vector<std::string>{ledger.accountsFile()});
  EXPECT_NE(UnreadableMessage(lists).find(ledger.accountsFile()), std::string::npos);
  EXPECT_TRUE(lists.accounts.empty());
  // Another list changed here is saved; the unreadable one is left alone.
  ASSERT_EQ(AddCurrency(lists, Ru("Евро")), std::nullopt);
  EXPECT_EQ(SaveSetupLists(ledger, lists), std::nullopt);
  // A change to the list that could not be read is refused whole.
  ASSERT_EQ(AddAccount(lists, Ru("Новый"), Ru("Рубли"), 0), std::nullopt);
  SetupNotSaved why = SetupNotSaved::Unwritable;
  EXPECT_EQ(SaveSetupLists(ledger, lists, &why), ledger.accountsFile());
  EXPECT_EQ(why, SetupNotSaved::Unreadable);
  ::chmod(FsPath(ledger.accountsFile()).c_str(), 0644);
  EXPECT_EQ(t.read(ledger.accountsFile()), accounts);
  EXPECT_EQ(t.read(ledger.currenciesFile()).back(), Ru("Евро"));
}

}  // namespace
}  // namespace krav::app
