#include "accounting/ledger_files.h"

#include "engine/dates.h"
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
  const std::string norm = DateToText(TextToDate(dateText));
  return dataDir() + shell::BalanceRelPath(norm.substr(6, 4), norm.substr(3, 2));
}

std::string AccountReference(const Account& a) { return a.name + kSep2 + a.currency + kSep2 + a.type; }

Account ParseAccountReference(std::string_view text) {
  return {GetField(text, kSep2, 1), GetField(text, kSep2, 2), GetField(text, kSep2, 3)};
}

std::string NoAccountReference() { return AccountReference({Ru("[Нет]"), "", Ru("Нет")}); }

bool IsNoAccount(std::string_view reference) {
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
  WriteIniString(ledger.settingsFile(), kBuhSection, kBaseCurrencyKey, rub);
  return ok && FileExists(ledger.operationsFile());
}

void MarkAccountingChange(const Ledger& ledger, std::string_view dateText) {
  const std::string ini = ledger.settingsFile();
  DataDirLock lock(ledger.dataDir());
  for (const char* key : {kLastChangesKey, kFirstDateKey}) {
    const std::string stored = ReadIniString(ini, kBuhSection, key, "");
    if (stored.empty() || CompareDays(TextToDate(dateText), TextToDate(stored)) < 0)
      WriteIniString(ini, kBuhSection, key, std::string(dateText));
  }
}

double AskCurrencyRate(const Ledger& ledger, Questions& questions, const std::string& base,
                       const std::string& currency, std::string_view dateText) {
  const std::string key(dateText);
  const std::string stored = ReadIniString(ledger.ratesFile(), currency, key, "");
  if (!stored.empty()) return TextToReal(RemoveChars(stored, " "));
  const std::string prompt = Ru("Укажите курс валюты") + " \"" + currency + "\"" + Ru(" к базовой валюте ") +
                             "\"" + base + "\"" + Ru(" на ") + key;
  for (;;) {
    const auto answer = questions.askRate(currency, key, prompt);
    if (!answer) return 0;  // only "Готово" gives a rate
    const double rate = TextToReal(RemoveChars(*answer, " "));
    if (rate > 0) {
      WriteIniString(ledger.ratesFile(), currency, key, RealToFixed(rate, 2));
      return rate;
    }
  }
}

}  // namespace krav::accounting
