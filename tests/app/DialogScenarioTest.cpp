// The setup dialog driven by a simulated user: every state of the dialog, the
// transitions between them, the restart and the Escape key.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/CSetupApp.h"
#include "install/SetupMachine.h"

namespace setup_test {
namespace {

using sim::UserAction;
using ::testing::ElementsAreArray;

constexpr UserAction kInstall = UserAction::kPressInstall;
constexpr UserAction kExit = UserAction::kPressExit;
constexpr UserAction kEscape = UserAction::kPressEscape;

// The dialog's state as the state table names it, "" for a moment between two.
std::string StateOf(const sim::DialogSnapshot& d) {
  const sim::ControlState& i = d.install;
  const sim::ControlState& e = d.exit;
  bool plainTexts = i.text == "&Install" && e.text == "&Exit";
  bool rebootTexts = i.text == "Reboot Now" && e.text == "Reboot Later";
  bool exitOnly = plainTexts && !i.enabled && e.enabled && e.focused;
  if (d.status == 1 && plainTexts && i.enabled && i.focused && e.enabled) return "Ready";
  if (d.status == 7 && !i.enabled && !e.enabled) return "Installing";
  if (d.status == 3 && rebootTexts && i.enabled && i.focused && e.enabled) return "Restart offered";
  if (d.status == 6 && exitOnly) return "Completed";
  if (d.status == 4 && exitOnly) return "Update declined";
  if (d.status == 5 && exitOnly) return "Failed";
  if (d.status == 3 && rebootTexts && !i.enabled && !e.enabled) return "Restarting";
  return "";
}

// The states passed through, each once per stay.
std::vector<std::string> States(const std::vector<sim::DialogSnapshot>& history) {
  std::vector<std::string> states;
  for (const sim::DialogSnapshot& snapshot : history) {
    std::string state = StateOf(snapshot);
    if (!state.empty() && (states.empty() || states.back() != state)) states.push_back(state);
  }
  return states;
}

enum class MachineKind { kFresh, kEarlier, kNoUninstaller };

struct Scenario {
  const char* label;
  bool win2kXp;
  MachineKind machine;
  int answer;
  std::vector<UserAction> actions;
  std::vector<std::string> states;
  const char* ended;
  bool restart;
};

class DialogScenarioTest : public SetupMachineTest {
 protected:
  void Run(const Scenario& s) {
    NewMachine(s.win2kXp ? OsXp() : Os98());
    WriteMedium();
    if (s.machine == MachineKind::kEarlier)
      AddDriverInstance(s.win2kXp, "0000", "Quorvex USB Compound Device");
    if (s.machine == MachineKind::kNoUninstaller) {
      ASSERT_TRUE(std::filesystem::remove(machine_->HostPath("E:\\VyxUnst.exe")));
    }
    machine_->SetQuestionAnswer(s.answer);
    machine_->SetUserActions(s.actions);
    CSetupApp app(machine_->Os());
    EXPECT_EQ(app.InitInstance(), 0);
  }
};

const std::vector<Scenario>& Scenarios() {
  static const std::vector<Scenario> scenarios = {
      {"exit at once",
       true,
       MachineKind::kFresh,
       plat::kIdOk,
       {kExit},
       {"Ready"},
       "IDCANCEL",
       false},
      {"first installation",
       true,
       MachineKind::kFresh,
       plat::kIdOk,
       {kInstall, kExit},
       {"Ready", "Installing", "Completed"},
       "IDCANCEL",
       false},
      {"first installation, 98",
       false,
       MachineKind::kFresh,
       plat::kIdOk,
       {kInstall, kExit},
       {"Ready", "Installing", "Completed"},
       "IDCANCEL",
       false},
      {"update, reboot later",
       true,
       MachineKind::kEarlier,
       plat::kIdOk,
       {kInstall, kExit},
       {"Ready", "Installing", "Restart offered"},
       "IDCANCEL",
       false},
      {"update, reboot now",
       true,
       MachineKind::kEarlier,
       plat::kIdOk,
       {kInstall, kInstall},
       {"Ready", "Installing", "Restart offered", "Restarting"},
       "IDOK",
       true},
      {"update, reboot now, 98",
       false,
       MachineKind::kEarlier,
       plat::kIdOk,
       {kInstall, kInstall},
       {"Ready", "Installing", "Restart offered", "Restarting"},
       "IDOK",
       true},
      {"update declined",
       true,
       MachineKind::kEarlier,
       plat::kIdCancel,
       {kInstall, kExit},
       {"Ready", "Installing", "Update declined"},
       "IDCANCEL",
       false},
      {"failed",
       true,
       MachineKind::kNoUninstaller,
       plat::kIdOk,
       {kInstall, kExit},
       {"Ready", "Installing", "Failed"},
       "IDCANCEL",
       false},
      // Escape (and a close request) in every state leaves the dialog as it is.
      {"escape, ready",
       true,
       MachineKind::kFresh,
       plat::kIdOk,
       {kEscape, kEscape},
       {"Ready"},
       "",
       false},
      {"escape, completed",
       true,
       MachineKind::kFresh,
       plat::kIdOk,
       {kEscape, kInstall, kEscape, kExit},
       {"Ready", "Installing", "Completed"},
       "IDCANCEL",
       false},
      {"escape, restart offered",
       true,
       MachineKind::kEarlier,
       plat::kIdOk,
       {kEscape, kInstall, kEscape, kInstall},
       {"Ready", "Installing", "Restart offered", "Restarting"},
       "IDOK",
       true},
      {"escape, declined",
       true,
       MachineKind::kEarlier,
       plat::kIdCancel,
       {kInstall, kEscape, kEscape},
       {"Ready", "Installing", "Update declined"},
       "",
       false},
      {"escape, failed",
       true,
       MachineKind::kNoUninstaller,
       plat::kIdOk,
       {kInstall, kEscape, kExit},
       {"Ready", "Installing", "Failed"},
       "IDCANCEL",
       false},
      // The installation runs once: Install is dead after it.
      {"install twice, completed",
       true,
       MachineKind::kFresh,
       plat::kIdOk,
       {kInstall, kInstall, kExit},
       {"Ready", "Installing", "Completed"},
       "IDCANCEL",
       false},
      {"install twice, failed",
       true,
       MachineKind::kNoUninstaller,
       plat::kIdOk,
       {kInstall, kInstall, kExit},
       {"Ready", "Installing", "Failed"},
       "IDCANCEL",
       false},
      {"install twice, declined",
       true,
       MachineKind::kEarlier,
       plat::kIdCancel,
       {kInstall, kInstall, kExit},
       {"Ready", "Installing", "Update declined"},
       "IDCANCEL",
       false},
  };
  return scenarios;
}

TEST_F(DialogScenarioTest, StatesAndTransitions) {
  for (const Scenario& s : Scenarios()) {
    SCOPED_TRACE(s.label);
    Run(s);
    const auto& history = machine_->DialogHistory();
    ASSERT_FALSE(history.empty());
    EXPECT_THAT(States(history), ElementsAreArray(s.states));
    EXPECT_EQ(history.back().ended, s.ended);
    EXPECT_EQ(StateOf(history.back()), s.states.back());
    const sim::RestartRecord& restart = machine_->Restart();
    EXPECT_EQ(restart.requested, s.restart);
    if (s.restart) {
      EXPECT_EQ(restart.flags, plat::kEwxShutdown | plat::kEwxReboot);
      // Only the Windows 2000/XP set adjusts the process token.
      EXPECT_EQ(restart.privilegeEnabled, s.win2kXp);
    }
    // The question comes at most once, while "in progress" is on screen.
    int questions = 0;
    for (const sim::MessageBoxRecord& box : machine_->MessageBoxes()) {
      if (box.caption == "UsbZorp Installer") ++questions;
      EXPECT_EQ(box.statusWhileShown, 7) << box.text;
    }
    EXPECT_EQ(questions,
              s.machine == MachineKind::kEarlier &&
                      std::find(s.actions.begin(), s.actions.end(), kInstall) != s.actions.end()
                  ? 1
                  : 0);
    TearDown();
  }
}

TEST_F(DialogScenarioTest, ErrorBoxesAppearWhileTheRunIsInProgress) {
  NewMachine(OsXp());
  WriteMedium();
  machine_->AddFault("CopyFile", "E:\\win2k&xp\\DbgMsg.sys", plat::kErrorFileNotFound);
  machine_->SetUserActions({kInstall, kExit});
  CSetupApp app(machine_->Os());
  app.InitInstance();
  ASSERT_EQ(machine_->MessageBoxes().size(), 1u);
  const sim::MessageBoxRecord& box = machine_->MessageBoxes()[0];
  EXPECT_EQ(box.text, "Error: All Component of the setup package are not present");
  EXPECT_EQ(box.owner, "dialog");
  EXPECT_EQ(box.statusWhileShown, 7);
  EXPECT_EQ(StateOf(machine_->DialogHistory().back()), "Failed");
}

TEST_F(DialogScenarioTest, SettingsTurnTheSequenceErrorBoxesOff) {
  NewMachine(OsXp());
  WriteMedium();
  machine_->WriteFile("E:\\win2k&xp\\ZorpInputs.ini", "[DisplayError]\r\nDisplay=0\r\n");
  machine_->AddFault("CreateDirectory", "C:\\VyxUZorp", plat::kErrorAccessDenied);
  machine_->SetUserActions({kInstall, kExit});
  CSetupApp app(machine_->Os());
  app.InitInstance();
  EXPECT_TRUE(machine_->MessageBoxes().empty());
  EXPECT_EQ(StateOf(machine_->DialogHistory().back()), "Failed");
}

TEST_F(DialogScenarioTest, WindowsOnDriveDStagesThere) {
  NewMachine(OsXp("D:\\WINDOWS"));
  WriteMedium();
  machine_->SetUserActions({kInstall, kExit});
  CSetupApp app(machine_->Os());
  app.InitInstance();
  EXPECT_EQ(StateOf(machine_->DialogHistory().back()), "Completed");
  EXPECT_TRUE(machine_->FileExists("D:\\VyxUZorp\\win2k&xp\\VyxUPort.inf"));
  EXPECT_FALSE(machine_->FolderExists("C:\\VyxUZorp"));
  EXPECT_FALSE(machine_->FolderExists("E:\\VyxUZorp"));
}

}  // namespace
}  // namespace setup_test
