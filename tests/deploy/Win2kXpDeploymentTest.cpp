// The Windows 2000/XP half: the two INF files through the Setup API, then the
// few files it copies itself.
#include <filesystem>

#include "deploy/DeployMachine.h"

namespace deploy_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class Win2kXpDeploymentTest : public DeployTest {
 protected:
  bool AnyCopyMade() const {
    for (const Deployed& copy : Win2kXpCopies())
      if (machine_->FileExists(windows_ + copy.destination)) return true;
    return false;
  }
  // The oemN.inf holding the named staged INF, empty when none does.
  std::string RegisteredAs(const std::string& name) const {
    for (const std::string& oem : OemInfs())
      if (machine_->ReadFile(windows_ + "\\inf\\" + oem) == InfText(name)) return oem;
    return {};
  }
};

TEST_F(Win2kXpDeploymentTest, FullRunRegistersBothInfsAndCopiesItsFiles) {
  Start(OsXp());
  EXPECT_EQ(installer_->DeployDrivers(), 1);
  EXPECT_THAT(BoxTexts(), IsEmpty());
  EXPECT_THAT(OemInfs(), ElementsAre("oem0.inf", "oem1.inf"));
  EXPECT_EQ(RegisteredAs("\\VyxUComp.inf"), "oem0.inf");
  EXPECT_EQ(RegisteredAs("\\VyxUPort.inf"), "oem1.inf");
  // The system's compiled copies remember the staging folder as the origin.
  for (const char* pnf : {"\\inf\\oem0.PNF", "\\inf\\oem1.PNF"}) {
    std::optional<std::string> text = machine_->ReadFile(windows_ + pnf);
    ASSERT_TRUE(text) << pnf;
    EXPECT_NE(text->find("C:\\VyxUZorp\\win2k&xp"), std::string::npos) << *text;
  }
  for (const Deployed& copy : Win2kXpCopies()) {
    SCOPED_TRACE(copy.destination);
    EXPECT_EQ(machine_->ReadFile(windows_ + copy.destination),
              machine_->ReadFile(medium_ + copy.source));
  }
  for (const std::string& link : LinkNames())
    EXPECT_TRUE(Link(Desktop() + "\\" + link).valid) << link;
  EXPECT_EQ(machine_->GetValue(std::string(kPrintersKey) + "\\Office Printer", "Attributes")->data,
            (std::vector<std::uint8_t>{0x40, 0, 0, 0}));
  // What belongs to the 98/Me half stays untouched.
  EXPECT_FALSE(machine_->KeyExists(kServiceKey));
  EXPECT_TRUE(machine_->FileExists(windows_ + "\\inf\\Drvidx.bin"));
  EXPECT_TRUE(machine_->FileExists(windows_ + "\\inf\\Drvdata.bin"));
  EXPECT_FALSE(machine_->FileExists(windows_ + "\\System32\\VyxUnst.exe"));
  EXPECT_FALSE(machine_->FileExists(windows_ + "\\inf\\VyxUComp.inf"));
  // The staged INF files stay where they are.
  EXPECT_TRUE(machine_->FileExists("C:\\VyxUZorp\\win2k&xp\\VyxUComp.inf"));
}

TEST_F(Win2kXpDeploymentTest, SecondRunFindsTheSameInfsRegistered) {
  Start(OsXp());
  ASSERT_EQ(installer_->DeployWin2kXpSet(), 1);
  EXPECT_EQ(installer_->DeployWin2kXpSet(), 1);
  EXPECT_THAT(OemInfs(), ElementsAre("oem0.inf", "oem1.inf"));
}

