// The report as the page's view shows it. The report file is written for web
// browsers, which take a table's height as its least height; the view takes
// it as a fixed one and draws the rows of a longer table over the next, and
// it ignores the alignment of a row. So the view gets the file with its
// table heights left out and each row's alignment handed to those of its
// cells that have none. The file itself stays as written.
#pragma once

#include <string>
#include <string_view>

namespace krav::app {

std::string ReportHtmlForView(std::string_view html);

}  // namespace krav::app
