#include "app/logic/record_editor.h"

#include <tuple>

#include "accounting/ledger_files.h"
#include "engine/dates.h"
#include "engine/money.h"
#include "engine/store.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "shell/paths.h"
#include "shell/settings_keys.h"

namespace krav::app {
namespace {

std::string ValueOf(const std::string& iniLine) {
  const std::size_t eq = iniLine.find('=');
  return eq == std::string::npos ? std::string() : iniLine.substr(eq + 1);
}

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  SplitByChar(text, parts, sep);
  return parts;
}

std::string NormalDate(const std::string& text) { return StoredDate(text); }
std::string NormalTime(const std::string& text) { return StoredTime(text); }

// The file-name part of a program path: after the last "/", "\" or ":".
std::string FileNamePart(const std::string& path) {
  const std::size_t at = path.find_last_of("/\\:");
  return at == std::string::npos ? path : path.substr(at + 1);
}

std::string Join(std::initializer_list<std::string_view> fields) { return JoinFields(fields, kSep3); }

}  // namespace

std::string CommandItem::text() const { return std::to_string(iconIndex) + kSep1 + element; }
std::string CommandItem::title() const { return GetField(element, ',', 1); }

std::vector<CommandItem> BuildCommandList(const std::string& root, const std::string& userSettingsFile) {
  const std::string programs = shell::ProgramsFile(root);
  const Lines filter = ReadIniSection(userSettingsFile, shell::kTreeSection);
  Lines modules = ReadIniSection(programs, shell::kTreeSection);
  for (auto& l : ReadIniSection(programs, shell::kCompsSection)) modules.push_back(std::move(l));

  std::vector<CommandItem> items;
  int icons = 0;
  auto addKey = [&](const std::string& key) {
    if (key.empty()) return;
    bool allowed = filter.empty();
    for (const auto& f : filter)
      for (const auto& e : Split(ValueOf(f), ';')) allowed = allowed || e == key;
    if (!allowed) return;
    const std::string value = ReadIniString(programs, shell::kHotKeysSection, key, "");
    if (value.empty()) return;
    for (const auto& element : Split(value, ';')) {
      CommandItem item;
      item.element = element;
      const std::string icon = GetField(element, ',', 2);
      if (!icon.empty() && FileExists(shell::CommandIconFile(root, icon))) {
        item.iconFile = shell::CommandIconFile(root, icon);
        item.iconIndex = icons++;
      }
      items.push_back(std::move(item));
    }
  };
  for (const auto& line : modules) {
    const std::vector<std::string> elements = Split(ValueOf(line), ';');
    for (std::size_t i = 0; i < elements.size(); ++i) addKey(i == 0 ? elements[i] : GetField(elements[i], ',', 2));
  }
  return items;
}

EditorState OpenRecord(const std::string& line, bool editable, const std::vector<CommandItem>& commands) {
  EditorState s;
  if (line.empty()) return s;
  s.mode = editable ? EditorMode::Edit : EditorMode::View;
  const std::string kind = GetField(line, kSep3, 1);
  s.kind = kind == "2" ? 2 : kind == "3" ? 3 : kind == "4" ? 4 : 1;
  switch (s.kind) {
    case 1:
      s.text = GetField(line, kSep3, 4);
      s.date = GetField(line, kSep3, 2);
      s.time = GetField(line, kSep3, 3);
      break;
    case 2:
      s.comment = GetField(line, kSep3, 6);
      s.amount = GetField(line, kSep3, 7);
      s.operationDate = GetField(line, kSep3, 2);
      s.operationTime = GetField(line, kSep3, 3);
      s.openedOperation = GetField(line, kSep3, 5);
      break;
    default: {
      s.reminderText = GetField(line, kSep3, 3);
      LoadSchedule(s.recurrence, GetField(line, kSep3, 2));
      if (s.kind == 4) {
        const std::string action = GetField(line, kSep3, 4);
        s.runProgram = GetField(action, kSep2, 1) == "P";
        if (s.runProgram) {
          s.programPath = GetField(action, kSep2, 2);
        } else {
          const std::string stored = GetField(action, kSep2, 2);
          for (std::size_t i = 0; i < commands.size(); ++i)
            if (commands[i].text() == stored) s.command = static_cast<int>(i);
        }
      }
      break;
    }
  }
  (void)StepForward(s);
  s.nextEnabled = true;  // "Дальше" and "Закрыть " are enabled after the first step
  return s;
}

