#include "app/logic/accounting_period.h"

#include "accounting/report.h"

namespace krav::app {

ReportDays ResolvePeriod(AccountingPeriod& p) {
  if (!IsValidDateText(p.endText)) p.endText = DateToText(static_cast<double>(Today()));
  const DateTime end = static_cast<double>(*ReadDay(p.endText));
  // A chosen start that is no date starts the period at its end.
  const Reading<DayNumber> chosen = ReadDay(p.startText);
  return {accounting::ReportStart(end, p.mode, chosen ? static_cast<double>(*chosen) : end), end};
}

}  // namespace krav::app
