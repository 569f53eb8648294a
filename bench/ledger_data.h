// A generated ledger for the accounting benchmarks: ten years (2017-2026) of
// 1,000 operations a month on 12 rouble accounts, 4 of them savings.
#pragma once

#include "accounting/ledger_files.h"

namespace krav::bench {

constexpr int kLedgerYears = 10, kLedgerFirstYear = 2017, kLedgerPerMonth = 1000, kLedgerAccounts = 12;

// Made once per process in a temporary root.
const accounting::Ledger& TenYearLedger();
// Writes that ledger's journals and settings into l's data directory.
void WriteTenYearLedger(const accounting::Ledger& l);
// Removes every month balance file and moves LastChanges to the first
// month, so that the next computation starts cold.
void MakeLedgerCold(const accounting::Ledger& ledger);

}  // namespace krav::bench
