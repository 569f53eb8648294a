// messctl: the planner's range collection from the command line.
#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <map>
#include <memory>
#include <set>

#include "accounting/balances.h"
#include "accounting/ledger_export.h"
#include "accounting/report.h"
#include "app/chart/pie_chart.h"
#include "engine/collect.h"
#include "engine/dates.h"
#include "engine/money.h"
#include "engine/store.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "shell/paths.h"
#include "shell/settings_keys.h"
#include "sync/pass.h"
#include "sync/settings.h"
#include "tools/ics.h"
#include "tools/listing.h"

namespace {

using namespace krav;

constexpr const char* kUsage =
    "Вызов: messctl collect [--root ПАПКА] [--user ИМЯ] [--from ДД.ММ.ГГГГ] [--to ДД.ММ.ГГГГ]\n"
    "                       [--no-journal] [--autodel] [--raw]\n"
    "       messctl balances [--root ПАПКА] [--user ИМЯ] --from ДД.ММ.ГГГГ --to ДД.ММ.ГГГГ\n"
    "       messctl report [--root ПАПКА] [--user ИМЯ] --from ДД.ММ.ГГГГ --to ДД.ММ.ГГГГ\n"
    "                      [--rate ВАЛЮТА=КУРС ...]\n"
    "       messctl export-ledger [--root ПАПКА] [--user ИМЯ] [--from ДАТА] [--to ДАТА] [--output ФАЙЛ]\n"
    "       messctl export-ics [--root ПАПКА] [--user ИМЯ] [--output ФАЙЛ]\n"
    "       messctl import-ics [--root ПАПКА] [--user ИМЯ] ФАЙЛ [--dry-run] [--with-actions]\n"
    "       messctl sync [--root ПАПКА] [--user ИМЯ] [--dry-run]\n"
    "\n"
    "collect перечисляет, как планировщик, записи пользователя на днях периода.\n"
    "balances печатает по строке на счёт, через табуляцию: название, валюту, тип,\n"
    "остаток на начало периода, приход, расход и остаток на конец, как их считает\n"
    "страница бухгалтерии (файлы остатков по месяцам при этом обновляются).\n"
    "report пишет отчёт бухгалтерии в ПАПКА/Temp/buh.htm; каждый --rate отвечает на\n"
    "вопрос о курсе валюты (число больше нуля, с точкой или запятой), а курс, который\n"
    "не задан, считается отменой.\n"
    "\n"
    "export-ics пишет напоминания и действия в файл iCalendar (UTF-8, CRLF): по событию\n"
    "VEVENT с правилом RRULE и сигналом на запись. import-ics добавляет события календаря,\n"
    "которые точно ложатся на записи; остальные называются в потоке ошибок. События нашей\n"
    "собственной выгрузки возвращаются своими записями; действия — только с --with-actions\n"
    "(календарь со стороны никогда не создаёт действие, запускающее программу).\n"
    "\n"
    "export-ledger пишет операции журналом для ledger-cli и hledger (UTF-8): счета по\n"
    "типам, валюта счёта — его товар, сторона «[Нет]» — счёт «Вне учёта»; по умолчанию\n"
    "с даты [Buh] FirstDate по сегодня.\n"
    "\n"
    "sync проходит один раз в обе стороны между напоминаниями и календарём CalDAV из\n"
    "[Sync] Url настроек пользователя (Login там же, пароль — в файле sync.pass папки\n"
    "пользователя с правами 600) и печатает строку итога; с --dry-run только считает.\n"
    "Для sync код 1 — сервер недоступен или отказал (здесь ничего не изменилось).\n"
    "\n"
    "Код выхода: 0 — сделано, 1 — файл не прочитан или не записан, 2 — неверный аргумент\n"
    "(в том числе нет корневой папки или пользователя), 3 — в отчёте не хватает курса валюты.\n"
    "\n"
    "  --root ПАПКА     корневая папка оболочки (по умолчанию — папка самой messctl)\n"
    "  --user ИМЯ       пользователь (по умолчанию — [Users] Active из ПАПКА/krav2000.ini)\n"
    "  --from ДАТА      первый день (по умолчанию — сегодня)\n"
    "  --to ДАТА        последний день (по умолчанию — первый)\n"
    "  --no-journal     без записей дневника и бухгалтерских операций\n"
    "  --autodel        перенести устаревшие записи в корзину, как автоудаление\n"
    "  --raw            печатать строки записей как они собраны, по месяцу за раз\n"
    "                   (байты cp1251)\n"
    "  --help           эта справка\n";

int Fail(const std::string& message) {
  std::cerr << "messctl: " << message << "\n";
  return 2;
}

int PrintBalances(const accounting::Ledger& ledger, DateTime first, DateTime last) {
  using namespace accounting;
  std::vector<AccountBalance> accounts;
  std::string error;
  if (!ComputeBalanceTotals(ledger, last, first, accounts, &error)) {
    std::cerr << "messctl: остатки не посчитаны. " << Cp1251ToUtf8(error) << "\n";
    return 1;
  }
  for (const auto& [col, totals] : accounts) {
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
    std::cerr << "messctl: " << FsPath(shell::StoreFile(dataDir)) << " не читается\n";
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
    std::cerr << "messctl: " << output << " не записан\n";
    return 1;
  }
  return 0;
}

int ImportIcs(const std::string& dataDir, const std::string& file, bool dryRun, bool withActions) {
  std::string text;
  if (!LoadBytes(Utf8ToCp1251(file), text)) return Fail("не читается «" + file + "»");
  ics::Imported imported;
  std::string error;
  if (!ics::ImportCalendar(text, withActions, imported, error)) return Fail(file + ": " + error);
  for (const auto& s : imported.skipped) std::cerr << "messctl: пропущено " << s << "\n";
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
    std::cerr << "messctl: " << FsPath(shell::StoreFile(dataDir)) << " не прочитан или не записан\n";
    return 1;
  }
  // Each action added names the program and arguments it will start.
  for (const auto& a : imported.actions)
    if (std::find(added.begin(), added.end(), a.record) != added.end())
      std::cout << (dryRun ? "запускало бы: " : "будет запускать: ") << a.description << "\n";
  std::cout << (dryRun ? "добавилось бы " : "добавлено ") << added.size() << ", пропущено "
            << imported.skipped.size() << ", уже были " << already << "\n";
  return 0;
}

