// The staging folder, the copy of the package into it and the old uninstaller.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/CSetupApp.h"
#include "install/CDriverInstaller.h"
#include "install/SetupMachine.h"

namespace setup_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kComponentMissing =
    "Error: All Component of the setup package are not present";

class StagingTest : public SetupMachineTest {
 protected:
  void Start(const sim::OsConfig& os, bool win2kXp, int displayError = 1) {
    NewMachine(os);
    app_ = std::make_unique<CSetupApp>(machine_->Os());
    app_->m_nDisplayError = displayError;
    installer_ = std::make_unique<CDriverInstaller>(machine_->Os(), *app_);
    installer_->m_bWin2kXp = win2kXp ? 1 : 0;
  }
  void TearDown() override {
    installer_.reset();
    app_.reset();
    SetupMachineTest::TearDown();
  }

  // What staging should leave for a complete medium, sorted as ListTree sorts.
  std::vector<std::string> FullStaging(bool win2kXp, const std::string& root = "C:\\VyxUZorp") {
    std::vector<std::string> expected = {root + "\\Setup.exe", root + "\\VyxUnst.exe",
                                         root + Subfolder(win2kXp)};
    for (const PackageFile& file : StagingList(win2kXp))
      expected.push_back(root + Subfolder(win2kXp) + file.name);
    return expected;
  }
  static std::vector<std::string> Sorted(std::vector<std::string> paths) {
    std::sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
      return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                          [](char x, char y) {
                                            return std::tolower(static_cast<unsigned char>(x)) <
                                                   std::tolower(static_cast<unsigned char>(y));
                                          });
    });
    return paths;
  }
  static std::vector<std::string> Upper(std::vector<std::string> paths) {
    for (std::string& path : paths)
      for (char& c : path) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::sort(paths.begin(), paths.end());
    return paths;
  }

  std::unique_ptr<CSetupApp> app_;
  std::unique_ptr<CDriverInstaller> installer_;
};

TEST_F(StagingTest, StagingFolderIsMadeOnTheWindowsDrive) {
  for (const char* windows : {"C:\\WINDOWS", "D:\\WINNT"}) {
    for (bool win2kXp : {false, true}) {
      SCOPED_TRACE(std::string(windows) + Subfolder(win2kXp));
      Start(win2kXp ? OsXp(windows) : Os98(windows), win2kXp);
      EXPECT_EQ(installer_->CreateStagingFolder(), 1);
      const std::string root = std::string(1, windows[0]) + ":\\VyxUZorp";
      EXPECT_TRUE(machine_->FolderExists(root + Subfolder(win2kXp)));
      // Only the running flavour's subfolder.
      EXPECT_THAT(machine_->ListTree(root), ElementsAre(root + Subfolder(win2kXp)));
      EXPECT_FALSE(machine_->FolderExists("E:\\VyxUZorp"));
      TearDown();
    }
  }
}

TEST_F(StagingTest, OldStagingFolderIsRebuiltFromScratch) {
  Start(OsXp(), true);
  machine_->WriteFile("C:\\VyxUZorp\\Setup.exe", "old program");
  machine_->WriteFile("C:\\VyxUZorp\\VyxUnst.exe", "old", plat::kFileAttributeReadonly);
  machine_->WriteFile("C:\\VyxUZorp\\win2k&xp\\VyxUPort.inf", "old",
                      plat::kFileAttributeReadonly | plat::kFileAttributeHidden);
  machine_->WriteFile("C:\\VyxUZorp\\win98&me\\deep\\notes.txt", "extra");
  machine_->WriteFile("C:\\VyxUZorp\\extra.bin", "extra");
  machine_->WriteFile("C:\\WINDOWS\\keep.txt", "not ours");

  EXPECT_EQ(installer_->CreateStagingFolder(), 1);
  EXPECT_THAT(machine_->ListTree("C:\\VyxUZorp"), ElementsAre("C:\\VyxUZorp\\win2k&xp"));
  EXPECT_TRUE(machine_->FileExists("C:\\WINDOWS\\keep.txt"));
  EXPECT_THAT(BoxTexts(), IsEmpty());
}

