#include "accounting/ledger_files.h"

#include <optional>

#include "engine/dates.h"
#include "engine/money.h"
#include "engine/store.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "shell/paths.h"

namespace krav::accounting {

const char* const kBuhSection = "Buh";
const char* const kBaseCurrencyKey = "Baseval";
const char* const kFirstDateKey = "FirstDate";
const char* const kLastChangesKey = "LastChanges";

std::string DefaultBaseCurrency() { return Ru("Рубли"); }
std::string TurnoverType() { return Ru("Обороты"); }
std::string TurnoverBalanceType() { return Ru("Обороты и остатки"); }
std::string SavingsType() { return Ru("Сбережения"); }

std::string Ledger::dataDir() const { return shell::DataDir(root, user); }
std::string Ledger::accountsFile() const { return shell::AccountsFile(dataDir()); }
std::string Ledger::operationsFile() const { return shell::OperationsFile(dataDir()); }
std::string Ledger::currenciesFile() const { return shell::CurrenciesFile(dataDir()); }
std::string Ledger::ratesFile() const { return shell::RatesFile(dataDir()); }
std::string Ledger::settingsFile() const { return shell::UserSettingsFile(dataDir()); }
std::string Ledger::journalFile(std::string_view dateText) const { return dataDir() + JournalFileName(dateText); }
std::string Ledger::balanceFile(std::string_view dateText) const {
  const Reading<DayNumber> day = ReadDay(dateText);
  if (!day) return {};
  const std::string norm = DateToText(static_cast<double>(*day));
  return dataDir() + shell::BalanceRelPath(norm.substr(6, 4), norm.substr(3, 2));
}

std::string AccountReference(const Account& a) { return a.name + kSep2 + a.currency + kSep2 + a.type; }

Account ParseAccountReference(std::string_view text) {
  return {GetField(text, kSep2, 1), GetField(text, kSep2, 2), GetField(text, kSep2, 3)};
}

std::string NoAccountReference() { return AccountReference({Ru("[Нет]"), "", Ru("Нет")}); }

bool IsNoAccount(std::string_view reference) {
  // Asked twice for every operation read: most references end here.
  if (reference.empty() || reference.front() != '[') return false;
  static const std::string kNone = Ru("[Нет]");
  return FieldView(reference, kSep2, 1) == kNone;
}

bool EnsureDefaultAccounting(const Ledger& ledger, Questions& questions) {
  if (FileExists(ledger.operationsFile())) return true;
  if (!questions.createExampleData()) return false;
  ForceDir(ledger.dataDir());
  const std::string rub = Ru("Рубли"), usd = Ru("Доллары США");
  const Account cash{Ru("Наличные"), rub, SavingsType()};
  const Account bankA{Ru("Счет в банке А"), rub, SavingsType()};
  const Account debts{Ru("Долги"), rub, TurnoverBalanceType()};
  const Account food{Ru("Продукты"), rub, TurnoverType()};
  const Account big{Ru("Крупные покупки"), rub, TurnoverType()};
  const Account misc{Ru("Разное"), rub, TurnoverType()};
  const Account bankB{Ru("Валютный счет в банке Б"), usd, SavingsType()};
  auto op = [](const std::string& name, const std::string& income, const std::string& expense) {
    return name + kSep1 + income + kSep1 + expense;
  };
  const std::string none = NoAccountReference();
  DataDirLock lock(ledger.dataDir());
  if (!lock.held()) return false;
  bool ok = SaveLines(ledger.currenciesFile(), {rub, usd});
  ok = SaveLines(ledger.accountsFile(),
                 {AccountReference(cash), AccountReference(bankA), AccountReference(debts), AccountReference(food),
                  AccountReference(big), AccountReference(misc), AccountReference(bankB)}) &&
       ok;
  ok = SaveLines(ledger.operationsFile(),
                 {op(Ru("Зарплата"), AccountReference(cash), none),
                  op(Ru("Положил деньги в банк"), AccountReference(bankA), AccountReference(cash)),
                  op(Ru("Покупка продуктов"), AccountReference(food), AccountReference(cash)),
                  op(Ru("Крупные покупки"), AccountReference(big), AccountReference(cash)),
                  op(Ru("Разное"), AccountReference(misc), AccountReference(cash)),
                  op(Ru("Положил деньги в банк Б"), AccountReference(bankB), none)}) &&
       ok;
  ok = WriteIniString(ledger.settingsFile(), kBuhSection, kBaseCurrencyKey, rub) && ok;
  return ok && FileExists(ledger.operationsFile());
}

bool MarkAccountingChange(const Ledger& ledger, std::string_view dateText) {
  const Reading<DayNumber> changed = ReadDay(dateText);
  if (!changed) return false;
  const std::string ini = ledger.settingsFile();
  DataDirLock lock(ledger.dataDir());
  if (!lock.held()) return false;
  for (const char* key : {kLastChangesKey, kFirstDateKey}) {
    std::string stored;
    if (!ReadIniStringChecked(ini, kBuhSection, key, "", stored)) return false;
    // A stored value that is no date vouches for nothing: it is replaced.
    const Reading<DayNumber> day = ReadDay(stored);
    if ((!day || *changed < *day) &&
        !WriteIniString(ini, kBuhSection, key, DateToText(static_cast<double>(*changed))))
      return false;
  }
  return true;
}

bool MarkChangedOperations(const Ledger& ledger, const Lines& journalLines) {
  std::optional<DayNumber> earliest;
  for (const auto& line : journalLines) {
    if (FieldView(line, kSep3, 1) != "2") continue;
    const Reading<DayNumber> day = ReadDay(FieldView(line, kSep3, 2));
    if (day && (!earliest || *day < *earliest)) earliest = *day;
  }
  return !earliest || MarkAccountingChange(ledger, DateToText(static_cast<double>(*earliest)));
}

double AskCurrencyRate(const Ledger& ledger, Questions& questions, const std::string& base,
                       const std::string& currency, std::string_view dateText) {
  const std::string key(dateText);
  // A stored rate that is no rate is asked again, as a missing one.
  if (const Reading<double> stored = ReadRate(ReadIniString(ledger.ratesFile(), currency, key, "")); stored)
    return *stored;
  const std::string prompt = Ru("Укажите курс валюты") + " \"" + currency + "\"" + Ru(" к базовой валюте ") +
                             "\"" + base + "\"" + Ru(" на ") + key;
  for (;;) {
    const auto answer = questions.askRate(currency, key, prompt);
    if (!answer) return 0;  // only "Готово" gives a rate
    if (const Reading<double> rate = ReadRate(*answer); rate) {
      // Kept in the rate file's form; a rate that could not be stored is
      // still used now, and asked again the next time.
      const std::string text = RateText(*rate);
      (void)WriteIniString(ledger.ratesFile(), currency, key, text);
      return *ReadRate(text);
    }
  }
}

}  // namespace krav::accounting
