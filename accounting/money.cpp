#include "accounting/money.h"

#include <cstdlib>
#include <limits>

namespace krav::accounting {

Kopecks ParseMoney(std::string_view raw) {
  std::string s;
  for (char c : raw)
    if (c != ' ') s += c;
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  constexpr Kopecks kLimit = std::numeric_limits<Kopecks>::max() / 1000;
  Kopecks whole = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
    if (whole < kLimit) whole = whole * 10 + (s[i] - '0');
  int fraction = 0;  // thousandths, for rounding
  if (i < s.size() && s[i] == '.') {
    int digits = 0;
    for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++digits)
      if (digits < 3) fraction = fraction * 10 + (s[i] - '0');
    for (; digits < 3; ++digits) fraction *= 10;
  }
  const Kopecks k = whole * 100 + (fraction + 5) / 10;
  return negative ? -k : k;
}

bool ParseMoneyWithin(std::string_view text, Kopecks& k) {
  k = ParseMoney(text);
  return k <= kMoneyBound && k >= -kMoneyBound;
}

Kopecks AddMoney(Kopecks a, Kopecks b) {
  Kopecks sum = 0;
  if (!__builtin_add_overflow(a, b, &sum)) return sum;
  return b > 0 ? std::numeric_limits<Kopecks>::max() : std::numeric_limits<Kopecks>::min();
}

std::string MoneyText(Kopecks k) {
  const bool negative = k < 0;
  const std::uint64_t a = negative ? 0 - static_cast<std::uint64_t>(k) : static_cast<std::uint64_t>(k);
  std::string cents = std::to_string(a % 100);
  if (cents.size() < 2) cents = "0" + cents;
  return (negative ? "-" : "") + std::to_string(a / 100) + "." + cents;
}

}  // namespace krav::accounting
