// "Быстрая запись": every form of the phrase, each giving the record the
// record editor writes for the same choices, and the refusals with a reason.
#include <gtest/gtest.h>

#include "app/logic/quick_entry.h"
#include "engine/collect.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "support.h"

namespace krav::app {
namespace {

// Wednesday 09.12.2026, 10:00.
DateTime Wednesday10() { return MakeDateTime(2026, 12, 9, 10, 0); }

// The record the editor writes for a reminder of these choices.
std::string EditorRecord(const RecurrenceState& r, const std::string& text) {
  EditorState s;
  s.kind = 3;
  s.recurrence = r;
  s.reminderText = text;
  return BuildRecordLine(s, {}, {});
}

RecurrenceState Once(const std::string& date, const std::string& time = "") {
  RecurrenceState r;
  r.onceDate = date;
  r.startDate = "09.12.2026";
  r.startTime = "00:00";
  r.timeKind = time.empty() ? kAtStart : kAtTime;
  r.time = time;
  return r;
}

RecurrenceState Repeating(int repetition, const std::string& time = "") {
  RecurrenceState r = Once("", time);
  r.onceDate.clear();
  r.repetition = repetition;
  return r;
}

std::string Record(const QuickEntry& q) {
  return q.state ? BuildRecordLine(*q.state, {}, {}) : "no record: " + Cp1251ToUtf8(q.why);
}

TEST(QuickEntry, EveryFormGivesTheEditorsRecord) {
  RecurrenceState weekly = Repeating(kWeekly, "09:00"), monthly = Repeating(kMonthly), yearly = Repeating(kYearly),
                  sunday = Repeating(kWeekly);
  weekly.weekday = 2;  // средам
  sunday.weekday = 6;
  monthly.monthDay = 15;
  yearly.yearDay = "08.03";
  const struct {
    const char* phrase;
    RecurrenceState expected;
    const char* text;
  } cases[] = {
      {"позвонить маме", Once("09.12.2026"), "позвонить маме"},
      {"сегодня в 18:30 забрать посылку", Once("09.12.2026", "18:30"), "забрать посылку"},
      {"завтра 9:05 врач", Once("10.12.2026", "09:05"), "врач"},
      {"Послезавтра купить хлеб", Once("11.12.2026"), "купить хлеб"},
      {"25.12 в 10:00 подарки", Once("25.12.2026", "10:00"), "подарки"},
      {"01.02 оплатить страховку", Once("01.02.2027"), "оплатить страховку"},  // already past this year
      {"15.03.2027 12:00 налог", Once("15.03.2027", "12:00"), "налог"},
      {"в пятницу 19:00 кино", Once("11.12.2026", "19:00"), "кино"},
      {"в среду планёрка", Once("16.12.2026"), "планёрка"},  // today is Wednesday: the next one
      {"через 20 минут чайник", Once("09.12.2026", "10:20"), "чайник"},
      {"через 15 часов будильник", Once("10.12.2026", "01:00"), "будильник"},
      {"каждую среду в 09:00 полить цветы", weekly, "полить цветы"},
      {"каждое воскресенье звонок", sunday, "звонок"},
      {"каждое 15 число платёж", monthly, "платёж"},
      {"каждый год 08.03 поздравить", yearly, "поздравить"},
      {"каждый день 07:30 зарядка", Repeating(kDaily, "07:30"), "зарядка"},
      {"в 23:59 спать", Once("09.12.2026", "23:59"), "спать"},
  };
  for (const auto& c : cases) {
    const QuickEntry q = ReadQuickEntry(Ru(c.phrase), Wednesday10());
    EXPECT_EQ(Record(q), EditorRecord(c.expected, Ru(c.text))) << c.phrase;
    EXPECT_TRUE(q.why.empty()) << c.phrase << ": " << Cp1251ToUtf8(q.why);
    EXPECT_FALSE(q.understood.empty()) << c.phrase;
  }
  // What was understood reads back the choices.
  EXPECT_EQ(Cp1251ToUtf8(ReadQuickEntry(Ru("завтра 9:05 врач"), Wednesday10()).understood),
            "завтра, 10.12.2026, 09:05: врач");
  EXPECT_EQ(Cp1251ToUtf8(ReadQuickEntry(Ru("каждую среду в 09:00 полить цветы"), Wednesday10()).understood),
            "по средам, 09:00, с сегодняшнего дня: полить цветы");
}

TEST(QuickEntry, APhraseThatDoesNotReadSaysWhyAndGivesNoRecord) {
  for (const char* phrase :
       {"", "   ", "завтра", "завтра 10:00", "25:00 встать", "12:60 встать", "32.12 праздник", "31.02.2027 x",
        "через минут чай", "через 5 лет чай", "через 0 минут чай", "каждое 32 число x", "каждый год 31.02 x",
        "каждый год", "сегодня 09:00 уже было", "01.12.2026 прошло"}) {
    const QuickEntry q = ReadQuickEntry(Ru(phrase), Wednesday10());
    EXPECT_FALSE(q.state) << phrase;
    EXPECT_FALSE(q.why.empty()) << phrase;
  }
}

// What quick entry saves, the engine shows on the days it names.
TEST(QuickEntry, TheSavedReminderFiresOnItsDays) {
  test::TempRoot t;
  test::FixedClock clock(Wednesday10());
  const QuickEntry q = ReadQuickEntry(Ru("каждую пятницу в 19:00 кино"), Wednesday10());
  ASSERT_TRUE(q.state);
  ASSERT_TRUE(SaveRecord(*q.state, {}, {}, t.root(), t.user()).saved);
  Lines out;
  ASSERT_TRUE(CollectRange(out, Wednesday10(), MakeDateTime(2026, 12, 31), t.root(), t.user(), {false, false}));
  std::vector<std::string> whens;
  for (const auto& l : out) whens.push_back(GetField(GetField(l, kSep4, 1), kSep3, 2));
  EXPECT_EQ(whens, (std::vector<std::string>{"11.12.2026 19:00", "18.12.2026 19:00", "25.12.2026 19:00"}));
}

}  // namespace
}  // namespace krav::app
