#include "shell/paths.h"

#include "platform/encoding.h"
#include "shell/settings_keys.h"

namespace krav::shell {

std::string DefaultSoundFile() { return Ru("Кравитор2000\\Sound\\message.wav"); }

std::string NormalizeRoot(std::string root) {
  for (char& c : root)
    if (c == '\\') c = '/';
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  if (root != "/") root += '/';
  return root;
}

std::string ShellSettingsFile(const std::string& root) { return root + "krav2000.ini"; }
std::string ProgramsFile(const std::string& root) { return root + "programs.ini"; }
std::string ModuleInfoFile(const std::string& root) { return root + "in200.inf"; }
std::string HelpViewer(const std::string& root) { return root + "KravHelp"; }
std::string HelpPage(const std::string& root, const std::string& file) { return root + "Help/" + file; }
std::string AgentCharacterFile(const std::string& root) { return root + "agent.acs"; }
std::string CommandIconFile(const std::string& root, const std::string& name) {
  return root + "Icons/" + name + ".ico";
}
std::string AgentSettingsFile(const std::string& root) { return root + "agent.ini"; }
std::string TempDir(const std::string& root) { return root + "Temp/"; }
std::string UsersDir(const std::string& root) { return root + "Users/"; }
std::string TodayFile(const std::string& root) { return TempDir(root) + "today.dat"; }
std::string EventLogFile(const std::string& root) { return root + "dump.tmp"; }
std::string PluginLibrary(const std::string& root) { return root + "libdorvik.so"; }

std::string ReportFile(const std::string& root) { return TempDir(root) + "buh.htm"; }
std::string ChartFile(const std::string& root) { return TempDir(root) + "diagr.bmp"; }
std::string ReportErrorPage(const std::string& root) { return root + "Help/messerr1.htm"; }

std::string ResolveShellPath(const std::string& root, std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  if (path.empty() || path.front() == '/') return path;
  return root + path;
}

std::string DataDir(const std::string& root, const std::string& user) { return UsersDir(root) + user + "/"; }

std::string UserSettingsFile(const std::string& dataDir) { return dataDir + "krav2000.ini"; }
std::string StoreFile(const std::string& dataDir) { return dataDir + "mess.dat"; }
std::string TrashFile(const std::string& dataDir) { return dataDir + "mess-del.dat"; }
std::string DueFile(const std::string& dataDir) { return dataDir + "mess-now.dat"; }
std::string AddressIndexFile(const std::string& dataDir) { return dataDir + "adrs.str"; }
std::string DataLockFile(const std::string& dataDir) { return dataDir + ".krav.lock"; }

std::string AccountsFile(const std::string& dataDir) { return dataDir + "mess-sh.dat"; }
std::string OperationsFile(const std::string& dataDir) { return dataDir + "mess-op.dat"; }
std::string CurrenciesFile(const std::string& dataDir) { return dataDir + "mess-val.dat"; }
std::string RatesFile(const std::string& dataDir) { return dataDir + "Buh-curs.ini"; }
std::string BalanceRelPath(const std::string& yyyy, const std::string& mm) {
  return "Plan/nb" + yyyy + mm + ".ost";
}

std::string JournalRelPath(const std::string& yyyy, const std::string& mm) {
  return "Plan/nb" + yyyy + mm + ".dat";
}
std::string JournalDir(const std::string& dataDir) { return dataDir + "Plan/"; }

}  // namespace krav::shell