// Records each shell operation as the program filled it in, then lets the
// machine's shell do it.
class RecordingShell : public plat::IShell {
 public:
  explicit RecordingShell(plat::IShell& inner) : inner_(inner) {}
  int SHFileOperationA(plat::ShFileOpStructA* op) override {
    Seen seen{op->hwnd,   op->wFunc,
              {},         op->pTo == nullptr,
              op->fFlags, op->lpszProgressTitle != nullptr ? op->lpszProgressTitle : "(null)"};
    // The list up to and including its second terminating zero.
    for (const char* p = op->pFrom;; ++p) {
      seen.from.push_back(*p);
      if (*p == '\0' && p != op->pFrom && p[-1] == '\0') break;
    }
    operations.push_back(seen);
    return inner_.SHFileOperationA(op);
  }
  plat::HRESULT CoInitialize(void* reserved) override { return inner_.CoInitialize(reserved); }
  plat::HRESULT CoCreateInstance(const plat::Guid& clsid, void* outer, plat::DWORD context,
                                 const plat::Guid& iid, void** object) override {
    return inner_.CoCreateInstance(clsid, outer, context, iid, object);
  }

  struct Seen {
    plat::Hwnd owner;
    plat::UINT function;
    std::string from;
    bool noTarget;
    plat::WORD flags;
    std::string title;
  };
  std::vector<Seen> operations;

 private:
  plat::IShell& inner_;
};

TEST_F(StagingTest, OldStagingFolderIsDeletedSilentlyAndForGood) {
  Start(OsXp(), true);
  machine_->WriteFile("C:\\VyxUZorp\\old.txt", "old");
  plat::Platform& os = machine_->Os();
  RecordingShell shell(os.shell);
  plat::Platform recorded{os.system,  os.profile, os.files,    os.registry, os.security,
                          os.process, shell,      os.setupApi, os.ui};
  CDriverInstaller installer(recorded, *app_);
  installer.m_bWin2kXp = 1;
  EXPECT_EQ(installer.CreateStagingFolder(), 1);
  ASSERT_EQ(shell.operations.size(), 1u);
  const RecordingShell::Seen& op = shell.operations[0];
  EXPECT_EQ(op.owner, os.ui.MainWindow());
  EXPECT_EQ(op.function, plat::kFoDelete);
  EXPECT_EQ(op.from, std::string("C:\\VyxUZorp\0\0", 13));
  EXPECT_TRUE(op.noTarget);
  EXPECT_EQ(op.flags, 0x0410);
  EXPECT_EQ(op.title, os.ui.AppTitle());

  // A fresh machine needs no deletion.
  TearDown();
  Start(OsXp(), true);
  plat::Platform& fresh = machine_->Os();
  RecordingShell freshShell(fresh.shell);
  plat::Platform freshRecorded{fresh.system,   fresh.profile,  fresh.files,
                               fresh.registry, fresh.security, fresh.process,
                               freshShell,     fresh.setupApi, fresh.ui};
  CDriverInstaller freshInstaller(freshRecorded, *app_);
  EXPECT_EQ(freshInstaller.CreateStagingFolder(), 1);
  EXPECT_TRUE(freshShell.operations.empty());
}

TEST_F(StagingTest, FileInThePlaceOfTheStagingFolderIsReplaced) {
  Start(Os98(), false);
  machine_->WriteFile("C:\\VyxUZorp", "a file, not a folder", plat::kFileAttributeReadonly);
  EXPECT_EQ(installer_->CreateStagingFolder(), 1);
  EXPECT_TRUE(machine_->FolderExists("C:\\VyxUZorp\\win98&me"));
}

TEST_F(StagingTest, FolderThatCannotBeMadeFailsWithoutAMessageOfItsOwn) {
  for (const char* target : {"C:\\VyxUZorp", "C:\\VyxUZorp\\win2k&xp"}) {
    SCOPED_TRACE(target);
    Start(OsXp(), true);
    machine_->AddFault("CreateDirectory", target, plat::kErrorAccessDenied);
    EXPECT_EQ(installer_->CreateStagingFolder(), 0);
    EXPECT_THAT(BoxTexts(), IsEmpty());
    TearDown();
  }
}

// Without the Windows folder there is no drive for the staging folder: nothing
// is made or deleted anywhere.
TEST_F(StagingTest, UnreadableWindowsFolderMakesNoStagingFolder) {
  Start(OsXp(), true);
  WriteMedium();
  machine_->AddFault("GetWindowsDirectory", "*", plat::kErrorAccessDenied);
  EXPECT_EQ(installer_->CreateStagingFolder(), 0);
  EXPECT_EQ(installer_->StagePackage(), 0);
  EXPECT_THAT(BoxTexts(), IsEmpty());
  EXPECT_THAT(machine_->Changes(), IsEmpty());
}

