// The file steps: staging folder, utilities, legacy driver, drivers, Desktop
// shortcuts with their programs.
#include "remove/RemoverMachine.h"

namespace remove_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAreArray;

class DriverFileTest : public RemoverTest {
 protected:
  std::vector<std::string> RemovedFiles() const {
    std::vector<std::string> removed;
    for (const sim::Change& change : machine_->Changes())
      if (change.op == "removed" && (change.kind == "file" || change.kind == "folder"))
        removed.push_back(change.path);
    return removed;
  }
  void WriteAll(sim::Machine& m, const std::vector<std::string>& paths) {
    for (const std::string& path : paths) m.WriteFile(path, "contents of " + path);
  }
};

struct FileStep {
  const char* name;
  bool win2kXp;
  void (CDriverRemover::*step)();
  std::vector<std::string> removed;
  std::vector<std::string> kept;
};

class FileStepTest : public DriverFileTest, public ::testing::WithParamInterface<FileStep> {};

TEST_P(FileStepTest, RemovesItsFilesReadOnlyOnesIncludedAndNothingElse) {
  const FileStep& step = GetParam();
  sim::Machine& m = NewMachine(step.win2kXp);
  WriteAll(m, step.removed);
  WriteAll(m, step.kept);
  for (const std::string& path : step.removed)
    m.SetAttributes(path, plat::kFileAttributeReadonly | plat::kFileAttributeHidden);

  (Remover().*step.step)();

  EXPECT_THAT(RemovedFiles(), UnorderedElementsAreArray(step.removed));
  for (const std::string& path : step.kept) EXPECT_TRUE(m.FileExists(path)) << path;
  EXPECT_THAT(Boxes(), IsEmpty());
}

const std::vector<std::string> kUnrelatedNt = {"C:\\WINDOWS\\System32\\serial.sys",
                                               "C:\\WINDOWS\\System32\\drivers\\acmeser.sys",
                                               "C:\\WINDOWS\\System32\\msvcp60.dll",
                                               "C:\\WINDOWS\\System32\\drivers\\DbgMsg.sys",
                                               "C:\\WINDOWS\\System32\\VyxUsbPrintConfig.exe",
                                               "C:\\WINDOWS\\inf\\oem4.inf"};
const std::vector<std::string> kUnrelated9x = {
    "C:\\WINDOWS\\SYSTEM\\serial.vxd", "C:\\WINDOWS\\SYSTEM\\msvcp60.dll",
    "C:\\WINDOWS\\SYSTEM\\dbgmsgcfg.dll", "C:\\WINDOWS\\SYSTEM32\\DRIVERS\\DbgMsg9X.sys",
    "C:\\WINDOWS\\SYSTEM\\VyxUnst.exe"};

INSTANTIATE_TEST_SUITE_P(
    Steps, FileStepTest,
    ::testing::Values(
        FileStep{
            "UtilitiesXp",
            true,
            &CDriverRemover::DeleteUtilityFiles,
            {"C:\\WINDOWS\\System32\\VyxUSBParallel.exe", "C:\\WINDOWS\\System32\\VyxUSBSerial.exe",
             "C:\\WINDOWS\\System32\\VyxUSBParPropPage.dll",
             "C:\\WINDOWS\\System32\\VyxUSBSerPropPage.dll", "C:\\WINDOWS\\System32\\SerialMP.exe",
             "C:\\WINDOWS\\System32\\Config.ini"},
            kUnrelatedNt},
        FileStep{"Utilities98",
                 false,
                 &CDriverRemover::DeleteUtilityFiles,
                 {"C:\\WINDOWS\\SYSTEM\\VyxUPar.exe", "C:\\WINDOWS\\SYSTEM\\VyxUSer.exe",
                  "C:\\WINDOWS\\SYSTEM\\VYXUPAR.DLL", "C:\\WINDOWS\\SYSTEM\\VYXUSER.DLL",
                  "C:\\WINDOWS\\SYSTEM\\SerialMP.exe", "C:\\WINDOWS\\SYSTEM\\Config.ini"},
                 kUnrelated9x},
        FileStep{"LegacyXp",
                 true,
                 &CDriverRemover::RemoveLegacyFiles,
                 {"C:\\WINDOWS\\System32\\drivers\\VyxPort.sys", "C:\\WINDOWS\\inf\\VyxPort.inf",
                  "C:\\WINDOWS\\inf\\VyxPort.PNF"},
                 kUnrelatedNt},
        FileStep{"Legacy98",
                 false,
                 &CDriverRemover::RemoveLegacyFiles,
                 {"C:\\WINDOWS\\System\\VyxUsbPrintConfig.exe"},
                 kUnrelated9x},
        FileStep{"DriversXp",
                 true,
                 &CDriverRemover::DeleteDriverFiles,
                 {"C:\\WINDOWS\\System32\\drivers\\VyxUPort.sys"},
                 kUnrelatedNt},
        FileStep{"Drivers98",
                 false,
                 &CDriverRemover::DeleteDriverFiles,
                 {"C:\\WINDOWS\\SYSTEM\\Vyxusbsr.sys", "C:\\WINDOWS\\SYSTEM\\Vyxusrpt.vxd",
                  "C:\\WINDOWS\\SYSTEM\\Vyxuprpt.vxd", "C:\\WINDOWS\\SYSTEM\\Trqenum.vxd"},
                 kUnrelated9x}),
    [](const ::testing::TestParamInfo<FileStep>& info) { return info.param.name; });

