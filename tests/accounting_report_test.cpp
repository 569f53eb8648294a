#include <gtest/gtest.h>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <deque>

#include "accounting/report.h"
#include "app/chart/pie_chart.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "qt_support.h"
#include "support.h"

namespace krav::accounting {
namespace {

using test::Join;

struct Rates : Questions {
  std::deque<std::optional<std::string>> answers;
  int asked = 0;
  bool createExampleData() override { return false; }
  std::optional<std::string> askRate(const std::string&, const std::string&, const std::string&) override {
    ++asked;
    if (answers.empty()) return std::nullopt;
    auto a = answers.front();
    answers.pop_front();
    return a;
  }
};

class Report : public ::testing::Test {
 protected:
  test::TempRoot t;
  Ledger ledger{t.root(), t.user()};
  test::FixedClock clock{MakeDateTime(2026, 12, 8, 12, 0)};
  Rates rates;
  ChartWriter chart = [](const std::vector<PieSlice>& s, const std::string& p) {
    test::TestApp();
    return app::SavePieChart(s, p);
  };
  const Account cash{Ru("Наличные"), Ru("Рубли"), SavingsType()};
  const Account usd{Ru("Валюта <б>"), Ru("Доллары США"), SavingsType()};
  const Account food{Ru("Продукты & Ко"), Ru("Рубли"), TurnoverType()};