TEST_F(StagingTest, CompleteMediumIsStagedWhole) {
  for (const char* medium : {"E:", "E:\\DRIVERS"}) {
    for (bool win2kXp : {false, true}) {
      SCOPED_TRACE(std::string(medium) + Subfolder(win2kXp));
      sim::OsConfig os = win2kXp ? OsXp() : Os98();
      os.currentFolder = std::string(medium) + (std::string(medium).size() == 2 ? "\\" : "");
      Start(os, win2kXp);
      WriteMedium(medium);
      ASSERT_EQ(installer_->CreateStagingFolder(), 1);
      EXPECT_EQ(installer_->StagePackage(), 1);
      EXPECT_EQ(Upper(machine_->ListTree("C:\\VyxUZorp")), Upper(FullStaging(win2kXp)));
      EXPECT_EQ(machine_->ReadFile("C:\\VyxUZorp\\VyxUnst.exe"), "MZ uninstaller");
      EXPECT_EQ(
          machine_->ReadFile(std::string("C:\\VyxUZorp") + Subfolder(win2kXp) + "\\Config.ini"),
          "package file \\Config.ini");
      EXPECT_THAT(BoxTexts(), IsEmpty());
      TearDown();
    }
  }
}

TEST_F(StagingTest, ReadOnlyMediumFilesAreStagedWritable) {
  Start(OsXp(), true);
  WriteMedium();
  for (const std::string& path : machine_->ListTree("E:\\")) {
    if (!machine_->FolderExists(path))
      machine_->SetAttributes(path, plat::kFileAttributeReadonly | plat::kFileAttributeArchive);
  }
  ASSERT_EQ(installer_->CreateStagingFolder(), 1);
  ASSERT_EQ(installer_->StagePackage(), 1);
  for (const std::string& path : FullStaging(true)) {
    SCOPED_TRACE(path);
    plat::DWORD attributes = machine_->Attributes(path);
    ASSERT_NE(attributes, plat::kInvalidFileAttributes);
    EXPECT_EQ(attributes & plat::kFileAttributeReadonly, 0u);
  }
  // The medium itself is left as it is.
  EXPECT_NE(machine_->Attributes("E:\\VyxUnst.exe") & plat::kFileAttributeReadonly, 0u);
}

// Every row of both lists missing in turn: a required row stops the staging with
// the message and copies nothing after it, an optional one changes nothing.
TEST_F(StagingTest, EachMissingRowOfTheListsHasItsOutcome) {
  for (bool win2kXp : {false, true}) {
    const std::vector<PackageFile>& list = StagingList(win2kXp);
    for (std::size_t row = 0; row < list.size(); ++row) {
      const PackageFile& missing = list[row];
      SCOPED_TRACE(std::string(Subfolder(win2kXp)) + missing.name);
      Start(win2kXp ? OsXp() : Os98(), win2kXp);
      WriteMedium();
      const std::string staged = std::string("C:\\VyxUZorp") + Subfolder(win2kXp);
      machine_->AddFault("CopyFile", std::string("E:") + Subfolder(win2kXp) + missing.name,
                         plat::kErrorFileNotFound);
      ASSERT_EQ(installer_->CreateStagingFolder(), 1);
      int result = installer_->StagePackage();

      if (missing.stagingRequired) {
        EXPECT_EQ(result, 0);
        EXPECT_THAT(BoxTexts(), ElementsAre(kComponentMissing));
        ASSERT_EQ(machine_->MessageBoxes().size(), 1u);
        EXPECT_EQ(machine_->MessageBoxes()[0].icon, "exclamation");
        EXPECT_EQ(machine_->MessageBoxes()[0].buttons, "ok");
      } else {
        EXPECT_EQ(result, 1);
        EXPECT_THAT(BoxTexts(), IsEmpty());
      }
      for (std::size_t other = 0; other < list.size(); ++other) {
        bool expected = other != row && (other < row || !missing.stagingRequired);
        EXPECT_EQ(machine_->FileExists(staged + list[other].name), expected) << list[other].name;
      }
      TearDown();
    }
  }
}

TEST_F(StagingTest, ConfigIniIsRequiredOnlyForWindows2000AndXp) {
  for (bool win2kXp : {false, true}) {
    SCOPED_TRACE(Subfolder(win2kXp));
    Start(win2kXp ? OsXp() : Os98(), win2kXp);
    WriteMedium();
    ASSERT_TRUE(std::filesystem::remove(
        machine_->HostPath(std::string("E:") + Subfolder(win2kXp) + "\\Config.ini")));
    ASSERT_EQ(installer_->CreateStagingFolder(), 1);
    EXPECT_EQ(installer_->StagePackage(), win2kXp ? 0 : 1);
    EXPECT_EQ(BoxTexts().size(), win2kXp ? 1u : 0u);
    // On 2000/XP the rows after it stay uncopied.
    EXPECT_EQ(machine_->FileExists(std::string("C:\\VyxUZorp") + Subfolder(win2kXp) +
                                   "\\VyxUsbPrintConfig.exe"),
              !win2kXp);
    TearDown();
  }
}