std::string StepForward(EditorState& s) {
  const bool view = s.mode == EditorMode::View;
  if (s.page == kKindPage) {
    s.backEnabled = true;
    DefaultWeekday(s.recurrence);
    if (s.kind == 1 || s.kind == 2) {
      s.page = s.kind == 1 ? kSimplePage : kOperationPage;
      s.nextEnabled = false;
      s.doneEnabled = !view;
    } else {
      s.page = kRecurrencePage;
    }
    return {};
  }
  if (s.page == kRecurrencePage) {
    const std::string message = CheckRecurrence(s.recurrence);
    if (!message.empty()) return message;
    s.page = kReminderPage;
    s.nextEnabled = false;
    s.doneEnabled = !view;
  }
  return {};
}

void StepBack(EditorState& s) {
  s.doneEnabled = false;
  switch (s.page) {
    case kRecurrencePage:
      s.backEnabled = false;
      s.page = kKindPage;
      break;
    case kSimplePage:
    case kOperationPage:
      s.page = kKindPage;
      s.backEnabled = false;
      s.nextEnabled = true;
      break;
    case kReminderPage:
      s.page = kRecurrencePage;
      s.nextEnabled = true;
      break;
    default: break;
  }
}

bool HasUnsavedInput(const EditorState& opened, const EditorState& now) {
  if (now.mode == EditorMode::View) return false;
  auto content = [](const EditorState& s) {
    return std::tie(s.kind, s.text, s.date, s.time, s.recurrence, s.reminderText, s.runProgram, s.programPath,
                    s.command, s.operation, s.comment, s.amount, s.operationDate, s.operationTime);
  };
  return content(opened) != content(now);
}

CloseQuestion UnsavedQuestion() {
  return {Ru("Запись не сохранена"), Ru("Сохранить изменения?"), Ru("Да"), Ru("Нет"), Ru("Отмена")};
}

CloseChoice CloseChoiceOf(int reply) {
  if (reply == kCloseSave) return CloseChoice::Save;
  if (reply == kCloseDiscard) return CloseChoice::Discard;
  return CloseChoice::Stay;
}

int ReselectOperation(const Lines& operations, const std::string& remembered) {
  for (std::size_t i = 0; i < operations.size(); ++i)
    if (operations[i] == remembered) return static_cast<int>(i);
  return -1;
}

std::string CheckForSave(const EditorState& s, const Lines& operations) {
  switch (s.page) {
    case kSimplePage:
      if (!IsValidDateText(s.date)) return Ru("Вы неправильно указали дату записи !");
      if (!IsValidTimeText(s.time)) return Ru("Вы неправильно указали время записи !");
      if (RecordSafeText(s.text).empty()) return Ru("Вы не указали текст записи !");
      return {};
    case kReminderPage:
      if (s.recurrence.timeKind == kAtTime && !IsValidTimeText(s.recurrence.time))
        return Ru("Вы неправильно указали время !");
      if (ActionShown(s) && s.runProgram && RecordSafeText(s.programPath).empty())
        return Ru("Программа для запуска указана неправильно !");
      // Not in the original checks: an action without a command would save
      // an empty caption and an empty command.
      if (ActionShown(s) && !s.runProgram && s.command < 0) return Ru("Вы не выбрали команду из списка !");
      if (ReminderTextShown(s) && RecordSafeText(s.reminderText).empty())
        return Ru("Вы не указали текст сообщение напоминания !");
      return {};
    case kOperationPage:
      if (!IsValidDateText(s.operationDate)) return Ru("Вы неправильно указали дату записи !");
      if (!IsValidTimeText(s.operationTime)) return Ru("Вы неправильно указали время записи !");
      if (const Reading<Kopecks> k = ReadMoney(s.amount); !k || *k <= 0)
        return Ru("Сумма операции должна быть больше нуля !");
      if (s.operation < 0 || s.operation >= static_cast<int>(operations.size()))
        return Ru("Операция не указана, если список операций пуст, то воспользуйтесь настройкой !");
      return {};
    default: return Ru("Запись ещё не заполнена !");
  }
}

