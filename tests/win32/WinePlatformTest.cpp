// The Windows implementation of every platform interface, run against Wine's
// Windows API as XP and as 98 (tools/win32check via tests/wine/platform-check.sh).

#include <gtest/gtest.h>

#include <regex>

#include "win32/Win32Build.h"

namespace {

TEST(WinePlatform, EveryInterfaceBehavesAsTheCallsItStandsFor) {
  ASSERT_TRUE(std::filesystem::exists(win32test::Win32BinDir() / "win32check.exe"))
      << win32test::MissingBuildMessage(win32test::Win32BinDir() / "win32check.exe");
  int status = 0;
  std::string log = win32test::RunCommand(
      "'" + std::string(SETUP_SOURCE_DIR) + "/tests/wine/platform-check.sh' '" +
          win32test::Win32BinDir().string() + "' winxp win98 2>&1",
      &status);
  if (status == 77) GTEST_SKIP() << log;
  EXPECT_EQ(status, 0) << log;
  // Both runs finished and counted their checks.
  std::regex summary(R"(win32check: (\d+) checks, 0 failed)");
  auto runs =
      std::distance(std::sregex_iterator(log.begin(), log.end(), summary), std::sregex_iterator());
  EXPECT_EQ(runs, 2) << log;
}

}  // namespace
