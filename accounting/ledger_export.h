// The journal's operations as a plain-text accounting journal that
// ledger-cli and hledger read: one transaction an operation, with its date,
// its time in a comment, its description and comment, and two postings
// (the income account +, the expense account -, an outside account for a
// "[Нет]" side); each account's currency is its commodity, and accounts are
// grouped by their type.
#pragma once

#include <string>
#include <vector>

#include "accounting/ledger_files.h"
#include "engine/dates.h"

namespace krav::accounting {

// The account outside the ledger that a "[Нет]" side stands for.
extern const char* const kOutsideAccountUtf8;  // "Вне учёта"

// The journal text (UTF-8) of the operations dated from `start` to `end`.
// The same account on both sides counts once, as an expense, as the
// balances count it. Operations whose amount is refused by the balances are
// left out; `skipped` counts them. A name the tools cannot take as it stands
// is written in a form they take, and `renamed` says how, once a name.
std::string ExportPlainTextJournal(const Ledger& ledger, DateTime start, DateTime end, int* skipped = nullptr,
                                   std::vector<std::string>* renamed = nullptr);

// An account name as the plain-text formats allow it (no ":" inside, no
// double blank or tab, none at either end, no "[", "(", "*", "!" or ";" in
// front), UTF-8.
std::string PlainAccountName(const std::string& cp1251Name);
// A commodity, quoted when it is more than letters; a quote, ";", a
// backslash or a control character inside the quotes becomes "_".
std::string PlainCommodity(const std::string& cp1251Currency);

}  // namespace krav::accounting
