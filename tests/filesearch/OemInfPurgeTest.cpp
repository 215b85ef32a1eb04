#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/CSetupApp.h"
#include "filesearch/FinderMachine.h"
#include "remove/CDriverRemover.h"
#include "remove/OemInfPurge.h"

namespace {

using testing::ElementsAre;
using testing::UnorderedElementsAreArray;

constexpr const char* kInf = "C:\\WINDOWS\\inf\\";

std::string Utf16(const std::string& text) {
  std::string wide = "\xff\xfe";
  for (char c : text) {
    wide += c;
    wide += '\0';
  }
  return wide;
}

class OemInfPurgeTest : public findtest::FinderMachineTest {
 protected:
  void Purge() {
    CSetupApp app(Os());
    CDriverRemover remover(Os(), app);
    remover.PurgeOemInfFiles();
  }

  void Inf(const std::string& name, const std::string& contents,
           plat::DWORD attributes = plat::kFileAttributeArchive) {
    M().WriteFile(kInf + name, contents, attributes);
  }

  std::vector<std::string> Removed() const {
    std::vector<std::string> removed;
    for (const sim::Change& change : machine_->Changes())
      if (change.op == "removed") removed.push_back(change.path);
    return removed;
  }

  // How often the purge opened path for reading.
  long Opened(const std::string& path) const {
    const auto& calls = machine_->Calls();
    return std::count_if(calls.begin(), calls.end(), [&](const sim::CallRecord& c) {
      return c.operation == "CreateFile" && c.target == path;
    });
  }
};

TEST_F(OemInfPurgeTest, DeletesTheInfFilesThatNameEitherDriver) {
  const std::string section = "[SourceDisksFiles]\r\n";
  Inf("oem1.inf", section + "vyxuport.sys = 1\r\n");
  Inf("oem2.inf", section + "VYXUPORT.SYS = 1\r\n");
  Inf("sub\\deeper\\oem3.inf", section + "vyxuport.sys\r\n");
  Inf("oem4.PNF", section + "vyxuport.sys\r\n");
  Inf("oem5.inf.bak", section + "VYXUPRPT.vxd\r\n");
  Inf("readonly.inf", "vyxuport.sys", plat::kFileAttributeReadonly | plat::kFileAttributeArchive);
  Inf("hidden.inf", "vyxuprpt.VXD", plat::kFileAttributeHidden);
  Inf("system.inf", "vyxuport.sys", plat::kFileAttributeSystem | plat::kFileAttributeHidden);
  Inf("normal.inf", "vyxuport.sys", plat::kFileAttributeNormal);
  Inf("both.inf", "vyxuport.sys and VYXUPRPT.vxd");
  Inf("other.inf", section + "vyxumon.exe\r\nvyxuport.sy\r\n");
  Inf("wide.inf", Utf16(section + "VyxUport.sys\r\n"));
  Inf(".inf", "vyxuport.sys");
  Inf("vyxuport.sys.inf\\inner.inf", "VYXUPRPT.vxd");
  Inf("machine.inf", std::string(300000, ';') + "vyxuport.sys");

  Purge();

  const std::vector<std::string> gone = {"oem1.inf",
                                         "oem2.inf",
                                         "sub\\deeper\\oem3.inf",
                                         "oem5.inf.bak",
                                         "readonly.inf",
                                         "hidden.inf",
                                         "system.inf",
                                         "both.inf",
                                         "wide.inf",
                                         ".inf",
                                         "vyxuport.sys.inf\\inner.inf",
                                         "machine.inf"};
  std::vector<std::string> expected;
  for (const std::string& name : gone) expected.push_back(kInf + name);
  EXPECT_THAT(Removed(), UnorderedElementsAreArray(expected));
  for (const char* kept : {"oem4.PNF", "normal.inf", "other.inf"})
    EXPECT_TRUE(M().FileExists(kInf + std::string(kept))) << kept;
  EXPECT_TRUE(M().FolderExists(kInf + std::string("vyxuport.sys.inf")));
  EXPECT_TRUE(M().FolderExists("C:\\WINDOWS\\inf"));

  // A .PNF file is never read; the file that names both drivers is read once.
  EXPECT_EQ(Opened(kInf + std::string("oem4.PNF")), 0);
  EXPECT_EQ(Opened(kInf + std::string("both.inf")), 1);
  EXPECT_EQ(Opened(kInf + std::string("other.inf")), 2);
  EXPECT_EQ(Opened(kInf + std::string("normal.inf")), 0);
  EXPECT_TRUE(M().MessageBoxes().empty());
}

TEST_F(OemInfPurgeTest, FailuresLeaveTheFileAndTheRestGoesOn) {
  Inf("a.inf", "vyxuport.sys");
  Inf("broken.inf", "vyxuport.sys");
  Inf("kept.inf", "VYXUPRPT.vxd");
  Inf("locked.inf", "vyxuport.sys");
  Inf("z.inf", "VYXUPRPT.vxd");
  M().AddFault("ReadFile", kInf + std::string("broken.inf"), plat::kErrorInvalidData);
  M().AddFault("DeleteFile", kInf + std::string("kept.inf"), plat::kErrorAccessDenied);
  M().AddFault("CreateFile", kInf + std::string("locked.inf"), plat::kErrorSharingViolation);
  Purge();
  EXPECT_THAT(Removed(), UnorderedElementsAreArray(
                             {kInf + std::string("a.inf"), kInf + std::string("z.inf")}));
  for (const char* kept : {"broken.inf", "kept.inf", "locked.inf"})
    EXPECT_TRUE(M().FileExists(kInf + std::string(kept))) << kept;
}

TEST_F(OemInfPurgeTest, NeverLeavesTheInfFolderThroughALink) {
  M().WriteFile("C:\\Outside\\victim.inf", "vyxuport.sys");
  Inf("own.inf", "vyxuport.sys");
  std::filesystem::create_directory_symlink(M().HostPath("C:\\Outside"),
                                            M().HostPath("C:\\WINDOWS\\inf") / "junction.inf");
  Purge();
  EXPECT_THAT(Removed(), ElementsAre(kInf + std::string("own.inf")));
  EXPECT_TRUE(M().FileExists("C:\\Outside\\victim.inf"));
}

TEST_F(OemInfPurgeTest, WithoutAnInfFolderOrWindowsFolderNothingHappens) {
  M().WriteFile("C:\\inf\\stray.inf", "vyxuport.sys");
  M().WriteFile("E:\\inf\\medium.inf", "vyxuport.sys");
  Purge();  // C:\WINDOWS\inf does not exist
  M().MakeFolder("C:\\WINDOWS\\inf");
  Inf("oem1.inf", "vyxuport.sys");
  M().AddFault("GetWindowsDirectory", "*", plat::kErrorAccessDenied);
  Purge();
  EXPECT_TRUE(Removed().empty());
  EXPECT_TRUE(M().FileExists("C:\\inf\\stray.inf"));
  EXPECT_TRUE(M().FileExists("E:\\inf\\medium.inf"));
  EXPECT_TRUE(M().FileExists(kInf + std::string("oem1.inf")));
}

TEST_F(OemInfPurgeTest, HandlerDeletesOnlyTheAcceptedFile) {
  Inf("x.inf", "vyxuport.sys");
  Inf("y.inf", "vyxuport.sys");
  CFileFinder finder(Os());
  CFileFinderParams params;
  params.m_strFolder = "C:\\WINDOWS\\inf";
  params.m_strMask = "*.inf";
  finder.Search(params);
  ASSERT_EQ(finder.GetCount(), 2);
  // Only the found event deletes, and only the last entry of the list.
  for (int event : {FIND_EVENT_REJECTED, FIND_EVENT_FOLDER, FIND_EVENT_PROGRESS})
    DeleteFoundInfFile(&finder, event, 0);
  EXPECT_TRUE(Removed().empty());
  DeleteFoundInfFile(&finder, FIND_EVENT_FOUND, 0);
  EXPECT_THAT(Removed(), ElementsAre(kInf + std::string("y.inf")));
  // An empty list deletes nothing.
  finder.ClearResults();
  DeleteFoundInfFile(&finder, FIND_EVENT_FOUND, 0);
  EXPECT_TRUE(M().FileExists(kInf + std::string("x.inf")));
}

}  // namespace
