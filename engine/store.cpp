#include "engine/store.h"

#include "platform/files.h"

#include "engine/dates.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "shell/paths.h"

namespace krav {

DataDirLock::DataDirLock(const std::string& dataDir) : lock_(shell::DataLockFile(dataDir)) {}

std::string JournalFileName(std::string_view dateText) {
  const Reading<DayNumber> day = ReadDay(dateText);
  if (!day) return {};
  const std::string norm = DateToText(static_cast<double>(*day));
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

namespace {

// Writes a file's lines, or deletes the file when it is to go once empty.
bool Put(const std::string& path, const Lines& lines, WhenEmpty whenEmpty) {
  if (lines.empty() && whenEmpty == WhenEmpty::Delete) return RemoveFile(path) || !FileExists(path);
  return SaveLines(path, lines);
}

}  // namespace

bool UpdateLines(const std::string& dataDir, const std::string& path, const std::function<bool(Lines&)>& change,
                 WhenEmpty whenEmpty) {
  return UpdateFiles(dataDir, {{path, whenEmpty}}, [&](std::vector<Lines>& files) { return change(files[0]); });
}

bool UpdateFiles(const std::string& dataDir, const std::vector<FileToUpdate>& paths,
                 const std::function<bool(std::vector<Lines>&)>& change, std::string* failedPath) {
  auto fail = [&](const std::string& path) {
    if (failedPath) *failedPath = path;
    return false;
  };
  DataDirLock lock(dataDir);
  if (!lock.held()) return fail(shell::DataLockFile(dataDir));
  std::vector<Lines> before(paths.size());
  std::vector<char> existed(paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    existed[i] = FileExists(paths[i].path);
    if (!LoadLinesForUpdate(paths[i].path, before[i])) return fail(paths[i].path);
  }
  std::vector<Lines> files = before;
  if (!change(files)) return true;
  // A file is written when it changed, or when it is missing and is to be
  // kept even empty.
  auto unchanged = [&](std::size_t i) {
    return files[i] == before[i] && (existed[i] || (files[i].empty() && paths[i].whenEmpty == WhenEmpty::Delete));
  };
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (unchanged(i)) continue;
    if (Put(paths[i].path, files[i], paths[i].whenEmpty)) continue;
    // Put back what was saved, newest first.
    for (std::size_t k = i; k-- > 0;) {
      if (unchanged(k)) continue;
      if (existed[k]) (void)SaveLines(paths[k].path, before[k]);
      else RemoveFile(paths[k].path);
    }
    return fail(paths[i].path);
  }
  return true;
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
