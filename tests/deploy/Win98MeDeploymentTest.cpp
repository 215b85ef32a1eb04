// The Windows 98/Me half: the copy table, where it stops, and what follows it.
#include <filesystem>

#include "deploy/DeployMachine.h"

namespace deploy_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The message of each required row, in table order.
const char* RowMessage(std::size_t row) {
  if (row < 2) return kInfError;
  if (row < 6) return kDriverError;
  return kApplicationError;
}

class Win98MeDeploymentTest : public DeployTest {
 protected:
  bool IsDeployed(std::size_t row) const {
    return machine_->FileExists(windows_ + Win98MeRows()[row].destination);
  }
  void ExpectNothingAfterTheTable() const {
    EXPECT_THAT(AllLinks(), IsEmpty());
    EXPECT_FALSE(machine_->KeyExists(kServiceKey));
    EXPECT_EQ(
        machine_->GetValue(std::string(kPrintersKey) + "\\Office Printer", "Attributes")->data,
        (std::vector<std::uint8_t>{0x40, 0x08, 0, 0}));
    EXPECT_TRUE(machine_->FileExists(windows_ + "\\inf\\Drvidx.bin"));
    EXPECT_TRUE(machine_->FileExists(windows_ + "\\inf\\Drvdata.bin"));
  }
};

TEST_F(Win98MeDeploymentTest, FullRunDeploysEveryFileAndEndsWithTheIndexFilesGone) {
  Start(Os98());
  EXPECT_EQ(installer_->DeployDrivers(), 1);
  EXPECT_THAT(BoxTexts(), IsEmpty());
  for (const Deployed& row : Win98MeRows()) {
    SCOPED_TRACE(row.destination);
    EXPECT_EQ(machine_->ReadFile(windows_ + row.destination),
              machine_->ReadFile(medium_ + row.source));
  }
  for (const std::string& link : LinkNames())
    EXPECT_TRUE(Link(Desktop() + "\\" + link).valid) << link;
  EXPECT_TRUE(machine_->KeyExists(kServiceKey));
  EXPECT_EQ(machine_->GetValue(std::string(kPrintersKey) + "\\Office Printer", "Attributes")->data,
            (std::vector<std::uint8_t>{0x40, 0, 0, 0}));
  EXPECT_FALSE(machine_->FileExists(windows_ + "\\inf\\Drvidx.bin"));
  EXPECT_FALSE(machine_->FileExists(windows_ + "\\inf\\Drvdata.bin"));
  // No INF is handed to the system: the set brings its own copies.
  EXPECT_THAT(OemInfs(), IsEmpty());
  // The flag it reads is left as it was.
  EXPECT_EQ(installer_->m_bRebootNeeded, 0);
}

TEST_F(Win98MeDeploymentTest, FirstFailedRequiredRowStopsWithItsMessage) {
  for (std::size_t failing = 0; failing < 14; ++failing) {
    SCOPED_TRACE(Win98MeRows()[failing].source);
    Start(Os98());
    ASSERT_TRUE(
        std::filesystem::remove(machine_->HostPath(medium_ + Win98MeRows()[failing].source)));
    EXPECT_EQ(installer_->DeployWin98MeSet(), 0);
    EXPECT_THAT(BoxTexts(), ElementsAre(RowMessage(failing)));
    for (std::size_t row = 0; row < Win98MeRows().size(); ++row)
      EXPECT_EQ(IsDeployed(row), row < failing) << Win98MeRows()[row].destination;
    ExpectNothingAfterTheTable();
    TearDown();
  }
}

TEST_F(Win98MeDeploymentTest, OptionalRowsReportTheirFailureAndTheRunGoesOn) {
  for (std::size_t optional : {14u, 15u}) {
    SCOPED_TRACE(Win98MeRows()[optional].source);
    Start(Os98());
    ASSERT_TRUE(
        std::filesystem::remove(machine_->HostPath(medium_ + Win98MeRows()[optional].source)));
    EXPECT_EQ(installer_->DeployWin98MeSet(), 1);
    EXPECT_THAT(BoxTexts(), ElementsAre(kApplicationError));
    for (std::size_t row = 0; row < Win98MeRows().size(); ++row)
      EXPECT_EQ(IsDeployed(row), row != optional) << Win98MeRows()[row].destination;
    EXPECT_TRUE(machine_->KeyExists(kServiceKey));
    EXPECT_FALSE(machine_->FileExists(windows_ + "\\inf\\Drvidx.bin"));
    TearDown();
  }
}

TEST_F(Win98MeDeploymentTest, DirectCopiesFailSilently) {
  struct Case {
    const char* label;
    std::size_t row;
    bool byFault;
  };
  for (const Case& c : {Case{"driver missing", 16, false}, Case{"library missing", 17, false},
                        Case{"driver refused", 16, true}, Case{"library refused", 17, true}}) {
    SCOPED_TRACE(c.label);
    Start(Os98());
    const Deployed& row = Win98MeRows()[c.row];
    if (c.byFault)
      machine_->AddFault("CopyFile", windows_ + row.destination, plat::kErrorAccessDenied);
    else
      ASSERT_TRUE(std::filesystem::remove(machine_->HostPath(medium_ + row.source)));
    EXPECT_EQ(installer_->DeployWin98MeSet(), 1);
    EXPECT_THAT(BoxTexts(), IsEmpty());
    EXPECT_FALSE(IsDeployed(c.row));
    EXPECT_TRUE(machine_->KeyExists(kServiceKey));
    TearDown();
  }
}

