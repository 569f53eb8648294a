// messctl: the planner's range collection from the command line.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include <QApplication>
#include <map>
#include <memory>
#include <set>

#include "accounting/balances.h"
#include "accounting/ledger_export.h"
#include "accounting/pie_chart.h"
#include "accounting/report.h"
#include "engine/collect.h"
#include "engine/dates.h"
#include "engine/money.h"
#include "engine/store.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "shell/paths.h"
#include "shell/settings_keys.h"
#include "tools/ics.h"

namespace {

using namespace krav;

constexpr const char* kUsage =
    "Usage: messctl collect --root DIR [--user NAME] [--from DD.MM.YYYY] [--to DD.MM.YYYY]\n"
    "                       [--no-journal] [--autodel] [--raw]\n"
    "       messctl balances --root DIR [--user NAME] --from DD.MM.YYYY --to DD.MM.YYYY\n"
    "       messctl report --root DIR [--user NAME] --from DD.MM.YYYY --to DD.MM.YYYY\n"
    "                      [--rate CURRENCY=VALUE ...]\n"
    "       messctl export-ledger --root DIR [--user NAME] [--from DATE] [--to DATE] [--output FILE]\n"
    "       messctl export-ics --root DIR [--user NAME] [--output FILE]\n"
    "       messctl import-ics --root DIR [--user NAME] FILE [--dry-run] [--with-actions]\n"
    "\n"
    "collect lists the occurrences of a user's records on a range of days, as the planner\n"
    "does. balances prints, one account a line and tab-separated, the name, currency, type,\n"
    "opening balance, income, expense and closing balance of the period, as the accounting\n"
    "page computes them (the month balance files are brought up to date on the way).\n"
    "report writes the accounting report DIR/Temp/buh.htm; each --rate answers the question\n"
    "for a currency's rate (a number above zero), and a rate not given answers as a cancel.\n"
    "\n"
    "export-ics writes the reminders and actions as an iCalendar file (UTF-8, CRLF), one\n"
    "VEVENT with its RRULE and an alarm each. import-ics adds the events of a calendar that\n"
    "map exactly onto records; the others are named on standard error. Events of our own\n"
    "export come back as their records; actions only with --with-actions (a calendar from\n"
    "elsewhere never makes an action that starts a program).\n"
    "\n"
    "export-ledger writes the operations as a journal for ledger-cli and hledger (UTF-8):\n"
    "accounts grouped by type, each account's currency as its commodity, a \"[Нет]\" side\n"
    "as the account \"Вне учёта\"; by default from [Buh] FirstDate to today.\n"
    "\n"
    "Exit status: 0 done, 1 a file could not be read or written, 2 a bad argument (a\n"
    "missing root directory or user included), 3 the report lacks a currency rate.\n"
    "\n"
    "  --root DIR       the shell's root directory\n"
    "  --user NAME      the user (default: [Users] Active of DIR/krav2000.ini)\n"
    "  --from DATE      the first day (default: today)\n"
    "  --to DATE        the last day (default: the first day)\n"
    "  --no-journal     leave out the diary entries and accounting operations\n"
    "  --autodel        move outdated records to the trash, as automatic removal does\n"
    "  --raw            print the occurrence lines exactly as collected, a month at a time\n"
    "                   (cp1251 bytes)\n"
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
  const std::string date = StoredDate(WhenDate(when));
  if (date.size() != 10) return when;
  return date.substr(6, 4) + date.substr(3, 2) + date.substr(0, 2) + " " + std::string(WhenTime(when));
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
    r.date = WhenDate(when);
    r.time = WhenTime(when).empty() ? "При загрузке" : std::string(WhenTime(when));
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

int PrintBalances(const accounting::Ledger& ledger, DateTime first, DateTime last) {
  using namespace accounting;
  BalanceTable table;
  std::string error;
  if (!ComputeBalances(ledger, last, first, table, &error)) {
    std::cerr << "messctl: the balances could not be computed: " << Cp1251ToUtf8(error) << "\n";
    return 1;
  }
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    const auto& col = table.columns[c];
    const BalanceTable::Totals totals = table.totals(c);
    std::cout << Cp1251ToUtf8(col.name) << "\t" << Cp1251ToUtf8(col.currency) << "\t" << Cp1251ToUtf8(col.type)
              << "\t" << MoneyText(totals.opening) << "\t" << MoneyText(totals.income) << "\t"
              << MoneyText(totals.expense) << "\t" << MoneyText(totals.closing) << "\n";
  }
  return 0;
}

int ExportIcs(const std::string& dataDir, const std::string& output) {
  Lines store;
  std::string bytes;
  if (!LoadBytesForUpdate(shell::StoreFile(dataDir), bytes)) {
    std::cerr << "messctl: " << FsPath(shell::StoreFile(dataDir)) << " cannot be read\n";
    return 1;
  }
  ForEachLine(bytes, [&](std::string_view l) { store.emplace_back(l); });
  std::vector<std::string> notes;
  const std::string calendar = ics::ExportCalendar(store, notes);
  for (const auto& n : notes) std::cerr << "messctl: " << n << "\n";
  if (output.empty()) {
    std::cout << calendar;
    return 0;
  }
  if (!SaveBytes(Utf8ToCp1251(output), calendar)) {
    std::cerr << "messctl: " << output << " could not be written\n";
    return 1;
  }
  return 0;
}

