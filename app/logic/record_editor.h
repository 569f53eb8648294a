// The record editor's logic as a plain value: what every page holds, the
// mode, the page and the enabled state of the bottom buttons; opening a
// stored line, stepping between pages, the checks and the line of a save,
// and the append. The wizard TAddMessDlg only maps this value to controls.
#pragma once

#include <string>
#include <vector>

#include "app/logic/recurrence.h"
#include "platform/files.h"

namespace krav::app {

enum class EditorMode { New, Edit, View };
enum EditorPage { kKindPage = 0, kRecurrencePage = 1, kSimplePage = 2, kReminderPage = 3, kOperationPage = 4 };

// One item of the command list: a shell command definition of "programs.ini".
struct CommandItem {
  int iconIndex = -1;         // the position of its icon among the loaded ones
  std::string element;        // title, icon name, further values (comma-separated)
  std::string iconFile;       // the icon's file when it exists, else empty
  std::string text() const;   // icon index #1 element: what an action stores
  std::string title() const;  // the element's first value
};

// The commands of "programs.ini" [Tree] and [Comps] with their [HotKeys]
// definitions, filtered by the user's [Tree].
std::vector<CommandItem> BuildCommandList(const std::string& root, const std::string& userSettingsFile);

struct EditorState {
  EditorMode mode = EditorMode::New;
  int kind = 1;  // 1 simple record, 2 accounting, 3 reminder, 4 action
  int page = kKindPage;
  bool backEnabled = false, nextEnabled = true, doneEnabled = false;
  // Page 2: the simple record.
  std::string text, date, time;
  // Pages 1 and 3: the reminder or action.
  RecurrenceState recurrence;
  std::string reminderText;
  bool runProgram = true;  // RadioButton18, else RadioButton19 (a command)
  std::string programPath;
  int command = -1;  // index into the command list
  // Page 4: the accounting operation.
  int operation = -1;  // index into the operation list
  std::string comment, amount, operationDate, operationTime;
  std::string openedOperation;  // field 5 of an opened accounting line
};

// The state of an opened line (empty: a new entry); it has already stepped
// forward once from page 0 when a line was given.
EditorState OpenRecord(const std::string& line, bool editable, const std::vector<CommandItem>& commands);

// "Дальше": the message of a failing recurrence check (title "События"), or empty.
std::string StepForward(EditorState& s);
// "Назад".
void StepBack(EditorState& s);
// Whether the reminder page shows its text, time and action panels.
inline bool ReminderTextShown(const EditorState& s) { return s.kind != 4; }
inline bool ActionShown(const EditorState& s) { return s.kind == 4; }

// The operation to select after the operation list was (re)loaded: the one
// whose line equals the opened record's field 5, else the one selected
// before; -1 when none is equal.
int ReselectOperation(const Lines& operations, const std::string& remembered);

// "Готово": the first failing check of the current page (title
// "Добавление записи"), or empty.
std::string CheckForSave(const EditorState& s, const Lines& operations);
// The line a save writes, and the file it goes to.
std::string BuildRecordLine(const EditorState& s, const Lines& operations,
                            const std::vector<CommandItem>& commands);
std::string TargetFile(const EditorState& s, const std::string& dataDir);

// Whether closing would throw typed work away: what the pages hold differs
// from what they held when the editor opened (never in view mode).
bool HasUnsavedInput(const EditorState& opened, const EditorState& now);
// The question on closing with unsaved input, and its buttons (cp1251):
// "Да" saves, "Нет" closes without saving, "Отмена" goes back to the editor.
constexpr int kCloseSave = 2, kCloseDiscard = 3, kCloseCancel = 4;
struct CloseQuestion {
  std::string title, text, yes, no, cancel;
};
CloseQuestion UnsavedQuestion();
// What the reply to it means; a dialog closed without an answer is "Отмена".
enum class CloseChoice { Save, Discard, Stay };
CloseChoice CloseChoiceOf(int reply);

struct SaveResult {
  bool saved = false;
  std::string title, message;  // why not, for the message dialog
  std::string line;            // the line appended, once saved
};
// Checks, then appends the line to its file under the data directory's lock
// (kind 2 marks the accounting change). A file that cannot be read or
// written is a failure with a message; the caller keeps the dialog open.
SaveResult SaveRecord(const EditorState& s, const Lines& operations, const std::vector<CommandItem>& commands,
                      const std::string& root, const std::string& user);

}  // namespace krav::app
