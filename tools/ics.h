// The planner's records in and out of iCalendar (RFC 5545), through
// libical: the mapping between a record's schedule and a VEVENT with its
// RRULE, both ways.
#pragma once

#include <string>
#include <vector>

#include "platform/files.h"

namespace krav::ics {

// The calendar (UTF-8, CRLF) of the reminder and action records of a
// store's lines. Records the mapping cannot render exactly are written as
// near as possible and named in `notes`.
std::string ExportCalendar(const Lines& storeLines, std::vector<std::string>& notes);

// The UID of a record: derived from its whole line, so stable while the
// record stays as it is.
std::string RecordUid(const std::string& recordLine);

struct Imported {
  Lines records;                     // the record lines, in the calendar's order
  std::vector<std::string> skipped;  // one line each: UID, SUMMARY and the reason
  struct Action {
    std::string record;       // one of `records`
    std::string description;  // UID, caption and what will run (UTF-8)
  };
  std::vector<Action> actions;
};

// When an event's carried record (X-KRAV-RECORD) is taken instead of the
// record its properties give: while its UID is still the record's own (an
// export's event), never, or whenever it reads as a record.
enum class Carried { IfUidMatches, Never, Any };

// Reads a calendar (UTF-8). False, with `error`, when it is not one or
// passes a limit of tools/ics_text.h. Every record is read and checked as a
// store record and written by the store's writer; an event that gives no
// valid record is skipped with its reason. An event of our own export that
// still is its record (X-KRAV-RECORD, matching its UID) comes back as that
// record; an action record only with `withActions` (and then named in
// `actions`), otherwise as a reminder with its caption.
bool ImportCalendar(const std::string& text, bool withActions, Imported& out, std::string& error,
                    Carried carried = Carried::IfUidMatches);

// "#1".."#4" for the separators and "##" for "#": how a record line travels
// in the X-KRAV-RECORD property, and back.
std::string EncodeAction(const std::string& cp1251);
std::string DecodeAction(const std::string& cp1251);

}  // namespace krav::ics
