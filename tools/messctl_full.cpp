// messctl-full: messctl with every command, the report, the iCalendar
// exchange and the calendar synchronisation among them.
#include "tools/messctl_args.h"
#include "tools/messctl_commands.h"
#include "tools/messctl_full_commands.h"

int main(int argc, char** argv) {
  using namespace krav::messctl;
  Command command;
  if (const int status = ReadCommand(argc, argv, command); status >= 0) return status;
  if (command.name == "report") return WriteReport(command);
  if (command.name == "export-ics") return ExportIcs(command);
  if (command.name == "import-ics") return ImportIcs(command);
  if (command.name == "sync") return Synchronise(command);
  return RunCoreCommand(command);
}
