// The logic of the accounting setup dialog: its three lists (operations,
// accounts, currencies) and the base currency as plain values, their
// loading, the checks of every add, the row after a deletion, the
// base-currency rule and the writing on close. The dialog only shows them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "accounting/ledger_files.h"

namespace krav::app {

struct AccountRow {
  std::string name, currency, type;  // type: the stored word
  bool operator==(const AccountRow&) const = default;
};

struct OperationRow {
  std::string name;
  std::string incomeName, expenseName;  // as shown; "[Нет]" for no account
  std::string incomeRef, expenseRef;    // the account references written to the file
  bool operator==(const OperationRow&) const = default;
};

struct SetupLists {
  std::vector<OperationRow> operations;
  std::vector<AccountRow> accounts;
  std::vector<std::string> currencies;
  std::string base;  // the base currency; its row is the checked one
  // The files as loaded, to tell a change made here from one made on disk
  // meanwhile, and the files that could not be read (never written).
  Lines loadedAccounts, loadedOperations, loadedCurrencies;
  std::string loadedBase;
  std::vector<std::string> unreadable;
};

// A message of the dialog: title and text (cp1251), shown with picture kind 3 and "Понял".
struct SetupError {
  std::string title, text;
  bool operator==(const SetupError&) const = default;
};

// The type words in the order of the type choice, and the choice texts.
const std::vector<std::string>& AccountTypeWords();
const std::vector<std::string>& AccountTypeChoices();
// The choice of a type word; 0 for a word that is none of them.
int AccountTypeIndex(const std::string& typeWord);

// The opening steps: the example data question first (through `questions`),
// then the three files and [Buh] Baseval (the first currency when it names
// none of them; "Рубли" when the currency file is empty).
SetupLists LoadSetupLists(const accounting::Ledger& ledger, accounting::Questions& questions);

// A name as typed, with the characters that would split a line or a field
// (the separators #1 to #4, CR, LF) removed.
std::string CleanName(std::string name);

// "[Нет]" followed by the account names, in list order.
std::vector<std::string> AccountChoices(const SetupLists& lists);
// The item to select after the choices are refilled: the remembered one
// when it is still there, else the first.
int ChoiceAfterRefill(const std::vector<std::string>& items, const std::string& remembered);

// The adds: the first failing check's message, or nothing when the row was appended.
std::optional<SetupError> AddOperation(SetupLists& lists, const std::string& name, const std::string& incomeChoice,
                                       const std::string& expenseChoice);
std::optional<SetupError> AddAccount(SetupLists& lists, const std::string& name, const std::string& currency,
                                     int typeChoice);
std::optional<SetupError> AddCurrency(SetupLists& lists, const std::string& name);

// The row that becomes current after row `deleted` was removed from a list
// that now has `count` rows: the row before it, or the first; -1 when empty.
int RowAfterDeletion(int deleted, int count);

// The base-currency rule of a click in the currency list: `checked` is the
// check state of every row after the click. Returns the base currency and
// leaves `checked` with exactly the base currency's row checked (or none
// when the base currency is no row).
std::string ApplyBaseCurrencyRule(const std::string& base, const std::vector<std::string>& currencies,
                                  std::vector<bool>& checked);

// Closing: the account, operation and currency files changed here are
// replaced whole in one update under the data directory's lock, then [Buh]
// Baseval when it changed. A file that could not be read when the dialog
// opened is never written, and when a file changed here was also changed on
// disk since, none is written. The first file not written, or nothing;
// `why` then says which of these it was.
enum class SetupNotSaved { Unreadable, ChangedMeanwhile, Unwritable };
std::optional<std::string> SaveSetupLists(const accounting::Ledger& ledger, const SetupLists& lists,
                                          SetupNotSaved* why = nullptr);
// The message of the dialog for a file not written, and for the files that
// could not be read when it opened (empty when there are none).
std::string NotSavedMessage(const std::string& path, SetupNotSaved why);
std::string UnreadableMessage(const SetupLists& lists);

}  // namespace krav::app
