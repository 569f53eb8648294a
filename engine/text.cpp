#include "engine/text.h"

#include <charconv>
#include <climits>
#include <cmath>

#include "platform/encoding.h"

namespace krav {

std::string_view FieldView(std::string_view text, char sep, int n) {
  if (n < 1) return {};
  std::size_t start = 0;
  for (int i = 1; i < n; ++i) {
    std::size_t p = text.find(sep, start);
    if (p == std::string_view::npos) return {};
    start = p + 1;
  }
  std::size_t end = text.find(sep, start);
  return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

std::string GetField(std::string_view text, char sep, int n) { return std::string(FieldView(text, sep, n)); }

std::string SetField(std::string_view text, char sep, int n, std::string_view value) {
  if (text.empty() || n < 1) return text.empty() ? std::string() : std::string(text);
  std::size_t start = 0;
  int found = 0;  // separators before field n
  while (found < n - 1) {
    std::size_t p = text.find(sep, start);
    if (p == std::string_view::npos) break;
    start = p + 1;
    ++found;
  }
  std::string out;
  if (found < n - 1) {
    out.assign(text);
    out.append(static_cast<std::size_t>(n - 1 - found), sep);
    out += value;
    return out;
  }
  std::size_t end = text.find(sep, start);
  out.assign(text.substr(0, start));
  out += value;
  if (end != std::string_view::npos) out += text.substr(end);
  return out;
}

void SplitByChar(std::string_view text, std::vector<std::string>& list, char sep) {
  list.clear();
  if (text.empty()) return;
  std::size_t start = 0;
  for (;;) {
    std::size_t p = text.find(sep, start);
    if (p == std::string_view::npos) {
      list.emplace_back(text.substr(start));
      return;
    }
    list.emplace_back(text.substr(start, p - start));
    start = p + 1;
  }
}

std::string RemoveChars(std::string_view text, std::string_view set) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (set.find(c) == std::string_view::npos) out += c;
  return out;
}

bool ContainsText(std::string_view pattern, std::string_view text) {
  return text.size() >= pattern.size() && text.find(pattern) != std::string_view::npos;
}

std::string PadLeft(std::string_view text, std::string_view pad) {
  std::string all(pad);
  all += text;
  return all.substr(all.size() - pad.size());
}

std::string GroupThousands(std::string_view t, std::string_view g) {
  if (t.size() <= 3) return std::string(t);
  std::size_t point = t.rfind('.');
  std::string_view intPart = point == std::string_view::npos ? t : t.substr(0, point);
  std::string_view frac = point == std::string_view::npos ? std::string_view() : t.substr(point);
  std::string rev;
  int copied = 0;
  for (std::size_t i = intPart.size(); i-- > 0;) {
    rev += intPart[i];
    ++copied;
    if (copied % 3 == 0 && i > 0 && intPart[i - 1] != '-' && intPart[i - 1] != '+')
      rev.append(g.rbegin(), g.rend());
  }
  std::string out(rev.rbegin(), rev.rend());
  out += frac;
  return out;
}

char UpperChar(char c) { return Cp1251Upper(c); }
char LowerChar(char c) { return Cp1251Lower(c); }

std::string LowerText(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerChar(c);
  return out;
}

int TextToInt(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  int base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  long long value = 0;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else break;
    if (value <= INT_MAX) value = value * base + d;
  }
  if (value > INT_MAX) value = INT_MAX;
  if (negative && i == s.size()) value = -value;
  return static_cast<int>(value);
}

bool IsDigitText(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string NumberToText(long long n) { return std::to_string(n); }

std::string RealToFixed(double value, int decimals) {
  char buf[400];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return "0";
  std::string out(buf, p);
  if (out.size() > 1 && out[0] == '-' && out.find_first_not_of("-0.") == std::string::npos)
    out.erase(0, 1);  // no "-0.00"
  return out;
}

std::string PluralForm(long long n, std::string_view one, std::string_view few, std::string_view many,
                       bool withNumber) {
  const long long a = n < 0 ? -n : n;
  const int last = static_cast<int>(a % 10);
  const int tens = static_cast<int>((a / 10) % 10);
  std::string_view form = many;
  if (tens != 1) {
    if (last == 1) form = one;
    else if (last >= 2 && last <= 4) form = few;
  }
  std::string out = withNumber ? std::to_string(n) + " " : std::string();
  out += form;
  return out;
}

unsigned ShadeColor(unsigned color, int percent) {
  unsigned out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const double c = (color >> shift) & 0xFF;
    double v = percent <= 0 ? c + (255 - c) * (-percent) / 100.0 : c * (100 - percent) / 100.0;
    long r = std::lround(v);
    if (r < 0) r = 0;
    if (r > 255) r = 255;
    out |= static_cast<unsigned>(r) << shift;
  }
  return out | (color & 0xFF000000u);
}

std::string JoinFields(std::initializer_list<std::string_view> parts, char sep) {
  std::string out;
  bool first = true;
  for (const auto p : parts) {
    if (!first) out += sep;
    out += p;
    first = false;
  }
  return out;
}

}  // namespace krav
