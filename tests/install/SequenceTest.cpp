// The installation sequence: flavour, detection and question, removal, staging,
// deployment, and the three results.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/CSetupApp.h"
#include "install/CDriverInstaller.h"
#include "install/SetupMachine.h"
#include "res/StringTable.h"

namespace setup_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kVersionError = "Error In Getting OS Version Information!";
constexpr const char* kFolderError = "Error: Error In creating the directory";

std::string ReadHostFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class SequenceTest : public SetupMachineTest {
 protected:
  void Start(const sim::OsConfig& os, int displayError = 1) {
    NewMachine(os);
    WriteMedium();
    app_ = std::make_unique<CSetupApp>(machine_->Os());
    app_->m_nDisplayError = displayError;
    installer_ = std::make_unique<CDriverInstaller>(machine_->Os(), *app_);
  }
  void TearDown() override {
    installer_.reset();
    app_.reset();
    SetupMachineTest::TearDown();
  }

  std::unique_ptr<CSetupApp> app_;
  std::unique_ptr<CDriverInstaller> installer_;
};

TEST_F(SequenceTest, VersionDecidesTheFlavourOrLeavesIt) {
  for (const WindowsVersion& version : AllVersions()) {
    for (int before : {0, 1}) {
      SCOPED_TRACE(std::string(version.name) + " from " + std::to_string(before));
      Start(OsOf(version));
      installer_->m_bWin2kXp = before;
      EXPECT_EQ(installer_->DetectOSFlavour(), 1);
      EXPECT_EQ(installer_->m_bWin2kXp, version.win2kXp < 0 ? before : version.win2kXp);
      EXPECT_THAT(BoxTexts(), IsEmpty());
      TearDown();
    }
  }
}

TEST_F(SequenceTest, FailedVersionQueryIsShownOnlyWhileErrorsAreOn) {
  for (int displayError : {0, 1}) {
    SCOPED_TRACE(displayError);
    Start(OsXp(), displayError);
    machine_->AddFault("VersionQuery", "*", plat::kErrorInvalidParameter);
    EXPECT_EQ(installer_->RunInstallation(), 1);
    // The flavour stays the Windows 98/Me set, on an XP machine.
    EXPECT_EQ(installer_->m_bWin2kXp, 0);
    EXPECT_TRUE(machine_->FolderExists("C:\\VyxUZorp\\win98&me"));
    EXPECT_FALSE(machine_->FolderExists("C:\\VyxUZorp\\win2k&xp"));
    if (displayError) {
      ASSERT_THAT(BoxTexts(), ElementsAre(kVersionError));
      EXPECT_EQ(machine_->MessageBoxes()[0].icon, "exclamation");
    } else {
      EXPECT_THAT(BoxTexts(), IsEmpty());
    }
    TearDown();
  }
}

TEST_F(SequenceTest, FreshSystemInstallsWithoutQuestionOrRestart) {
  for (bool win2kXp : {false, true}) {
    SCOPED_TRACE(Subfolder(win2kXp));
    Start(win2kXp ? OsXp() : Os98());
    EXPECT_EQ(installer_->RunInstallation(), 1);
    EXPECT_EQ(installer_->m_bWin2kXp, win2kXp ? 1 : 0);
    EXPECT_EQ(installer_->IsRebootNeeded(), 0);
    EXPECT_THAT(BoxTexts(), IsEmpty());
    EXPECT_TRUE(machine_->FileExists(std::string("C:\\VyxUZorp") + Subfolder(win2kXp) +
                                     StagingList(win2kXp)[0].name));
    TearDown();
  }
}

TEST_F(SequenceTest, QuestionIsAskedWithoutOwnerAndWithOkAndCancel) {
  for (int displayError : {0, 1}) {
    SCOPED_TRACE(displayError);
    Start(OsXp(), displayError);
    AddDriverInstance(true, "0000", "Quorvex USB Compound Device");
    machine_->SetQuestionAnswer(plat::kIdCancel);
    EXPECT_EQ(installer_->RunInstallation(), 2);
    const auto& boxes = machine_->MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, "none");
    EXPECT_EQ(boxes[0].caption, "UsbZorp Installer");
    EXPECT_EQ(boxes[0].text, res::kStrings[2]);
    EXPECT_EQ(boxes[0].icon, "none");
    EXPECT_EQ(boxes[0].buttons, "okcancel");
    EXPECT_EQ(boxes[0].answer, "cancel");
    TearDown();
  }
}

