#include "support.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "engine/text.h"
#include "platform/encoding.h"
#include "shell/paths.h"

namespace krav::test {

TempRoot::TempRoot(std::string user) : user_(std::move(user)) {
  char tmpl[] = "/tmp/krav-test-XXXXXX";
  const char* made = ::mkdtemp(tmpl);
  if (!made) throw std::runtime_error("mkdtemp failed");
  root_ = std::string(made) + "/";
  ForceDir(root_ + "Temp");
  ForceDir(dataDir());
}

TempRoot::~TempRoot() {
  std::error_code ec;
  std::filesystem::remove_all(FsPath(root_), ec);
}

std::string TempRoot::dataDir() const { return shell::DataDir(root_, user_); }

void TempRoot::write(const std::string& path, const Lines& lines) const {
  ASSERT_TRUE(SaveLines(path, lines)) << path;
}

Lines TempRoot::read(const std::string& path) const {
  Lines lines;
  LoadLines(path, lines);
  return lines;
}

std::string Join(std::initializer_list<std::string_view> parts, char sep) {
  std::string out;
  bool first = true;
  for (auto p : parts) {
    if (!first) out += sep;
    out += p;
    first = false;
  }
  return out;
}

std::string Sub(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c == '|') c = kSep2;
  return out;
}

std::string Record(std::string_view kind, std::string_view a, std::string_view b, std::string_view c,
                   std::string_view text) {
  return Join({kind, Join({Sub(a), Sub(b), Sub(c)}, kSep1), text}, kSep3);
}

FixedClock::FixedClock(DateTime now) : now_(now) {
  SetClockForTesting([this] { return now_; });
}
FixedClock::~FixedClock() { SetClockForTesting({}); }
void FixedClock::set(DateTime now) { now_ = now; }

DayNumber D(int y, int m, int d) { return YmdToDay(y, m, d); }

}  // namespace krav::test
