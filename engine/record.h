// A planner record as a value: a line of the store read field by field and
// checked, and written back in the stored form. Lines that come from outside
// the program (a calendar file, a synchronised calendar) become records only
// through this reading.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace krav {

struct PlannerRecord {
  enum class Kind { Reminder, Action };
  enum class ActionType { None, Program, Command };
  Kind kind = Kind::Reminder;
  std::string schedule;  // field 2 as stored: group A #1 group B #1 group C
  std::string text;      // the message, or the action's caption
  ActionType actionType = ActionType::None;
  std::string action;  // a program: path, optionally "|" and its parameters; a command: the command item
};

struct RecordReading {
  std::optional<PlannerRecord> record;
  std::string why;  // when there is no record: what is wrong, in English
};

// Reads a store line strictly: kind "3" or "4", the fields the kind has and
// no more, no line break or separator character inside a field, a schedule
// the collection expands with every date a real one (years 1 to 2999) and an
// interval the record editor accepts, a non-empty program or command.
[[nodiscard]] RecordReading ReadRecord(std::string_view line);

// The store line of a record.
std::string WriteRecord(const PlannerRecord& record);

// A program action's path and its parameter text ("path|parameters").
std::string ActionProgram(const PlannerRecord& record);
std::string ActionParameters(const PlannerRecord& record);

}  // namespace krav
