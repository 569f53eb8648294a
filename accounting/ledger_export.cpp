#include "accounting/ledger_export.h"

#include <algorithm>
#include <map>
#include <set>
#include <string_view>

#include "engine/money.h"
#include "engine/text.h"
#include "platform/encoding.h"

namespace krav::accounting {

const char* const kOutsideAccountUtf8 = "Вне учёта";

namespace {

struct Known {
  std::string name, currency, type;  // cp1251
};

// The accounts by lower-case name: the account file's currency and type
// where the account is still there, else the first reference seen.
class Accounts {
 public:
  explicit Accounts(const Ledger& ledger) {
    Lines lines;
    LoadLines(ledger.accountsFile(), lines);
    for (const auto& l : lines) {
      const Account a = ParseAccountReference(l);
      current_.emplace(LowerText(a.name), Known{a.name, a.currency, a.type});
    }
  }
  const Known& of(const Account& reference) {
    const std::string key = LowerText(reference.name);
    if (auto it = seen_.find(key); it != seen_.end()) return it->second;
    Known k{reference.name, reference.currency, reference.type};
    if (auto it = current_.find(key); it != current_.end()) {
      k.currency = it->second.currency;
      k.type = it->second.type;
    }
    return seen_.emplace(key, k).first->second;
  }

 private:
  std::map<std::string, Known> current_, seen_;
};

std::string Posting(const std::string& account, Kopecks amount, const std::string& commodity) {
  std::string line = "    " + account;
  line += "  ";
  line += MoneyText(amount);
  if (!commodity.empty()) line += " " + commodity;
  return line + "\n";
}

std::string AccountPath(const Known& k) {
  return PlainAccountName(k.type.empty() ? Ru("Счета") : k.type) + ":" + PlainAccountName(k.name);
}

// A text for a comment or a description line: one line, no tabs.
std::string OneLine(const std::string& cp1251) {
  std::string t = Cp1251ToUtf8(cp1251);
  for (char& c : t)
    if (c == '\t' || c == '\r' || c == '\n' || (c >= 1 && c <= 4)) c = ' ';
  return t;
}

}  // namespace

std::string PlainAccountName(const std::string& cp1251Name) {
  std::string name = Cp1251ToUtf8(cp1251Name);
  for (char& c : name)
    if (c == ':' || c == '\t' || (c >= 1 && c <= 4) || c == '\r' || c == '\n') c = c == ':' ? '.' : ' ';
  std::string out;
  for (char c : name)
    if (!(c == ' ' && (out.empty() || out.back() == ' '))) out += c;
  while (!out.empty() && out.back() == ' ') out.pop_back();
  // A posting that starts with one of these is virtual, has a status mark,
  // or is a comment in ledger-cli or hledger.
  if (!out.empty() && std::string_view("[(*!;").find(out[0]) != std::string_view::npos) out[0] = '_';
  return out.empty() ? "?" : out;
}

std::string PlainCommodity(const std::string& cp1251Currency) {
  std::string utf8 = Cp1251ToUtf8(cp1251Currency);
  if (utf8.empty()) return {};
  // Letters only (Latin or Cyrillic, both in UTF-8 of two bytes) go bare;
  // anything else between quotes. Inside the quotes hledger takes no quote
  // or ";", ledger-cli reads a backslash as an escape, and neither takes a
  // line break: those become "_".
  const bool bare = std::all_of(utf8.begin(), utf8.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u >= 0x80;
  });
  if (bare) return utf8;
  for (char& c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == ';' || c == '\\' || u < 0x20 || u == 0x7F) c = '_';
  }
  return "\"" + utf8 + "\"";
}

