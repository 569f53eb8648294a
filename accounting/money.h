// Money in whole kopecks, so that sums never drift the way binary fractions
// do; written with two decimals and a point.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace krav::accounting {

using Kopecks = std::int64_t;

// An amount as the user typed it or the program wrote it: blanks removed,
// an optional sign, digits, a point and decimals (rounded half away from zero
// to kopecks); reading stops at the first other character. 0 when the text
// has no leading number.
Kopecks ParseMoney(std::string_view text);

// The largest amount the ledger takes: a thousand billion in any currency.
constexpr Kopecks kMoneyBound = 100'000'000'000'000;

// ParseMoney, refusing (false) an amount beyond the bound either way.
bool ParseMoneyWithin(std::string_view text, Kopecks& k);

// a + b, stopping at the ends of the range instead of overflowing.
Kopecks AddMoney(Kopecks a, Kopecks b);

// "1234.50", "-20.00", "0.00".
std::string MoneyText(Kopecks k);

}  // namespace krav::accounting
