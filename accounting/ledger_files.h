// The accounting files of a data directory: accounts "mess-sh.dat",
// operations "mess-op.dat", currencies "mess-val.dat", the month balance
// files "Plan/nbYYYYMM.ost", the rate file "Buh-curs.ini", and the [Buh] keys
// of the user's settings file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace krav::accounting {

// Where the accounting of one user lives.
struct Ledger {
  std::string root;  // ends in "/"
  std::string user;
  std::string dataDir() const;
  std::string accountsFile() const;    // "mess-sh.dat"
  std::string operationsFile() const;  // "mess-op.dat"
  std::string currenciesFile() const;  // "mess-val.dat"
  std::string ratesFile() const;       // "Buh-curs.ini"
  std::string settingsFile() const;    // the user's "krav2000.ini"
  // The journal and month balance file of the month of a date text.
  std::string journalFile(std::string_view dateText) const;
  std::string balanceFile(std::string_view dateText) const;
};

// The [Buh] keys.
extern const char* const kBuhSection;
extern const char* const kBaseCurrencyKey;  // "Baseval"
extern const char* const kFirstDateKey;     // "FirstDate"
extern const char* const kLastChangesKey;   // "LastChanges"
std::string DefaultBaseCurrency();          // "Рубли"

// The three account types, as stored.
std::string TurnoverType();         // "Обороты"
std::string TurnoverBalanceType();  // "Обороты и остатки"
std::string SavingsType();          // "Сбережения"

struct Account {
  std::string name, currency, type;
};
// An account line or reference: name #2 currency #2 type.
std::string AccountReference(const Account& a);
Account ParseAccountReference(std::string_view text);
// "[Нет]" #2 #2 "Нет", and whether a reference is one.
std::string NoAccountReference();
bool IsNoAccount(std::string_view reference);

// The questions the accounting asks; the program answers them with its
// message dialog, the tools and tests with preset answers.
class Questions {
 public:
  virtual ~Questions() = default;
  // Whether to create the example accounts and operations.
  virtual bool createExampleData() = 0;
  // The typed text when the user pressed "Готово"; nothing otherwise.
  virtual std::optional<std::string> askRate(const std::string& currency, const std::string& dateText,
                                             const std::string& prompt) = 0;
};

// When "mess-op.dat" is missing, asks and, on yes, writes the example
// currencies, accounts and operations and sets Baseval. True when the
// operations file exists afterwards.
bool EnsureDefaultAccounting(const Ledger& ledger, Questions& questions);

// Moves FirstDate and LastChanges back to the date of a changed journal
// operation when it is earlier (or the key holds no date), under the data
// directory's lock, writing the four-digit year. False when the date is none,
// the lock could not be taken or the settings file could not be read or
// written: the month balance files may then be stale.
[[nodiscard]] bool MarkAccountingChange(const Ledger& ledger, std::string_view dateText);

// MarkAccountingChange once for a set of journal lines (added, deleted or
// restored): at the earliest date of its operations. True when none is an
// operation.
[[nodiscard]] bool MarkChangedOperations(const Ledger& ledger, const Lines& journalLines);

// The rate of a currency against the base currency on a date: from the rate
// file, else asked (and then stored); 0 when the user declines. A rate is
// read with a point or a comma.
double AskCurrencyRate(const Ledger& ledger, Questions& questions, const std::string& base,
                       const std::string& currency, std::string_view dateText);

}  // namespace krav::accounting