int ExportLedger(const accounting::Ledger& ledger, DateTime first, DateTime last, const std::string& output) {
  int skipped = 0;
  std::vector<std::string> renamed;
  const std::string text = accounting::ExportPlainTextJournal(ledger, first, last, &skipped, &renamed);
  for (const auto& r : renamed) std::cerr << "messctl: " << r << "\n";
  if (skipped > 0)
    std::cerr << "messctl: " << skipped << " операций с суммой больше тысячи миллиардов не выгружено\n";
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
  // The chart's labels need a font: a QGuiApplication, offscreen, no widgets.
  std::unique_ptr<QGuiApplication> app;
  auto chart = [&](const std::vector<PieSlice>& slices, const std::string& path) {
    if (!QCoreApplication::instance()) {
      if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
      static int argc = 1;
      static char name[] = "messctl";
      static char* argv[] = {name, nullptr};
      app = std::make_unique<QGuiApplication>(argc, argv);
    }
    return app::SavePieChart(slices, path);
  };
  switch (BuildAccountingReport(ledger, first, last, questions, chart)) {
    case ReportResult::Written: std::cout << FsPath(shell::ReportFile(ledger.root)) << "\n"; return 0;
    case ReportResult::Cancelled: std::cerr << "messctl: курс валюты не задан; отчёт неполный\n"; return 3;
    case ReportResult::Failed: break;
  }
  std::cerr << "messctl: отчёт не записан\n";
  return 1;
}

