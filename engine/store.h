// The record files of a data directory: the store "mess.dat", the trash
// "mess-del.dat", the due list "mess-now.dat" and the monthly journals.
// Every load-modify-save holds the data directory's lock.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_lock.h"
#include "platform/files.h"

namespace krav {

constexpr std::size_t kTrashCapacity = 100;

// The exclusive lock of a data directory (dataDir ends in "/").
class DataDirLock {
 public:
  explicit DataDirLock(const std::string& dataDir);
  bool held() const { return lock_.held(); }

 private:
  FileLock lock_;
};

// "Plan/nb" + yyyy + mm + ".dat" of a date text, relative to the data directory.
std::string JournalFileName(std::string_view dateText);  // empty when the text is no date

// The trash line of a deleted line: "dd.mm.yyyy hh:mm" #4 line.
std::string TrashLine(std::string_view line);
// Adds the trash lines to a loaded trash, dropping its oldest line each time
// it grows past the capacity.
void AddToTrash(Lines& trash, const Lines& deleted);

// The record of a one-time reminder: "3" #3 "1" #2 date #1 #1 "22" #2 time #3 text.
std::string OneTimeReminder(std::string_view date, std::string_view time, std::string_view text);

// A typed text without the characters that would split a record or the
// file: the separators #1 to #4, CR and LF.
std::string RecordSafeText(std::string text);

// The text of the reminder a snooze writes for a postponed reminder's text:
// a leading "Повтор сообщения от dd.mm.yyyy hh:mm" header is dropped, and so
// is every character that would split the record or the file.
std::string SnoozeRecordText(std::string text);

// What an update does with a file its change leaves without lines.
enum class WhenEmpty { Save, Delete };

// The one read-modify-write of a file of a data directory: takes the data
// directory's lock, loads the file for update, lets `change` edit the lines
// and saves them (or deletes the file when it is left empty and `whenEmpty`
// says so). `change` returns false to leave the file untouched. False when
// the lock could not be taken, the file could not be read, or the save
// failed; the file is then as it was.
[[nodiscard]] bool UpdateLines(const std::string& dataDir, const std::string& path,
                               const std::function<bool(Lines&)>& change, WhenEmpty whenEmpty = WhenEmpty::Save);

// The same for several files of one data directory changed together (lines
// moved from a record file to the trash): all are loaded under one lock,
// `change` edits them (files[i] is paths[i]), and those it changed (or that
// are missing and kept even empty) are saved in order.
// When a load or a save fails, the files already saved are put back as they
// were, `failedPath` names the file that failed, and the result is false.
struct FileToUpdate {
  std::string path;
  WhenEmpty whenEmpty = WhenEmpty::Save;
};
[[nodiscard]] bool UpdateFiles(const std::string& dataDir, const std::vector<FileToUpdate>& paths,
                               const std::function<bool(std::vector<Lines>&)>& change,
                               std::string* failedPath = nullptr);

// Appends one line to the user's trash. False when the trash could not be
// read or saved; an unreadable trash is left as it was.
[[nodiscard]] bool AppendToTrash(const std::string& line, const std::string& root, const std::string& user);

// Appends lines at the end of a file of the data directory (the store, the
// due list, a journal). False when the file could not be read or saved; a
// file that exists but cannot be read is left as it was.
[[nodiscard]] bool AppendLines(const std::string& dataDir, const std::string& path, const Lines& lines);

}  // namespace krav