TEST_F(Win98MeDeploymentTest, NoPrintersKeyEndsTheRunBeforeServiceAndIndexFiles) {
  Start(Os98());
  machine_->DeleteKeyTree(kPrintersKey);
  EXPECT_EQ(installer_->DeployWin98MeSet(), 0);
  EXPECT_THAT(BoxTexts(), IsEmpty());
  // Everything up to the printers is in place.
  for (std::size_t row = 0; row < Win98MeRows().size(); ++row) EXPECT_TRUE(IsDeployed(row));
  EXPECT_EQ(AllLinks().size(), 3u);
  EXPECT_FALSE(machine_->KeyExists(kServiceKey));
  EXPECT_FALSE(machine_->KeyExists(kPrintersKey));
  EXPECT_TRUE(machine_->FileExists(windows_ + "\\inf\\Drvidx.bin"));
  EXPECT_TRUE(machine_->FileExists(windows_ + "\\inf\\Drvdata.bin"));
}

TEST_F(Win98MeDeploymentTest, PrintersKeyWithoutFullAccessCountsAsMissing) {
  Start(Os98());
  machine_->DenyFullAccess(kPrintersKey);
  EXPECT_EQ(installer_->ClearPrinterBidiAttribute(), plat::kErrorAccessDenied);
  EXPECT_EQ(installer_->DeployWin98MeSet(), 0);
  EXPECT_FALSE(machine_->KeyExists(kServiceKey));
  EXPECT_TRUE(machine_->FileExists(windows_ + "\\inf\\Drvidx.bin"));
}

TEST_F(Win98MeDeploymentTest, ReadOnlyIndexFileIsMadeWritableAndDeleted) {
  Start(Os98());
  machine_->SetAttributes(windows_ + "\\inf\\Drvidx.bin",
                          plat::kFileAttributeReadonly | plat::kFileAttributeArchive);
  EXPECT_EQ(installer_->DeployWin98MeSet(), 1);
  EXPECT_FALSE(machine_->FileExists(windows_ + "\\inf\\Drvidx.bin"));
  EXPECT_FALSE(machine_->FileExists(windows_ + "\\inf\\Drvdata.bin"));
}

TEST_F(Win98MeDeploymentTest, IndexFilesThatAreMissingAreNoError) {
  Start(Os98());
  for (const char* name : {"\\inf\\Drvidx.bin", "\\inf\\Drvdata.bin"})
    ASSERT_TRUE(std::filesystem::remove(machine_->HostPath(windows_ + name)));
  installer_->DeleteDriverIndexCache();
  EXPECT_THAT(BoxTexts(), IsEmpty());
  EXPECT_THAT(machine_->Changes(), IsEmpty());
}

TEST_F(Win98MeDeploymentTest, IndexFilesStayWhenTheWindowsFolderCannotBeRead) {
  // An empty folder would make "\inf\Drvidx.bin" a path on the current drive.
  Start(Os98());
  machine_->WriteFile(medium_ + "\\inf\\Drvidx.bin", "not ours");
  machine_->AddFault("GetWindowsDirectory", "*", plat::kErrorInvalidParameter);
  installer_->DeleteDriverIndexCache();
  EXPECT_TRUE(machine_->FileExists(medium_ + "\\inf\\Drvidx.bin"));
  EXPECT_TRUE(machine_->FileExists(windows_ + "\\inf\\Drvidx.bin"));
}

TEST_F(Win98MeDeploymentTest, ReadOnlyDestinationIsRefusedButLeftWritable) {
  // Windows refuses to overwrite a read-only file; the copy helper clears the bit
  // whatever the outcome, so a second run goes through.
  Start(Os98());
  const std::string destination = windows_ + Win98MeRows()[2].destination;
  machine_->WriteFile(destination, "old driver",
                      plat::kFileAttributeReadonly | plat::kFileAttributeArchive);
  EXPECT_EQ(installer_->DeployWin98MeSet(), 0);
  EXPECT_THAT(BoxTexts(), ElementsAre(kDriverError));
  EXPECT_EQ(machine_->ReadFile(destination), "old driver");
  EXPECT_EQ(machine_->Attributes(destination) & plat::kFileAttributeReadonly, 0u);
  EXPECT_EQ(installer_->DeployWin98MeSet(), 1);
  EXPECT_EQ(machine_->ReadFile(destination), machine_->ReadFile(medium_ + Win98MeRows()[2].source));
}

TEST_F(Win98MeDeploymentTest, MediumFolderLongerThanAPathStopsAtTheFirstRow) {
  // E:\ + a folder of 245 characters: the uninstaller's path would fit, the
  // first INF's (with its flavour subfolder) would not.
  std::string medium = "E:";
  while (medium.size() < 235) medium += "\\" + std::string(40, 'm');
  medium.resize(245);
  ASSERT_NE(medium.back(), '\\');
  Start(Os98(), 1, medium);
  EXPECT_EQ(installer_->DeployWin98MeSet(), 0);
  EXPECT_THAT(BoxTexts(), ElementsAre(kInfError));
  EXPECT_THAT(machine_->Changes(), IsEmpty());
  // The uninstaller alone fits and is copied.
  EXPECT_EQ(installer_->CopyUninstaller("\\VyxUnst.exe"), 1);
}

}  // namespace
}  // namespace deploy_test
