#include "app/logic/accounting_setup.h"

#include <algorithm>

#include "engine/store.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"

namespace krav::app {
namespace {

using accounting::Ledger;

std::string NoName() { return Ru("[Нет]"); }

bool SameName(const std::string& a, const std::string& b) { return LowerText(a) == LowerText(b); }

template <class Rows, class Name>
bool HasName(const Rows& rows, const std::string& name, Name nameOf) {
  return std::any_of(rows.begin(), rows.end(), [&](const auto& r) { return SameName(nameOf(r), name); });
}

const AccountRow* FindAccount(const SetupLists& lists, const std::string& name) {
  for (const auto& a : lists.accounts)
    if (a.name == name) return &a;
  return nullptr;
}

// The reference of a chosen account name: the account's line, or for a name
// that is no account ("[Нет]") the name, #2, #2 and "Нет".
std::string ReferenceOf(const SetupLists& lists, const std::string& choice) {
  if (const AccountRow* a = FindAccount(lists, choice))
    return accounting::AccountReference({a->name, a->currency, a->type});
  return choice + kSep2 + kSep2 + Ru("Нет");
}

}  // namespace

const std::vector<std::string>& AccountTypeWords() {
  static const std::vector<std::string> words{accounting::TurnoverType(), accounting::TurnoverBalanceType(),
                                              accounting::SavingsType()};
  return words;
}

const std::vector<std::string>& AccountTypeChoices() {
  static const std::vector<std::string> choices{Ru("По этому счету меня интересуют только обороты"),
                                                Ru("По этому счету меня интересуют обороты и остатки"),
                                                Ru("Средства на этом счете являются сбережениями")};
  return choices;
}

int AccountTypeIndex(const std::string& typeWord) {
  const auto& words = AccountTypeWords();
  const auto it = std::find(words.begin(), words.end(), typeWord);
  return it == words.end() ? 0 : static_cast<int>(it - words.begin());
}

SetupLists LoadSetupLists(const Ledger& ledger, accounting::Questions& questions) {
  accounting::EnsureDefaultAccounting(ledger, questions);
  SetupLists lists;
  auto load = [&](const std::string& path, Lines& lines) {
    if (!LoadLinesForUpdate(path, lines)) lists.unreadable.push_back(path);
  };
  load(ledger.accountsFile(), lists.loadedAccounts);
  for (const auto& l : lists.loadedAccounts)
    lists.accounts.push_back({GetField(l, kSep2, 1), GetField(l, kSep2, 2), GetField(l, kSep2, 3)});
  load(ledger.currenciesFile(), lists.loadedCurrencies);
  lists.currencies = lists.loadedCurrencies;
  if (lists.currencies.empty()) lists.currencies.push_back(accounting::DefaultBaseCurrency());
  lists.loadedBase =
      ReadIniString(ledger.settingsFile(), accounting::kBuhSection, accounting::kBaseCurrencyKey, "");
  lists.base = lists.loadedBase;
  if (lists.base.empty() ||
      std::find(lists.currencies.begin(), lists.currencies.end(), lists.base) == lists.currencies.end())
    lists.base = lists.currencies.front();
  load(ledger.operationsFile(), lists.loadedOperations);
  for (const auto& l : lists.loadedOperations) {
    OperationRow op;
    op.name = GetField(l, kSep1, 1);
    op.incomeRef = GetField(l, kSep1, 2);
    op.expenseRef = GetField(l, kSep1, 3);
    op.incomeName = GetField(op.incomeRef, kSep2, 1);
    op.expenseName = GetField(op.expenseRef, kSep2, 1);
    lists.operations.push_back(std::move(op));
  }
  return lists;
}

std::string CleanName(std::string name) { return RecordSafeText(std::move(name)); }

std::vector<std::string> AccountChoices(const SetupLists& lists) {
  std::vector<std::string> items{NoName()};
  for (const auto& a : lists.accounts) items.push_back(a.name);
  return items;
}

int ChoiceAfterRefill(const std::vector<std::string>& items, const std::string& remembered) {
  const auto it = std::find(items.begin(), items.end(), remembered);
  if (it != items.end()) return static_cast<int>(it - items.begin());
  return items.empty() ? -1 : 0;
}

std::optional<SetupError> AddOperation(SetupLists& lists, const std::string& typed,
                                       const std::string& incomeChoice, const std::string& expenseChoice) {
  const std::string title = Ru("Добавление операции");
  const std::string name = CleanName(typed);
  if (name.empty()) return SetupError{title, Ru("Вы не указали название операции !")};
  if (HasName(lists.operations, name, [](const OperationRow& o) { return o.name; }))
    return SetupError{title, Ru("Такая операция уже есть !")};
  const AccountRow* in = FindAccount(lists, incomeChoice);
  const AccountRow* out = FindAccount(lists, expenseChoice);
  if (in && out && in->currency != out->currency)
    return SetupError{title,
                      Ru("Указанные счета содержат средства в разных валютах, такая операция невозможна !")};
  lists.operations.push_back(
      {name, incomeChoice, expenseChoice, ReferenceOf(lists, incomeChoice), ReferenceOf(lists, expenseChoice)});
  return std::nullopt;
}

std::optional<SetupError> AddAccount(SetupLists& lists, const std::string& typed, const std::string& currency,
                                     int typeChoice) {
  const std::string title = Ru("Добавление счета");
  const std::string name = CleanName(typed);
  if (name.empty()) return SetupError{title, Ru("Вы не указали название счета !")};
  if (HasName(lists.accounts, name, [](const AccountRow& a) { return a.name; }))
    return SetupError{title, Ru("Такой счет уже есть !")};
  const auto& words = AccountTypeWords();
  const std::size_t type = typeChoice >= 0 && typeChoice < static_cast<int>(words.size()) ? typeChoice : 0;
  lists.accounts.push_back({name, CleanName(currency), words[type]});
  return std::nullopt;
}

std::optional<SetupError> AddCurrency(SetupLists& lists, const std::string& typed) {
  const std::string title = Ru("Добавление счета");  // the dialog's own title for currencies too
  const std::string name = CleanName(typed);
  if (name.empty()) return SetupError{title, Ru("Вы не указали название валюты !")};
  if (HasName(lists.currencies, name, [](const std::string& c) { return c; }))
    return SetupError{title, Ru("Такая валюта уже есть !")};
  lists.currencies.push_back(name);
  return std::nullopt;
}

int RowAfterDeletion(int deleted, int count) {
  if (count <= 0) return -1;
  return std::clamp(deleted - 1, 0, count - 1);
}

std::string ApplyBaseCurrencyRule(const std::string& base, const std::vector<std::string>& currencies,
                                  std::vector<bool>& checked) {
  std::string result;
  for (std::size_t i = 0; i < currencies.size() && i < checked.size(); ++i) {
    if (!checked[i]) continue;
    if (currencies[i] != base) result = currencies[i];
    else checked[i] = false;
  }
  if (result.empty() && !base.empty()) result = base;
  for (std::size_t i = 0; i < currencies.size() && i < checked.size(); ++i) checked[i] = currencies[i] == result;
  return result;
}

std::optional<std::string> SaveSetupLists(const Ledger& ledger, const SetupLists& lists, SetupNotSaved* why) {
  auto notSaved = [&](const std::string& path, SetupNotSaved reason) {
    if (why) *why = reason;
    return std::optional<std::string>(path);
  };
  Lines accounts, operations;
  for (const auto& a : lists.accounts)
    accounts.push_back(accounting::AccountReference({a.name, a.currency, a.type}));
  for (const auto& o : lists.operations) operations.push_back(o.name + kSep1 + o.incomeRef + kSep1 + o.expenseRef);
  const struct {
    std::string path;
    const Lines* ours;
    const Lines* loaded;
  } lists3[] = {{ledger.accountsFile(), &accounts, &lists.loadedAccounts},
                {ledger.operationsFile(), &operations, &lists.loadedOperations},
                {ledger.currenciesFile(), &lists.currencies, &lists.loadedCurrencies}};
  std::vector<FileToUpdate> files;
  std::vector<const Lines*> ours, loaded;
  for (const auto& l : lists3) {
    if (std::find(lists.unreadable.begin(), lists.unreadable.end(), l.path) != lists.unreadable.end()) {
      if (*l.ours != *l.loaded) return notSaved(l.path, SetupNotSaved::Unreadable);
      continue;
    }
    files.push_back({l.path});
    ours.push_back(l.ours);
    loaded.push_back(l.loaded);
  }
  if (!files.empty()) {
    ForceDir(ledger.dataDir());
    std::string failed, changed;
    const bool ok = UpdateFiles(
        ledger.dataDir(), files,
        [&](std::vector<Lines>& disk) {
          for (std::size_t i = 0; i < disk.size(); ++i)
            if (*ours[i] != *loaded[i] && disk[i] != *loaded[i] && disk[i] != *ours[i]) {
              changed = files[i].path;
              return false;  // the lists refer to each other: all or none
            }
          // A list not changed here keeps whatever is on disk.
          for (std::size_t i = 0; i < disk.size(); ++i)
            if (*ours[i] != *loaded[i]) disk[i] = *ours[i];
          return true;
        },
        &failed);
    if (!changed.empty()) return notSaved(changed, SetupNotSaved::ChangedMeanwhile);
    if (!ok) return notSaved(failed, SetupNotSaved::Unwritable);
  }
  if (lists.base != lists.loadedBase &&
      !WriteIniString(ledger.settingsFile(), accounting::kBuhSection, accounting::kBaseCurrencyKey, lists.base))
    return notSaved(ledger.settingsFile(), SetupNotSaved::Unwritable);
  return std::nullopt;
}

std::string NotSavedMessage(const std::string& path, SetupNotSaved why) {
  switch (why) {
    case SetupNotSaved::Unreadable:
      return Ru("Файл ") + path + Ru(" не удалось прочитать, поэтому он не записан. Изменения не сохранены.");
    case SetupNotSaved::ChangedMeanwhile:
      return Ru("Файл ") + path +
             Ru(" изменила другая программа, пока были открыты настройки. Изменения не сохранены, "
                "чтобы не затереть чужие; откройте настройки снова.");
    default: return Ru("Не удалось записать файл ") + path + Ru(". Изменения в нём не сохранены.");
  }
}

std::string UnreadableMessage(const SetupLists& lists) {
  if (lists.unreadable.empty()) return {};
  std::string names;
  for (const auto& p : lists.unreadable) names += (names.empty() ? "" : ", ") + p;
  return Ru("Не удалось прочитать: ") + names + Ru(". Эти списки показаны пустыми и не будут записаны.");
}

}  // namespace krav::app
