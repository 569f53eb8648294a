// The settings layer over any file: a damaged file is never written over,
// and a write that succeeds reads back.
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "platform/ini.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace krav;
  const std::string path = fuzz::ScratchRoot() + "fuzz.ini";
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (!SaveBytes(path, bytes)) return 0;

  (void)ReadIniString(path, "Users", "Active", "");
  (void)ReadIniInt(path, "Main", "Handle", 0);
  (void)ReadIniSection(path, "HotKeys");

  const bool intact = IniFileIntact(path);
  const bool written = WriteIniString(path, "Voza", "Text", "value");
  KRAV_FUZZ_CHECK(written == intact);
  std::string after;
  KRAV_FUZZ_CHECK(LoadBytes(path, after));
  if (!written) {
    KRAV_FUZZ_CHECK(after == bytes);
  } else {
    KRAV_FUZZ_CHECK(ReadIniString(path, "voza", "TEXT", "") == "value");
    KRAV_FUZZ_CHECK(IniFileIntact(path));
  }
  return 0;
}
