// Where the shell keeps things: the root directory, the data directory of a
// user and the files in them. Paths are cp1251 texts with "/" separators.
#pragma once

#include <string>

namespace krav::shell {

// The root directory with exactly one trailing "/"; "\" read as "/".
std::string NormalizeRoot(std::string root);

std::string ShellSettingsFile(const std::string& root);                         // root + "krav2000.ini"
std::string ProgramsFile(const std::string& root);                              // root + "programs.ini"
std::string TempDir(const std::string& root);                                   // root + "Temp/"
std::string UsersDir(const std::string& root);                                  // root + "Users/"
std::string TodayFile(const std::string& root);                                 // root + "Temp/today.dat"
std::string EventLogFile(const std::string& root);                              // root + "dump.tmp"
std::string PluginLibrary(const std::string& root);                             // root + "libdorvik.so"
std::string ReportFile(const std::string& root);                                // root + "Temp/buh.htm"
std::string ChartFile(const std::string& root);                                 // root + "Temp/diagr.bmp"
std::string ReportErrorPage(const std::string& root);                           // root + "Help/messerr1.htm"
std::string ModuleInfoFile(const std::string& root);                            // root + "in200.inf"
std::string HelpViewer(const std::string& root);                                // root + "KravHelp"
std::string HelpPage(const std::string& root, const std::string& file);         // root + "Help/" + file
std::string CommandIconFile(const std::string& root, const std::string& name);  // root + "Icons/" + name + ".ico"
std::string AgentCharacterFile(const std::string& root);                        // root + "agent.acs"
std::string AgentSettingsFile(const std::string& root);                         // root + "agent.ini"

// A path the shell stores in its settings: "\" read as "/", and a relative
// path taken from the root directory.
std::string ResolveShellPath(const std::string& root, std::string path);

// root + "Users/" + user + "/"
std::string DataDir(const std::string& root, const std::string& user);

// Files of a data directory (dataDir ends in "/").
std::string UserSettingsFile(const std::string& dataDir);  // "krav2000.ini"
std::string StoreFile(const std::string& dataDir);         // "mess.dat"
std::string TrashFile(const std::string& dataDir);         // "mess-del.dat"
std::string DueFile(const std::string& dataDir);           // "mess-now.dat"
std::string AddressIndexFile(const std::string& dataDir);  // "adrs.str"
std::string DataLockFile(const std::string& dataDir);      // ".krav.lock"

std::string AccountsFile(const std::string& dataDir);    // "mess-sh.dat"
std::string OperationsFile(const std::string& dataDir);  // "mess-op.dat"
std::string CurrenciesFile(const std::string& dataDir);  // "mess-val.dat"
std::string RatesFile(const std::string& dataDir);       // "Buh-curs.ini"

// "Plan/nb" + yyyy + mm + ".ost", the month balance file.
std::string BalanceRelPath(const std::string& yyyy, const std::string& mm);
// "Plan/nb" + yyyy + mm + ".dat", relative to the data directory.
std::string JournalRelPath(const std::string& yyyy, const std::string& mm);
std::string JournalDir(const std::string& dataDir);  // dataDir + "Plan/"

}  // namespace krav::shell
