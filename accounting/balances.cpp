#include "accounting/balances.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>

#include "accounting/month_files.h"
#include "engine/store.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "shell/paths.h"

namespace krav::accounting {
namespace {

// Sorts by the date, then by the time compared as text: the day and the
// first five bytes of the time make one number; longer times fall back to
// comparing the texts.
struct SortKey {
  std::uint64_t key;
  std::uint32_t index;
};
std::uint64_t KeyOf(DayNumber day, std::string_view time) {
  // Day numbers of real dates are far below 2^24.
  std::uint64_t key = (static_cast<std::uint64_t>(day) & 0xFFFFFF) << 40;
  for (std::size_t i = 0; i < 5; ++i)
    key |= static_cast<std::uint64_t>(i < time.size() ? static_cast<unsigned char>(time[i]) : 0) << (8 * (4 - i));
  return key;
}

// Sorts numbers packed as (day within the month's range, "hh:mm" as four
// digits, index): two counting passes over the 20 bits above the index.
// Both passes keep order, and the input is in index order, so equal moments
// stay in the order of their lines.
void SortPacked(std::vector<std::uint64_t>& keys, std::vector<std::uint64_t>& spare) {
  if (std::is_sorted(keys.begin(), keys.end())) return;
  spare.resize(keys.size());
  for (const int shift : {32, 42}) {
    std::array<std::uint32_t, 1024> start{};
    for (const std::uint64_t k : keys) ++start[(k >> shift) & 1023];
    std::uint32_t sum = 0;
    for (std::uint32_t& s : start) sum += std::exchange(s, sum);
    for (const std::uint64_t k : keys) spare[start[(k >> shift) & 1023]++] = k;
    keys.swap(spare);
  }
}

// One journal operation as read, pointing into the month's file text.
struct Operation {
  std::string_view date, time, description, amount;
  DayNumber day = 0;
  Kopecks value = 0;
  int incomeColumn = -1, expenseColumn = -1;

  Kopecks entry(int column) const { return column == expenseColumn ? -value : column == incomeColumn ? value : 0; }
  // A row of the table over the same text: the date, time and description
  // are fields of one line, back to back, and the amount follows them.
  BalanceTable::Row row(const std::vector<Kopecks>& balances) const {
    BalanceTable::Row r;
    r.text = date.data();
    r.dateSize = static_cast<std::uint32_t>(date.size());
    r.timeSize = static_cast<std::uint32_t>(time.size());
    r.descriptionSize = static_cast<std::uint32_t>(description.size());
    r.amountAt = static_cast<std::uint32_t>(amount.data() - date.data());
    r.amountSize = static_cast<std::uint32_t>(amount.size());
    r.day = day;
    r.incomeColumn = incomeColumn;
    r.expenseColumn = expenseColumn;
    r.value = value;
    if (incomeColumn >= 0) r.incomeBalance = balances[incomeColumn];
    if (expenseColumn >= 0) r.expenseBalance = balances[expenseColumn];
    return r;
  }
  // The same row over a copy of its own text, kept with `kept`.
  BalanceTable::Row rowOwning(const std::vector<Kopecks>& balances, std::shared_ptr<const std::string>& kept) const {
    auto text = std::make_shared<const std::string>(date.data(), amount.data() + amount.size());
    Operation copy = *this;
    const auto at = [&](std::string_view field) { return text->data() + (field.data() - date.data()); };
    copy.date = {at(date), date.size()};
    copy.time = {at(time), time.size()};
    copy.description = {at(description), description.size()};
    copy.amount = {at(amount), amount.size()};
    kept = std::move(text);
    return copy.row(balances);
  }
};

// Takes one change of an account's balance into its totals: a rise is
// income, a fall expense; a step beyond the ledger's range counts as its end.
void AddStep(BalanceTable::Totals& t, Kopecks after) {
  const __int128 change = static_cast<__int128>(after) - t.closing;
  const Kopecks step = change > kMoneyBound * 100    ? kMoneyBound * 100
                       : change < -kMoneyBound * 100 ? -kMoneyBound * 100
                                                     : static_cast<Kopecks>(change);
  if (step > 0) t.income = AddMoney(t.income, step);
  else t.expense = AddMoney(t.expense, -step);
  t.closing = after;
}

// The figures of every account over the period, taken row by row in
// order: whether its balance changed, whether it was ever other than 0, and
// its totals.
struct Fold {
  std::vector<Kopecks> current;  // the balance after the rows taken so far
  std::vector<char> moved, busy;
  std::vector<BalanceTable::Totals> totals;