std::string ExportPlainTextJournal(const Ledger& ledger, DateTime start, DateTime end, int* skipped,
                                   std::vector<std::string>* renamed) {
  Accounts accounts(ledger);
  std::set<std::string> told;
  auto tell = [&](const std::string& what, const std::string& cp1251, const std::string& written) {
    if (renamed && told.insert(what + cp1251).second)
      renamed->push_back(what + " \"" + OneLine(cp1251) + "\" записано как " + written);
  };
  auto commodity = [&](const std::string& cp1251) {
    std::string c = PlainCommodity(cp1251);
    const std::string unquoted = c.size() >= 2 && c.front() == '"' ? c.substr(1, c.size() - 2) : c;
    if (unquoted != Cp1251ToUtf8(cp1251)) tell("валюта", cp1251, c);
    return c;
  };
  auto path = [&](const Known& k) {
    std::string p = AccountPath(k);
    const std::string type = k.type.empty() ? Ru("Счета") : k.type;
    if (p != Cp1251ToUtf8(type) + ":" + Cp1251ToUtf8(k.name)) tell("счёт", type + ":" + k.name, p);
    return p;
  };
  const std::string outside = PlainAccountName(Ru(kOutsideAccountUtf8));
  std::string out = "; Домашняя бухгалтерия: операции с " + DateToText(start) + " по " + DateToText(end) + "\n\n";
  int left = 0;
  const DayNumber first = DayOf(start), last = DayOf(end);
  struct Entry {
    DayNumber day;
    std::string time;
    std::string text;
  };
  for (Ymd m = DayToYmd(first); YmdToDay(m.year, m.month, 1) <= last;) {
    const std::string monthDate = DateToText(static_cast<double>(YmdToDay(m.year, m.month, 1)));
    Lines lines;
    LoadLines(ledger.journalFile(monthDate), lines);
    std::vector<Entry> entries;
    for (const auto& line : lines) {
      if (GetField(line, kSep3, 1) != "2") continue;
      const Reading<DayNumber> day = ReadDay(GetField(line, kSep3, 2));
      const Reading<Kopecks> amount = ReadMoney(GetField(line, kSep3, 7));
      if (day && (*day < first || *day > last)) continue;
      if (!day || !amount) {
        ++left;
        continue;
      }
      const Kopecks value = *amount;
      const std::string definition = GetField(line, kSep3, 5);
      const std::string incomeRef = GetField(definition, kSep1, 2), expenseRef = GetField(definition, kSep1, 3);
      const bool hasIncome = !incomeRef.empty() && !IsNoAccount(incomeRef);
      const bool hasExpense = !expenseRef.empty() && !IsNoAccount(expenseRef);
      const Ymd d = DayToYmd(*day);
      std::string t = std::to_string(d.year) + "/" + PadLeft(std::to_string(d.month), "00") + "/" +
                      PadLeft(std::to_string(d.day), "00") + " " + OneLine(GetField(line, kSep3, 4)) + "\n";
      t += "    ; время: " + OneLine(GetField(line, kSep3, 3)) + "\n";
      if (const std::string comment = GetField(line, kSep3, 6); !comment.empty())
        t += "    ; комментарий: " + OneLine(comment) + "\n";
      const Known* in = hasIncome ? &accounts.of(ParseAccountReference(incomeRef)) : nullptr;
      const Known* ex = hasExpense ? &accounts.of(ParseAccountReference(expenseRef)) : nullptr;
      if (in && ex && LowerText(in->name) == LowerText(ex->name)) in = nullptr;  // the expense wins
      if (!in && !ex) {
        t += "    ; без счетов: " + MoneyText(value) + "\n";
      } else if (in && ex && in->currency == ex->currency) {
        t += Posting(path(*in), value, commodity(in->currency));
        t += Posting(path(*ex), -value, commodity(ex->currency));
      } else if (in && ex) {
        // Two currencies and no rate: each side balances against the outside
        // account in its own currency, so no tool invents a price of 1.
        t += Posting(path(*in), value, commodity(in->currency));
        t += Posting(outside, -value, commodity(in->currency));
        t += Posting(path(*ex), -value, commodity(ex->currency));
        t += Posting(outside, value, commodity(ex->currency));
      } else {
        const Known& k = in ? *in : *ex;
        const Kopecks signedValue = in ? value : -value;
        t += Posting(path(k), signedValue, commodity(k.currency));
        t += Posting(outside, -signedValue, commodity(k.currency));
      }
      entries.push_back({*day, GetField(line, kSep3, 3), t + "\n"});
    }
    // In the order the balances walk them: by day, then by time.
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
      return a.day != b.day ? a.day < b.day : a.time < b.time;
    });
    for (const auto& e : entries) out += e.text;
    if (++m.month > 12) m.month = 1, ++m.year;
  }
  if (skipped) *skipped = left;
  return out;
}

}  // namespace krav::accounting