TEST_F(DriverFileTest, LegacyKeysAreGrantedAndDeletedWithTheirSubkeys) {
  sim::Machine& m = NewMachine(true);
  const std::string ccs = "HKLM\\System\\CurrentControlSet";
  m.SetString(ccs + "\\Enum\\CMC\\VyxPort\\0000\\Device Parameters", "PortName", "COM6");
  m.DenyFullAccess(ccs + "\\Enum\\CMC");
  m.DenyFullAccess(ccs + "\\Enum\\CMC\\VyxPort\\0000");
  m.SetString(ccs + "\\Services\\VyxPort\\Enum", "0", "CMC\\VyxPort\\0000");
  m.SetString(ccs + "\\Services\\VyxPort.Sys", "ImagePath", "x");
  m.SetString(ccs + "\\Services\\VyxPortal", "ImagePath", "not ours");
  Remover().RemoveLegacyFiles();
  EXPECT_FALSE(m.KeyExists(ccs + "\\Enum\\CMC"));
  EXPECT_FALSE(m.KeyExists(ccs + "\\Services\\VyxPort"));
  EXPECT_FALSE(m.KeyExists(ccs + "\\Services\\VyxPort.Sys"));
  EXPECT_TRUE(m.KeyExists(ccs + "\\Services\\VyxPortal"));
  EXPECT_TRUE(m.KeyExists(ccs + "\\Enum"));
  EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(DriverFileTest, StagingFolderGoesWholeWithoutAQuestion) {
  sim::Machine& m = NewMachine(true);
  m.WriteFile("C:\\VyxUZorp\\Setup.exe", "x");
  m.WriteFile("C:\\VyxUZorp\\win2k&xp\\VyxUPort.inf", "x", plat::kFileAttributeReadonly);
  m.WriteFile("C:\\VyxUZorp\\win2k&xp\\deep\\er\\file.txt", "x", plat::kFileAttributeHidden);
  m.WriteFile("C:\\VyxUZorpOld\\keep.txt", "x");
  Remover().DeleteStagingFolder();
  EXPECT_FALSE(m.FolderExists("C:\\VyxUZorp"));
  EXPECT_TRUE(m.FileExists("C:\\VyxUZorpOld\\keep.txt"));
  EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(DriverFileTest, StagingFolderIsOnTheWindowsDrive) {
  // A machine with Windows on D: (the medium stays on E:).
  folder_ = std::filesystem::temp_directory_path() / "remove-test-staging-on-d";
  std::filesystem::remove_all(folder_);
  sim::OsConfig os = OsXp();
  os.windowsFolder = "D:\\WINNT";
  os.systemFolder = "D:\\WINNT\\System32";
  machine_ = sim::Machine::Create(folder_, os);
  sim::Machine& m = *machine_;
  m.WriteFile("D:\\VyxUZorp\\Setup.exe", "x");
  m.WriteFile("C:\\VyxUZorp\\Setup.exe", "x");
  Remover().DeleteStagingFolder();
  EXPECT_FALSE(m.FolderExists("D:\\VyxUZorp"));
  EXPECT_TRUE(m.FileExists("C:\\VyxUZorp\\Setup.exe"));
}

class ShortcutTest : public DriverFileTest, public ::testing::WithParamInterface<bool> {
 protected:
  std::string Program(const char* name) const {
    return std::string(win2kXp_ ? "C:\\WINDOWS\\System32\\" : "C:\\WINDOWS\\System\\") + name;
  }
  void WriteShortcutAndPrograms(sim::Machine& m) {
    m.WriteFile(Desktop() + "\\VYXUSBPRINTCONFIG.LNK", "link");
    m.WriteFile(Desktop() + "\\Acme.lnk", "link");
    m.WriteFile(Program("VyxUsbPrintConfig.exe"), "program", plat::kFileAttributeReadonly);
    // Where a path without a Desktop folder would point.
    m.WriteFile("C:\\VYXUSBPRINTCONFIG.lnk", "not ours");
    m.WriteFile("E:\\VYXUSBPRINTCONFIG.lnk", "not ours");
  }
};

TEST_P(ShortcutTest, DeletesTheLinkAndTheProgramInTheFlavoursSystemFolder) {
  sim::Machine& m = NewMachine(GetParam());
  WriteShortcutAndPrograms(m);
  const std::string other =
      std::string(GetParam() ? "C:\\WINDOWS\\System\\" : "C:\\WINDOWS\\System32\\") +
      "VyxUsbPrintConfig.exe";
  m.WriteFile(other, "the other flavour's folder");
  Remover().DeleteShortcutAndProgram("VYXUSBPRINTCONFIG");
  EXPECT_FALSE(m.FileExists(Desktop() + "\\VYXUSBPRINTCONFIG.LNK"));
  EXPECT_FALSE(m.FileExists(Program("VyxUsbPrintConfig.exe")));
  EXPECT_TRUE(m.FileExists(other));
  EXPECT_TRUE(m.FileExists(Desktop() + "\\Acme.lnk"));
}

TEST_P(ShortcutTest, AReadOnlyLinkStays) {
  sim::Machine& m = NewMachine(GetParam());
  WriteShortcutAndPrograms(m);
  m.SetAttributes(Desktop() + "\\VYXUSBPRINTCONFIG.LNK", plat::kFileAttributeReadonly);
  Remover().DeleteShortcutAndProgram("VYXUSBPRINTCONFIG");
  EXPECT_TRUE(m.FileExists(Desktop() + "\\VYXUSBPRINTCONFIG.LNK"));
  EXPECT_FALSE(m.FileExists(Program("VyxUsbPrintConfig.exe")));
}

TEST_P(ShortcutTest, WithoutTheShellFoldersKeyNothingIsDeleted) {
  sim::Machine& m = NewMachine(GetParam());
  WriteShortcutAndPrograms(m);
  m.DeleteKeyTree(kShellFolders);
  Remover().DeleteShortcutAndProgram("VYXUSBPRINTCONFIG");
  EXPECT_THAT(RemovedFiles(), IsEmpty());
}

TEST_P(ShortcutTest, WithoutAUsableDesktopValueOnlyTheProgramGoes) {
  struct DesktopValue {
    const char* what;
    std::optional<sim::RegValue> value;  // nullopt: no value
  };
  std::vector<std::uint8_t> full(260, 'D');  // fills the buffer, no zero
  std::vector<std::uint8_t> tooLong(300, 'D');
  const DesktopValue cases[] = {
      {"missing", std::nullopt},
      {"empty", sim::RegValue{plat::kRegSz, {0}}},
      {"too long for the buffer", sim::RegValue{plat::kRegSz, tooLong}},
      {"fills the buffer without a zero", sim::RegValue{plat::kRegBinary, full}},
  };
  for (const DesktopValue& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    sim::Machine& m = NewMachine(GetParam());
    WriteShortcutAndPrograms(m);
    m.DeleteKeyTree(kShellFolders);
    m.CreateKey(kShellFolders);
    if (c.value) m.SetValue(kShellFolders, "Desktop", c.value->type, c.value->data);
    Remover().DeleteShortcutAndProgram("VYXUSBPRINTCONFIG");
    // As the removal spells it.
    const std::string program = Program("VYXUSBPRINTCONFIG.exe");
    EXPECT_THAT(RemovedFiles(), ElementsAre(program));
    EXPECT_THAT(CallsOf("DeleteFile"), ElementsAre(program));
  }
}

INSTANTIATE_TEST_SUITE_P(Flavours, ShortcutTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Xp" : "Win98";
                         });

}  // namespace
}  // namespace remove_test
