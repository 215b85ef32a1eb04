// The four copy steps: sources, destinations, messages.
#include <filesystem>

#include "deploy/DeployMachine.h"

namespace deploy_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Step = int (CDriverInstaller::*)(const char*);

struct StepCase {
  const char* label;
  Step step;
  bool win2kXp;
  const char* name;
  const char* source;       // below the medium
  const char* destination;  // below the Windows folder
  const char* message;
};

const std::vector<StepCase>& StepCases() {
  static const std::vector<StepCase> cases = {
      {"INF", &CDriverInstaller::CopyInfFile, false, "\\vyxUsbSr.inf", "\\win98&me\\vyxUsbSr.inf",
       "\\inf\\vyxUsbSr.inf", kInfError},
      {"driver", &CDriverInstaller::CopyDriverFile, false, "\\TRQENUM.vxd",
       "\\win98&me\\TRQENUM.vxd", "\\System\\TRQENUM.vxd", kDriverError},
      {"application 98/Me", &CDriverInstaller::CopyApplicationFile, false, "\\SerialMP.exe",
       "\\win98&me\\SerialMP.exe", "\\System\\SerialMP.exe", kApplicationError},
      {"application 2000/XP", &CDriverInstaller::CopyApplicationFile, true, "\\SerialMP.exe",
       "\\win2k&xp\\SerialMP.exe", "\\System32\\SerialMP.exe", kApplicationError},
      {"uninstaller 98/Me", &CDriverInstaller::CopyUninstaller, false, "\\VyxUnst.exe",
       "\\VyxUnst.exe", "\\System\\VyxUnst.exe", kApplicationError},
      {"uninstaller 2000/XP set", &CDriverInstaller::CopyUninstaller, true, "\\VyxUnst.exe",
       "\\VyxUnst.exe", "\\System\\VyxUnst.exe", kApplicationError},
  };
  return cases;
}

class ComponentCopyTest : public DeployTest {
 protected:
  int Run(const StepCase& c) { return (installer_.get()->*c.step)(c.name); }
};

TEST_F(ComponentCopyTest, EachStepCopiesFromItsSourceToItsDestination) {
  for (const char* medium : {"E:", "E:\\SETUP\\DISK1"}) {
    for (const StepCase& c : StepCases()) {
      SCOPED_TRACE(std::string(c.label) + " from " + medium);
      Start(c.win2kXp ? OsXp() : Os98(), 1, medium);
      // Windows 2000/XP keep a "System" folder too; the uninstaller goes there on either set.
      machine_->MakeFolder(windows_ + "\\System");
      machine_->WriteFile(medium_ + c.source, std::string("fresh ") + c.label);
      EXPECT_EQ(Run(c), 1);
      EXPECT_THAT(BoxTexts(), IsEmpty());
      EXPECT_EQ(machine_->ReadFile(windows_ + c.destination), std::string("fresh ") + c.label);
      // One file added, nothing else touched.
      ASSERT_EQ(machine_->Changes().size(), 1u);
      EXPECT_EQ(machine_->Changes()[0].op, "added");
      TearDown();
    }
  }
}

TEST_F(ComponentCopyTest, MissingSourceShowsTheStepsMessageOnlyWhileErrorsAreOn) {
  for (int displayError : {1, 0}) {
    for (const StepCase& c : StepCases()) {
      SCOPED_TRACE(std::string(c.label) + " DisplayError " + std::to_string(displayError));
      Start(c.win2kXp ? OsXp() : Os98(), displayError);
      ASSERT_TRUE(std::filesystem::remove(machine_->HostPath(medium_ + c.source)));
      EXPECT_EQ(Run(c), 0);
      if (displayError) {
        ASSERT_THAT(BoxTexts(), ElementsAre(c.message));
        EXPECT_EQ(machine_->MessageBoxes()[0].icon, "exclamation");
        EXPECT_EQ(machine_->MessageBoxes()[0].buttons, "ok");
      } else {
        EXPECT_THAT(BoxTexts(), IsEmpty());
      }
      EXPECT_THAT(machine_->Changes(), IsEmpty());
      TearDown();
    }
  }
}

