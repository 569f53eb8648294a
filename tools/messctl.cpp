// messctl: the planner's range collection, the balances and the ledger
// export from the command line. The commands that need the drawing,
// iCalendar or network libraries are run by messctl-full, beside it, so
// that these start without loading them.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "tools/messctl_args.h"
#include "tools/messctl_commands.h"

int main(int argc, char** argv) {
  using namespace krav::messctl;
  Command command;
  if (const int status = ReadCommand(argc, argv, command); status >= 0) return status;
  if (NeedsFullProgram(command.name)) {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::string full = (self.parent_path() / "messctl-full").string();
    ::execv(full.c_str(), argv);
    std::cerr << "messctl: «" << command.name << "» выполняет " << full << ", а он не запускается: "
              << std::strerror(errno) << "\n";
    return 1;
  }
  return RunCoreCommand(command);
}
