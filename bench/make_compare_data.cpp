// Writes the data of the comparisons with other programs (bench/compare.sh):
//   make_compare_data reminders ROOT COUNT REMFILE
//     ROOT/Users/bench/mess.dat with COUNT generated reminders and no journal,
//     and the same reminders in remind's language in REMFILE;
//   make_compare_data ledger ROOT
//     ten years of 1,000 operations a month in ROOT/Users/bench/.
#include <fstream>
#include <iostream>
#include <string>

#include "engine/schedule.h"
#include "engine/text.h"
#include "generate.h"
#include "ledger_data.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace {

using namespace krav;

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string RemindDate(DayNumber d) {
  const Ymd ymd = DayToYmd(d);
  return std::to_string(ymd.day) + " " + kMonths[ymd.month - 1] + " " + std::to_string(ymd.year);
}

// One record as a REM line: the same days and time. remind has no
// repetition within a day, so an interval record is given as a daily
// reminder at its start time: remind then lists fewer lines, not more.
std::string RemindLine(std::string_view record) {
  const auto parsed = ParseSchedule(FieldView(record, kSep3, 2));
  if (!parsed) return {};
  const Schedule& s = *parsed;
  static const char* kWeekdays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  std::string line = "REM ";
  std::string time = std::string(s.timeText);
  if (s.repetition == Repetition::Once) {
    line += RemindDate(s.onceDay);
  } else {
    DayNumber start = s.start;
    switch (s.repetition) {
      case Repetition::Weekly: line += std::string(kWeekdays[s.weekday - 1]) + " "; break;
      case Repetition::Monthly: line += std::to_string(s.monthDay) + " "; break;
      case Repetition::Yearly: line += std::to_string(s.yearDay) + " " + kMonths[s.yearMonth - 1] + " "; break;
      case Repetition::Interval: {
        start = s.startMinute / 1440;
        const int m = static_cast<int>(s.startMinute % 1440);
        time = PadLeft(std::to_string(m / 60), "00") + ":" + PadLeft(std::to_string(m % 60), "00");
        break;
      }
      default: break;
    }
    line += "FROM " + RemindDate(start);
    if (s.limit == Limit::EndDate) line += " UNTIL " + RemindDate(s.endDay);
    if (s.limit == Limit::Count) {
      const std::int64_t last =
          LastOccurrence(s, s.repetition == Repetition::Interval ? kUnbounded / 2 : 10000000);
      line += " UNTIL " + RemindDate(s.repetition == Repetition::Interval ? last / 1440 : last);
    }
  }
  if (!time.empty()) line += " AT " + time;
  return line + " MSG " + Cp1251ToUtf8(FieldView(record, kSep3, 3));
}

int Reminders(const std::string& root, int count, const std::string& remFile) {
  bench::WriteRoot(root, count, 0);
  Lines records;
  if (!LoadLines(root + "Users/bench/mess.dat", records)) return 1;
  std::ofstream out(remFile, std::ios::binary);
  for (const auto& r : records)
    if (const std::string line = RemindLine(r); !line.empty()) out << line << "\n";
  return out ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  std::string root = argc > 2 ? argv[2] : "";
  if (!root.empty() && root.back() != '/') root += '/';
  if (what == "reminders" && argc == 5) return Reminders(root, std::stoi(argv[3]), argv[4]);
  if (what == "ledger" && argc == 3) {
    bench::WriteTenYearLedger({root, "bench"});
    return 0;
  }
  std::cerr << "make_compare_data reminders ROOT COUNT REMFILE | ledger ROOT\n";
  return 2;
}
