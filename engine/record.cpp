#include "engine/record.h"

#include <algorithm>

#include "engine/dates.h"
#include "engine/schedule.h"
#include "engine/text.h"
#include "platform/encoding.h"

namespace krav {
namespace {

// The longest interval the record editor writes: 99 days 23:59.
constexpr MinuteNumber kLongestInterval = 99 * 1440 + 23 * 60 + 59;
constexpr MinuteNumber kShortestInterval = 5;

bool HasAny(std::string_view text, std::string_view chars) { return text.find_first_of(chars) != text.npos; }

const std::string_view kLineBreaks("\r\n\0", 3);
const std::string_view kAllSeparators("\x01\x02\x03\x04", 4);

// A date as the writers store it: ten digits and points, a day ReadDay
// reads, up to the year 2999 (libical writes no later date-time faithfully,
// so a calendar could not carry it).
bool IsStrictDate(std::string_view t) {
  if (t.size() != 10) return false;
  for (std::size_t i : {0, 1, 3, 4, 6, 7, 8, 9})
    if (t[i] < '0' || t[i] > '9') return false;
  return ReadDay(t) && TextToInt(t.substr(6, 4)) <= 2999;
}

bool IsDigits(std::string_view s, std::size_t most) { return s.size() <= most && IsDigitText(s); }

// The schedule's own texts beyond what the expansion needs: dates that are
// real days, counts and interval parts that are plain numbers in range.
std::string CheckSchedule(std::string_view field) {
  const std::string groupA = GetField(field, kSep1, 1), groupB = GetField(field, kSep1, 2);
  // The dates first, so that the reason names the one that is none.
  if (FieldView(groupA, kSep2, 1) == "1") {
    if (!IsStrictDate(FieldView(groupA, kSep2, 2))) return Ru("дата — не настоящая дата дд.мм.гггг");
  } else if (!groupB.empty()) {
    if (!IsStrictDate(FieldView(groupB, kSep2, 2))) return Ru("дата начала — не настоящая дата дд.мм.гггг");
    if (FieldView(groupB, kSep2, 1) == "13" && !IsStrictDate(FieldView(groupB, kSep2, 4)))
      return Ru("дата окончания — не настоящая дата");
  }
  const std::optional<Schedule> s = ParseSchedule(field);
  if (!s) return Ru("расписание не разворачивается в даты");
  if (s->repetition == Repetition::Once) {
    if (!groupB.empty()) return Ru("у одноразового расписания есть период");
    return {};
  }
  const std::string_view rangeCode = FieldView(groupB, kSep2, 1);
  if (rangeCode == "12" && !IsDigits(FieldView(groupB, kSep2, 4), 9))
    return Ru("число повторений — не простое число");
  if (rangeCode != "11" && rangeCode != "12" && rangeCode != "13") return Ru("неизвестный код периода");
  if (s->repetition == Repetition::Interval) {
    const std::string_view days = FieldView(groupA, kSep2, 2), hours = FieldView(groupA, kSep2, 3),
                           minutes = FieldView(groupA, kSep2, 4);
    if (!IsDigits(days, 2) || !IsDigits(hours, 2) || !IsDigits(minutes, 2) || TextToInt(hours) > 23 ||
        TextToInt(minutes) > 59 || s->step < kShortestInterval || s->step > kLongestInterval)
      return Ru("интервал вне пределов от 5 минут до 99 дней 23:59");
  }
  return {};
}

}  // namespace

RecordReading ReadRecord(std::string_view line) {
  RecordReading r;
  if (HasAny(line, kLineBreaks) || HasAny(line, "\x04")) {
    r.why = Ru("в записи перевод строки или разделитель частей");
    return r;
  }
  const std::string_view kind = FieldView(line, kSep3, 1);
  PlannerRecord rec;
  if (kind == "3") rec.kind = PlannerRecord::Kind::Reminder;
  else if (kind == "4") rec.kind = PlannerRecord::Kind::Action;
  else {
    r.why = Ru("не напоминание и не действие");
    return r;
  }
  const bool action = rec.kind == PlannerRecord::Kind::Action;
  // A reminder has three fields (a fourth, empty one is tolerated); an action four.
  const auto separators = std::count(line.begin(), line.end(), kSep3);
  const bool fieldsFit =
      action ? separators == 3 : separators == 2 || (separators == 3 && FieldView(line, kSep3, 4).empty());
  if (!fieldsFit) {
    r.why = Ru("в записи не то число полей");
    return r;
  }
  rec.schedule = GetField(line, kSep3, 2);
  rec.text = GetField(line, kSep3, 3);
  if (HasAny(rec.schedule, "\x03\x04")) {
    r.why = Ru("разделитель внутри расписания");
    return r;
  }
  if (HasAny(rec.text, kAllSeparators)) {
    r.why = Ru("разделитель внутри текста");
    return r;
  }
  if (std::string why = CheckSchedule(rec.schedule); !why.empty()) {
    r.why = std::move(why);
    return r;
  }
  if (action) {
    const std::string field = GetField(line, kSep3, 4);
    const std::string_view type = FieldView(field, kSep2, 1);
    const std::size_t at = field.find(kSep2);
    rec.action = at == std::string::npos ? std::string() : field.substr(at + 1);
    if (type == "P") {
      rec.actionType = PlannerRecord::ActionType::Program;
      if (HasAny(rec.action, kAllSeparators)) {
        r.why = Ru("разделитель внутри пути программы");
        return r;
      }
      if (ActionProgram(rec).empty()) {
        r.why = Ru("действие без программы");
        return r;
      }
    } else if (type == "C") {
      rec.actionType = PlannerRecord::ActionType::Command;
      if (rec.action.empty()) {
        r.why = Ru("действие без команды");
        return r;
      }
    } else {
      r.why = Ru("действие — ни программа, ни команда");
      return r;
    }
  }
  r.record = std::move(rec);
  return r;
}

std::string WriteRecord(const PlannerRecord& record) {
  if (record.kind == PlannerRecord::Kind::Reminder) return JoinFields({"3", record.schedule, record.text}, kSep3);
  const std::string action =
      std::string(record.actionType == PlannerRecord::ActionType::Program ? "P" : "C") + kSep2 + record.action;
  return JoinFields({"4", record.schedule, record.text, action}, kSep3);
}

std::string ActionProgram(const PlannerRecord& record) { return GetField(record.action, '|', 1); }
std::string ActionParameters(const PlannerRecord& record) { return GetField(record.action, '|', 2); }

}  // namespace krav
