// The real Setup.exe under Wine (tests/wine/smoke.sh): started from a medium
// folder it shows dialog 102 with string 1, and control 1001 ends it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
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

// One Wine run for the suite: tests/wine/smoke.sh.
class WineSmoke : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (const char* tool : {"Setup.exe", "uidriver.exe", "uidriverdemo.exe"}) {
      if (!std::filesystem::exists(win32test::Win32BinDir() / tool)) {
        problem_ = win32test::MissingBuildMessage(win32test::Win32BinDir() / tool);
        return;
      }
    }
    // A folder of this process's own: ctest may run the suite's tests at once.
    out_ = std::filesystem::path(SETUP_BINARY_DIR) / ("wine-smoke-" + std::to_string(::getpid()));
    std::filesystem::remove_all(out_);
    log_ = win32test::RunCommand("'" + std::string(SETUP_SOURCE_DIR) + "/tests/wine/smoke.sh' '" +
                                     win32test::Win32BinDir().string() + "' '" + out_.string() +
                                     "' 2>&1",
                                 &status_);
  }
  static void TearDownTestSuite() {
    if (!out_.empty()) std::filesystem::remove_all(out_);
  }
  void SetUp() override {
    ASSERT_TRUE(problem_.empty()) << problem_;
    if (status_ == 77) GTEST_SKIP() << log_;
    ASSERT_EQ(status_, 0) << log_;
  }
  std::vector<win32test::DriverEvent> Events(const char* file) {
    std::string bad;
    auto events = win32test::ParseDriverTranscript(ReadText(out_ / file), &bad);
    EXPECT_TRUE(bad.empty()) << bad;
    return events;
  }
  static std::vector<std::string> Order(const std::vector<win32test::DriverEvent>& events) {
    std::vector<std::string> order;
    for (const auto& event : events) order.push_back(event.event);
    return order;
  }

  static inline std::string problem_;
  static inline std::filesystem::path out_;
  static inline std::string log_;
  static inline int status_ = 0;
};

TEST_F(WineSmoke, SetupShowsTheDialogAndEndsOnExit) {
  auto events = Events("transcript.txt");
  EXPECT_EQ(Order(events), (std::vector<std::string>{"dialog", "control", "control", "control",
                                                     "press", "closed", "done"}))
      << log_;
  ASSERT_GE(events.size(), 5u) << log_;
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
  EXPECT_EQ(ReadText(out_ / "setup-exit"), "0\n") << "Setup.exe's exit status";
}

// What the driver reads of message boxes, and that its answers reach them.
TEST_F(WineSmoke, DriverReadsAndAnswersMessageBoxes) {
  auto events = Events("boxes.txt");
  struct Box {
    const char* text;
    const char* icon;
    const char* buttons;
    const char* answer;
  };
  const Box expected[] = {{"first\nsecond line", "exclamation", "ok", "ok"},
                          {"information", "information", "ok", "ok"},
                          {"question", "question", "okcancel", "cancel"},
                          {"plain", "none", "ok", "ok"}};
  ASSERT_EQ(events.size(), std::size(expected) + 1) << log_;
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(expected[i].text);
    EXPECT_EQ(events[i].event, "box");
    EXPECT_EQ(events[i].Field("owner"), "none");
    EXPECT_EQ(events[i].Field("caption"), "uidriver demo");
    EXPECT_EQ(events[i].Field("text"), expected[i].text);
    EXPECT_EQ(events[i].Field("icon"), expected[i].icon);
    EXPECT_EQ(events[i].Field("buttons"), expected[i].buttons);
    EXPECT_EQ(events[i].Field("answer"), expected[i].answer);
  }
  EXPECT_EQ(events.back().event, "done");
  // The demo got IDOK, IDOK, IDCANCEL, IDOK.
  std::string answers = ReadText(out_ / "demo.txt");
  answers.erase(std::remove(answers.begin(), answers.end(), '\r'), answers.end());
  EXPECT_EQ(answers, "answer 1\nanswer 1\nanswer 2\nanswer 1\n");
}

}  // namespace
