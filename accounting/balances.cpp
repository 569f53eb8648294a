#include "accounting/balances.h"

#include <algorithm>

#include "engine/text.h"
#include "platform/ini.h"
#include "shell/paths.h"

namespace krav::accounting {
namespace {

int AddColumn(BalanceTable& t, const Account& a) {
  const int found = t.find(a.name);
  if (found >= 0) return found;
  t.columns.push_back({a.name, a.currency, a.type, false, LowerText(a.name)});
  return static_cast<int>(t.columns.size()) - 1;
}

void SetEntry(BalanceTable::Row& row, int column, Kopecks amount) {
  if (static_cast<int>(row.entries.size()) <= column) row.entries.resize(column + 1, 0);
  row.entries[column] = amount;
}

// Adds the operations of one month's journal, sorted, with running balances.
void JournalMonth(const Ledger& ledger, const std::string& monthDate, BalanceTable& t) {
  Lines lines;
  if (!LoadLines(ledger.journalFile(monthDate), lines)) return;
  const std::size_t first = t.rows.size();
  for (const auto& line : lines) {
    if (FieldView(line, kSep3, 1) != "2") continue;
    BalanceTable::Row row;
    row.when = GetField(line, kSep3, 2) + " " + GetField(line, kSep3, 3);
    row.description = GetField(line, kSep3, 4);
    row.amount = GetField(line, kSep3, 7);
    row.day = DayOf(TextToDate(FieldView(line, kSep3, 2)));
    const Kopecks amount = ParseMoney(row.amount);
    const std::string_view operation = FieldView(line, kSep3, 5);
    const std::string_view income = FieldView(operation, kSep1, 2);
    const std::string_view expense = FieldView(operation, kSep1, 3);
    // The expense entry overwrites the income entry of the same account.
    if (!IsNoAccount(income)) SetEntry(row, AddColumn(t, ParseAccountReference(income)), amount);
    if (!IsNoAccount(expense)) SetEntry(row, AddColumn(t, ParseAccountReference(expense)), -amount);
    t.rows.push_back(std::move(row));
  }
  std::stable_sort(t.rows.begin() + static_cast<std::ptrdiff_t>(first), t.rows.end(),
                   [](const BalanceTable::Row& a, const BalanceTable::Row& b) {
                     if (a.day != b.day) return a.day < b.day;
                     return FieldView(a.when, ' ', 2) < FieldView(b.when, ' ', 2);
                   });
  for (std::size_t r = first; r < t.rows.size(); ++r) {
    const BalanceTable::Row& prev = r == 0 ? t.opening : t.rows[r - 1];
    BalanceTable::Row& row = t.rows[r];
    row.balances.resize(t.columns.size());
    for (std::size_t c = 0; c < t.columns.size(); ++c) row.balances[c] = prev.balance(c) + row.entry(c);
  }
}

// Takes the current currency and type of every account still in the account file.
void RefreshAccounts(const Ledger& ledger, BalanceTable& t) {
  Lines accounts;
  LoadLines(ledger.accountsFile(), accounts);
  for (const auto& line : accounts) {
    const Account a = ParseAccountReference(line);
    const int c = t.find(a.name);
    if (c < 0) continue;
    t.columns[c].currency = a.currency;
    t.columns[c].type = a.type;
  }
}

bool CloseMonth(const Ledger& ledger, const std::string& monthDate, const BalanceTable& t) {
  const BalanceTable::Row& last = t.rows.empty() ? t.opening : t.rows.back();
  Lines out;
  for (std::size_t c = 0; c < t.columns.size(); ++c) {
    if (last.balance(c) == 0) continue;
    const auto& col = t.columns[c];
    out.push_back(col.name + kSep1 + col.currency + kSep1 + col.type + kSep1 + MoneyText(last.balance(c)));
  }
  ForceDir(shell::JournalDir(ledger.dataDir()));
  if (!SaveLines(ledger.balanceFile(monthDate), out)) return false;
  const std::string lastDay = DateToText(LastDayOfMonth(TextToDate(monthDate)));
  const std::string stored = ReadIniString(ledger.settingsFile(), kBuhSection, kLastChangesKey, "");
  if (stored.empty() || CompareDays(TextToDate(stored), TextToDate(lastDay)) < 0)
    WriteIniString(ledger.settingsFile(), kBuhSection, kLastChangesKey, lastDay);
  return true;
}

}  // namespace

int BalanceTable::find(const std::string& name) const {
  const std::string key = LowerText(name);
  for (std::size_t c = 0; c < columns.size(); ++c)
    if (columns[c].key == key) return static_cast<int>(c);
  return -1;
}

std::string BalanceTable::cell(std::size_t row, std::size_t column) const {
  if (column < 3) {
    if (row < 4) return {};
    const Row& r = row == 4 ? opening : rows.at(row - 5);
    return column == 0 ? r.when : column == 1 ? r.description : r.amount;
  }
  const Column& c = columns.at(column - 3);
  switch (row) {
    case 0: return c.name;
    case 1: return c.currency;
    case 2: return c.type;
    case 3: return c.moved ? "*" : "";
    default: return MoneyText((row == 4 ? opening : rows.at(row - 5)).balance(column - 3));
  }
}

bool ComputeBalances(const Ledger& ledger, DateTime end, DateTime start, BalanceTable& t) {
  t = BalanceTable{};
  const std::string ini = ledger.settingsFile();
  const std::string firstDate = ReadIniString(ini, kBuhSection, kFirstDateKey, DateToText(Now()));
  const std::string lastChanges = ReadIniString(ini, kBuhSection, kLastChangesKey, firstDate);
  DateTime from = start;
  if (CompareDays(TextToDate(lastChanges), start) <= 0) from = TextToDate(lastChanges);

  // The opening: the month balance file of the month before.
  const Ymd f = DayToYmd(DayOf(from));
  const DateTime monthBefore = static_cast<double>(YmdToDay(f.month == 1 ? f.year - 1 : f.year, f.month == 1 ? 12 : f.month - 1, 1));
  Lines opening;
  LoadLines(ledger.balanceFile(DateToText(monthBefore)), opening);
  for (const auto& line : opening) {
    const int c = AddColumn(t, {GetField(line, kSep1, 1), GetField(line, kSep1, 2), GetField(line, kSep1, 3)});
    t.opening.balances.resize(t.columns.size());
    t.opening.balances[c] = ParseMoney(GetField(line, kSep1, 4));
  }

  const Ymd e = DayToYmd(DayOf(end));
  for (int y = f.year, m = f.month;;) {
    const std::string monthDate = DateToText(static_cast<double>(YmdToDay(y, m, 1)));
    JournalMonth(ledger, monthDate, t);
    RefreshAccounts(ledger, t);
    if (!CloseMonth(ledger, monthDate, t)) return false;
    if ((y == e.year && m == e.month) || y > e.year || (y == e.year && m > e.month)) break;
    if (++m > 12) m = 1, ++y;
  }

  // Trim to the period; the last operation before it gives the opening.
  const DayNumber first = DayOf(start), last = DayOf(end);
  std::vector<BalanceTable::Row> kept;
  for (auto& row : t.rows) {
    const DayNumber d = row.day;
    if (d < first) t.opening = std::move(row);
    else if (d <= last) kept.push_back(std::move(row));
  }
  t.rows = std::move(kept);

  for (std::size_t c = 0; c < t.columns.size(); ++c) {
    const BalanceTable::Row* prev = &t.opening;
    for (const auto& row : t.rows) {
      if (row.balance(c) != prev->balance(c)) t.columns[c].moved = true;
      prev = &row;
    }
  }

  // Drop the accounts that are 0 throughout.
  for (std::size_t c = t.columns.size(); c-- > 0;) {
    bool idle = t.opening.balance(c) == 0;
    for (const auto& row : t.rows) idle = idle && row.balance(c) == 0;
    if (!idle) continue;
    t.columns.erase(t.columns.begin() + static_cast<std::ptrdiff_t>(c));
    auto drop = [c](BalanceTable::Row& row) {
      if (c < row.balances.size()) row.balances.erase(row.balances.begin() + static_cast<std::ptrdiff_t>(c));
      if (c < row.entries.size()) row.entries.erase(row.entries.begin() + static_cast<std::ptrdiff_t>(c));
    };
    drop(t.opening);
    for (auto& row : t.rows) drop(row);
  }
  return true;
}

}  // namespace krav::accounting
