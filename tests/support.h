// Shared pieces of the tests: a temporary root directory and builders of
// record lines.
#pragma once

#include <unistd.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "engine/dates.h"
#include "platform/files.h"

namespace krav::test {

// A fresh root directory with "Temp/" and one user's data directory; removed
// when the object goes.
class TempRoot {
 public:
  explicit TempRoot(std::string user = "user");
  ~TempRoot();
  const std::string& root() const { return root_; }
  const std::string& user() const { return user_; }
  std::string dataDir() const;
  std::string data(std::string_view file) const { return dataDir() + std::string(file); }
  void write(const std::string& path, const Lines& lines) const;
  Lines read(const std::string& path) const;

 private:
  std::string root_;
  std::string user_;
};

// A case that needs a file its user cannot read or write: root can, so as
// root it is skipped, and krav_unprivileged() in CMake runs it again as an
// unprivileged user, where a skip fails the run.
#define KRAV_SKIP_AS_ROOT() \
  if (::geteuid() == 0) GTEST_SKIP() << "root reads and writes every file; CTest runs this case unprivileged"

// Joins pieces with a separator character.
std::string Join(std::initializer_list<std::string_view> parts, char sep);
// A planner record: kind #3 A #1 B #1 C #3 text; groups given with "|" for #2.
std::string Record(std::string_view kind, std::string_view a, std::string_view b, std::string_view c,
                   std::string_view text);
// "|" written for #2.
std::string Sub(std::string_view s);

// Fixes the engine's clock while the object lives.
class FixedClock {
 public:
  explicit FixedClock(DateTime now);
  ~FixedClock();
  void set(DateTime now);

 private:
  DateTime now_;
};

// Day number of a date.
DayNumber D(int y, int m, int d);

}  // namespace krav::test