  void begin(const std::vector<Kopecks>& openings) {
    current = openings;
    busy.assign(openings.size(), 0);
    moved.assign(openings.size(), 0);
    totals.assign(openings.size(), {});
    for (std::size_t c = 0; c < openings.size(); ++c) {
      busy[c] = openings[c] != 0;
      totals[c].opening = totals[c].closing = openings[c];
    }
  }
  void visit(int column, Kopecks after) {
    const auto c = static_cast<std::size_t>(column);
    if (c >= current.size()) {  // an account first met within the period opens at 0
      current.resize(c + 1, 0);
      busy.resize(c + 1, 0);
      moved.resize(c + 1, 0);
      totals.resize(c + 1);
    }
    if (after != current[c]) moved[c] = 1;
    if (after != 0) busy[c] = 1;
    AddStep(totals[c], after);
    current[c] = after;
  }
  // A row moving `income` up and `expense` down, with their balances after it.
  void add(int income, Kopecks incomeAfter, int expense, Kopecks expenseAfter) {
    if (income >= 0 && income != expense) visit(income, incomeAfter);
    if (expense >= 0) visit(expense, expenseAfter);
  }
};

// The state of one computation: the table being filled, the columns of the
// account references already seen, the account file and the cache mark.
struct Walk {
  Walk(const Ledger& l, BalanceTable& table) : ledger(l), t(table) {}
  const Ledger& ledger;
  BalanceTable& t;
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  std::unordered_map<std::string, int, TextHash, std::equal_to<>> columnOf;  // reference text -> column
  std::vector<Account> accounts;                                             // the account file, read once
  DayNumber lastChangesDay = 0;  // [Buh] LastChanges: the months up to it have sound month files
  bool lastChangesMoved = false;
  // The month files of the months walked, put in place only once every
  // month needed could be read.
  std::optional<MonthFiles> files;
  // Operations before the period are only needed for their balances: the
  // walk keeps the balances after the latest operation and the last such
  // operation itself, which becomes the opening row of the period.
  DayNumber periodStart = 0, periodEnd = 0;
  // Rows go to the table, or only into `fold` when just the totals are wanted.
  bool keepRows = true;
  Fold fold;
  std::vector<Kopecks> latest;  // the balances after the latest operation walked
  bool openingTaken = false;    // t.openings holds the balances at the period's start
  std::optional<BalanceTable::Row> before;
  std::shared_ptr<const std::string> beforeText;  // what `before` points into
  // One month's reading: kept with the table when the month has rows of the
  // period, otherwise reused for the next month.
  std::shared_ptr<std::string> bytes = std::make_shared<std::string>();
  std::vector<Operation> ops;
  std::vector<SortKey> order;
  std::vector<std::uint64_t> packed, spare;

