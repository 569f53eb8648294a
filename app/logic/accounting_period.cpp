#include "app/logic/accounting_period.h"

#include "accounting/report.h"

namespace krav::app {

ReportDays ResolvePeriod(AccountingPeriod& p) {
  if (!IsValidDateText(p.endText)) p.endText = DateToText(static_cast<double>(Today()));
  const DateTime end = TextToDate(p.endText);
  return {accounting::ReportStart(end, p.mode, TextToDate(p.startText)), end};
}

}  // namespace krav::app
