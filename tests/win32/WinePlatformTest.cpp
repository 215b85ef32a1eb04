// The Windows implementation of every platform interface and the run-time
// support of Setup.exe, run against Wine's Windows API as XP and as 98
// (tools/win32check and tools/runtimecheck via tests/wine/platform-check.sh).

#include <gtest/gtest.h>

#include <regex>

#include "win32/Win32Build.h"

namespace {

TEST(WinePlatform, EveryInterfaceBehavesAsTheCallsItStandsFor) {
  for (const char* tool : {"win32check.exe", "runtimecheck.exe"}) {
    ASSERT_TRUE(std::filesystem::exists(win32test::Win32BinDir() / tool))
        << win32test::MissingBuildMessage(win32test::Win32BinDir() / tool);
  }
  int status = 0;
  std::string log = win32test::RunCommand(
      "'" + std::string(SETUP_SOURCE_DIR) + "/tests/wine/platform-check.sh' '" +
          win32test::Win32BinDir().string() + "' winxp win98 2>&1",
      &status);
  if (status == 77) GTEST_SKIP() << log;
  EXPECT_EQ(status, 0) << log;
  // Every run finished and counted its checks.
  auto count = [&](const std::string& pattern) {
    std::regex expression(pattern);
    return std::distance(std::sregex_iterator(log.begin(), log.end(), expression),
                         std::sregex_iterator());
  };
  EXPECT_EQ(count(R"(win32check: \d+ checks, 0 failed)"), 2) << log;
  EXPECT_EQ(count(R"(runtimecheck: \d+ checks, 0 failed)"), 2) << log;
  // After WinMain: the exit functions and static destructors, last registered first.
  EXPECT_EQ(count("exit function 2\r?\nexit function 1\r?\ndestroyed b\r?\ndestroyed a"), 2) << log;
}

}  // namespace
