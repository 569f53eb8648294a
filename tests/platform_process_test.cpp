#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/process.h"
#include "support.h"

namespace krav {
namespace {

using Args = std::vector<std::string>;

TEST(SplitArguments, LikeAPosixShell) {
  EXPECT_EQ(SplitArguments("a b  c"), (Args{"a", "b", "c"}));
  EXPECT_EQ(SplitArguments("  "), Args{});
  EXPECT_EQ(SplitArguments("\"two words\" 'single $HOME' x"), (Args{"two words", "single $HOME", "x"}));
  EXPECT_EQ(SplitArguments("a\\ b c\\\\d"), (Args{"a b", "c\\d"}));
  EXPECT_EQ(SplitArguments("\"say \\\"hi\\\" \\n\""), (Args{"say \"hi\" \\n"}));
  EXPECT_EQ(SplitArguments("pre\"mid dle\"post ''"), (Args{"premid dlepost", ""}));
  EXPECT_EQ(SplitArguments("$(rm -rf /) `x` ; | &"), (Args{"$(rm", "-rf", "/)", "`x`", ";", "|", "&"}));
}

std::string WaitForFile(const std::string& path) {
  std::string bytes;
  for (int i = 0; i < 1000; ++i) {
    if (LoadBytes(path, bytes)) return bytes;
    ::usleep(10 * 1000);
  }
  return "(none)";
}

TEST(StartProgram, TheProgramReceivesItsArguments) {
  test::TempRoot t;
  const std::string out = t.root() + "args.txt";
  const std::string prog = std::string(KRAV_TEST_BIN_DIR) + "/test_argdump";
  ASSERT_TRUE(StartProgram(prog, "'" + out + "' \"two words\" plain 'it''s' a\\ b"));
  EXPECT_EQ(WaitForFile(out), "two words\nplain\nits\na b\n");
  const std::string out2 = t.root() + "args2.txt";
  ASSERT_TRUE(StartCommandLine(prog + " " + out2 + " x"));
  EXPECT_EQ(WaitForFile(out2), "x\n");
}

TEST(StartProgram, FailuresAreQuietAndLeaveNoZombies) {
  EXPECT_FALSE(StartProgram("/no/such/program", ""));
  EXPECT_FALSE(StartCommandLine(""));
  EXPECT_FALSE(StartCommandLine("no-such-program-anywhere --x"));
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(StartCommandLine("true"));
  // Every child was reaped (or adopted by init): none is left for us.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

}  // namespace
}  // namespace krav