  void op(const std::string& date, const Account* in, const Account* out, const std::string& amount,
          const std::string& comment = "") {
    const std::string def = std::string("op") + kSep1 + (in ? AccountReference(*in) : NoAccountReference()) +
                            kSep1 + (out ? AccountReference(*out) : NoAccountReference());
    ForceDir(t.data("Plan"));
    Lines lines = t.read(ledger.journalFile(date));
    lines.push_back(Join({"2", date, "10:00", "op " + comment, def, comment, amount}, kSep3));
    t.write(ledger.journalFile(date), lines);
    EXPECT_TRUE(MarkAccountingChange(ledger, date));
  }
  std::string build(ReportResult expected, int d1 = 1, int d2 = 31) {
    EXPECT_EQ(BuildAccountingReport(ledger, MakeDateTime(2026, 3, d1), MakeDateTime(2026, 3, d2), rates, chart),
              expected);
    std::string html;
    LoadBytes(t.root() + "Temp/buh.htm", html);
    return Cp1251ToUtf8(html);
  }
  static int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
  }
};

TEST(FormatMoney, GroupsAndDecimals) {
  EXPECT_EQ(FormatMoney(123456750), "1 234 567.50");
  EXPECT_EQ(FormatMoney(-123400), "-1 234.00");
  EXPECT_EQ(FormatMoney(0), "0.00");
  EXPECT_EQ(FormatMoney(-12300), "-123.00");
  EXPECT_EQ(FormatMoneyText("12 345.6"), "12 345.60");
}

TEST_F(Report, APeriodWithoutOperations) {
  op("05.02.2026", &cash, nullptr, "100");
  const std::string html = build(ReportResult::Written);
  EXPECT_NE(html.find("charset=windows-1251"), std::string::npos);
  EXPECT_NE(html.find("Отчет за период с 01.03.2026 по 31.03.2026"), std::string::npos);
  EXPECT_EQ(Count(html, "Операции по счету"), 0);
  EXPECT_EQ(Count(html, "<a href=\"#S\">"), 1);
  EXPECT_EQ(Count(html, "<a href=\"#R\">"), 1);
  // The one savings account: listed in the savings table, no chart.
  EXPECT_NE(html.find("Наличные (Рубли)"), std::string::npos);
  EXPECT_EQ(html.find("<a name=\"S\">"), std::string::npos);  // no account other than savings
  EXPECT_EQ(html.find("diagr.bmp"), std::string::npos);
  EXPECT_EQ(html.find("up.bmp"), std::string::npos);  // a change of 0.00: no arrow
  EXPECT_EQ(html.find("down.bmp"), std::string::npos);
}

TEST_F(Report, SectionsSummaryAndEscaping) {
  op("05.03.2026", &cash, nullptr, "1000", "<script>");
  op("06.03.2026", &food, &cash, "250.5");
  const std::string html = build(ReportResult::Written);
  EXPECT_EQ(Count(html, "<a href=\"#1\">Операции по счету"), 1);
  EXPECT_EQ(Count(html, "<a href=\"#2\">Операции по счету"), 1);
  EXPECT_NE(html.find("Продукты &amp; Ко"), std::string::npos);
  EXPECT_EQ(html.find("<script>"), std::string::npos);
  EXPECT_NE(html.find("op &lt;script&gt;"), std::string::npos);
  EXPECT_NE(html.find("749.50"), std::string::npos);          // the cash balance after the purchase
  EXPECT_NE(html.find("<a name=\"S\">"), std::string::npos);  // the food account is not savings
  EXPECT_NE(html.find("up.bmp"), std::string::npos);
}

TEST_F(Report, TwoSavingsAccountsGetAChartAndRatesAreAsked) {
  op("02.02.2026", &usd, nullptr, "10");
  op("05.03.2026", &cash, nullptr, "1000");
  rates.answers = {std::string("90"), std::string("95")};
  const std::string html = build(ReportResult::Written);
  EXPECT_EQ(rates.asked, 2);  // the start date once (then stored), the end date once
  EXPECT_EQ(ReadIniString(ledger.ratesFile(), Ru("Доллары США"), "01.03.2026", ""), "90.00");
  EXPECT_EQ(ReadIniString(ledger.ratesFile(), Ru("Доллары США"), "31.03.2026", ""), "95.00");
  EXPECT_NE(html.find("Валюта &lt;б&gt; (Доллары США 95.00)"), std::string::npos);
  EXPECT_NE(html.find("src=\"diagr.bmp\" align=\"right\" width=\"511\" height=\"171\""), std::string::npos);
  QImage bmp(QString::fromStdString(t.root() + "Temp/diagr.bmp"));
  ASSERT_EQ(bmp.size(), QSize(511, 171));
  // The background, the light-blue label marks and slices of other colours.
  int background = 0, marks = 0, other = 0;
  for (int y = 0; y < bmp.height(); ++y)
    for (int x = 0; x < bmp.width(); ++x) {
      const QRgb p = bmp.pixel(x, y) & 0xFFFFFF;
      (p == 0xBBDDFF ? background : p == 0x97CBFF ? marks : other)++;
    }
  EXPECT_GT(background, bmp.width() * bmp.height() / 4);
  EXPECT_GT(marks, 200);
  EXPECT_GT(other, 2000);
  if (const char* dir = std::getenv("SCREENSHOT_DIR")) bmp.save(QString(dir) + "/report-chart.png");
}

TEST_F(Report, ACancelledRateStillWritesButSaysSo) {
  op("02.02.2026", &usd, nullptr, "10");
  op("05.03.2026", &cash, nullptr, "1000");
  const std::string html = build(ReportResult::Cancelled);
  EXPECT_NE(html.find("Итого сбережений на конец периода"), std::string::npos);
  EXPECT_FALSE(FileExists(ledger.ratesFile()));
}

// A folder its user cannot write to: run unprivileged.
class ReportUnprivileged : public Report {};

TEST_F(ReportUnprivileged, AFailedSaveKeepsTheOldReport) {
  KRAV_SKIP_AS_ROOT();
  op("05.03.2026", &cash, nullptr, "1000");
  build(ReportResult::Written);
  const std::string before = t.read(t.root() + "Temp/buh.htm").front();
  ForceDir(t.root() + "Temp/buh.htm.tmpblock");
  ::chmod(FsPath(t.root() + "Temp").c_str(), 0500);
  build(ReportResult::Failed);
  ::chmod(FsPath(t.root() + "Temp").c_str(), 0700);
  ASSERT_TRUE(FileExists(t.root() + "Temp/buh.htm"));
  EXPECT_EQ(t.read(t.root() + "Temp/buh.htm").front(), before);
}

TEST(ReportStart, PageModes) {
  const DateTime end = MakeDateTime(2026, 3, 15);
  EXPECT_EQ(DateToText(ReportStart(end, 7, 0)), "09.03.2026");
  EXPECT_EQ(DateToText(ReportStart(end, 100, 0)), "01.03.2026");
  EXPECT_EQ(DateToText(ReportStart(end, 200, MakeDateTime(2025, 1, 2))), "02.01.2025");
}

}  // namespace
}  // namespace krav::accounting
