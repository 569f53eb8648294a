#include "ledger_data.h"

#include "generate.h"

#include <filesystem>
#include <fstream>
#include <random>

#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"

namespace krav::bench {

using namespace accounting;

const Ledger& TenYearLedger() {
  static Ledger ledger = [] {
    Ledger l{ScratchDir("krav-bench-buh"), "bench"};
    WriteTenYearLedger(l);
    return l;
  }();
  return ledger;
}

void WriteTenYearLedger(const Ledger& l) {
  ForceDir(l.dataDir() + "Plan");
  ForceDir(l.root + "Temp");
  std::vector<std::string> refs;
  for (int a = 0; a < kLedgerAccounts; ++a)
    refs.push_back(
        AccountReference({Ru("Счет ") + std::to_string(a), Ru("Рубли"), a < 4 ? SavingsType() : TurnoverType()}));
  std::mt19937 rng(7);
  for (int y = kLedgerFirstYear; y < kLedgerFirstYear + kLedgerYears; ++y)
    for (int m = 1; m <= 12; ++m) {
      const std::string month = "01." + PadLeft(std::to_string(m), "00") + "." + std::to_string(y);
      std::ofstream out(FsPath(l.journalFile(month)), std::ios::binary);
      for (int i = 0; i < kLedgerPerMonth; ++i) {
        const std::string date = PadLeft(std::to_string(1 + rng() % 28), "00") + month.substr(2);
        const std::string& in = refs[rng() % kLedgerAccounts];
        const std::string& outRef = refs[rng() % 4];
        out << "2" << kSep3 << date << kSep3 << PadLeft(std::to_string(rng() % 24), "00") << ":00" << kSep3
            << "op " << kSep3 << "op" << kSep1 << in << kSep1 << outRef << kSep3 << "" << kSep3
            << (1 + rng() % 100000) / 100.0 << "\r\n";
      }
    }
  (void)WriteIniString(l.settingsFile(), kBuhSection, kBaseCurrencyKey, Ru("Рубли"));
}

void MakeLedgerCold(const Ledger& l) {
  for (const auto& entry : std::filesystem::directory_iterator(FsPath(l.dataDir() + "Plan")))
    if (entry.path().extension() == ".ost") std::filesystem::remove(entry.path());
  (void)WriteIniString(l.settingsFile(), kBuhSection, kLastChangesKey, "01.01.2017");
}

}  // namespace krav::bench
