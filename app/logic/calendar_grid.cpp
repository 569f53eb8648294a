#include "app/logic/calendar_grid.h"

#include "engine/text.h"
#include "platform/encoding.h"

namespace krav::app {

std::array<DayNumber, 42> MonthGridDays(int year, int month) {
  const DayNumber first = YmdToDay(year, month, 1);
  const DayNumber monday = first - (IsoWeekday(static_cast<double>(first)) - 1);
  std::array<DayNumber, 42> days{};
  for (int i = 0; i < 42; ++i) days[i] = monday + i;
  return days;
}

bool IsNeighbourDay(int row, int dayOfMonth) {
  return (row == 1 && dayOfMonth > 7) || (row >= 5 && dayOfMonth < 15);
}

std::string CalendarMonthTitle(int month) {
  std::string name = MonthName(month, true);
  if (!name.empty()) name[0] = UpperChar(name[0]);
  return name;
}

std::string CalendarYearTitle(int year) { return std::to_string(year) + Ru(" г."); }

void PreviousMonth(int& year, int& month) {
  if (--month < 1) month = 12, --year;
}

void NextMonth(int& year, int& month) {
  if (++month > 12) month = 1, ++year;
}

PopupPosition PlacePopup(int x, int y, int width, int height, int screenWidth, int screenHeight) {
  return {x + width > screenWidth ? x - width : x, y + height > screenHeight ? y - height : y};
}

}  // namespace krav::app
