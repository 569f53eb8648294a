// The report as the page's view is given it.
#include <gtest/gtest.h>

#include "app/logic/report_display.h"

namespace krav::app {
namespace {

TEST(ReportForView, TableHeightsGoAndRowAlignmentReachesTheCells) {
  EXPECT_EQ(
      ReportHtmlForView("<table border=\"0\" height=\"98\" id=\"AutoNumber1\"><tr height=\"34\" align=\"center\">"
                        "<td width=\"16%\">a</td><td align=\"right\">b</td></tr>"
                        "<tr><td>c</td></tr></table>"),
      "<table border=\"0\" id=\"AutoNumber1\"><tr height=\"34\" align=\"center\">"
      "<td align=\"center\" width=\"16%\">a</td><td align=\"right\">b</td></tr>"
      "<tr><td>c</td></tr></table>");
  // Letter case, unquoted values and a table's closing leave the rest as it was.
  EXPECT_EQ(ReportHtmlForView("<TABLE HEIGHT=111 width='100%'><TR ALIGN=center><TD>x</TD></TR></TABLE><td>y</td>"),
            "<TABLE width='100%'><TR ALIGN=center><TD align=\"center\">x</TD></TR></TABLE><td>y</td>");
  // A table inside a cell keeps its own rows' alignment, and the outer row gets its own back.
  EXPECT_EQ(
      ReportHtmlForView("<table><tr align=\"left\"><td><table><tr><td>in</td></tr></table></td><td>out</td>"),
      "<table><tr align=\"left\"><td align=\"left\"><table><tr><td>in</td></tr></table></td>"
      "<td align=\"left\">out</td>");
  // Every height of a table goes, a quote left open never takes the tag's end
  // with it, and only the alignments a cell takes are handed down.
  EXPECT_EQ(ReportHtmlForView("<table height=1 id=a height=\"2\"><tr align=\"x\"><td>z</td></tr></table>"),
            "<table id=a><tr align=\"x\"><td>z</td></tr></table>");
  EXPECT_EQ(ReportHtmlForView("<table height=\"111><tr><td>z</td></tr></table>"),
            "<table><tr><td>z</td></tr></table>");
  // A table written "<table .../>" is a table still.
  EXPECT_EQ(ReportHtmlForView("<tr align=center><table height=2/><td>"), "<tr align=center><table><td>");
  EXPECT_EQ(ReportHtmlForView("<tr align=center><table Height/><td>"), "<tr align=center><table/><td>");
  EXPECT_EQ(ReportHtmlForView("<tr align=center><table height=\"\"=><td>"), "<tr align=center><table =><td>");
  // Texts, cells' own heights and a torn last tag pass as they are.
  const std::string plain = "<p>Отчет</p><td height=\"19\">1 234.50</td><table height=\"9\"";
  EXPECT_EQ(ReportHtmlForView(plain), plain);
}

}  // namespace
}  // namespace krav::app
