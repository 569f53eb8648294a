#include "tools/messctl_commands.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "accounting/balances.h"
#include "accounting/ledger_export.h"
#include "engine/money.h"
#include "engine/occurrences.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "shell/paths.h"
#include "tools/listing.h"

namespace krav::messctl {

int Collect(const Command& c) {
  CollectOptions options = c.options;
  // A month at a time, so that the memory stays bounded however long the range.
  Occurrences out;
  for (DayNumber from = DayOf(c.first), end = DayOf(c.last); from <= end;) {
    const DayNumber monthEnd = std::min<DayNumber>(end, DayOf(LastDayOfMonth(static_cast<double>(from))));
    if (!CollectOccurrences(out, static_cast<double>(from), static_cast<double>(monthEnd), c.root, c.user,
                            options)) {
      std::cerr << "messctl: файл записей в " << FsPath(shell::DataDir(c.root, c.user)) << " не читается\n";
      return 1;
    }
    // Outdated means before the whole range: only the first month may remove.
    options.autoDelete = false;
    if (c.raw) {
      PrintLines(out);
    } else {
      PrintReadable(out);
    }
    std::fflush(stdout);
    from = monthEnd + 1;
  }
  return 0;
}

int PrintBalances(const Command& c) {
  using namespace accounting;
  const Ledger ledger{c.root, c.user};
  std::vector<AccountBalance> accounts;
  std::string error;
  if (!ComputeBalanceTotals(ledger, c.last, c.first, accounts, &error)) {
    std::cerr << "messctl: остатки не посчитаны. " << Cp1251ToUtf8(error) << "\n";
    return 1;
  }
  for (const auto& [col, totals] : accounts) {
    std::cout << Cp1251ToUtf8(col.name) << "\t" << Cp1251ToUtf8(col.currency) << "\t" << Cp1251ToUtf8(col.type)
              << "\t" << MoneyText(totals.opening) << "\t" << MoneyText(totals.income) << "\t"
              << MoneyText(totals.expense) << "\t" << MoneyText(totals.closing) << "\n";
  }
  return 0;
}

int ExportLedger(const Command& c) {
  const accounting::Ledger ledger{c.root, c.user};
  DateTime first = c.first, last = c.last;
  // By default everything from the first operation ever entered up to today.
  if (c.from.empty()) {
    const Reading<DayNumber> firstDate =
        ReadDay(ReadIniString(ledger.settingsFile(), accounting::kBuhSection, accounting::kFirstDateKey, ""));
    first = static_cast<double>(firstDate ? *firstDate : Today());
  }
  if (c.to.empty()) last = std::max(first, static_cast<double>(Today()));
  int skipped = 0;
  std::vector<std::string> renamed;
  const std::string text = accounting::ExportPlainTextJournal(ledger, first, last, &skipped, &renamed);
  for (const auto& r : renamed) std::cerr << "messctl: " << r << "\n";
  if (skipped > 0)
    std::cerr << "messctl: " << skipped << " операций с суммой больше тысячи миллиардов не выгружено\n";
  return PrintOrSave(c.output, text);
}

int RunCoreCommand(const Command& c) {
  if (c.name == "balances") return PrintBalances(c);
  if (c.name == "export-ledger") return ExportLedger(c);
  return Collect(c);
}

}  // namespace krav::messctl
