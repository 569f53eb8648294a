#include "sync/events.h"

#include "engine/text.h"
#include "tools/ics.h"

namespace krav::sync {
namespace {

// The single record a calendar text gives under a carried-record rule.
EventRecord Import(const std::string& text, ics::Carried carried) {
  ics::Imported imported;
  EventRecord r;
  if (!ics::ImportCalendar(text, false, imported, r.why, carried)) return r;
  if (!imported.skipped.empty()) r.why = imported.skipped.front();
  else if (imported.records.size() != 1) r.why = "в событии не одна запись";
  else r.record = imported.records.front();
  return r;
}

}  // namespace

std::string EventText(const std::string& record, const std::string& uid, std::string& why) {
  std::vector<std::string> notes;
  std::string text = ics::ExportCalendar({record}, notes);
  if (text.find("BEGIN:VEVENT") == std::string::npos) {
    why = notes.empty() ? "запись не выгружается" : notes.front();
    return {};
  }
  const std::string own = "UID:" + ics::RecordUid(record) + "\r\n";
  const std::size_t at = text.find(own);
  if (at != std::string::npos) text.replace(at, own.size(), "UID:" + uid + "\r\n");
  return text;
}

namespace {

// A property's value in the event, its folded lines joined: the first line
// that starts with "NAME:" or "NAME;".
std::string Property(const std::string& text, const std::string& name) {
  std::string unfolded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' && i + 2 < text.size() &&
        (text[i + 2] == ' ' || text[i + 2] == '\t')) {
      i += 2;
      continue;
    }
    if (text[i] == '\n' && i + 1 < text.size() && (text[i + 1] == ' ' || text[i + 1] == '\t')) {
      ++i;
      continue;
    }
    unfolded += text[i];
  }
  std::size_t at = 0;
  const std::size_t vevent = unfolded.find("BEGIN:VEVENT");
  if (vevent != std::string::npos) at = vevent;
  while ((at = unfolded.find(name, at)) != std::string::npos) {
    const bool lineStart = at == 0 || unfolded[at - 1] == '\n';
    const std::size_t after = at + name.size();
    if (lineStart && after < unfolded.size() && (unfolded[after] == ':' || unfolded[after] == ';')) {
      const std::size_t colon = unfolded.find(':', after);
      const std::size_t end = unfolded.find_first_of("\r\n", colon);
      return unfolded.substr(colon + 1, end == std::string::npos ? std::string::npos : end - colon - 1);
    }
    at = after;
  }
  return {};
}

EventRecord Chosen(const std::string& eventText) {
  const EventRecord plain = Import(eventText, ics::Carried::Never);
  const EventRecord carried = Import(eventText, ics::Carried::Any);
  if (carried.record.empty() || carried.record == plain.record) return plain;
  if (GetField(carried.record, kSep3, 1) != "3") return plain;
  // The carried record is taken when its own event reads as this one does.
  std::string why;
  const std::string own = EventText(carried.record, "x", why);
  // An event whose properties give no record is no record, whatever it carries.
  if (plain.record.empty() || own.empty()) return plain;
  return Import(own, ics::Carried::Never).record == plain.record ? carried : plain;
}

}  // namespace

EventRecord RecordOfEvent(const std::string& eventText) {
  EventRecord r = Chosen(eventText);
  r.uid = Property(eventText, "UID");
  r.summary = Property(eventText, "SUMMARY");
  return r;
}

}  // namespace krav::sync
