// The window-message parser over any datagram: what it accepts is a message
// an int holds, and a message it formats reads back the same.
#include <climits>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "platform/messages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace krav;
  const std::string text(reinterpret_cast<const char*>(data), size);
  ParsedMessage m;
  if (!ParseWindowMessage(text, m)) return 0;
  const std::string again =
      std::to_string(m.msg) + " " + std::to_string(m.wParam) + " " + std::to_string(m.lParam);
  ParsedMessage n;
  KRAV_FUZZ_CHECK(ParseWindowMessage(again, n));
  KRAV_FUZZ_CHECK(n.msg == m.msg && n.wParam == m.wParam && n.lParam == m.lParam && n.replyTo.empty());
  return 0;
}