  int column(std::string_view reference) {
    if (auto it = columnOf.find(reference); it != columnOf.end()) return it->second;
    const int c = AddColumn(ParseAccountReference(reference));
    columnOf.emplace(std::string(reference), c);
    return c;
  }
  int AddColumn(const Account& a) {
    const int found = t.find(a.name);
    if (found >= 0) return found;
    t.columns.push_back({a.name, a.currency, a.type, false, LowerText(a.name)});
    return static_cast<int>(t.columns.size()) - 1;
  }
};

// The first fields of a line, split at once.
template <std::size_t N>
std::array<std::string_view, N> Fields(std::string_view line, char sep) {
  std::array<std::string_view, N> out{};
  for (std::size_t i = 0; i < N; ++i) {
    const std::size_t at = line.find(sep);
    out[i] = line.substr(0, at);
    if (at == std::string_view::npos) break;
    line.remove_prefix(at + 1);
  }
  return out;
}

// Adds the operations of one month's journal, sorted, with running balances.
// False when the journal exists but cannot be read.
bool JournalMonth(Walk& w, const std::string& monthDate, int monthsLeft) {
  std::string& bytes = *w.bytes;
  if (!LoadBytesForUpdate(w.ledger.journalFile(monthDate), bytes)) return false;
  BalanceTable& t = w.t;
  std::vector<Operation>& ops = w.ops;
  std::vector<SortKey>& order = w.order;
  ops.clear();
  order.clear();
  bool longTimes = false;
  // "hh:mm" times of one month's days pack with their index into one number.
  bool packable = true;
  std::size_t inPeriod = 0;
  ForEachLine(bytes, [&](std::string_view line) {
    // A row keeps 32-bit offsets into its line.
    if (line.size() > UINT32_MAX) return;
    const auto f = Fields<7>(line, kSep3);
    if (f[0] != "2") return;
    Operation op{f[1], f[2], f[3], f[6]};
    // A line whose amount or date is none (or an amount beyond any
    // household's means) is a damaged line: left out.
    const Reading<Kopecks> amount = ReadMoney(op.amount);
    const Reading<DayNumber> day = ReadDay(op.date);
    if (!amount || !day) return;
    op.value = *amount;
    op.day = *day;
    const auto parts = Fields<3>(f[4], kSep1);
    if (!IsNoAccount(parts[1])) op.incomeColumn = w.column(parts[1]);
    if (!IsNoAccount(parts[2])) op.expenseColumn = w.column(parts[2]);
    longTimes = longTimes || op.time.size() > 5;
    packable = packable && ClockDigits(op.time) >= 0;
    inPeriod += op.day >= w.periodStart;
    order.push_back({KeyOf(op.day, op.time), static_cast<std::uint32_t>(ops.size())});
    ops.push_back(op);
  });
  if (ops.empty()) return true;

  const DayNumber firstDay = order.empty() ? 0 : ops[order.front().index].day;
  for (const Operation& op : ops) packable = packable && op.day >= firstDay - 31 && op.day < firstDay + 31;
  if (packable) {
    // Days of one month and "hh:mm" times: byte order of the times is their
    // number order, so a plain sort of numbers gives the same order.
    std::vector<std::uint64_t>& packed = w.packed;
    packed.clear();
    for (std::uint32_t i = 0; i < ops.size(); ++i) {
      const Operation& op = ops[i];
      const auto minute = static_cast<std::uint64_t>(ClockDigits(op.time));
      packed.push_back((static_cast<std::uint64_t>(op.day - firstDay + 31) << 46) | (minute << 32) | i);
    }
    SortPacked(packed, w.spare);
    for (std::size_t k = 0; k < packed.size(); ++k) order[k].index = static_cast<std::uint32_t>(packed[k]);
  } else {
    std::sort(order.begin(), order.end(), [&](const SortKey& a, const SortKey& b) {
      if (a.key != b.key) return a.key < b.key;
      if (longTimes) {
        const int byText = ops[a.index].time.compare(ops[b.index].time);
        if (byText != 0) return byText < 0;
      }
      return a.index < b.index;
    });
  }

  // Room for the months still to come, guessed from this one.
  if (w.keepRows && t.rows.capacity() < t.rows.size() + inPeriod)
    t.rows.reserve(std::max(2 * t.rows.capacity(), t.rows.size() + inPeriod * (1 + monthsLeft)));
  w.latest.resize(t.columns.size(), 0);
  const Operation* before = nullptr;
  bool keep = false;
  for (const SortKey& k : order) {
    const Operation& op = ops[k.index];
    const bool inPeriod = op.day >= w.periodStart;
    if (inPeriod && !w.openingTaken) {
      t.openings = w.latest;
      w.fold.begin(t.openings);
      w.openingTaken = true;
    }
    if (op.incomeColumn >= 0)
      w.latest[op.incomeColumn] = AddMoney(w.latest[op.incomeColumn], op.entry(op.incomeColumn));
    if (op.expenseColumn >= 0 && op.expenseColumn != op.incomeColumn)
      w.latest[op.expenseColumn] = AddMoney(w.latest[op.expenseColumn], op.entry(op.expenseColumn));
    if (inPeriod && w.keepRows) {
      t.rows.push_back(op.row(w.latest));
      keep = true;
    } else if (inPeriod) {
      const auto after = [&](int column) { return column < 0 ? 0 : w.latest[column]; };
      if (op.day <= w.periodEnd)
        w.fold.add(op.incomeColumn, after(op.incomeColumn), op.expenseColumn, after(op.expenseColumn));
    } else {
      before = &op;
    }
  }
  if (before) w.before = before->rowOwning(w.latest, w.beforeText);
  if (keep) {
    t.texts.push_back(std::move(w.bytes));
    w.bytes = std::make_shared<std::string>();
  }
  return true;
}

// Takes the current currency and type of every account still in the account file.
void RefreshAccounts(Walk& w) {
  for (const auto& a : w.accounts) {
    const int c = w.t.find(a.name);
    if (c < 0) continue;
    w.t.columns[c].currency = a.currency;
    w.t.columns[c].type = a.type;
  }
}

// Hands the month balance file of a month walked to the writer; WriteMonths
// puts them in place, and the disk is flushed once for all before
// LastChanges is moved on (SaveLastChanges).
void CloseMonth(Walk& w, const std::string& monthDate) {
  const BalanceTable& t = w.t;
  std::string bytes;
  for (std::size_t c = 0; c < t.columns.size() && c < w.latest.size(); ++c) {
    if (w.latest[c] == 0) continue;
    const auto& col = t.columns[c];
    bytes.append(col.name).append(1, kSep1).append(col.currency).append(1, kSep1).append(col.type);
    bytes.append(1, kSep1).append(MoneyText(w.latest[c])).append("\r\n");
  }
  w.files->add(monthDate, w.ledger.balanceFile(monthDate), std::move(bytes));
}

// Writes the month files of the months closed, oldest first, moving the
// LastChanges of the walk over each one written. False at the first that
// could not be written (its path in `failed`).
bool WriteMonths(Walk& w, std::string& failed) {
  return w.files->finish(
      [&](const std::string& monthDate) {
        const DayNumber lastDay = DayOf(LastDayOfMonth(static_cast<double>(*ReadDay(monthDate))));
        if (lastDay > w.lastChangesDay) {
          w.lastChangesDay = lastDay;
          w.lastChangesMoved = true;
        }
      },
      failed);
}

// Moves LastChanges on to the last month closed, once the month files are
// on the disk. False when that could not be done.
bool SaveLastChanges(Walk& w) {
  if (!w.lastChangesMoved) return true;
  return FlushFileSystem(shell::JournalDir(w.ledger.dataDir())) &&
         WriteIniString(w.ledger.settingsFile(), kBuhSection, kLastChangesKey,
                        DateToText(static_cast<double>(w.lastChangesDay)));
}

}  // namespace

std::string BalanceTable::Row::when() const {
  std::string out;
  if (!text) return out;
  out.reserve(dateSize + 1 + timeSize);
  return out.append(date()).append(" ").append(time());
}

Kopecks BalanceTable::balance(std::size_t row, std::size_t column) const {
  if (column >= rowsOf.size()) return openingBalance(column);
  const auto& list = rowsOf[column];
  const auto it = std::upper_bound(list.begin(), list.end(), row);
  if (it == list.begin()) return openingBalance(column);
  const Row& r = rows[*(it - 1)];
  return static_cast<int>(column) == r.expenseColumn ? r.expenseBalance : r.incomeBalance;
}

Kopecks BalanceTable::closing(std::size_t column) const {
  return rows.empty() ? openingBalance(column) : balance(rows.size() - 1, column);
}

BalanceTable::Totals BalanceTable::totals(std::size_t column) const {
  Totals t;
  t.opening = t.closing = openingBalance(column);
  if (column >= rowsOf.size()) return t;
  for (const std::uint32_t i : rowsOf[column]) {
    const Row& r = rows[i];
    AddStep(t, static_cast<int>(column) == r.expenseColumn ? r.expenseBalance : r.incomeBalance);
  }
  return t;
}

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
    return column == 0 ? r.when() : std::string(column == 1 ? r.description() : r.amount());
  }
  const Column& c = columns.at(column - 3);
  switch (row) {
    case 0: return c.name;
    case 1: return c.currency;
    case 2: return c.type;
    case 3: return c.moved ? "*" : "";
    default: return MoneyText(row == 4 ? openingBalance(column - 3) : balance(row - 5, column - 3));
  }
}

