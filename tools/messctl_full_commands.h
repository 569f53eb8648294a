// The commands of messctl-full: those that draw (the report's chart), read
// and write iCalendar, or go on the network (the calendar synchronisation).
#pragma once

#include "tools/messctl_args.h"

namespace krav::messctl {

int WriteReport(const Command& command);
int ExportIcs(const Command& command);
int ImportIcs(const Command& command);
int Synchronise(const Command& command);

}  // namespace krav::messctl
