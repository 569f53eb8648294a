// messctl's command line: the usage text, the options of each command, the
// root folder and the user, read and checked before any command runs.
#pragma once

#include <map>
#include <string>

#include "engine/collect.h"
#include "engine/dates.h"

namespace krav::messctl {

struct Command {
  std::string name;            // collect, balances, report, export-ledger, export-ics, import-ics, sync
  std::string root, user;      // cp1251; the root normalised, both checked to exist
  std::string from, to;        // as typed: empty when not given
  DateTime first = 0, last = 0;
  std::string output, input;   // UTF-8 file names as typed
  bool raw = false, dryRun = false, withActions = false;
  std::map<std::string, std::string> rates;  // report: cp1251 currency -> rate as typed
  CollectOptions options;
};

// Prints "messctl: " and the message to the error stream; 2, the status of
// a wrong argument.
int Fail(const std::string& message);

// Writes `text` to the file `output` (UTF-8, as typed), or to the standard
// output when it is empty. 0, or 1 with a message when the file cannot be written.
int PrintOrSave(const std::string& output, const std::string& text);

// Reads the command line into `command`. -1 when the command is to run;
// otherwise the exit status (0 after --help, 2 after a message).
int ReadCommand(int argc, char** argv, Command& command);

// The commands that draw (report), read iCalendar (export-ics, import-ics)
// or go on the network (sync): messctl-full carries them, so that messctl
// itself starts without those libraries.
bool NeedsFullProgram(const std::string& name);

}  // namespace krav::messctl