namespace {

// The computation both results share: the walk over the months, the month
// files and LastChanges, the trim to the period, the movement marks and the
// removal of the accounts that are 0 throughout (from `w.fold` too).
bool Compute(const Ledger& ledger, DateTime end, DateTime start, Walk& w, std::string* error) {
  BalanceTable& t = w.t;
  auto fail = [&](const std::string& what, const std::string& path) {
    if (error) *error = Ru("Файл ") + path + " " + what;
    return false;
  };
  // The month files and LastChanges change together, and never while a
  // journal change is being marked.
  DataDirLock lock(ledger.dataDir());
  if (!lock.held())
    return fail(Ru("занят другой программой или недоступен"), shell::DataLockFile(ledger.dataDir()));
  const std::string ini = ledger.settingsFile();
  std::string firstDate, lastChanges;
  if (!ReadIniStringChecked(ini, kBuhSection, kFirstDateKey, DateToText(Now()), firstDate) ||
      !ReadIniStringChecked(ini, kBuhSection, kLastChangesKey, firstDate, lastChanges))
    return fail(Ru("не читается"), ini);
  // A LastChanges that is no date vouches for no month file: the walk starts
  // at FirstDate (or the period) instead.
  const Reading<DayNumber> marked = ReadDay(lastChanges), first = ReadDay(firstDate);
  const DayNumber periodFirst = DayOf(start);
  w.lastChangesDay = marked ? *marked : first ? std::min(*first, periodFirst) : periodFirst;
  DayNumber from = std::min(w.lastChangesDay, periodFirst);
  if (!marked) w.lastChangesMoved = true;

  // The opening: the month balance file of the month before.
  const Ymd f = DayToYmd(from);
  const DateTime monthBefore =
      static_cast<double>(YmdToDay(f.month == 1 ? f.year - 1 : f.year, f.month == 1 ? 12 : f.month - 1, 1));
  Lines opening;
  const std::string openingFile = ledger.balanceFile(DateToText(monthBefore));
  if (!LoadLinesForUpdate(openingFile, opening)) return fail(Ru("не читается"), openingFile);
  for (const auto& line : opening) {
    const int c = w.AddColumn({GetField(line, kSep1, 1), GetField(line, kSep1, 2), GetField(line, kSep1, 3)});
    t.openings.resize(t.columns.size());
    const Reading<Kopecks> balance = ReadMoney(GetField(line, kSep1, 4));
    if (!balance) return fail(Ru("хранит остаток, который не сумма"), openingFile);
    t.openings[c] = *balance;
  }
  w.latest = t.openings;
  w.periodStart = periodFirst;
  w.periodEnd = DayOf(end);

  Lines accounts;
  if (!LoadLinesForUpdate(ledger.accountsFile(), accounts)) return fail(Ru("не читается"), ledger.accountsFile());
  for (const auto& line : accounts) w.accounts.push_back(ParseAccountReference(line));

  ForceDir(shell::JournalDir(ledger.dataDir()));
  const Ymd e = DayToYmd(DayOf(end));
  w.files.emplace((e.year - f.year) * 12 + (e.month - f.month) >= 2);
  for (int y = f.year, m = f.month;;) {
    const std::string monthDate = DateToText(static_cast<double>(YmdToDay(y, m, 1)));
    // A month that cannot be read fails the whole computation: no month
    // file is written and LastChanges stays.
    if (!JournalMonth(w, monthDate, std::max(0, (e.year - y) * 12 + (e.month - m))))
      return fail(Ru("не читается"), ledger.journalFile(monthDate));
    RefreshAccounts(w);
    CloseMonth(w, monthDate);
    if ((y == e.year && m == e.month) || y > e.year || (y == e.year && m > e.month)) break;
    if (++m > 12) m = 1, ++y;
  }
  // A month file that cannot be written stops there: LastChanges moves on
  // only over the months written before it.
  if (std::string failed; !WriteMonths(w, failed)) {
    (void)SaveLastChanges(w);
    return fail(Ru("не записывается"), failed);
  }
  if (!SaveLastChanges(w)) return fail(Ru("не записывается"), ini);

  // Trim to the period; the last operation before it gives the opening.
  const DayNumber last = DayOf(end);
  if (w.before) {
    t.opening = *w.before;
    t.texts.push_back(std::move(w.beforeText));
  }
  if (!w.openingTaken) t.openings = w.latest;
  std::erase_if(t.rows, [&](const BalanceTable::Row& row) { return row.day < periodFirst || row.day > last; });

  // Movement marks and idle accounts, in one pass over the rows (taken
  // during the walk when no rows are kept).
  const std::size_t columns = t.columns.size();
  t.openings.resize(columns, 0);
  if (!w.openingTaken) w.fold.begin(t.openings);
  for (const auto& row : t.rows) w.fold.add(row.incomeColumn, row.incomeBalance, row.expenseColumn, row.expenseBalance);
  Fold& fold = w.fold;
  fold.busy.resize(columns, 0);
  fold.moved.resize(columns, 0);
  fold.totals.resize(columns);
  for (std::size_t c = 0; c < columns; ++c) t.columns[c].moved = fold.moved[c];
  const std::vector<char>& busy = fold.busy;

  // Drop the accounts that are 0 throughout.
  std::vector<int> newIndex(columns, -1);
  std::size_t kept = 0;
  for (std::size_t c = 0; c < columns; ++c)
    if (busy[c]) newIndex[c] = static_cast<int>(kept++);
  if (kept != columns) {
    auto remap = [&](BalanceTable::Row& row) {
      for (int* column : {&row.incomeColumn, &row.expenseColumn})
        if (*column >= 0) *column = newIndex[*column];
    };
    remap(t.opening);
    for (auto& row : t.rows) remap(row);
    std::size_t to = 0;
    for (std::size_t c = 0; c < columns; ++c) {
      if (!busy[c]) continue;
      if (to != c) {
        t.columns[to] = std::move(t.columns[c]);
        t.openings[to] = t.openings[c];
        fold.totals[to] = fold.totals[c];
      }
      ++to;
    }
    t.columns.resize(kept);
    t.openings.resize(kept);
  }
  fold.totals.resize(kept);
  return true;
}

}  // namespace

