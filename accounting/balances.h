// The balance table of a period: one column an account, one row an
// operation of the journal, each cell the account's balance after it; and
// its computation month by month from the month balance cache.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "accounting/ledger_files.h"
#include "engine/dates.h"
#include "engine/money.h"

namespace krav::accounting {

// The table keeps, for each operation, only the balances of the accounts it
// moves, and for each account the operations that move it: its memory grows
// with operations plus accounts, never with their product.
struct BalanceTable {
  struct Column {
    std::string name, currency, type;
    bool moved = false;  // the "*" of row 3: the balance changed within the period
    std::string key;     // the name in lower case, for finding it
  };
  // One operation. Its texts are views into a journal text the table keeps
  // (`texts`): the date, time and description are journal fields 2 to 4,
  // back to back; the amount lies further on in the same line.
  struct Row {
    const char* text = nullptr;  // the first byte of the date
    std::uint32_t dateSize = 0, timeSize = 0, descriptionSize = 0;
    std::uint32_t amountAt = 0, amountSize = 0;  // from `text`
    DayNumber day = 0;                           // the date of `when`
    // The columns this row puts its amount on: + for the income account,
    // - for the expense account (which wins when both are the same).
    int incomeColumn = -1, expenseColumn = -1;
    Kopecks value = 0;
    // The balances of those two columns after this row.
    Kopecks incomeBalance = 0, expenseBalance = 0;

    // Each empty for a row of no operation (the opening when none came before).
    std::string_view date() const { return text ? std::string_view(text, dateSize) : std::string_view(); }
    std::string_view time() const { return field(dateSize + 1, timeSize); }
    std::string_view description() const { return field(dateSize + 1 + timeSize + 1, descriptionSize); }
    std::string_view amount() const { return field(amountAt, amountSize); }  // journal field 7, as typed
    std::string when() const;                                                 // "dd.mm.yyyy hh:mm"
    Kopecks entry(std::size_t column) const {
      const int c = static_cast<int>(column);
      return c == expenseColumn ? -value : c == incomeColumn ? value : 0;
    }
    bool moves(std::size_t column) const {
      const int c = static_cast<int>(column);
      return c == incomeColumn || c == expenseColumn;
    }

   private:
    std::string_view field(std::uint32_t at, std::uint32_t size) const {
      return text ? std::string_view(text + at, size) : std::string_view();
    }
  };
  // An account's figures over the period: income is the sum of the rises of
  // its balance, expense the sum of the falls (a positive number).
  struct Totals {
    Kopecks opening = 0, income = 0, expense = 0, closing = 0;
  };

  std::vector<Column> columns;
  Row opening;                                     // row 4: the operation before the period (texts only)
  std::vector<Kopecks> openings;                   // the balances at the start of the period, per column
  std::vector<Row> rows;                           // rows 5 and later, in chronological order
  std::vector<std::vector<std::uint32_t>> rowsOf;  // per column: the rows that move it
  // The journal texts the rows point into; never changed once read, so
  // copies of the table share them.
  std::vector<std::shared_ptr<const std::string>> texts;

  Kopecks openingBalance(std::size_t column) const { return column < openings.size() ? openings[column] : 0; }
  // The balance of a column after rows[row].
  Kopecks balance(std::size_t row, std::size_t column) const;
  Kopecks closing(std::size_t column) const;
  Totals totals(std::size_t column) const;

  // The text of a cell as the grid of the accounting page holds it: rows 0-4
  // fixed, columns 0-2 the operation, columns 3 and later the accounts.
  std::string cell(std::size_t row, std::size_t column) const;
  std::size_t rowCount() const { return 5 + rows.size(); }
  std::size_t columnCount() const { return 3 + columns.size(); }
  // The column of an account, found by name without regard to letter case.
  int find(const std::string& name) const;
};

// Fills the table for [start, end]; rewrites the month balance files of the
// computed months and moves LastChanges on, all under the data directory's
// lock. False, with `error` (cp1251) saying which file, when the lock could not be
// taken or a file the balances need (the settings, the accounts, a month's
// journal or the opening balances) exists but cannot be read: then no month
// file is written and LastChanges stays where it was. False too when a month
// balance file could not be written: LastChanges then moves on only over the
// months written before it.
[[nodiscard]] bool ComputeBalances(const Ledger& ledger, DateTime end, DateTime start, BalanceTable& table,
                                   std::string* error = nullptr);

// One account's figures over a period.
struct AccountBalance {
  BalanceTable::Column column;
  BalanceTable::Totals totals;
};

// The same computation as ComputeBalances, with the same month files,
// LastChanges and failures, giving only the accounts of its table (in its
// order) with their totals: its memory grows with the accounts and one
// month's journal, not with the operations of the period.
[[nodiscard]] bool ComputeBalanceTotals(const Ledger& ledger, DateTime end, DateTime start,
                                        std::vector<AccountBalance>& accounts, std::string* error = nullptr);

}  // namespace krav::accounting
