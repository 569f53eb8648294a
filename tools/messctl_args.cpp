#include "tools/messctl_args.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <vector>

#include "engine/money.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "shell/paths.h"
#include "shell/settings_keys.h"

namespace krav::messctl {
namespace {

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

}  // namespace

int Fail(const std::string& message) {
  std::cerr << "messctl: " << message << "\n";
  return 2;
}

int PrintOrSave(const std::string& output, const std::string& text) {
  if (output.empty()) {
    std::cout << text;
    return 0;
  }
  if (!SaveBytes(Utf8ToCp1251(output), text)) {
    std::cerr << "messctl: " << output << " не записан\n";
    return 1;
  }
  return 0;
}

bool NeedsFullProgram(const std::string& name) {
  return name == "report" || name == "export-ics" || name == "import-ics" || name == "sync";
}

int ReadCommand(int argc, char** argv, Command& command) {
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

  Command& c = command;
  c.name = args[0];
  std::string root, user;
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
      if (!value(c.from)) return Fail("после --from нужна дата ДД.ММ.ГГГГ");
    } else if (a == "--to") {
      if (!value(c.to)) return Fail("после --to нужна дата ДД.ММ.ГГГГ");
    } else if (a == "--rate" && args[0] == "report") {
      std::string r;
      if (!value(r) || r.find('=') == std::string::npos) return Fail("после --rate нужно ВАЛЮТА=КУРС");
      const std::string currency = r.substr(0, r.find('=')), rate = r.substr(r.find('=') + 1);
      if (!ReadRate(rate))
        return Fail("--rate " + r + ": курс валюты " + currency + " должен быть числом больше нуля");
      c.rates[Utf8ToCp1251(currency)] = rate;
    } else if (a == "--dry-run" && (args[0] == "import-ics" || args[0] == "sync")) {
      c.dryRun = true;
    } else if (a == "--with-actions" && args[0] == "import-ics") {
      c.withActions = true;
    } else if (args[0] == "import-ics" && !a.empty() && a[0] != '-' && c.input.empty()) {
      c.input = a;
    } else if (a == "--output" && (args[0] == "export-ledger" || args[0] == "export-ics")) {
      if (!value(c.output)) return Fail("после --output нужен файл");
    } else if (a == "--no-journal" && args[0] == "collect") {
      c.options.includeJournal = false;
    } else if (a == "--autodel" && args[0] == "collect") {
      c.options.autoDelete = true;
    } else if (a == "--raw" && args[0] == "collect") {
      c.raw = true;
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
  if ((args[0] == "balances" || args[0] == "report") && (c.from.empty() || c.to.empty()))
    return Fail(args[0] + ": нужны --from и --to");
  auto parseDate = [](const std::string& text, DateTime& d) {
    const Reading<DayNumber> day = ReadDay(text);
    if (day) d = static_cast<double>(*day);
    return day.value.has_value();
  };
  c.first = static_cast<double>(Today());
  if (!c.from.empty() && !parseDate(c.from, c.first)) return Fail("неверная дата: «" + c.from + "»");
  c.last = c.first;
  if (!c.to.empty() && !parseDate(c.to, c.last)) return Fail("неверная дата: «" + c.to + "»");
  if (c.last < c.first && !(args[0] == "export-ledger" && c.from.empty())) return Fail("--to раньше, чем --from");

  // Paths are cp1251 texts: a letter outside the code page would name another folder.
  for (const std::string* text : {&root, &user})
    if (const std::string letter = FirstCharOutsideCp1251(*text); !letter.empty())
      return Fail("в «" + *text + "» есть буква «" + letter + "», которой нет в кодировке 1251");
  c.root = shell::NormalizeRoot(Utf8ToCp1251(root));
  if (!DirExists(c.root)) return Fail("нет корневой папки «" + root + "»");
  c.user = Utf8ToCp1251(user);
  if (c.user.empty())
    c.user =
        ReadIniString(shell::ShellSettingsFile(c.root), shell::kActiveUser.section, shell::kActiveUser.key, "");
  if (c.user.empty()) return Fail("не указан пользователь: задайте --user или [Users] Active в корневой папке");
  if (!DirExists(shell::DataDir(c.root, c.user)))
    return Fail("нет пользователя «" + Cp1251ToUtf8(c.user) + "» в " + root + " (нет папки " +
                FsPath(shell::DataDir(c.root, c.user)) + ")");
  return -1;
}

}  // namespace krav::messctl