TEST_F(SequenceTest, DeclinedUpdateLeavesTheMachineUnchanged) {
  for (bool win2kXp : {false, true}) {
    SCOPED_TRACE(Subfolder(win2kXp));
    Start(win2kXp ? OsXp() : Os98());
    AddDriverInstance(win2kXp, "0000", "Quorvex USB Compound Device");
    const std::string system = win2kXp ? "C:\\WINDOWS\\System32" : "C:\\WINDOWS\\SYSTEM";
    machine_->WriteFile(system + "\\VyxUnst.exe", "old uninstaller");
    machine_->WriteFile(std::string("C:\\VyxUZorp") + Subfolder(win2kXp) + "\\old.inf", "old");
    std::string error;
    ASSERT_TRUE(machine_->Save(&error)) << error;
    std::unique_ptr<sim::Machine> reloaded = sim::Machine::Load(folder_, &error);
    ASSERT_NE(reloaded, nullptr) << error;
    installer_.reset();
    app_.reset();
    machine_ = std::move(reloaded);
    app_ = std::make_unique<CSetupApp>(machine_->Os());
    app_->m_nDisplayError = 1;
    installer_ = std::make_unique<CDriverInstaller>(machine_->Os(), *app_);
    machine_->SetQuestionAnswer(plat::kIdCancel);
    const std::string registryBefore = ReadHostFile(folder_ / "registry.reg");

    EXPECT_EQ(installer_->RunInstallation(), 2);
    EXPECT_EQ(installer_->IsRebootNeeded(), 0);
    EXPECT_THAT(machine_->Changes(), IsEmpty());
    ASSERT_TRUE(machine_->Save(&error)) << error;
    EXPECT_EQ(ReadHostFile(folder_ / "registry.reg"), registryBefore);
    EXPECT_TRUE(machine_->FileExists(system + "\\VyxUnst.exe"));
    TearDown();
  }
}

// A question that could not be put is no consent to remove anything.
TEST_F(SequenceTest, QuestionThatCannotBeShownDeclinesTheUpdate) {
  Start(OsXp());
  AddDriverInstance(true, "0000", "Quorvex USB Compound Device");
  machine_->AddFault("MessageBox", "UsbZorp Installer", plat::kErrorNotEnoughMemory);
  EXPECT_EQ(installer_->RunInstallation(), 2);
  EXPECT_EQ(installer_->IsRebootNeeded(), 0);
  EXPECT_THAT(machine_->Changes(), IsEmpty());
}

TEST_F(SequenceTest, AcceptedUpdateRemovesThenInstallsAndAsksForARestart) {
  for (bool win2kXp : {false, true}) {
    SCOPED_TRACE(Subfolder(win2kXp));
    Start(win2kXp ? OsXp() : Os98());
    AddDriverInstance(win2kXp, "0000", "USB Compound Device (other maker)");
    const std::string system = win2kXp ? "C:\\WINDOWS\\System32" : "C:\\WINDOWS\\SYSTEM";
    machine_->WriteFile(system + "\\VyxUnst.exe", "old uninstaller", plat::kFileAttributeReadonly);
    machine_->WriteFile("C:\\VyxUZorp\\stale.txt", "stale");
    // A port driver key of the earlier installation, where the flavour's removal looks.
    const std::string portKey =
        win2kXp ? "HKLM\\System\\CurrentControlSet\\Control\\Class\\"
                  "{4D36E978-E325-11CE-BFC1-08002BE10318}\\0005"
                : "HKLM\\System\\CurrentControlSet\\Services\\Class\\Ports\\0005";
    machine_->SetString(portKey, win2kXp ? "ProviderName" : "DriverDesc",
                        win2kXp ? "QUORVEX Semiconductor Pvt Ltd" : "USB-to-Serial Port Driver");

    EXPECT_EQ(installer_->RunInstallation(), 1);
    EXPECT_FALSE(machine_->KeyExists(portKey));
    EXPECT_EQ(installer_->IsRebootNeeded(), 1);
    ASSERT_FALSE(machine_->MessageBoxes().empty());
    EXPECT_EQ(machine_->MessageBoxes()[0].caption, "UsbZorp Installer");
    EXPECT_EQ(machine_->MessageBoxes()[0].answer, "ok");
    // The old uninstaller is gone; the 98/Me deployment puts the new one there.
    if (win2kXp)
      EXPECT_FALSE(machine_->FileExists(system + "\\VyxUnst.exe"));
    else
      EXPECT_EQ(machine_->ReadFile(system + "\\VyxUnst.exe"), "MZ uninstaller");
    EXPECT_FALSE(machine_->FileExists("C:\\VyxUZorp\\stale.txt"));
    EXPECT_EQ(machine_->ReadFile("C:\\VyxUZorp\\VyxUnst.exe"), "MZ uninstaller");
    TearDown();
  }
}