int ImportIcs(const std::string& dataDir, const std::string& file, bool dryRun, bool withActions) {
  std::string text;
  if (!LoadBytes(Utf8ToCp1251(file), text)) return Fail("cannot read '" + file + "'");
  ics::Imported imported;
  std::string error;
  if (!ics::ImportCalendar(text, withActions, imported, error)) return Fail(file + ": " + error);
  for (const auto& s : imported.skipped) std::cerr << "messctl: skipped " << s << "\n";
  // Records already in the store are not added twice: the check and the
  // append are one locked update, so imports at once add each record once.
  Lines added;
  int already = 0;
  auto merge = [&](Lines& store) {
    std::set<std::string> present(store.begin(), store.end());
    added.clear();
    already = 0;
    for (const auto& r : imported.records) {
      if (present.insert(r).second) added.push_back(r);
      else ++already;
    }
    if (dryRun || added.empty()) return false;
    store.insert(store.end(), added.begin(), added.end());
    return true;
  };
  if (!UpdateLines(dataDir, shell::StoreFile(dataDir), merge)) {
    std::cerr << "messctl: " << FsPath(shell::StoreFile(dataDir)) << " could not be read or written\n";
    return 1;
  }
  // Each action added names the program and arguments it will start.
  for (const auto& a : imported.actions)
    if (std::find(added.begin(), added.end(), a.record) != added.end())
      std::cout << (dryRun ? "would run: " : "will run: ") << a.description << "\n";
  std::cout << (dryRun ? "would add " : "added ") << added.size() << ", skipped " << imported.skipped.size()
            << ", already present " << already << "\n";
  return 0;
}

int ExportLedger(const accounting::Ledger& ledger, DateTime first, DateTime last, const std::string& output) {
  int skipped = 0;
  std::vector<std::string> renamed;
  const std::string text = accounting::ExportPlainTextJournal(ledger, first, last, &skipped, &renamed);
  for (const auto& r : renamed) std::cerr << "messctl: " << r << "\n";
  if (skipped > 0)
    std::cerr << "messctl: " << skipped << " operation(s) with an amount beyond a thousand billion left out\n";
  if (output.empty()) {
    std::cout << text;
    return 0;
  }
  if (!SaveBytes(Utf8ToCp1251(output), text)) {
    std::cerr << "messctl: " << output << " could not be written\n";
    return 1;
  }
  return 0;
}

// Rates given on the command line; any other question is cancelled.
struct PresetRates : accounting::Questions {
  const std::map<std::string, std::string>& rates;
  explicit PresetRates(const std::map<std::string, std::string>& r) : rates(r) {}
  bool createExampleData() override { return false; }
  std::optional<std::string> askRate(const std::string& currency, const std::string&,
                                     const std::string&) override {
    auto it = rates.find(currency);
    if (it == rates.end()) return std::nullopt;
    return it->second;
  }
};

