// The commands of messctl that need only the engine and the ledger: the
// range collection, the balances and the ledger export.
#pragma once

#include "tools/messctl_args.h"

namespace krav::messctl {

// Runs collect, balances or export-ledger.
int RunCoreCommand(const Command& command);

int Collect(const Command& command);
int PrintBalances(const Command& command);
int ExportLedger(const Command& command);

}  // namespace krav::messctl
