#include "engine/money.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "engine/text.h"

namespace krav {
namespace {

// A decimal number: blanks skipped, an optional sign, digits and an optional
// point or comma with decimals; `scale` decimals are kept, the next rounds
// half away from zero. False for anything else or a value past `bound`.
bool ReadDecimal(std::string_view raw, int scale, std::int64_t bound, std::int64_t& out) {
  // The text read with its blanks passed over wherever they stand.
  std::size_t i = 0;
  auto at = [&]() -> char {
    while (i < raw.size() && raw[i] == ' ') ++i;
    return i < raw.size() ? raw[i] : '\0';
  };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  bool negative = false;
  if (const char c = at(); c == '-' || c == '+') negative = c == '-', ++i;
  std::int64_t whole = 0;
  std::size_t digits = 0;
  for (char c; digit(c = at()); ++i, ++digits)
    if (__builtin_mul_overflow(whole, 10, &whole) || __builtin_add_overflow(whole, c - '0', &whole)) return false;
  std::int64_t fraction = 0;  // scale + 1 decimals, the last for rounding
  int decimals = 0;
  if (const char c = at(); c == '.' || c == ',') {
    ++i;
    for (char d; digit(d = at()); ++i, ++digits)
      if (decimals <= scale) fraction = fraction * 10 + (d - '0'), ++decimals;
  }
  at();
  if (i != raw.size() || digits == 0) return false;
  for (; decimals <= scale; ++decimals) fraction *= 10;
  std::int64_t unit = 1;
  for (int k = 0; k < scale; ++k) unit *= 10;
  std::int64_t value = 0;
  if (__builtin_mul_overflow(whole, unit, &value) || __builtin_add_overflow(value, (fraction + 5) / 10, &value) ||
      value > bound)
    return false;
  out = negative ? -value : value;
  return true;
}

}  // namespace

Reading<Kopecks> ReadMoney(std::string_view text) {
  Kopecks k = 0;
  if (!ReadDecimal(text, 2, kMoneyBound, k)) return Reading<Kopecks>::Not("not an amount");
  return Reading<Kopecks>::Of(k);
}

Reading<double> ReadRate(std::string_view text) {
  std::int64_t millionths = 0;
  if (!ReadDecimal(text, 6, std::numeric_limits<std::int64_t>::max() / 2, millionths) || millionths <= 0)
    return Reading<double>::Not("not a rate above zero");
  return Reading<double>::Of(static_cast<double>(millionths) / 1e6);
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

std::string GroupedMoneyText(Kopecks k) { return GroupThousands(MoneyText(k), " "); }

std::string StoredAmount(std::string_view typed) {
  const Reading<Kopecks> k = ReadMoney(typed);
  return k ? GroupedMoneyText(*k) : std::string(typed);
}

std::string RateText(double rate) {
  const std::string money = RealToFixed(rate, 2);
  if (ReadRate(money)) return money;
  // Below half a kopeck: as many decimals as the rate needs, never a zero rate.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6f", rate);
  std::string s = buf;
  while (s.size() > 1 && s.back() == '0' && s.size() - s.find('.') > 3) s.pop_back();
  return s;
}

}  // namespace krav
