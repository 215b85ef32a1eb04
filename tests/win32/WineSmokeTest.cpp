// The real Setup.exe under Wine (tests/wine/smoke.sh): started from a medium
// folder it shows dialog 102 with string 1, and control 1001 ends it.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "res/StringTable.h"
#include "win32/DriverTranscript.h"
#include "win32/Win32Build.h"

namespace {

std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(DriverTranscript, ParsesQuotedAndPlainFields) {
  std::string bad;
  auto events = win32test::ParseDriverTranscript(
      "dialog caption=\"USB Compound Device Setup\"\n"
      "control id=1000 text=\"a \\\"b\\\"\\nc\\\\\" enabled=1\r\n"
      "box owner=none caption=\"\" answer=ok\n"
      "broken text=\"no end\n",
      &bad);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].Field("caption"), "USB Compound Device Setup");
  EXPECT_EQ(events[1].Field("id"), "1000");
  EXPECT_EQ(events[1].Field("text"), "a \"b\"\nc\\");
  EXPECT_EQ(events[1].Field("enabled"), "1");
  EXPECT_EQ(events[2].Field("caption"), "");
  EXPECT_EQ(events[2].Field("answer"), "ok");
  EXPECT_EQ(bad, "broken text=\"no end");
}

TEST(WineSmoke, SetupShowsTheDialogAndEndsOnExit) {
  for (const char* tool : {"Setup.exe", "uidriver.exe"}) {
    ASSERT_TRUE(std::filesystem::exists(win32test::Win32BinDir() / tool))
        << win32test::MissingBuildMessage(win32test::Win32BinDir() / tool);
  }
  std::filesystem::path out = std::filesystem::path(SETUP_BINARY_DIR) / "wine-smoke";
  std::filesystem::remove_all(out);
  int status = 0;
  std::string log =
      win32test::RunCommand("'" + std::string(SETUP_SOURCE_DIR) + "/tests/wine/smoke.sh' '" +
                                win32test::Win32BinDir().string() + "' '" + out.string() + "' 2>&1",
                            &status);
  if (status == 77) GTEST_SKIP() << log;
  ASSERT_EQ(status, 0) << log;

  std::string bad;
  auto events = win32test::ParseDriverTranscript(ReadText(out / "transcript.txt"), &bad);
  EXPECT_TRUE(bad.empty()) << bad;
  std::vector<std::string> order;
  for (const auto& event : events) order.push_back(event.event);
  EXPECT_EQ(order, (std::vector<std::string>{"dialog", "control", "control", "control", "press",
                                             "closed", "done"}))
      << log;
  ASSERT_GE(events.size(), 5u) << log;
  EXPECT_EQ(events[0].Field("caption"), "USB Compound Device Setup");
  EXPECT_EQ(events[1].Field("id"), "1000");
  EXPECT_EQ(events[1].Field("text"), res::kStrings[1]);
  EXPECT_EQ(events[2].Field("id"), "1");
  EXPECT_EQ(events[2].Field("text"), "&Install");
  EXPECT_EQ(events[2].Field("enabled"), "1");
  EXPECT_EQ(events[2].Field("focused"), "1");
  EXPECT_EQ(events[3].Field("id"), "1001");
  EXPECT_EQ(events[3].Field("text"), "&Exit");
  EXPECT_EQ(events[3].Field("enabled"), "1");
  EXPECT_EQ(events[4].Field("id"), "1001");
  EXPECT_EQ(ReadText(out / "setup-exit"), "0\n") << "Setup.exe's exit status";
}

}  // namespace