TEST_F(ComponentCopyTest, UninstallerIsNeverTakenFromAFlavourFolder) {
  Start(Os98());
  ASSERT_TRUE(std::filesystem::remove(machine_->HostPath(medium_ + "\\VyxUnst.exe")));
  machine_->WriteFile(medium_ + "\\win98&me\\VyxUnst.exe", "wrong place");
  EXPECT_EQ(installer_->CopyUninstaller("\\VyxUnst.exe"), 0);
  EXPECT_THAT(BoxTexts(), ElementsAre(kApplicationError));
}

TEST_F(ComponentCopyTest, ReadOnlySourceGivesAWritableCopy) {
  Start(Os98());
  machine_->SetAttributes(medium_ + "\\win98&me\\Config.ini",
                          plat::kFileAttributeReadonly | plat::kFileAttributeHidden);
  EXPECT_EQ(installer_->CopyApplicationFile("\\Config.ini"), 1);
  plat::DWORD attributes = machine_->Attributes(windows_ + "\\System\\Config.ini");
  EXPECT_EQ(attributes & plat::kFileAttributeReadonly, 0u);
  // Only the read-only bit is taken away.
  EXPECT_NE(attributes & plat::kFileAttributeHidden, 0u);
}

TEST_F(ComponentCopyTest, ExistingDestinationIsReplaced) {
  Start(OsXp());
  machine_->WriteFile(windows_ + "\\System32\\Config.ini", "old settings");
  EXPECT_EQ(installer_->CopyApplicationFile("\\Config.ini"), 1);
  EXPECT_EQ(machine_->ReadFile(windows_ + "\\System32\\Config.ini"),
            machine_->ReadFile(medium_ + "\\win2k&xp\\Config.ini"));
}

TEST_F(ComponentCopyTest, MissingDestinationFolderIsNotCreated) {
  Start(Os98());
  std::filesystem::remove_all(machine_->HostPath(windows_ + "\\inf"));
  EXPECT_EQ(installer_->CopyInfFile("\\vyxUsbSr.inf"), 0);
  EXPECT_THAT(BoxTexts(), ElementsAre(kInfError));
  EXPECT_FALSE(machine_->FolderExists(windows_ + "\\inf"));
}

TEST_F(ComponentCopyTest, FolderQueriesThatFailHaveTheirOwnMessages) {
  struct Case {
    const char* operation;
    const char* message;
  };
  for (const Case& c : {Case{"GetCurrentDirectory", kCurrentDirectoryError},
                        Case{"GetWindowsDirectory", kWindowsDirectoryError}}) {
    SCOPED_TRACE(c.operation);
    Start(Os98());
    machine_->AddFault(c.operation, "*", plat::kErrorInvalidParameter);
    EXPECT_EQ(installer_->CopyDriverFile("\\TRQENUM.vxd"), 0);
    EXPECT_THAT(BoxTexts(), ElementsAre(c.message));
    EXPECT_THAT(machine_->Changes(), IsEmpty());
    TearDown();
  }
}

TEST_F(ComponentCopyTest, NamesThatWouldPassThePathLimitAreNotCopied) {
  // Windows folder + "\System" + name one character past 259, on both paths.
  Start(Os98());
  std::string name = "\\" + std::string(259 - windows_.size() - 7, 'n');
  ASSERT_EQ(windows_.size() + 7 + name.size(), 260u);
  EXPECT_EQ(installer_->CopyDriverFile(name.c_str()), 0);
  EXPECT_THAT(BoxTexts(), ElementsAre(kDriverError));
  EXPECT_THAT(machine_->Changes(), IsEmpty());
  // One character less fits on both sides.
  name.pop_back();
  machine_->WriteFile(medium_ + "\\win98&me" + name, "long name");
  EXPECT_EQ(installer_->CopyDriverFile(name.c_str()), 1);
  EXPECT_EQ(machine_->ReadFile(windows_ + "\\System" + name), "long name");
}

}  // namespace
}  // namespace deploy_test