TEST_F(Win2kXpDeploymentTest, SetupApiFailuresStopWithTheirMessage) {
  struct Case {
    const char* label;
    const char* operation;
    const char* target;
    const char* message;
    const char* stillRegistered;  // the staged INF that stays registered, if any
  };
  const Case cases[] = {
      {"library", "LoadLibrary", "SETUPAPI", kLoadLibraryError, nullptr},
      {"function", "GetProcAddress", "SetupCopyOEMInfA", kProcError, nullptr},
      {"first INF", "SetupCopyOEMInf", "C:\\VyxUZorp\\win2k&xp\\VyxUComp.inf", kCompInfError,
       nullptr},
      {"second INF", "SetupCopyOEMInf", "C:\\VyxUZorp\\win2k&xp\\VyxUPort.inf", kPortInfError,
       "\\VyxUComp.inf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Start(OsXp());
    machine_->AddFault(c.operation, c.target, plat::kErrorAccessDenied);
    EXPECT_EQ(installer_->DeployWin2kXpSet(), 0);
    EXPECT_THAT(BoxTexts(), ElementsAre(c.message));
    if (c.stillRegistered) {
      EXPECT_THAT(OemInfs(), ElementsAre("oem0.inf"));
      EXPECT_EQ(RegisteredAs(c.stillRegistered), "oem0.inf");
    } else {
      EXPECT_THAT(OemInfs(), IsEmpty());
    }
    EXPECT_FALSE(AnyCopyMade());
    EXPECT_THAT(AllLinks(), IsEmpty());
    EXPECT_EQ(
        machine_->GetValue(std::string(kPrintersKey) + "\\Office Printer", "Attributes")->data,
        (std::vector<std::uint8_t>{0x40, 0x08, 0, 0}));
    TearDown();
  }
}

TEST_F(Win2kXpDeploymentTest, StagedInfThatIsMissingOrNoInfIsRefused) {
  struct Case {
    const char* label;
    const char* contents;  // null: the file is missing
    const char* message;
  };
  for (const Case& c :
       {Case{"missing", nullptr, kCompInfError}, Case{"no INF", "MZ not an inf", kCompInfError}}) {
    SCOPED_TRACE(c.label);
    Start(OsXp());
    const std::string staged = "C:\\VyxUZorp\\win2k&xp\\VyxUComp.inf";
    if (c.contents)
      machine_->WriteFile(staged, c.contents);
    else
      ASSERT_TRUE(std::filesystem::remove(machine_->HostPath(staged)));
    EXPECT_EQ(installer_->DeployWin2kXpSet(), 0);
    EXPECT_THAT(BoxTexts(), ElementsAre(c.message));
    EXPECT_THAT(OemInfs(), IsEmpty());
    TearDown();
  }
}

TEST_F(Win2kXpDeploymentTest, SetupApiIsAbsentOnWindows98) {
  // A 98 machine deploying the 2000/XP set (the flavour forced) finds no Setup API.
  Start(Os98());
  installer_->m_bWin2kXp = 1;
  EXPECT_EQ(installer_->DeployDrivers(), 0);
  EXPECT_THAT(BoxTexts(), ElementsAre(kLoadLibraryError));
}

TEST_F(Win2kXpDeploymentTest, NoUtilityOnTheMediumGivesThreeMessagesAndResultOne) {
  Start(OsXp());
  for (const char* name : {"\\VyxUsbPrintConfig.exe", "\\SerialMP.exe", "\\Config.ini"})
    ASSERT_TRUE(std::filesystem::remove(machine_->HostPath(medium_ + "\\win2k&xp" + name)));
  EXPECT_EQ(installer_->DeployWin2kXpSet(), 1);
  EXPECT_THAT(BoxTexts(), ElementsAre(kApplicationError, kApplicationError, kApplicationError));
  // The links are still made, pointing where the files would be.
  EXPECT_EQ(Link(Desktop() + "\\SERIALMP.LNK").localPath, windows_ + "\\System32\\SerialMP.exe");
  EXPECT_EQ(AllLinks().size(), 3u);
  EXPECT_TRUE(machine_->FileExists(windows_ + "\\System32\\Drivers\\DbgMsg.sys"));
}

TEST_F(Win2kXpDeploymentTest, DirectCopiesFailSilently) {
  Start(OsXp());
  for (const char* name : {"\\DbgMsg.sys", "\\msvcp60.dll"})
    ASSERT_TRUE(std::filesystem::remove(machine_->HostPath(medium_ + "\\win2k&xp" + name)));
  EXPECT_EQ(installer_->DeployWin2kXpSet(), 1);
  EXPECT_THAT(BoxTexts(), IsEmpty());
  EXPECT_TRUE(machine_->FileExists(windows_ + "\\System32\\SerialMP.exe"));
}

TEST_F(Win2kXpDeploymentTest, NoPrintersKeyDoesNotStopTheRun) {
  Start(OsXp());
  machine_->DeleteKeyTree(kPrintersKey);
  EXPECT_EQ(installer_->DeployWin2kXpSet(), 1);
  EXPECT_THAT(BoxTexts(), IsEmpty());
  EXPECT_FALSE(machine_->KeyExists(kPrintersKey));
  EXPECT_EQ(AllLinks().size(), 3u);
}

TEST_F(Win2kXpDeploymentTest, WindowsOnDriveDReadsTheStagedInfsFromD) {
  Start(OsXp("D:\\WINNT"));
  // A stale staging folder on C must not be what is registered.
  machine_->WriteFile("C:\\VyxUZorp\\win2k&xp\\VyxUComp.inf", InfText("stale"));
  machine_->WriteFile("C:\\VyxUZorp\\win2k&xp\\VyxUPort.inf", InfText("stale"));
  EXPECT_EQ(installer_->DeployWin2kXpSet(), 1);
  EXPECT_THAT(BoxTexts(), IsEmpty());
  EXPECT_EQ(RegisteredAs("\\VyxUComp.inf"), "oem0.inf");
  EXPECT_EQ(RegisteredAs("\\VyxUPort.inf"), "oem1.inf");
  EXPECT_NE(machine_->ReadFile("D:\\WINNT\\inf\\oem0.PNF")->find("D:\\VyxUZorp\\win2k&xp"),
            std::string::npos);
  EXPECT_TRUE(machine_->FileExists("D:\\WINNT\\System32\\SerialMP.exe"));
  EXPECT_EQ(Link(Desktop() + "\\CONFIG.LNK").localPath, "D:\\WINNT\\System32\\Config.ini");
}

TEST_F(Win2kXpDeploymentTest, MediumInAFolderIsReadFromThatFolder) {
  Start(OsXp(), 1, "E:\\DRIVERS\\USB");
  EXPECT_EQ(installer_->DeployWin2kXpSet(), 1);
  EXPECT_THAT(BoxTexts(), IsEmpty());
  for (const Deployed& copy : Win2kXpCopies())
    EXPECT_TRUE(machine_->FileExists(windows_ + copy.destination)) << copy.destination;
}

TEST_F(Win2kXpDeploymentTest, LongWindowsFolderFailsOnlyTheStepsWhosePathsDoNotFit) {
  // 235 characters: "\System32\SerialMP.exe" still fits, "\System32\VyxUsbPrintConfig.exe"
  // and "\System32\Drivers\DbgMsg.sys" do not.
  std::string windows = "C:";
  while (windows.size() < 235) windows += "\\" + std::string(40, 'w');
  windows.resize(235);
  ASSERT_NE(windows.back(), '\\');
  Start(OsXp(windows));
  EXPECT_EQ(installer_->DeployWin2kXpSet(), 1);
  EXPECT_THAT(BoxTexts(), ElementsAre(kApplicationError, kIconError));
  EXPECT_THAT(OemInfs(), ElementsAre("oem0.inf", "oem1.inf"));
  EXPECT_FALSE(machine_->FileExists(windows + "\\System32\\VyxUsbPrintConfig.exe"));
  EXPECT_TRUE(machine_->FileExists(windows + "\\System32\\SerialMP.exe"));
  EXPECT_TRUE(machine_->FileExists(windows + "\\System32\\Config.ini"));
  EXPECT_TRUE(machine_->FileExists(windows + "\\System32\\msvcp60.dll"));
  EXPECT_FALSE(machine_->FileExists(windows + "\\System32\\Drivers\\DbgMsg.sys"));
  // No shortened path was used anywhere.
  for (const sim::Change& change : machine_->Changes())
    EXPECT_EQ(change.path.find("VyxUsbPrint"), std::string::npos) << change.path;
  EXPECT_EQ(AllLinks().size(), 2u);
}

}  // namespace
}  // namespace deploy_test
