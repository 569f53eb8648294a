// "Быстрая запись": a reminder from one phrase, `[when] [time] text`, read
// into the very state the record editor saves, so that the record is the one
// the editor would write for the same choices. Texts are cp1251.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/logic/record_editor.h"
#include "engine/dates.h"

namespace krav::app {

struct QuickEntry {
  std::optional<EditorState> state;  // a reminder ready for SaveRecord; none when the phrase does not read
  std::string understood;            // what was read, shown while typing
  std::string why;                   // why nothing would be saved
};

// Reads a phrase at the moment `now`:
//   when: "сегодня", "завтра", "послезавтра", "ДД.ММ" (this year, or the next
//     when already past), "ДД.ММ.ГГГГ", "в понедельник" .. "в воскресенье"
//     (the next such day after today), "через N минут|час(а|ов)" (a one-time
//     reminder at that moment, no time then), "каждый день", "каждый
//     понедельник" / "каждую среду" / "каждое воскресенье" (weekly), "каждое
//     N число" (monthly), "каждый год ДД.ММ" (yearly); none means today;
//   time: "ЧЧ:ММ", optionally after "в"; none means the whole day;
//   text: the rest, not empty.
// Repeating reminders start today without an end.
QuickEntry ReadQuickEntry(std::string_view phrase, DateTime now);

}  // namespace krav::app
