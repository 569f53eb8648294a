// The built libdorvik.so, loaded with dlopen and driven as the shell drives it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "engine/dates.h"
#include "engine/text.h"
#include "plugin_support.h"

namespace krav {
namespace {

using test::Record;

const std::string kLibrary = std::string(KRAV_BUILD_DIR) + "/plugin/libdorvik.so";

struct Dorvik {
  void* handle = nullptr;
  void (*InitIf)(const char*, int*, int*) = nullptr;
  void (*CheckIf)(int) = nullptr;
  void (*CommandIf)(int, int) = nullptr;
  void (*FreeIf)() = nullptr;

  Dorvik() {
    handle = ::dlopen(kLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return;
    InitIf = reinterpret_cast<decltype(InitIf)>(::dlsym(handle, "InitIf"));
    CheckIf = reinterpret_cast<decltype(CheckIf)>(::dlsym(handle, "CheckIf"));
    CommandIf = reinterpret_cast<decltype(CommandIf)>(::dlsym(handle, "CommandIf"));
    FreeIf = reinterpret_cast<decltype(FreeIf)>(::dlsym(handle, "FreeIf"));
  }
  ~Dorvik() {
    if (handle) ::dlclose(handle);
  }
  bool ok() const { return handle && InitIf && CheckIf && CommandIf && FreeIf; }
};

TEST(DorvikLibrary, ExportsExactlyTheFourFunctions) {
  FILE* p = ::popen(("nm -D --defined-only " + kLibrary).c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::set<std::string> names;
  char type;
  char name[512];
  unsigned long long address;
  while (std::fscanf(p, "%llx %c %511s", &address, &type, name) == 3) names.insert(name);
  ASSERT_EQ(::pclose(p), 0);
  EXPECT_EQ(names, (std::set<std::string>{"CheckIf", "CommandIf", "FreeIf", "InitIf"}));
}

class Loaded : public ::testing::Test {
 protected:
  test::ShellStandIn shell;
  test::TempRoot& t = shell.t;
  Dorvik lib;
  Lines due() { return t.read(t.data("mess-now.dat")); }
  void init() {
    ASSERT_TRUE(lib.ok()) << ::dlerror();
    int first = 0, last = 0;
    std::string root = t.root();
    root.pop_back();  // the library adds the missing "/"
    lib.InitIf(root.c_str(), &first, &last);
    EXPECT_EQ(first, 2000);
    EXPECT_EQ(last, 2999);
  }
};

TEST_F(Loaded, InitFiresTodaysUntimedRemindersAndBirthdays) {
  const std::string today = DateToText(Now());
  t.write(t.data("mess.dat"), {Record("3", "1|" + today, "", "21", "today")});
  t.write(t.data("adrs.str"), {"/c/a.adr" + std::string(1, kSep1) + "Anna," + today.substr(0, 5) + ".1990,5"});
  const std::int64_t start = TickCount();
  init();
  EXPECT_GE(TickCount() - start, 1200);
  EXPECT_EQ(due().size(), 2u);
  EXPECT_EQ(t.read(t.root() + "Temp/today.dat").size(), 2u);
  EXPECT_EQ(shell.received(), (std::vector<std::string>{"12086 0 0", "1034 0 513"}));
  lib.CheckIf(5);
  EXPECT_EQ(due().size(), 2u);
  lib.FreeIf();
}

TEST_F(Loaded, AReminderFiresInItsMinuteOnlyOnce) {
  // Against the real clock: a minute that turns over during the steps is
  // tried again. The check of InitIf finds the reminder of this minute; the
  // later checks of the same minute find nothing more.
  for (int attempt = 0; attempt < 3; ++attempt) {
    RemoveFile(t.data("mess-now.dat"));
    const DateTime now = Now();
    const std::string minute = TimeToText(now);
    t.write(t.data("mess.dat"), {Record("3", "1|" + DateToText(now), "", "22|" + minute, "now")});
    init();
    const std::size_t afterInit = due().size();
    for (int c = 1; c <= 10; ++c) lib.CheckIf(c);
    lib.CommandIf(2010, 0);
    lib.CheckIf(15);
    if (TimeToText(Now()) != minute) continue;
    EXPECT_EQ(afterInit, 1u);
    EXPECT_EQ(due().size(), 1u);
    lib.FreeIf();
    return;
  }
  FAIL() << "the minute turned over three times";
}

TEST_F(Loaded, SnoozeThroughCommandIf) {
  init();
  EXPECT_TRUE(WriteIniString(shell.shellIni(), "Voza", "Text", "call back"));
  EXPECT_TRUE(WriteIniString(shell.shellIni(), "Voza", "Min", "30"));
  lib.CommandIf(2015, 0);
  const Lines store = t.read(t.data("mess.dat"));
  ASSERT_EQ(store.size(), 1u);
  EXPECT_EQ(GetField(store[0], kSep3, 3), "call back");
  lib.CommandIf(1999, 0);  // not ours: nothing
  lib.FreeIf();
}

TEST_F(Loaded, NothingCrossesIntoTheShell) {
  ASSERT_TRUE(lib.ok());
  int first = 0, last = 0;
  lib.InitIf(nullptr, &first, &last);
  lib.InitIf("/nonexistent/root", nullptr, nullptr);
  lib.CheckIf(5);
  lib.CommandIf(2015, 0);
  lib.CommandIf(2010, 1);
  lib.FreeIf();
  EXPECT_EQ(first, 2000);
}

}  // namespace
}  // namespace krav
