#include "generate.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "engine/dates.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace krav::bench {
namespace {

std::string Date(std::mt19937& rng, int fromYear, int years) {
  const DayNumber d = YmdToDay(fromYear, 1, 1) + static_cast<DayNumber>(rng() % (365 * years));
  return DateToText(static_cast<double>(d));
}

std::string Time(std::mt19937& rng) {
  return PadLeft(std::to_string(rng() % 24), "00") + ":" + PadLeft(std::to_string(rng() % 12 * 5), "00");
}

std::string RecordLine(std::mt19937& rng, int i) {
  static const char* kDays[] = {"понедельникам", "вторникам", "средам",      "четвергам",
                                "пятницам",      "субботам",  "воскресеньям"};
  const char s1 = kSep1, s2 = kSep2, s3 = kSep3;
  const int pick = static_cast<int>(rng() % 100);
  std::string a, b, c;
  c = (rng() % 3 == 0) ? std::string("21") : "22" + std::string(1, s2) + Time(rng);
  if (pick < 50) {
    a = "1" + std::string(1, s2) + Date(rng, 2026, 2);
    b.clear();
  } else {
    if (pick < 58) a = "2";
    else if (pick < 72) a = "3" + std::string(1, s2) + Ru(kDays[rng() % 7]);
    else if (pick < 86) a = "4" + std::string(1, s2) + std::to_string(1 + rng() % 31);
    else if (pick < 98)
      a = "5" + std::string(1, s2) + PadLeft(std::to_string(1 + rng() % 28), "00") + "." +
          PadLeft(std::to_string(1 + rng() % 12), "00");
    else {
      a = "6" + std::string(1, s2) + "0" + s2 + std::to_string(2 + rng() % 11) + s2 + "0";
      c.clear();
    }
    const std::string start = Date(rng, 2025, 2);
    const int range = static_cast<int>(rng() % 10);
    if (range < 6) b = "11" + std::string(1, s2) + start + s2 + Time(rng);
    else if (range < 8)
      b = "12" + std::string(1, s2) + start + s2 + Time(rng) + s2 + std::to_string(1 + rng() % 370);
    else b = "13" + std::string(1, s2) + start + s2 + Time(rng) + s2 + Date(rng, 2026, 2);
  }
  return "3" + std::string(1, s3) + a + s1 + b + s1 + c + s3 + Ru("Напоминание номер ") + std::to_string(i);
}

}  // namespace

std::string ScratchDir(const std::string& prefix) {
  // Never destroyed: the exit handler that removes the folders reads it.
  static auto* made = new std::vector<std::string>;
  static const bool removedAtExit = std::atexit([] {
                                      for (const auto& d : *made) RemoveRoot(d);
                                    }) == 0;
  (void)removedAtExit;
  std::string tmpl = "/tmp/" + prefix + "-XXXXXX";
  if (!::mkdtemp(tmpl.data())) std::abort();
  made->push_back(tmpl + "/");
  return made->back();
}

std::string MakeRoot(int records, int journalLines) {
  const std::string root = ScratchDir("krav-bench");
  WriteRoot(root, records, journalLines);
  return root;
}

void WriteRoot(const std::string& root, int records, int journalLines) {
  const std::string dir = root + "Users/bench/";
  ForceDir(dir + "Plan");
  std::mt19937 rng(static_cast<unsigned>(records));
  {
    std::ofstream out(dir + "mess.dat", std::ios::binary);
    for (int i = 0; i < records; ++i) out << RecordLine(rng, i) << "\r\n";
  }
  {
    std::ofstream out(dir + "Plan/nb202612.dat", std::ios::binary);
    const char s3 = kSep3;
    for (int i = 0; i < journalLines; ++i) {
      const std::string day = PadLeft(std::to_string(1 + rng() % 31), "00") + ".12.2026";
      if (i % 3 == 0) out << "1" << s3 << day << s3 << Time(rng) << s3 << Ru("Запись дневника") << "\r\n";
      else
        out << "2" << s3 << day << s3 << Time(rng) << s3 << Ru("Покупка") << s3 << "op" << s3 << "" << s3
            << (rng() % 100000) / 100.0 << "\r\n";
    }
  }
}

void RemoveRoot(const std::string& root) {
  std::error_code ec;
  std::filesystem::remove_all(root, ec);
}

double PeakMemoryMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

}  // namespace krav::bench
