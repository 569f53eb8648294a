// Whole outputs compared byte for byte with expected files under
// tests/data/golden/: the listings of `messctl collect` over a fixed store
// (one case per collect/*.args) and the HTML report of a fixed ledger.
// With KRAV_UPDATE_GOLDEN=1 the expected files are written instead, for a
// change that is meant; review them with `git diff`.
//
// The fixture and expected files are UTF-8 and show the record separators
// #1 to #4 as "#1" to "#4"; they are turned into cp1251 records on the way in.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "accounting/report.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "support.h"

namespace krav {
namespace {

namespace fs = std::filesystem;

const fs::path kGolden = fs::path(KRAV_SOURCE_DIR) / "tests/data/golden";

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// "#1".."#4" of a fixture text become the separators, UTF-8 becomes cp1251.
std::string FromFixture(const std::string& utf8) {
  std::string text = Utf8ToCp1251(utf8);
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '#' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '4') {
      out += static_cast<char>(text[++i] - '0');
    } else if (text[i] == '\n') {
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

// The other way: cp1251 bytes as UTF-8, separators as "#1".."#4", CR dropped.
std::string ToFixture(const std::string& cp1251) {
  std::string out;
  for (char c : Cp1251ToUtf8(cp1251)) {
    if (c >= 1 && c <= 4) out += "#" + std::to_string(static_cast<int>(c));
    else if (c != '\r') out += c;
  }
  return out;
}

// Copies a fixture folder into a data directory.
void Install(const fs::path& fixture, const std::string& dataDir) {
  for (const auto& e : fs::recursive_directory_iterator(fixture)) {
    const fs::path target = fs::path(FsPath(dataDir)) / fs::relative(e.path(), fixture);
    if (e.is_directory()) {
      fs::create_directories(target);
    } else {
      std::ofstream(target, std::ios::binary) << FromFixture(ReadText(e.path()));
    }
  }
}

void Compare(const std::string& actual, const fs::path& expectedFile) {
  if (std::getenv("KRAV_UPDATE_GOLDEN")) {
    std::ofstream(expectedFile, std::ios::binary) << actual;
    GTEST_SKIP() << "rewrote " << expectedFile;
  }
  ASSERT_TRUE(fs::exists(expectedFile)) << expectedFile << " is missing; run with KRAV_UPDATE_GOLDEN=1";
  EXPECT_EQ(actual, ReadText(expectedFile)) << "differs from " << expectedFile;
}

std::vector<std::string> CollectCases() {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(kGolden / "collect"))
    if (e.path().extension() == ".args") names.push_back(e.path().stem());
  std::sort(names.begin(), names.end());
  return names;
}

class GoldenCollect : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenCollect, ListingMatches) {
  test::TempRoot t;
  Install(kGolden / "store", t.dataDir());
  std::string args = ReadText(kGolden / "collect" / (GetParam() + ".args"));
  while (!args.empty() && (args.back() == '\n' || args.back() == '\r')) args.pop_back();
  const std::string cmd = std::string(KRAV_BUILD_DIR) + "/tools/messctl collect --root " + t.root() + " --user " +
                          t.user() + " " + args;
  FILE* p = ::popen(cmd.c_str(), "r");
  ASSERT_TRUE(p);
  std::string out;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  ASSERT_EQ(::pclose(p), 0) << cmd;
  if (args.find("--raw") != std::string::npos) out = ToFixture(out);
  // The temporary root is named ROOT in the expected text.
  for (std::size_t at; (at = out.find(t.root())) != std::string::npos;) out.replace(at, t.root().size(), "ROOT/");
  Compare(out, kGolden / "collect" / (GetParam() + ".expected"));
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenCollect, ::testing::ValuesIn(CollectCases()),
                         [](const auto& info) { return info.param; });

struct FixedRate : accounting::Questions {
  bool createExampleData() override { return false; }
  std::optional<std::string> askRate(const std::string&, const std::string&, const std::string&) override {
    return std::string("90");
  }
};

TEST(GoldenReport, DecemberOfTheFixedLedger) {
  test::TempRoot t;
  test::FixedClock clock(MakeDateTime(2026, 12, 31, 18, 0));
  Install(kGolden / "ledger", t.dataDir());
  const accounting::Ledger ledger{t.root(), t.user()};
  FixedRate rates;
  const auto noChart = [](const std::vector<accounting::PieSlice>&, const std::string&) { return true; };
  ASSERT_EQ(accounting::BuildAccountingReport(ledger, MakeDateTime(2026, 12, 1), MakeDateTime(2026, 12, 31), rates,
                                              noChart),
            accounting::ReportResult::Written);
  std::string html;
  ASSERT_TRUE(LoadBytes(t.root() + "Temp/buh.htm", html));
  Compare(ToFixture(html), kGolden / "report" / "december.htm");
}

}  // namespace
}  // namespace krav
