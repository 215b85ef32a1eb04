// The simulated file system against the Windows behaviour the program relies on.
#include <cstring>

#include "SimTestSupport.h"

namespace {

using simtest::MachineTest;

class SimFileSystemTest : public MachineTest {};

TEST_F(SimFileSystemTest, NamesAreCaseInsensitiveAndCasePreserving) {
  sim::Machine& m = Make();
  m.WriteFile("C:\\WINDOWS\\inf\\VyxUPort.inf", "x");
  EXPECT_NE(Os().files.GetFileAttributesA("c:/windows/INF/vyxuport.INF"),
            plat::kInvalidFileAttributes);
  EXPECT_TRUE(std::filesystem::exists(m.HostPath("C:\\WINDOWS\\inf") / "VyxUPort.inf"));
}

TEST_F(SimFileSystemTest, ReadOnlyFilesRefuseDeletionAndOverwrite) {
  sim::Machine& m = Make();
  m.WriteFile("C:\\a.txt", "old", plat::kFileAttributeReadonly | plat::kFileAttributeArchive);
  m.WriteFile("E:\\b.txt", "new");
  EXPECT_FALSE(Os().files.DeleteFileA("C:\\a.txt"));
  EXPECT_EQ(Os().system.GetLastError(), 5u);
  EXPECT_FALSE(Os().files.CopyFileA("E:\\b.txt", "C:\\a.txt", 0));
  EXPECT_EQ(Os().system.GetLastError(), 5u);
  EXPECT_TRUE(Os().files.SetFileAttributesA("C:\\a.txt", plat::kFileAttributeNormal));
  EXPECT_EQ(Os().files.GetFileAttributesA("C:\\a.txt"), plat::kFileAttributeNormal);
  EXPECT_TRUE(Os().files.CopyFileA("E:\\b.txt", "C:\\a.txt", 0));
  EXPECT_EQ(*m.ReadFile("C:\\a.txt"), "new");
  EXPECT_TRUE(Os().files.DeleteFileA("C:\\a.txt"));
  EXPECT_FALSE(Os().files.DeleteFileA("C:\\a.txt"));
  EXPECT_EQ(Os().system.GetLastError(), 2u);
}

TEST_F(SimFileSystemTest, CopyCarriesSourceAttributesPlusArchive) {
  sim::Machine& m = Make();
  m.WriteFile("E:\\s.sys", "d", plat::kFileAttributeReadonly | plat::kFileAttributeHidden);
  ASSERT_TRUE(Os().files.CopyFileA("E:\\s.sys", "C:\\s.sys", 0));
  EXPECT_EQ(m.Attributes("C:\\s.sys"), 0x23u);
  EXPECT_FALSE(Os().files.CopyFileA("E:\\missing", "C:\\x", 0));
  EXPECT_EQ(Os().system.GetLastError(), 2u);
  EXPECT_FALSE(Os().files.CopyFileA("E:\\s.sys", "C:\\no\\such\\x", 0));
  EXPECT_EQ(Os().system.GetLastError(), 3u);
}

TEST_F(SimFileSystemTest, FindFirstFileListsDotsThenSortedMatches) {
  sim::Machine& m = Make();
  for (const char* name : {"x.inf.bak", "b.inf", "A.INF", "c.PNF"})
    m.WriteFile(std::string("C:\\d\\") + name, "");
  struct Case {
    const char* pattern;
    std::vector<std::string> names;
  } cases[] = {
      {"C:\\d\\*.*", {".", "..", "A.INF", "b.inf", "c.PNF", "x.inf.bak"}},
      {"C:\\d\\**.inf*", {"A.INF", "b.inf", "x.inf.bak"}},
      {"C:\\d\\?.inf", {"A.INF", "b.inf"}},
  };
  for (const Case& c : cases) {
    plat::FindDataA data;
    std::vector<std::string> names;
    plat::Handle find = Os().files.FindFirstFileA(c.pattern, &data);
    ASSERT_NE(find, plat::kInvalidHandle) << c.pattern;
    do names.push_back(data.cFileName);
    while (Os().files.FindNextFileA(find, &data));
    Os().files.FindClose(find);
    EXPECT_EQ(names, c.names) << c.pattern;
  }
  plat::FindDataA data;
  EXPECT_EQ(Os().files.FindFirstFileA("C:\\d\\*.zip", &data), plat::kInvalidHandle);
  EXPECT_EQ(Os().files.FindFirstFileA("C:\\nowhere\\*.*", &data), plat::kInvalidHandle);
}

TEST_F(SimFileSystemTest, PathsCannotLeaveTheMachine) {
  sim::Machine& m = Make();
  std::filesystem::create_symlink("/etc", m.HostPath("C:\\") / "out");
  EXPECT_EQ(Os().files.GetFileAttributesA("C:\\out\\passwd"), plat::kInvalidFileAttributes);
  EXPECT_EQ(Os().files.GetFileAttributesA("C:\\..\\..\\machine.ini"), plat::kInvalidFileAttributes);
  EXPECT_EQ(Os().files.GetFileAttributesA("Z:\\x"), plat::kInvalidFileAttributes);
  EXPECT_FALSE(Os().files.CopyFileA("C:\\out\\passwd", "C:\\stolen", 0));
}

TEST_F(SimFileSystemTest, LinksInsideADriveAreReparsePoints) {
  sim::Machine& m = Make();
  m.MakeFolder("C:\\WINDOWS\\inf\\sub");
  std::filesystem::create_directory_symlink(m.HostPath("C:\\WINDOWS\\inf"),
                                            m.HostPath("C:\\WINDOWS\\inf\\sub") / "loop");
  EXPECT_NE(m.Attributes("C:\\WINDOWS\\inf\\sub\\loop") & plat::kFileAttributeReparsePoint, 0u);
}

TEST_F(SimFileSystemTest, ReadingAndSharing) {
  sim::Machine& m = Make();
  m.WriteFile("C:\\f.inf", "abcdef");
  plat::Handle file =
      Os().files.CreateFileA("C:\\f.inf", plat::kGenericRead, 0, plat::kOpenExisting, 0);
  ASSERT_NE(file, plat::kInvalidHandle);
  EXPECT_EQ(Os().files.CreateFileA("C:\\f.inf", plat::kGenericRead, 0, plat::kOpenExisting, 0),
            plat::kInvalidHandle);
  EXPECT_EQ(Os().system.GetLastError(), 32u);
  char buffer[4];
  plat::DWORD read = 0;
  EXPECT_TRUE(Os().files.ReadFile(file, buffer, 4, &read));
  EXPECT_EQ(read, 4u);
  EXPECT_TRUE(Os().files.ReadFile(file, buffer, 4, &read));
  EXPECT_EQ(read, 2u);
  EXPECT_TRUE(Os().system.CloseHandle(file));
  EXPECT_EQ(Os().files.CreateFileA("C:\\", plat::kGenericRead, 0, plat::kOpenExisting, 0),
            plat::kInvalidHandle);
}

TEST_F(SimFileSystemTest, ShellDeletesAWholeTree) {
  sim::Machine& m = Make();
  m.WriteFile("C:\\VyxUZorp\\win2k&xp\\a.sys", "x", plat::kFileAttributeReadonly);
  m.WriteFile("C:\\VyxUZorp\\Setup.exe", "x");
  plat::ShFileOpStructA op{};
  op.wFunc = plat::kFoDelete;
  op.pFrom = "C:\\VyxUZorp\0";
  op.fFlags = plat::kFofNoConfirmation | plat::kFofNoErrorUi;
  EXPECT_EQ(Os().shell.SHFileOperationA(&op), 0);
  EXPECT_FALSE(m.FolderExists("C:\\VyxUZorp"));
  std::vector<sim::Change> changes = m.Changes();
  ASSERT_EQ(changes.size(), 4u);
  for (const sim::Change& change : changes) EXPECT_EQ(change.op, "removed") << change.path;
}

TEST_F(SimFileSystemTest, FolderQueriesReportTheSizeNeeded) {
  Make();
  char small[4];
  EXPECT_EQ(Os().system.GetWindowsDirectoryA(small, sizeof small), 11u);
  char buffer[260];
  EXPECT_EQ(Os().system.GetWindowsDirectoryA(buffer, sizeof buffer), 10u);
  EXPECT_STREQ(buffer, "C:\\WINDOWS");
}

}  // namespace