std::string BuildRecordLine(const EditorState& s, const Lines& operations,
                            const std::vector<CommandItem>& commands) {
  switch (s.kind) {
    case 1: return Join({"1", NormalDate(s.date), NormalTime(s.time), RecordSafeText(s.text)});
    case 2: {
      const std::string operation = s.operation >= 0 ? operations.at(static_cast<std::size_t>(s.operation)) : "";
      const std::string comment = RecordSafeText(s.comment);
      std::string description = GetField(operation, kSep1, 1) + " ";
      if (!comment.empty()) description += "(" + comment + ")";
      return Join({"2", NormalDate(s.operationDate), NormalTime(s.operationTime), description, operation, comment,
                   StoredAmount(s.amount)});
    }
    case 3: return Join({"3", BuildSchedule(s.recurrence), RecordSafeText(s.reminderText)});
    default: {
      std::string caption, action;
      if (s.runProgram) {
        const std::string path = RecordSafeText(s.programPath);
        caption = Ru("Запуск программы ") + FileNamePart(path);
        action = "P" + std::string(1, kSep2) + path;
      } else if (s.command >= 0 && s.command < static_cast<int>(commands.size())) {
        const CommandItem& item = commands[static_cast<std::size_t>(s.command)];
        caption = RecordSafeText(item.title());
        action = "C" + std::string(1, kSep2) + item.text();
      }
      return Join({"4", BuildSchedule(s.recurrence), caption, action});
    }
  }
}

std::string TargetFile(const EditorState& s, const std::string& dataDir) {
  if (s.kind == 1) return dataDir + JournalFileName(s.date);
  if (s.kind == 2) return dataDir + JournalFileName(s.operationDate);
  return shell::StoreFile(dataDir);
}

SaveResult SaveRecord(const EditorState& s, const Lines& operations, const std::vector<CommandItem>& commands,
                      const std::string& root, const std::string& user) {
  if (s.mode == EditorMode::View || !s.doneEnabled) return {};
  if (const std::string message = CheckForSave(s, operations); !message.empty())
    return {false, Ru("Добавление записи"), message, {}};
  const std::string dataDir = shell::DataDir(root, user);
  const std::string target = TargetFile(s, dataDir);
  if (s.kind == 1 || s.kind == 2) ForceDir(target.substr(0, target.rfind('/')));
  const std::string line = BuildRecordLine(s, operations, commands);
  if (!AppendLines(dataDir, target, {line}))
    return {false, Ru("Добавление записи"),
            Ru("Запись не сохранена: файл ") + target + Ru(" не удалось прочитать или записать."), {}};
  // The record is saved; a mark that could not be written leaves the month
  // balances to be recomputed from an earlier date than needed, never later.
  if (s.kind == 2 && !accounting::MarkAccountingChange({root, user}, NormalDate(s.operationDate)))
    return {true, Ru("Добавление записи"),
            Ru("Запись сохранена, но отметка об изменении в файле ") + shell::UserSettingsFile(dataDir) +
                Ru(" не записана: остатки в отчёте могут быть неверны."),
            line};
  return {true, {}, {}, line};
}

}  // namespace krav::app
