#include "engine/collect.h"
#include "engine/dates.h"
#include "engine/text.h"
#include "platform/process.h"
#include "plugin/dorvik.h"
#include "shell/messages.h"

namespace krav::dorvik {
namespace {

// The record behind an occurrence, when the line at its index still is that
// record: an action record whose text is the occurrence's description.
bool RecordAt(const Lines& lines, int index, const std::string& description, std::string& record) {
  if (index < 0 || index >= static_cast<int>(lines.size()) || lines[index].empty()) return false;
  const std::string& line = lines[index];
  if (FieldView(line, kSep3, 1) != "4" || FieldView(line, kSep3, 3) != description) return false;
  record = line;
  return true;
}

void Launch(const DorvikState& s, const std::string& record) {
  const std::string action = GetField(record, kSep3, 4);
  const std::string_view type = FieldView(action, kSep2, 1);
  if (type == "P") {
    const std::string program = GetField(action, kSep2, 2);
    const std::string file = GetField(program, '|', 1);
    const std::string parameters = GetField(program, '|', 2);
    if (FileExists(file)) StartProgram(file, parameters);
  } else if (type == "C") {
    const std::string part = GetField(GetField(action, kSep2, 2), kSep1, 2);
    const int number = TextToInt(GetField(part, ',', 3));
    PostWindowMessage(s.shellWindow, shell::kMsgShellCommandBase + number, 0, 0);
  }
}

}  // namespace

void RunAction(const DorvikState& s, const std::string& occurrence) {
  const std::string description = GetField(occurrence, kSep4, 2);
  const std::string path = GetField(occurrence, kSep4, 4);
  Lines lines;
  LoadLines(path, lines);
  std::string record;
  if (!RecordAt(lines, TextToInt(GetField(occurrence, kSep4, 3)), description, record)) {
    // The store changed since today's list was made: find the occurrence
    // again in a fresh collection.
    const std::string head = GetField(occurrence, kSep4, 1);
    Lines fresh;
    const DateTime today = static_cast<double>(Today());
    CollectRange(fresh, today, today, s.root, s.user, {false, false});
    bool found = false;
    for (const auto& o : fresh) {
      if (GetField(o, kSep4, 1) == head && GetField(o, kSep4, 2) == description && GetField(o, kSep4, 4) == path &&
          RecordAt(lines, TextToInt(GetField(o, kSep4, 3)), description, record)) {
        found = true;
        break;
      }
    }
    if (!found) return;
  }
  Launch(s, record);
}

}  // namespace krav::dorvik