int Synchronise(const std::string& root, const std::string& user, bool dryRun) {
  const std::string dir = shell::DataDir(root, user);
  sync::SyncSettings settings;
  std::string error, password;
  if (!sync::ReadSyncSettings(dir, settings, error)) return Fail(error);
  if (settings.url.empty())
    return Fail("не задан календарь: [Sync] Url в " + FsPath(shell::UserSettingsFile(dir)));
  if (!sync::ReadSyncPassword(dir, settings, password, error)) return Fail(error);
  const sync::PassResult r = sync::RunPass(root, user, settings, password, dryRun);
  for (const auto& note : r.notes) std::cerr << "messctl: " << note << "\n";
  if (r.status != sync::PassResult::Done) {
    std::cerr << "messctl: синхронизация не завершена: " << r.error << "\n";
    return 1;
  }
  std::cout << (dryRun ? "было бы " : "") << sync::SummaryLine(r.counts) << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (std::find(args.begin(), args.end(), "--help") != args.end() ||
      std::find(args.begin(), args.end(), "-h") != args.end()) {
    std::cout << kUsage;
    return 0;
  }
  if (args.empty()) return Fail("нужна команда; см. messctl --help");
  if (args[0] != "collect" && args[0] != "balances" && args[0] != "report" && args[0] != "export-ledger" &&
      args[0] != "export-ics" && args[0] != "import-ics" && args[0] != "sync")
    return Fail("неизвестная команда «" + args[0] + "»; см. messctl --help");

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
      if (!value(root)) return Fail("после --root нужна папка");
    } else if (a == "--user") {
      if (!value(user)) return Fail("после --user нужно имя");
    } else if (a == "--from") {
      if (!value(from)) return Fail("после --from нужна дата ДД.ММ.ГГГГ");
    } else if (a == "--to") {
      if (!value(to)) return Fail("после --to нужна дата ДД.ММ.ГГГГ");
    } else if (a == "--rate" && args[0] == "report") {
      std::string r;
      if (!value(r) || r.find('=') == std::string::npos) return Fail("после --rate нужно ВАЛЮТА=КУРС");
      const std::string currency = r.substr(0, r.find('=')), rate = r.substr(r.find('=') + 1);
      if (!ReadRate(rate))
        return Fail("--rate " + r + ": курс валюты " + currency + " должен быть числом больше нуля");
      rates[Utf8ToCp1251(currency)] = rate;
    } else if (a == "--dry-run" && (args[0] == "import-ics" || args[0] == "sync")) {
      dryRun = true;
    } else if (a == "--with-actions" && args[0] == "import-ics") {
      withActions = true;
    } else if (args[0] == "import-ics" && !a.empty() && a[0] != '-' && input.empty()) {
      input = a;
    } else if (a == "--output" && (args[0] == "export-ledger" || args[0] == "export-ics")) {
      if (!value(output)) return Fail("после --output нужен файл");
    } else if (a == "--no-journal" && args[0] == "collect") {
      options.includeJournal = false;
    } else if (a == "--autodel" && args[0] == "collect") {
      options.autoDelete = true;
    } else if (a == "--raw" && args[0] == "collect") {
      raw = true;
    } else {
      return Fail("неизвестный параметр «" + a + "»; см. messctl --help");
    }
  }
  // By default the root is the folder of messctl itself, as for mess.
  if (root.empty()) {
    std::error_code ec;
    root = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().string();
    if (root.empty()) return Fail("не найдена папка программы; задайте --root");
  }
  if ((args[0] == "balances" || args[0] == "report") && (from.empty() || to.empty()))
    return Fail(args[0] + " needs --from and --to");
  auto parseDate = [](const std::string& text, DateTime& d) {
    const Reading<DayNumber> day = ReadDay(text);
    if (day) d = static_cast<double>(*day);
    return day.value.has_value();
  };
  DateTime first = static_cast<double>(Today()), last;
  if (!from.empty() && !parseDate(from, first)) return Fail("неверная дата: «" + from + "»");
  last = first;
  if (!to.empty() && !parseDate(to, last)) return Fail("неверная дата: «" + to + "»");
  if (last < first && !(args[0] == "export-ledger" && from.empty())) return Fail("--to раньше, чем --from");

  // Paths are cp1251 texts: a letter outside the code page would name another folder.
  for (const std::string* text : {&root, &user})
    if (const std::string letter = FirstCharOutsideCp1251(*text); !letter.empty())
      return Fail("в «" + *text + "» есть буква «" + letter + "», которой нет в кодировке 1251");
  const std::string cpRoot = shell::NormalizeRoot(Utf8ToCp1251(root));
  if (!DirExists(cpRoot)) return Fail("нет корневой папки «" + root + "»");
  std::string cpUser = Utf8ToCp1251(user);
  if (cpUser.empty())
    cpUser =
        ReadIniString(shell::ShellSettingsFile(cpRoot), shell::kActiveUser.section, shell::kActiveUser.key, "");
  if (cpUser.empty()) return Fail("не указан пользователь: задайте --user или [Users] Active в корневой папке");
  if (!DirExists(shell::DataDir(cpRoot, cpUser)))
    return Fail("нет пользователя «" + Cp1251ToUtf8(cpUser) + "» в " + root + " (нет папки " +
                FsPath(shell::DataDir(cpRoot, cpUser)) + ")");

  if (args[0] == "balances") return PrintBalances({cpRoot, cpUser}, first, last);
  if (args[0] == "export-ics") return ExportIcs(shell::DataDir(cpRoot, cpUser), output);
  if (args[0] == "import-ics") {
    if (input.empty()) return Fail("import-ics нужен файл календаря");
    return ImportIcs(shell::DataDir(cpRoot, cpUser), input, dryRun, withActions);
  }
  if (args[0] == "export-ledger") {
    const accounting::Ledger ledger{cpRoot, cpUser};
    // By default everything from the first operation ever entered up to today.
    if (from.empty()) {
      const Reading<DayNumber> firstDate =
          ReadDay(ReadIniString(ledger.settingsFile(), accounting::kBuhSection, accounting::kFirstDateKey, ""));
      first = static_cast<double>(firstDate ? *firstDate : Today());
    }
    if (to.empty()) last = std::max(first, static_cast<double>(Today()));
    return ExportLedger(ledger, first, last, output);
  }
  if (args[0] == "report") return WriteReport({cpRoot, cpUser}, first, last, rates);
  if (args[0] == "sync") return Synchronise(cpRoot, cpUser, dryRun);

  // A month at a time, so that the memory stays bounded however long the range.
  Occurrences out;
  for (DayNumber from = DayOf(first), end = DayOf(last); from <= end;) {
    const DayNumber monthEnd = std::min<DayNumber>(end, DayOf(LastDayOfMonth(static_cast<double>(from))));
    if (!CollectOccurrences(out, static_cast<double>(from), static_cast<double>(monthEnd), cpRoot, cpUser,
                            options)) {
      std::cerr << "messctl: файл записей в " << FsPath(shell::DataDir(cpRoot, cpUser)) << " не читается\n";
      return 1;
    }
    // Outdated means before the whole range: only the first month may remove.
    options.autoDelete = false;
    if (raw) {
      PrintLines(out);
    } else {
      PrintReadable(out);
    }
    std::fflush(stdout);
    from = monthEnd + 1;
  }
  return 0;
}
