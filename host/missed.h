// Reminders that fell while the host was not polling: the computer was off,
// asleep, or the clock jumped. The host remembers the minute of its last
// acting poll and, over a gap, collects what fell in it.
#pragma once

#include <string>
#include <vector>

#include "engine/dates.h"
#include "platform/files.h"

namespace krav::host {

// The longest gap looked back into.
constexpr int kMissedDays = 7;
// A forward step of the wall clock longer than this between two polls is a
// gap: a suspend, or a clock set forward.
constexpr double kJumpDays = 2.0 / 1440;
// A step back of the clock up to this long repeats minutes already handled.
constexpr long long kRepeatWindowMinutes = 120;

// Minutes since the calendar's start: moments compared by the minute.
long long MinuteOf(DateTime t);

// The occurrences of reminders, actions and address-book dates whose minute
// lies after `lastPoll` and before `now`: timed ones strictly between the two
// minutes, whole-day ones on the days strictly between the two days (the
// plug-in fires a day's whole-day ones when it starts). In time order.
Lines MissedOccurrences(const std::string& root, const std::string& user, DateTime lastPoll, DateTime now);

// The host's own record of its last acting poll: root + "Temp/shellhost.poll",
// "dd.mm.yyyy hh:mm". Nothing (0) when missing or unreadable.
DateTime LoadLastPoll(const std::string& root);
bool SaveLastPoll(const std::string& root, DateTime minute);

// "Пропущено: 08.12.2026 14:35" (UTF-8 text of the presentation).
std::string MissedLabel(const std::string& occurrence);

}  // namespace krav::host
