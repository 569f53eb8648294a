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

// "1234.50", "-20.00", "0.00".
std::string MoneyText(Kopecks k);

}  // namespace krav::accounting
