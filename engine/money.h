// Money in whole kopecks, so that sums never drift the way binary fractions
// do; written with two decimals and a point. Amounts and currency rates are
// read here and nowhere else.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/reading.h"

namespace krav {

using Kopecks = std::int64_t;

// The largest amount the ledger takes: a thousand billion in any currency.
constexpr Kopecks kMoneyBound = 100'000'000'000'000;

// An amount as a person types it or the program wrote it: blanks anywhere
// (digit groups), an optional sign, digits, and a point or a comma followed
// by decimals, rounded half away from zero to kopecks. Anything else, no
// digits at all, or an amount beyond kMoneyBound either way is not an amount.
Reading<Kopecks> ReadMoney(std::string_view text);

// A currency rate: an amount above zero, with up to six decimals kept.
// Blanks, sign, point and comma as ReadMoney.
Reading<double> ReadRate(std::string_view text);

// a + b, stopping at the ends of the range instead of overflowing.
Kopecks AddMoney(Kopecks a, Kopecks b);

// "1234.50", "-20.00", "0.00": the form every file keeps.
std::string MoneyText(Kopecks k);
// MoneyText with the digits grouped by threes with blanks: "1 234.50".
std::string GroupedMoneyText(Kopecks k);
// The stored form of a checked typed amount: GroupedMoneyText of it ("1 000.50");
// a text that is none is given back unchanged.
std::string StoredAmount(std::string_view typed);
// A rate in the form the rates file keeps: the money form, two decimals and
// a point ("1.50"); a rate that would round to zero keeps the decimals it
// needs ("0.004").
std::string RateText(double rate);

}  // namespace krav
