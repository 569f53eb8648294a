// The plug-in's work behind its four exported functions: the today list, the
// polling cycle and due check, the indicator, snooze and due actions. One
// DorvikState lives in the loaded library; tests make their own.
#pragma once

#include <string>

#include "platform/files.h"
#include "platform/messages.h"

namespace krav::dorvik {

struct DorvikState {
  std::string root;              // ends in "/"
  std::string user;              // [Users] Active
  WindowHandle shellWindow = 0;  // [Main] Handle
  Lines today;                   // today's occurrences without journal lines
  bool reload = false;
  bool forced = false;
  std::string lastMinute;  // "dd.mm.yyyy hh:mm" of the last due check
  std::string soundFile;   // [Messages] Mus
  bool showDialog = true;
  bool autoDelete = false;  // off until the first reload has read it
  bool speak = true;
  int showDelayMs = 1200;  // the wait before asking to present reminders
};

// InitIf: stores the root, reads the shell's settings and acts at once.
void Init(DorvikState& s, const std::string& root);
// CheckIf: acts when the counter is divisible by 5.
void Check(DorvikState& s, int counter);
// CommandIf: 2005 indicator, 2010 reload (1: now, forced), 2015 snooze.
void Command(DorvikState& s, int command, int parameter);
// FreeIf.
void Free(DorvikState& s);

// One acting check: reload when flagged, due check, indicator update.
void ActingCheck(DorvikState& s);
void Reload(DorvikState& s);
void DueCheck(DorvikState& s);
void UpdateIndicator(const DorvikState& s);
void LogEvent(const DorvikState& s, const std::string& message);

// Turns [Voza] Text, Hour and Min into a one-time reminder in "mess.dat" and
// sends 3044 to the program's window. False, sending nothing, when the
// record could not be added to the store.
bool Snooze(const std::string& root, const std::string& user);
// The date and time of a reminder postponed from now by hours and minutes.
struct SnoozeTime {
  std::string date, time;
};
SnoozeTime SnoozeMoment(long long hours, long long minutes);

// Carries out the action record behind a due occurrence line.
void RunAction(const DorvikState& s, const std::string& occurrence);

}  // namespace krav::dorvik
