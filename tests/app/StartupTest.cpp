// Start-up: the flavour for the settings file, the DisplayError setting, and the
// dialog run as the main window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/CSetupApp.h"
#include "install/SetupMachine.h"

namespace setup_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kVersionError = "Error In Getting OS Version Information!";

std::string Settings(const std::string& value) {
  return "[DisplayError]\r\nDisplay=" + value + "\r\n";
}

class StartupTest : public SetupMachineTest {};

TEST_F(StartupTest, SettingsComeFromTheFlavourOfTheRunningWindows) {
  for (const WindowsVersion& version : AllVersions()) {
    SCOPED_TRACE(version.name);
    NewMachine(OsOf(version));
    // Each subfolder tells by its value which one was read.
    machine_->WriteFile("E:\\win2k&xp\\ZorpInputs.ini", Settings("22"));
    machine_->WriteFile("E:\\win98&me\\ZorpInputs.ini", Settings("98"));
    CSetupApp app(machine_->Os());
    EXPECT_EQ(app.DetectOSFlavour(), 1);
    EXPECT_EQ(app.ReadSettings(), version.win2kXp == 1 ? 22 : 98);
    EXPECT_EQ(app.m_nDisplayError, version.win2kXp == 1 ? 22 : 98);
    EXPECT_EQ(app.m_bWin2kXp, version.win2kXp == 1 ? 1 : 0);
    EXPECT_THAT(BoxTexts(), IsEmpty());
    TearDown();
  }
}

TEST_F(StartupTest, SettingsValues) {
  struct Case {
    const char* label;
    const char* currentFolder;
    const char* file;  // null: no settings file
    std::string contents;
    int expected;
    const char* path = "E:\\win98&me\\ZorpInputs.ini";  // the path read, exactly
  };
  const Case cases[] = {
      {"drive root", "E:\\", "E:\\win98&me\\ZorpInputs.ini", Settings("0"), 0},
      {"folder", "E:\\DRIVERS", "E:\\DRIVERS\\win98&me\\ZorpInputs.ini", Settings("0"), 0,
       "E:\\DRIVERS\\win98&me\\ZorpInputs.ini"},
      {"folder, file beside it only", "E:\\DRIVERS", "E:\\win98&me\\ZorpInputs.ini", Settings("0"),
       1, "E:\\DRIVERS\\win98&me\\ZorpInputs.ini"},
      {"no settings file", "E:\\", nullptr, "", 1},
      {"section missing", "E:\\", "E:\\win98&me\\ZorpInputs.ini", "[Other]\r\nDisplay=0\r\n", 1},
      {"key missing", "E:\\", "E:\\win98&me\\ZorpInputs.ini", "[DisplayError]\r\nShow=0\r\n", 1},
      {"any other number", "E:\\", "E:\\win98&me\\ZorpInputs.ini", Settings("2"), 2},
      {"negative", "E:\\", "E:\\win98&me\\ZorpInputs.ini", Settings("-5"), -5},
      {"not a number", "E:\\", "E:\\win98&me\\ZorpInputs.ini", Settings("off"), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    sim::OsConfig os = Os98();
    os.currentFolder = c.currentFolder;
    NewMachine(os);
    if (c.file != nullptr) machine_->WriteFile(c.file, c.contents);
    CSetupApp app(machine_->Os());
    app.DetectOSFlavour();
    EXPECT_EQ(app.ReadSettings(), c.expected);
    EXPECT_EQ(app.m_nDisplayError, c.expected);
    std::vector<std::string> read;
    for (const sim::CallRecord& call : machine_->Calls())
      if (call.operation == "GetPrivateProfileInt") read.push_back(call.target);
    EXPECT_THAT(read, ElementsAre(c.path));
    TearDown();
  }
}

// Without the current directory the path starts at the root of the current drive.
TEST_F(StartupTest, UnreadableCurrentDirectoryReadsFromTheDriveRoot) {
  sim::OsConfig os = Os98();
  os.currentFolder = "E:\\DRIVERS";
  NewMachine(os);
  machine_->WriteFile("E:\\DRIVERS\\win98&me\\ZorpInputs.ini", Settings("3"));
  machine_->WriteFile("E:\\win98&me\\ZorpInputs.ini", Settings("0"));
  machine_->AddFault("GetCurrentDirectory", "*", plat::kErrorAccessDenied);
  CSetupApp app(machine_->Os());
  app.DetectOSFlavour();
  EXPECT_EQ(app.ReadSettings(), 0);
  EXPECT_THAT(BoxTexts(), IsEmpty());
}

// A current directory too long for the settings path: nothing is read, and the
// default applies (no cut path is handed to the system).
TEST_F(StartupTest, CurrentDirectoryTooLongGivesTheDefault) {
  for (std::size_t depth : {240u, 258u}) {
    SCOPED_TRACE(depth);
    sim::OsConfig os = OsXp();
    os.currentFolder = "E:\\" + std::string(depth, 'm');
    NewMachine(os);
    machine_->WriteFile("E:\\win2k&xp\\ZorpInputs.ini", Settings("0"));
    CSetupApp app(machine_->Os());
    app.DetectOSFlavour();
    EXPECT_EQ(app.ReadSettings(), 1);
    ExpectNoOverlongPath();
    TearDown();
  }
}

TEST_F(StartupTest, FailedVersionQueryIsAlwaysShownAndStartUpGoesOn) {
  NewMachine(OsXp());
  machine_->WriteFile("E:\\win98&me\\ZorpInputs.ini", Settings("0"));
  machine_->WriteFile("E:\\win2k&xp\\ZorpInputs.ini", Settings("7"));
  machine_->AddFault("VersionQuery", "*", plat::kErrorInvalidParameter);
  machine_->SetUserActions({sim::UserAction::kPressExit});
  CSetupApp app(machine_->Os());
  EXPECT_EQ(app.InitInstance(), 0);
  // Errors are off by the settings, yet the box came, before the dialog.
  ASSERT_THAT(BoxTexts(), ElementsAre(kVersionError));
  EXPECT_EQ(machine_->MessageBoxes()[0].icon, "exclamation");
  EXPECT_EQ(machine_->MessageBoxes()[0].buttons, "ok");
  EXPECT_EQ(machine_->MessageBoxes()[0].statusWhileShown, 0);
  EXPECT_EQ(app.m_bWin2kXp, 0);
  EXPECT_EQ(app.m_nDisplayError, 0);
  ASSERT_FALSE(machine_->DialogHistory().empty());
  EXPECT_EQ(machine_->DialogHistory().front().status, 1);
  EXPECT_EQ(machine_->DialogHistory().back().ended, "IDCANCEL");
}

TEST_F(StartupTest, InitInstanceRunsTheDialogOnceAndEnds) {
  NewMachine(OsXp());
  WriteMedium();
  machine_->SetUserActions({sim::UserAction::kPressExit});
  CSetupApp app(machine_->Os());
  EXPECT_EQ(app.InitInstance(), 0);
  EXPECT_EQ(app.m_pMainWnd, nullptr);
  EXPECT_EQ(app.m_bWin2kXp, 1);
  EXPECT_EQ(app.m_nDisplayError, 1);
  EXPECT_EQ(machine_->DialogHistory().back().ended, "IDCANCEL");
  EXPECT_THAT(machine_->Changes(), IsEmpty());
}

}  // namespace
}  // namespace setup_test