TEST_F(SequenceTest, StagingFolderThatCannotBeMadeEndsTheRun) {
  for (int displayError : {0, 1}) {
    SCOPED_TRACE(displayError);
    Start(OsXp(), displayError);
    machine_->AddFault("CreateDirectory", "C:\\VyxUZorp", plat::kErrorAccessDenied);
    EXPECT_EQ(installer_->RunInstallation(), 0);
    if (displayError) {
      ASSERT_THAT(BoxTexts(), ElementsAre(kFolderError));
      EXPECT_EQ(machine_->MessageBoxes()[0].icon, "exclamation");
      EXPECT_EQ(machine_->MessageBoxes()[0].buttons, "ok");
    } else {
      EXPECT_THAT(BoxTexts(), IsEmpty());
    }
    // Neither staging nor deployment ran.
    for (const sim::Change& change : machine_->Changes())
      EXPECT_EQ(change.path.find("System32\\"), std::string::npos) << change.path;
    TearDown();
  }
}

TEST_F(SequenceTest, MediumWithoutUninstallerFailsSilently) {
  Start(OsXp());
  ASSERT_TRUE(std::filesystem::remove(machine_->HostPath("E:\\VyxUnst.exe")));
  EXPECT_EQ(installer_->RunInstallation(), 0);
  EXPECT_THAT(BoxTexts(), IsEmpty());
}

TEST_F(SequenceTest, RemovalBeforeAFailureLeavesTheRestartFlagSet) {
  Start(OsXp());
  AddDriverInstance(true, "0000", "Quorvex USB Compound Device");
  ASSERT_TRUE(std::filesystem::remove(machine_->HostPath("E:\\VyxUnst.exe")));
  EXPECT_EQ(installer_->RunInstallation(), 0);
  EXPECT_EQ(installer_->IsRebootNeeded(), 1);
}

TEST_F(SequenceTest, NT4UsesTheWindows98MeSet) {
  Start(OsOf(AllVersions()[3]));
  // An instance under the 2000/XP key is not looked at; the 98/Me one is.
  AddDriverInstance(true, "0000", "Quorvex USB Compound Device");
  machine_->CreateKey(kUsbClassKey9x);
  EXPECT_EQ(installer_->RunInstallation(), 1);
  EXPECT_THAT(BoxTexts(), IsEmpty());
  EXPECT_TRUE(machine_->FileExists("C:\\VyxUZorp\\win98&me\\VyxUPar.exe"));
}

TEST_F(SequenceTest, PrivilegeIsAdjustedOnlyForTheWindows2000XpSet) {
  struct Case {
    const char* label;
    int win2kXp;
    const char* faultOperation;
    plat::DWORD code;
    int expected;
  };
  const Case cases[] = {
      {"98/Me set: no token", 0, "OpenProcessToken", plat::kErrorAccessDenied, 1},
      {"2000/XP set", 1, nullptr, 0, 1},
      {"token calls not implemented", 1, "OpenProcessToken", plat::kErrorCallNotImplemented, 1},
      {"token refused", 1, "OpenProcessToken", plat::kErrorAccessDenied, 0},
      {"unknown privilege", 1, "LookupPrivilegeValue", 1313, 0},
      {"adjustment refused", 1, "AdjustTokenPrivileges", plat::kErrorAccessDenied, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Start(OsXp());
    installer_->m_bWin2kXp = c.win2kXp;
    if (c.faultOperation != nullptr) machine_->AddFault(c.faultOperation, "*", c.code);
    EXPECT_EQ(installer_->EnablePrivilege("SeShutdownPrivilege"), c.expected);
    bool touchedToken = false;
    for (const sim::CallRecord& call : machine_->Calls())
      if (call.operation == "OpenProcessToken") touchedToken = true;
    EXPECT_EQ(touchedToken, c.win2kXp != 0);
    TearDown();
  }
}

}  // namespace
}  // namespace setup_test
