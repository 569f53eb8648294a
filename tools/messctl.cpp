// messctl: the planner's range collection from the command line.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "engine/collect.h"
#include "engine/dates.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "shell/paths.h"
#include "shell/settings_keys.h"

namespace {

using namespace krav;

constexpr const char* kUsage =
    "Usage: messctl collect --root DIR [--user NAME] [--from DD.MM.YYYY] [--to DD.MM.YYYY]\n"
    "                       [--no-journal] [--autodel] [--raw]\n"
    "\n"
    "Lists the occurrences of a user's records on a range of days, as the planner does.\n"
    "\n"
    "  --root DIR       the shell's root directory\n"
    "  --user NAME      the user (default: [Users] Active of DIR/krav2000.ini)\n"
    "  --from DATE      the first day (default: today)\n"
    "  --to DATE        the last day (default: the first day)\n"
    "  --no-journal     leave out the diary entries and accounting operations\n"
    "  --autodel        move outdated records to the trash, as automatic removal does\n"
    "  --raw            print the occurrence lines exactly as collected (cp1251 bytes)\n"
    "  --help           show this text\n";

int Fail(const std::string& message) {
  std::cerr << "messctl: " << message << "\n";
  return 2;
}

std::string KindName(std::string_view kind) {
  if (kind == "1") return "запись дневника";
  if (kind == "2") return "операция";
  if (kind == "3") return "напоминание";
  if (kind == "4") return "действие";
  if (kind == "5") return "дата из адресной книги";
  return std::string(kind);
}

// Sort key "yyyymmdd hh:mm" of a when text; a whole day sorts before its times.
std::string SortKey(const std::string& when) {
  const std::string date = DateToText(TextToDate(when.substr(0, 10)));
  return date.substr(6, 4) + date.substr(3, 2) + date.substr(0, 2) + " " +
         (when.size() > 11 ? when.substr(11) : std::string());
}

void PrintReadable(const Lines& lines) {
  struct Row {
    std::string key, date, time, kind, description, amount;
  };
  std::vector<Row> rows;
  for (const auto& l : lines) {
    const std::string head = GetField(l, kSep4, 1);
    const std::string when = GetField(head, kSep3, 2);
    const std::string description = GetField(l, kSep4, 2);
    Row r;
    r.key = SortKey(when);
    r.date = when.substr(0, std::min<std::size_t>(10, when.size()));
    r.time = when.size() > 11 ? when.substr(11) : "При загрузке";
    r.kind = KindName(GetField(head, kSep3, 1));
    r.description = Cp1251ToUtf8(GetField(description, kSep1, 1));
    r.amount = Cp1251ToUtf8(GetField(description, kSep1, 2));
    rows.push_back(std::move(r));
  }
  std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.key < b.key; });
  for (const auto& r : rows) {
    std::cout << r.date << "  " << r.time << "  " << r.kind << ": " << r.description;
    if (!r.amount.empty()) std::cout << "  " << r.amount;
    std::cout << "\n";
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (std::find(args.begin(), args.end(), "--help") != args.end() ||
      std::find(args.begin(), args.end(), "-h") != args.end()) {
    std::cout << kUsage;
    return 0;
  }
  if (args.empty()) return Fail("a command is needed; see messctl --help");
  if (args[0] != "collect") return Fail("unknown command '" + args[0] + "'; see messctl --help");

  std::string root, user, from, to;
  bool raw = false;
  CollectOptions options;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& target) {
      if (i + 1 >= args.size()) return false;
      target = args[++i];
      return true;
    };
    if (a == "--root") {
      if (!value(root)) return Fail("--root needs a directory");
    } else if (a == "--user") {
      if (!value(user)) return Fail("--user needs a name");
    } else if (a == "--from") {
      if (!value(from)) return Fail("--from needs a date DD.MM.YYYY");
    } else if (a == "--to") {
      if (!value(to)) return Fail("--to needs a date DD.MM.YYYY");
    } else if (a == "--no-journal") {
      options.includeJournal = false;
    } else if (a == "--autodel") {
      options.autoDelete = true;
    } else if (a == "--raw") {
      raw = true;
    } else {
      return Fail("unknown option '" + a + "'; see messctl --help");
    }
  }
  if (root.empty()) return Fail("--root is needed");
  auto parseDate = [](const std::string& text, DateTime& d) {
    if (text.size() != 10 || text[2] != '.' || text[5] != '.' || !IsValidDateText(text))
      return false;
    const DateTime today = static_cast<double>(Today());
    d = TextToDate(text);
    // TextToDate reads an invalid date as today; accept today only when typed.
    return d != today || DateToText(today) == text;
  };
  DateTime first = static_cast<double>(Today()), last;
  if (!from.empty() && !parseDate(from, first)) return Fail("not a valid date: '" + from + "'");
  last = first;
  if (!to.empty() && !parseDate(to, last)) return Fail("not a valid date: '" + to + "'");
  if (last < first) return Fail("--to lies before --from");

  const std::string cpRoot = shell::NormalizeRoot(Utf8ToCp1251(root));
  std::string cpUser = Utf8ToCp1251(user);
  if (cpUser.empty())
    cpUser = ReadIniString(shell::ShellSettingsFile(cpRoot), shell::kActiveUser.section,
                           shell::kActiveUser.key, "");
  if (cpUser.empty()) return Fail("no user: give --user or set [Users] Active in the root");

  Lines out;
  CollectRange(out, first, last, cpRoot, cpUser, options);
  if (raw) {
    for (const auto& l : out) {
      std::fwrite(l.data(), 1, l.size(), stdout);
      std::fputc('\n', stdout);
    }
  } else {
    PrintReadable(out);
  }
  return 0;
}
