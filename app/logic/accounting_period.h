// The period of the accounting page: the end date, the period mode and the
// chosen start date, and the days of the report they give.
#pragma once

#include <string>

#include "engine/dates.h"

namespace krav::app {

// The period items of the page's menu: their captions (cp1251) and tags.
struct PeriodItem {
  const char* captionUtf8;
  int tag;  // 5, 10, 15 days; 100 this month; 200 a chosen start date
};
constexpr PeriodItem kPeriodItems[] = {{"За последние 5 дней", 5},
                                       {"За последние 10 дней", 10},
                                       {"За последние 15 дней", 15},
                                       {"За этот месяц", 100},
                                       {"Указать начальную дату ...", 200}};
constexpr int kChosenStartMode = 200;

struct AccountingPeriod {
  std::string endText;    // dd.mm.yyyy, empty at start
  std::string startText;  // the chosen start date of mode 200
  int mode = 100;         // 1-99 the last N days, 100 the end date's month, 200 the chosen start
};

struct ReportDays {
  DateTime start = 0, end = 0;
};

// The report's first and last day. An end text that is no valid date is
// replaced by today's date first, as the report does.
ReportDays ResolvePeriod(AccountingPeriod& period);

}  // namespace krav::app
