// The report as the page's view is given it, over any text: a second pass
// changes nothing (no table height is left, every cell that was given its
// row's alignment keeps it), and no text outside the tags is touched.
#include <cstdint>
#include <string>

#include "app/logic/report_display.h"
#include "fuzz_support.h"

namespace {

// The text between the tags.
std::string Texts(const std::string& html) {
  std::string out;
  bool inTag = false;
  for (std::size_t i = 0; i < html.size(); ++i) {
    const char c = html[i];
    if (!inTag && c == '<' && html.find('>', i) != std::string::npos) inTag = true;
    else if (inTag && c == '>') inTag = false;
    else if (!inTag) out += c;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string html(reinterpret_cast<const char*>(data), size);
  const std::string once = krav::app::ReportHtmlForView(html);
  KRAV_FUZZ_CHECK(krav::app::ReportHtmlForView(once) == once);
  KRAV_FUZZ_CHECK(Texts(once) == Texts(html));
  return 0;
}