bool ComputeBalances(const Ledger& ledger, DateTime end, DateTime start, BalanceTable& t, std::string* error) {
  t = BalanceTable{};
  Walk w{ledger, t};
  if (!Compute(ledger, end, start, w, error)) return false;
  const std::size_t kept = t.columns.size();

  // The rows that move each account, for finding a balance at any row.
  t.rowsOf.assign(kept, {});
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    const auto& row = t.rows[i];
    if (row.incomeColumn >= 0) t.rowsOf[row.incomeColumn].push_back(static_cast<std::uint32_t>(i));
    if (row.expenseColumn >= 0 && row.expenseColumn != row.incomeColumn)
      t.rowsOf[row.expenseColumn].push_back(static_cast<std::uint32_t>(i));
  }
  return true;
}

bool ComputeBalanceTotals(const Ledger& ledger, DateTime end, DateTime start, std::vector<AccountBalance>& accounts,
                          std::string* error) {
  accounts.clear();
  BalanceTable t;
  Walk w{ledger, t};
  w.keepRows = false;
  if (!Compute(ledger, end, start, w, error)) return false;
  accounts.reserve(t.columns.size());
  for (std::size_t c = 0; c < t.columns.size(); ++c) accounts.push_back({std::move(t.columns[c]), w.fold.totals[c]});
  return true;
}

}  // namespace krav::accounting
