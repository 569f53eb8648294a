#include "tools/messctl_full_commands.h"

#include <QGuiApplication>
#include <algorithm>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "accounting/report.h"
#include "app/chart/pie_chart.h"
#include "engine/store.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "shell/paths.h"
#include "sync/pass.h"
#include "sync/settings.h"
#include "tools/ics.h"

namespace krav::messctl {
namespace {

// Rates given on the command line; any other question is cancelled.
struct PresetRates : accounting::Questions {
  const std::map<std::string, std::string>& rates;
  explicit PresetRates(const std::map<std::string, std::string>& r) : rates(r) {}
  bool createExampleData() override { return false; }
  std::optional<std::string> askRate(const std::string& currency, const std::string&,
                                     const std::string&) override {
    auto it = rates.find(currency);
    if (it == rates.end()) return std::nullopt;
    return it->second;
  }
};

}  // namespace

int WriteReport(const Command& c) {
  using namespace accounting;
  const Ledger ledger{c.root, c.user};
  PresetRates questions(c.rates);
  // The chart's labels need a font: a QGuiApplication, offscreen, no widgets.
  std::unique_ptr<QGuiApplication> app;
  auto chart = [&](const std::vector<PieSlice>& slices, const std::string& path) {
    if (!QCoreApplication::instance()) {
      if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
      static int argc = 1;
      static char name[] = "messctl";
      static char* argv[] = {name, nullptr};
      app = std::make_unique<QGuiApplication>(argc, argv);
    }
    return app::SavePieChart(slices, path);
  };
  switch (BuildAccountingReport(ledger, c.first, c.last, questions, chart)) {
    case ReportResult::Written: std::cout << FsPath(shell::ReportFile(ledger.root)) << "\n"; return 0;
    case ReportResult::Cancelled: std::cerr << "messctl: курс валюты не задан; отчёт неполный\n"; return 3;
    case ReportResult::Failed: break;
  }
  std::cerr << "messctl: отчёт не записан\n";
  return 1;
}

int ExportIcs(const Command& c) {
  const std::string dataDir = shell::DataDir(c.root, c.user);
  Lines store;
  std::string bytes;
  if (!LoadBytesForUpdate(shell::StoreFile(dataDir), bytes)) {
    std::cerr << "messctl: " << FsPath(shell::StoreFile(dataDir)) << " не читается\n";
    return 1;
  }
  ForEachLine(bytes, [&](std::string_view l) { store.emplace_back(l); });
  std::vector<std::string> notes;
  const std::string calendar = ics::ExportCalendar(store, notes);
  for (const auto& n : notes) std::cerr << "messctl: " << n << "\n";
  return PrintOrSave(c.output, calendar);
}

int ImportIcs(const Command& c) {
  if (c.input.empty()) return Fail("import-ics нужен файл календаря");
  const std::string dataDir = shell::DataDir(c.root, c.user);
  const std::string& file = c.input;
  const bool dryRun = c.dryRun;
  std::string text;
  if (!LoadBytes(Utf8ToCp1251(file), text)) return Fail("не читается «" + file + "»");
  ics::Imported imported;
  std::string error;
  if (!ics::ImportCalendar(text, c.withActions, imported, error)) return Fail(file + ": " + error);
  for (const auto& s : imported.skipped) std::cerr << "messctl: пропущено " << s << "\n";
  // Records already in the store are not added twice: the check and the
  // append are one locked update, so imports at once add each record once.
  Lines added;
  int already = 0;
  auto merge = [&](Lines& store) {
    std::set<std::string> present(store.begin(), store.end());
    added.clear();
    already = 0;
    for (const auto& r : imported.records) {
      if (present.insert(r).second) added.push_back(r);
      else ++already;
    }
    if (dryRun || added.empty()) return false;
    store.insert(store.end(), added.begin(), added.end());
    return true;
  };
  if (!UpdateLines(dataDir, shell::StoreFile(dataDir), merge)) {
    std::cerr << "messctl: " << FsPath(shell::StoreFile(dataDir)) << " не прочитан или не записан\n";
    return 1;
  }
  // Each action added names the program and arguments it will start.
  for (const auto& a : imported.actions)
    if (std::find(added.begin(), added.end(), a.record) != added.end())
      std::cout << (dryRun ? "запускало бы: " : "будет запускать: ") << a.description << "\n";
  std::cout << (dryRun ? "добавилось бы " : "добавлено ") << added.size() << ", пропущено "
            << imported.skipped.size() << ", уже были " << already << "\n";
  return 0;
}

int Synchronise(const Command& c) {
  const std::string dir = shell::DataDir(c.root, c.user);
  const bool dryRun = c.dryRun;
  sync::SyncSettings settings;
  std::string error, password;
  if (!sync::ReadSyncSettings(dir, settings, error)) return Fail(error);
  if (settings.url.empty())
    return Fail("не задан календарь: [Sync] Url в " + FsPath(shell::UserSettingsFile(dir)));
  if (!sync::ReadSyncPassword(dir, settings, password, error)) return Fail(error);
  const sync::PassResult r = sync::RunPass(c.root, c.user, settings, password, dryRun);
  for (const auto& note : r.notes) std::cerr << "messctl: " << note << "\n";
  if (r.status != sync::PassResult::Done) {
    std::cerr << "messctl: синхронизация не завершена: " << r.error << "\n";
    return 1;
  }
  std::cout << (dryRun ? "было бы " : "") << sync::SummaryLine(r.counts) << "\n";
  return 0;
}

}  // namespace krav::messctl