TEST_F(StagingTest, MissingUninstallerFailsWithoutAnyMessage) {
  for (bool win2kXp : {false, true}) {
    SCOPED_TRACE(Subfolder(win2kXp));
    Start(win2kXp ? OsXp() : Os98(), win2kXp);
    WriteMedium();
    ASSERT_TRUE(std::filesystem::remove(machine_->HostPath("E:\\VyxUnst.exe")));
    ASSERT_EQ(installer_->CreateStagingFolder(), 1);
    EXPECT_EQ(installer_->StagePackage(), 0);
    EXPECT_THAT(BoxTexts(), IsEmpty());
    // Nothing of the flavour's list was copied.
    EXPECT_THAT(machine_->ListTree(std::string("C:\\VyxUZorp") + Subfolder(win2kXp)), IsEmpty());
    TearDown();
  }
}

TEST_F(StagingTest, MissingSetupProgramDoesNotMatter) {
  Start(OsXp(), true);
  WriteMedium();
  ASSERT_TRUE(std::filesystem::remove(machine_->HostPath("E:\\Setup.exe")));
  ASSERT_EQ(installer_->CreateStagingFolder(), 1);
  EXPECT_EQ(installer_->StagePackage(), 1);
  EXPECT_FALSE(machine_->FileExists("C:\\VyxUZorp\\Setup.exe"));
  EXPECT_THAT(BoxTexts(), IsEmpty());
}

TEST_F(StagingTest, ErrorsOffStagesTheSameWithoutBoxes) {
  for (int displayError : {1, 0}) {
    SCOPED_TRACE(displayError);
    Start(OsXp(), true, displayError);
    WriteMedium();
    machine_->AddFault("CopyFile", "E:\\win2k&xp\\SerialMP.exe", plat::kErrorAccessDenied);
    ASSERT_EQ(installer_->CreateStagingFolder(), 1);
    EXPECT_EQ(installer_->StagePackage(), 0);
    EXPECT_EQ(BoxTexts().size(), displayError ? 1u : 0u);
    EXPECT_TRUE(machine_->FileExists("C:\\VyxUZorp\\win2k&xp\\VyxUSBSerial.exe"));
    EXPECT_FALSE(machine_->FileExists("C:\\VyxUZorp\\win2k&xp\\Config.ini"));
    TearDown();
  }
}

// A medium folder so deep that its paths do not fit: those copies count as
// failed, and no cut path ever reaches the file system.
TEST_F(StagingTest, MediumTooDeepForItsPathsFailsLikeAMissingFile) {
  struct Case {
    std::size_t depth;  // characters of the medium folder name below the root of E
    const char* expectedBox;
  };
  // 243 characters: the uninstaller's path fits, the flavour's files do not.
  // 262: the current directory itself does not fit.
  for (Case c : {Case{240, kComponentMissing}, Case{259, nullptr}}) {
    SCOPED_TRACE(c.depth);
    sim::OsConfig os = OsXp();
    os.currentFolder = "E:\\" + std::string(c.depth, 'd');
    Start(os, true);
    machine_->WriteFile(os.currentFolder + "\\VyxUnst.exe", "MZ uninstaller");
    ASSERT_EQ(installer_->CreateStagingFolder(), 1);
    EXPECT_EQ(installer_->StagePackage(), 0);
    if (c.expectedBox != nullptr)
      EXPECT_THAT(BoxTexts(), ElementsAre(c.expectedBox));
    else
      EXPECT_THAT(BoxTexts(), IsEmpty());
    ExpectNoOverlongPath();
    TearDown();
  }
}

TEST_F(StagingTest, OldUninstallerIsDeletedEvenWhenReadOnly) {
  Start(OsXp(), true);
  machine_->WriteFile("C:\\WINDOWS\\System32\\VyxUnst.exe", "old", plat::kFileAttributeReadonly);
  machine_->WriteFile("C:\\WINDOWS\\System32\\other.exe", "keep");
  installer_->DeleteOldUninstaller();
  EXPECT_FALSE(machine_->FileExists("C:\\WINDOWS\\System32\\VyxUnst.exe"));
  EXPECT_TRUE(machine_->FileExists("C:\\WINDOWS\\System32\\other.exe"));
  // Again, with nothing left to delete: no error, no box.
  installer_->DeleteOldUninstaller();
  EXPECT_THAT(BoxTexts(), IsEmpty());
}

}  // namespace
}  // namespace setup_test
