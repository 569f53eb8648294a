#include "engine/store.h"

#include "engine/dates.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "shell/paths.h"

namespace krav {

DataDirLock::DataDirLock(const std::string& dataDir) : lock_(shell::DataLockFile(dataDir)) {}

std::string JournalFileName(std::string_view dateText) {
  const std::string norm = DateToText(TextToDate(dateText));
  return shell::JournalRelPath(norm.substr(6, 4), norm.substr(3, 2));
}

std::string TrashLine(std::string_view line) {
  const DateTime now = Now();
  std::string out = DateToText(now) + " " + TimeToText(now);
  out += kSep4;
  out += line;
  return out;
}

std::string OneTimeReminder(std::string_view date, std::string_view time, std::string_view text) {
  std::string r = "3";
  r += kSep3;
  r += "1";
  r += kSep2;
  r += date;
  r += kSep1;
  r += kSep1;
  r += "22";
  r += kSep2;
  r += time;
  r += kSep3;
  r += text;
  return r;
}

std::string SnoozeRecordText(std::string text) {
  constexpr std::size_t kRepeatHeaderLength = 37;
  static const std::string kRepeatHeader = Ru("Повтор сообщения от");
  if (text.compare(0, kRepeatHeader.size(), kRepeatHeader) == 0)
    text = text.size() > kRepeatHeaderLength ? text.substr(kRepeatHeaderLength) : std::string();
  return RecordSafeText(std::move(text));
}

std::string RecordSafeText(std::string text) {
  std::erase_if(text, [](char c) { return (c >= kSep1 && c <= kSep4) || c == '\r' || c == '\n'; });
  return text;
}

void AddToTrash(Lines& trash, const Lines& deleted) {
  for (const auto& line : deleted) {
    trash.push_back(TrashLine(line));
    if (trash.size() > kTrashCapacity) trash.erase(trash.begin());
  }
}

bool UpdateLines(const std::string& dataDir, const std::string& path, const std::function<bool(Lines&)>& change) {
  DataDirLock lock(dataDir);
  if (!lock.held()) return false;
  Lines lines;
  if (!LoadLinesForUpdate(path, lines)) return false;
  if (!change(lines)) return true;
  return SaveLines(path, lines);
}

bool AppendToTrash(const std::string& line, const std::string& root, const std::string& user) {
  const std::string dir = shell::DataDir(root, user);
  return UpdateLines(dir, shell::TrashFile(dir), [&](Lines& trash) {
    AddToTrash(trash, {line});
    return true;
  });
}

bool AppendLines(const std::string& dataDir, const std::string& path, const Lines& lines) {
  return UpdateLines(dataDir, path, [&](Lines& all) {
    all.insert(all.end(), lines.begin(), lines.end());
    return true;
  });
}

}  // namespace krav
