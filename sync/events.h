// A reminder record as a calendar event of the synchronisation and back,
// through the export and import mapping. An event keeps its UID through
// edits, so the record it carries (X-KRAV-RECORD) is taken back only while
// the event still says what that record says.
#pragma once

#include <string>

namespace krav::sync {

// The event (a whole VCALENDAR, UTF-8) of a record under a UID; empty, with
// why, when the record has no event form.
std::string EventText(const std::string& record, const std::string& uid, std::string& why);

struct EventRecord {
  std::string record;  // empty when the event has no exact record form
  std::string why;
  std::string uid;      // the event's UID
  std::string summary;  // its SUMMARY, for telling the person (UTF-8)
};
// The record an event gives: the record it carries when the event's own
// properties still say what that record says (so that fields a calendar
// does not hold survive), else the record its properties give. Never an
// action: an action from a calendar comes as a reminder with its caption.
EventRecord RecordOfEvent(const std::string& eventText);

}  // namespace krav::sync
