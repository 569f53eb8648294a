// The month grid of the pop-up calendar and where the pop-up opens: pure
// functions, tested without a screen.
#pragma once

#include <array>
#include <string>

#include "engine/dates.h"

namespace krav::app {

constexpr int kCalendarColumns = 7, kCalendarRows = 7;  // row 0: weekday names
constexpr int kCalendarCellWidth = 25, kCalendarCellHeight = 18;

// The 42 days shown for a month: from the Monday on or before its first day.
std::array<DayNumber, 42> MonthGridDays(int year, int month);
// Whether a day cell (row 1-6) shows a day of a neighbouring month: in row
// 1 day numbers above 7, in rows 5 and 6 day numbers below 15.
bool IsNeighbourDay(int row, int dayOfMonth);
// "Декабрь" and "2004 г." (cp1251).
std::string CalendarMonthTitle(int month);
std::string CalendarYearTitle(int year);
// The month before and after, across the year's end.
void PreviousMonth(int& year, int& month);
void NextMonth(int& year, int& month);

struct PopupPosition {
  int left = 0, top = 0;
  bool operator==(const PopupPosition&) const = default;
};
// The pop-up goes at (x, y), or to the left of / above it when it would pass
// the screen's right or bottom edge.
PopupPosition PlacePopup(int x, int y, int width, int height, int screenWidth, int screenHeight);

}  // namespace krav::app