int WriteReport(const accounting::Ledger& ledger, DateTime first, DateTime last,
                const std::map<std::string, std::string>& rates) {
  using namespace accounting;
  PresetRates questions(rates);
  std::unique_ptr<QApplication> app;
  auto chart = [&](const std::vector<PieSlice>& slices, const std::string& path) {
    if (!QCoreApplication::instance()) {
      if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
      static int argc = 1;
      static char name[] = "messctl";
      static char* argv[] = {name, nullptr};
      app = std::make_unique<QApplication>(argc, argv);
    }
    return SavePieChart(slices, path);
  };
  switch (BuildAccountingReport(ledger, first, last, questions, chart)) {
    case ReportResult::Written: std::cout << FsPath(shell::ReportFile(ledger.root)) << "\n"; return 0;
    case ReportResult::Cancelled:
      std::cerr << "messctl: a currency rate was not given; the report is incomplete\n";
      return 3;
    case ReportResult::Failed: break;
  }
  std::cerr << "messctl: the report could not be written\n";
  return 1;
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
  if (args[0] != "collect" && args[0] != "balances" && args[0] != "report" && args[0] != "export-ledger" &&
      args[0] != "export-ics" && args[0] != "import-ics")
    return Fail("unknown command '" + args[0] + "'; see messctl --help");

  std::string root, user, from, to, output, input;
  bool raw = false, dryRun = false, withActions = false;
  std::map<std::string, std::string> rates;
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
    } else if (a == "--rate" && args[0] == "report") {
      std::string r;
      if (!value(r) || r.find('=') == std::string::npos) return Fail("--rate needs CURRENCY=VALUE");
      const std::string currency = r.substr(0, r.find('=')), rate = r.substr(r.find('=') + 1);
      if (!ReadRate(rate))
        return Fail("--rate " + r + ": the rate of " + currency + " must be a positive number");
      rates[Utf8ToCp1251(currency)] = rate;
    } else if (a == "--dry-run" && args[0] == "import-ics") {
      dryRun = true;
    } else if (a == "--with-actions" && args[0] == "import-ics") {
      withActions = true;
    } else if (args[0] == "import-ics" && !a.empty() && a[0] != '-' && input.empty()) {
      input = a;
    } else if (a == "--output" && (args[0] == "export-ledger" || args[0] == "export-ics")) {
      if (!value(output)) return Fail("--output needs a file");
    } else if (a == "--no-journal" && args[0] == "collect") {
      options.includeJournal = false;
    } else if (a == "--autodel" && args[0] == "collect") {
      options.autoDelete = true;
    } else if (a == "--raw" && args[0] == "collect") {
      raw = true;
    } else {
      return Fail("unknown option '" + a + "'; see messctl --help");
    }
  }
  if (root.empty()) return Fail("--root is needed");
  if ((args[0] == "balances" || args[0] == "report") && (from.empty() || to.empty()))
    return Fail(args[0] + " needs --from and --to");
  auto parseDate = [](const std::string& text, DateTime& d) {
    const Reading<DayNumber> day = ReadDay(text);
    if (day) d = static_cast<double>(*day);
    return day.value.has_value();
  };
  DateTime first = static_cast<double>(Today()), last;
  if (!from.empty() && !parseDate(from, first)) return Fail("not a valid date: '" + from + "'");
  last = first;
  if (!to.empty() && !parseDate(to, last)) return Fail("not a valid date: '" + to + "'");
  if (last < first && !(args[0] == "export-ledger" && from.empty())) return Fail("--to lies before --from");

  // Paths are cp1251 texts: a letter outside the code page would name another folder.
  for (const std::string* text : {&root, &user})
    if (const std::string letter = FirstCharOutsideCp1251(*text); !letter.empty())
      return Fail("'" + *text + "' has the letter \"" + letter + "\", which code page 1251 lacks");
  const std::string cpRoot = shell::NormalizeRoot(Utf8ToCp1251(root));
  if (!DirExists(cpRoot)) return Fail("no root directory '" + root + "'");
  std::string cpUser = Utf8ToCp1251(user);
  if (cpUser.empty())
    cpUser =
        ReadIniString(shell::ShellSettingsFile(cpRoot), shell::kActiveUser.section, shell::kActiveUser.key, "");
  if (cpUser.empty()) return Fail("no user: give --user or set [Users] Active in the root");
  if (!DirExists(shell::DataDir(cpRoot, cpUser)))
    return Fail("no user '" + Cp1251ToUtf8(cpUser) + "' in " + root + " (no folder " +
                FsPath(shell::DataDir(cpRoot, cpUser)) + ")");

  if (args[0] == "balances") return PrintBalances({cpRoot, cpUser}, first, last);
  if (args[0] == "export-ics") return ExportIcs(shell::DataDir(cpRoot, cpUser), output);
  if (args[0] == "import-ics") {
    if (input.empty()) return Fail("import-ics needs the calendar file");
    return ImportIcs(shell::DataDir(cpRoot, cpUser), input, dryRun, withActions);
  }
  if (args[0] == "export-ledger") {
    const accounting::Ledger ledger{cpRoot, cpUser};
    // By default everything from the first operation ever entered up to today.
    if (from.empty()) {
      const Reading<DayNumber> firstDate = ReadDay(
          ReadIniString(ledger.settingsFile(), accounting::kBuhSection, accounting::kFirstDateKey, ""));
      first = static_cast<double>(firstDate ? *firstDate : Today());
    }
    if (to.empty()) last = std::max(first, static_cast<double>(Today()));
    return ExportLedger(ledger, first, last, output);
  }
  if (args[0] == "report") return WriteReport({cpRoot, cpUser}, first, last, rates);

  // A month at a time, so that the memory stays bounded however long the range.
  Lines out;
  for (DayNumber from = DayOf(first), end = DayOf(last); from <= end;) {
    const DayNumber monthEnd = std::min<DayNumber>(end, DayOf(LastDayOfMonth(static_cast<double>(from))));
    if (!CollectRange(out, static_cast<double>(from), static_cast<double>(monthEnd), cpRoot, cpUser, options)) {
      std::cerr << "messctl: a record file of " << FsPath(shell::DataDir(cpRoot, cpUser))
                << " exists but cannot be read\n";
      return 1;
    }
    // Outdated means before the whole range: only the first month may remove.
    options.autoDelete = false;
    if (raw) {
      for (const auto& l : out) {
        std::fwrite(l.data(), 1, l.size(), stdout);
        std::fputc('\n', stdout);
      }
    } else {
      PrintReadable(out);
    }
    std::fflush(stdout);
    from = monthEnd + 1;
  }
  return 0;
}
